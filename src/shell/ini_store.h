#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Settings in INI form, read and written the way initialisation files behave on Windows:
// section and key names match without regard to ASCII case, blanks (space, tab) around
// names and values are ignored, a value in a matching pair of '"' or '\'' loses the quotes,
// and every read falls back to a default. A write changes one line and keeps every other
// byte of the file, so hand edits, comments and unknown keys survive the console.
//
// Names must not contain '=' (keys), ']' (sections) or start with ';', '#' or '[': such a
// name is written but cannot be read back. CR and LF in names and values become blanks.

// The text of one INI file, parsed into lines; no file access.
class IniDocument {
public:
    // Parses `text`; never fails, whatever bytes it holds.
    explicit IniDocument(std::string_view text = {});

    // The value of `key` in `section`, or `defaultText` when either is missing.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultText) const;

    // The value as a decimal 32-bit integer (optional sign), or `defaultValue` when missing
    // or not such a number.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;

    // Sets `key` in `section`, adding the key at the end of the section or the section at
    // the end of the text when missing.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Sets `key` in `section` to the decimal text of `value`.
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);

    // The whole text, byte for byte as parsed except for the lines written since.
    std::string text() const;

private:
    struct Line {
        std::string body;
        std::string end; // "\r\n", "\n", or "" on a last line without a line end
    };

    std::optional<std::size_t> findSection(std::string_view name) const;
    std::optional<std::size_t> findKey(std::size_t header, std::string_view name) const;
    std::optional<std::string_view> findValue(std::string_view section, std::string_view key) const;
    std::size_t afterLastKey(std::size_t header) const;
    void insertLine(std::size_t index, std::string body);
    std::string_view lineEndStyle() const;

    bool byteOrderMark_ = false;
    std::vector<Line> lines_;
};

// An INI file on disk. Reads come from the content loaded at construction or by the last
// write; each write re-reads the file, changes one key and replaces the file atomically.
class IniFile {
public:
    // Loads `path`; a missing or unreadable file reads as empty.
    explicit IniFile(std::string path);

    // See IniDocument::readString.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultText) const;

    // See IniDocument::readInteger.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;

    // Sets one key in the current file content, creating the file when missing. Throws
    // FileError, leaving the file and this object as they were, when the file cannot be
    // read or replaced.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Sets `key` to the decimal text of `value`; see writeString.
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);

private:
    std::string path_;
    IniDocument document_;
};
