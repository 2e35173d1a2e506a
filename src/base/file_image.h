#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/packed_record.h"

// A file operation that failed; the text names the file and what went wrong, ready to
// be shown to the user.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills `target` with the first target.size() bytes of the file. A longer file is
// accepted and its rest ignored. A missing, unreadable or shorter file throws FileError
// and leaves `target` as it was.
void readFileImage(const std::string& path, std::span<std::byte> target);

// Writes `bytes` as the whole content of the file: the bytes go to a temporary file in
// the same folder, which is synced and then renamed over the old file, so a failed write
// never destroys what was there before. Throws FileError on failure.
void writeFileAtomically(const std::string& path, std::span<const std::byte> bytes);

// Reads the first sizeof(Record) bytes of a file into `record` (see readFileImage).
template <PackedRecord Record>
void readRecordImage(const std::string& path, Record& record) {
    readFileImage(path, recordBytes(record));
}

// Writes `record` as the whole content of a file (see writeFileAtomically).
template <PackedRecord Record>
void writeRecordImage(const std::string& path, const Record& record) {
    writeFileAtomically(path, recordBytes(record));
}

// The name to save under: when its last four characters are not `extension` (".vtm",
// ".vtr", ".csv") in any mix of case, the extension is appended in lower case.
std::string withExtension(const std::string& fileName, std::string_view extension);
