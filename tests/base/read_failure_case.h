#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// One way a file can fail to be read, and the words the error text must carry.
struct ReadFailureCase {
    const char* what;
    std::function<void(const std::filesystem::path&)> prepare;
    std::vector<std::string> mentions; // besides the file's name
};

inline void PrintTo(const ReadFailureCase& c, std::ostream* out) {
    *out << c.what;
}
