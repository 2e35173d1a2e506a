#include "shell/command_line.h"

#include <algorithm>
#include <cctype>

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

} // namespace

StartFile startFileOf(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return {};
    std::string joined;
    for (const std::string& argument : arguments)
        joined += (joined.empty() ? "" : " ") + argument;
    std::string_view text = trimmed(joined);
    if (text.starts_with('"')) {
        text.remove_prefix(1);
        if (!text.empty())
            text.remove_suffix(1);
    }
    if (text.size() < 4)
        return {};
    const std::string extension = lowercase(text.substr(text.size() - 4));
    std::string path = arguments.front();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    if (extension == ".vtm")
        return {StartFileKind::Measurement, path};
    if (extension == ".vtr")
        return {StartFileKind::Record, path};
    return {};
}
