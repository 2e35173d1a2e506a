#pragma once

#include <string>
#include <string_view>
#include <vector>

// The file named on the console's command line: a measurement (".vtm") or a recording
// (".vtr"), recognised by the last four characters of the argument text in any case.
enum class StartFileKind { None, Measurement, Record };

struct StartFile {
    StartFileKind kind = StartFileKind::None;
    std::string path; // the first argument
};

// `arguments` are those after the program path. The extension is taken from all of them
// joined by blanks and trimmed, without the double quotes around it.
StartFile startFileOf(const std::vector<std::string>& arguments);
