#include "shell/ini_store.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <span>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "base/file_image.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

// A line end inside a written name or value would start a line of its own.
std::string withoutLineBreaks(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c == '\r' || c == '\n')
            c = ' ';
    return result;
}

// Names as the caller passes them, reduced to what a file line can hold and match.
std::string normalName(std::string_view name) {
    return std::string(trimmed(withoutLineBreaks(name)));
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool isQuotedPair(std::string_view text) {
    return text.size() >= 2 && isQuote(text.front()) && text.front() == text.back();
}

std::string_view unquoted(std::string_view value) {
    return isQuotedPair(value) ? value.substr(1, value.size() - 2) : value;
}

// Quotes the value when trimming or unquoting would change it on the way back.
std::string encodedValue(std::string_view value) {
    std::string text = withoutLineBreaks(value);
    bool needsQuotes = trimmed(text).size() != text.size() || isQuotedPair(text);
    return needsQuotes ? '"' + text + '"' : text;
}

std::optional<std::int32_t> decimalInteger(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-'))
            return std::nullopt;
    }
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

enum class LineKind { Other, Section, Key };

struct LineParts {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value; // keys only: trimmed, quotes still on
};

// A header without its ']' and a line without '=' are neither section nor key.
LineParts classify(std::string_view body) {
    std::string_view text = trimmed(body);
    if (text.empty() || text.front() == ';' || text.front() == '#')
        return {};
    if (text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return {};
        return {LineKind::Section, trimmed(text.substr(1, close - 1)), {}};
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {LineKind::Key, trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))};
}

// Where the value of a key line starts: after the '=' and the blanks that follow it.
std::size_t valueStart(std::string_view body) {
    std::size_t start = body.find('=') + 1;
    while (start < body.size() && isBlank(body[start]))
        ++start;
    return start;
}

[[noreturn]] void throwReadError(const std::string& path, int error) {
    throw FileError("Cannot read \"" + path + "\": " + std::strerror(error));
}

// Closes the descriptor when the scope ends.
class ReadDescriptor {
public:
    explicit ReadDescriptor(int fd) : fd_(fd) {}
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    ~ReadDescriptor() { ::close(fd_); }
    int get() const { return fd_; }

private:
    int fd_;
};

std::string readToEnd(const ReadDescriptor& file, const std::string& path) {
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throwReadError(path, errno);
        if (count == 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

// The whole file, empty when it does not exist. A file that exists but cannot be read
// throws FileError: taking it as empty would let a write wipe it out.
std::string currentText(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return {};
    if (fd < 0)
        throwReadError(path, errno);
    return readToEnd(ReadDescriptor(fd), path);
}

// Reads never fail: whatever cannot be read shows the defaults.
std::string currentTextOrEmpty(const std::string& path) {
    try {
        return currentText(path);
    } catch (const FileError&) {
        return {};
    }
}

} // namespace

IniDocument::IniDocument(std::string_view text) {
    if (text.starts_with(ByteOrderMark)) {
        byteOrderMark_ = true;
        text.remove_prefix(ByteOrderMark.size());
    }
    while (!text.empty()) {
        std::size_t lineFeed = text.find('\n');
        std::size_t length = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
        std::string_view line = text.substr(0, length);
        text.remove_prefix(length);
        std::size_t endLength = line.ends_with("\r\n") ? 2 : line.ends_with('\n') ? 1 : 0;
        lines_.push_back({std::string(line.substr(0, line.size() - endLength)),
                          std::string(line.substr(line.size() - endLength))});
    }
}

std::string IniDocument::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultText) const {
    return std::string(findValue(section, key).value_or(defaultText));
}

std::int32_t IniDocument::readInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
    std::optional<std::string_view> value = findValue(section, key);
    return value ? decimalInteger(*value).value_or(defaultValue) : defaultValue;
}

void IniDocument::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    std::string keyName = normalName(key);
    std::optional<std::size_t> header = findSection(section);
    if (!header) {
        insertLine(lines_.size(), '[' + normalName(section) + ']');
        insertLine(lines_.size(), keyName + '=' + encodedValue(value));
        return;
    }
    if (std::optional<std::size_t> found = findKey(*header, keyName)) {
        std::string& body = lines_[*found].body;
        body = body.substr(0, valueStart(body)) + encodedValue(value);
        return;
    }
    insertLine(afterLastKey(*header), keyName + '=' + encodedValue(value));
}

void IniDocument::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

std::string IniDocument::text() const {
    std::string text(byteOrderMark_ ? ByteOrderMark : "");
    for (const Line& line : lines_)
        text += line.body + line.end;
    return text;
}

// Keys before the first header belong to no section, so the search starts at a header.
std::optional<std::size_t> IniDocument::findSection(std::string_view name) const {
    std::string wanted = normalName(name);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        LineParts parts = classify(lines_[i].body);
        if (parts.kind == LineKind::Section && equalIgnoringCase(parts.name, wanted))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::findKey(std::size_t header, std::string_view name) const {
    std::string wanted = normalName(name);
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        LineParts parts = classify(lines_[i].body);
        if (parts.kind == LineKind::Section)
            break;
        if (parts.kind == LineKind::Key && equalIgnoringCase(parts.name, wanted))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniDocument::findValue(std::string_view section,
                                                       std::string_view key) const {
    std::optional<std::size_t> header = findSection(section);
    std::optional<std::size_t> line = header ? findKey(*header, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return unquoted(classify(lines_[*line].body).value);
}

// Comments and blank lines after the last key stay with whatever follows the section.
std::size_t IniDocument::afterLastKey(std::size_t header) const {
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        LineKind kind = classify(lines_[i].body).kind;
        if (kind == LineKind::Section)
            break;
        if (kind == LineKind::Key)
            insertAt = i + 1;
    }
    return insertAt;
}

void IniDocument::insertLine(std::size_t index, std::string body) {
    std::string end(lineEndStyle());
    if (index > 0 && lines_[index - 1].end.empty())
        lines_[index - 1].end = end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Line{std::move(body), std::move(end)});
}

std::string_view IniDocument::lineEndStyle() const {
    return !lines_.empty() && lines_.front().end == "\r\n" ? "\r\n" : "\n";
}

IniFile::IniFile(std::string path) : path_(std::move(path)), document_(currentTextOrEmpty(path_)) {}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultText) const {
    return document_.readString(section, key, defaultText);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    return document_.readInteger(section, key, defaultValue);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    IniDocument current(currentText(path_));
    current.writeString(section, key, value);
    std::string text = current.text();
    writeFileAtomically(path_, std::as_bytes(std::span(text)));
    document_ = std::move(current);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}
