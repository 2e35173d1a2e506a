#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "base/file_image.h"
#include "shell/ini_store.h"

namespace {

using namespace std::string_literals;

const std::string Missing = "<default>";

// A settings file as people leave it after hand edits: comments, blank lines, odd spacing.
const std::string SysSet = "; Voltrane settings\n"
                           "[Communication]\n"
                           "Port=/dev/ttyUSB0\n"
                           "  Address = 1\n"
                           "Baud_Rate=9600\n"
                           "\n"
                           "[Display]\n"
                           "Voltage_Waveform = 1\n"
                           "# kept for older consoles\n"
                           "Legacy=yes\n"
                           "; end of the display options\n"
                           "\n"
                           "\n"
                           "[Language]\n"
                           "Current=English\n";

// --- reading ---

struct ReadCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.what;
}

class IniDocumentRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniDocumentRead, FindsTheValueOrFallsBackToTheDefault) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(IniDocument(c.text).readString(c.section, c.key, Missing), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    IniLookup, IniDocumentRead,
    testing::Values(
        ReadCase{"empty text", "", "Display", "Voltage_Waveform", Missing},
        ReadCase{"missing section", SysSet, "Record", "Port", Missing},
        ReadCase{"missing key", SysSet, "Display", "Port", Missing},
        ReadCase{"key of another section", "[a]\n[b]\nk=1\n", "a", "k", Missing},
        ReadCase{"plain", SysSet, "Communication", "Baud_Rate", "9600"},
        ReadCase{"last section", SysSet, "Language", "Current", "English"},
        ReadCase{"names in another case", SysSet, "DISPLAY", "voltage_WAVEFORM", "1"},
        ReadCase{"blanks in the file", " \t[ Display ]\t\n \tVoltage_Waveform \t= \t1 \t\n",
                 "Display", "Voltage_Waveform", "1"},
        ReadCase{"caller names with trailing blanks", SysSet, "Display ", "Voltage_Waveform ", "1"},
        ReadCase{"caller names with blanks on both sides", "[Record]\nSaved_to_instrument=0\n",
                 "\tRecord ", " Saved_to_instrument  ", "0"},
        ReadCase{"empty value is a value", "[s]\nk=\n", "s", "k", ""},
        ReadCase{"double quotes keep blanks", "[s]\nk = \"  a b  \" \n", "s", "k", "  a b  "},
        ReadCase{"single quotes", "[s]\nk='x'\n", "s", "k", "x"},
        ReadCase{"quotes that do not pair", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        ReadCase{"a lone quote", "[s]\nk=\"\n", "s", "k", "\""},
        ReadCase{"only the outer pair goes", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
        ReadCase{"'=' inside the value", "[s]\nk=a=b\n", "s", "k", "a=b"},
        ReadCase{"';' inside the value", "[s]\nk=1 ; note\n", "s", "k", "1 ; note"},
        ReadCase{"';' comment", "[s]\n;k=1\n", "s", "k", Missing},
        ReadCase{"'#' comment", "[s]\n  #k=1\n", "s", "k", Missing},
        ReadCase{"byte-order mark", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "1"},
        ReadCase{"CRLF line ends", "[s]\r\nk=1\r\nj=2\r\n", "s", "k", "1"},
        ReadCase{"last line without a line end", "[s]\nk=1", "s", "k", "1"},
        ReadCase{"garbage bytes",
                 "\x00\xFF\xFE junk\n[s]\n\x80\x81\n\xC3=\x00\n\x01\x02 \x7F\nk=v\n"s, "s", "k",
                 "v"},
        ReadCase{"UTF-8 value", "[s]\nk=\xC3\xA9t\xC3\xA9\n", "s", "k", "\xC3\xA9t\xC3\xA9"},
        ReadCase{"lines without '='", "[s]\nk\nsome text\nk=2\n", "s", "k", "2"},
        ReadCase{"duplicate key: the first wins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        ReadCase{"duplicate section: the first is the one", "[s]\nk=1\n[S]\nj=2\n", "s", "j",
                 Missing},
        ReadCase{"keys before any section", "k=1\n[s]\n", "", "k", Missing},
        ReadCase{"keys before any section are not the first section's", "k=1\n[s]\n", "s", "k",
                 Missing},
        ReadCase{"header without ']' is ignored", "[s]\n[broken\nk=1\n", "s", "k", "1"},
        ReadCase{"header without ']' names no section", "[s]\n[broken\nk=1\n", "[broken", "k",
                 Missing},
        ReadCase{"text after ']' is ignored", "[s] ; note\nk=1\n", "s", "k", "1"}));

struct IntegerCase {
    const char* text;
    std::int32_t expected;
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

constexpr std::int32_t DefaultInteger = -7;

class IniDocumentInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniDocumentInteger, ParsesDecimalThirtyTwoBitTextOnly) {
    const IntegerCase& c = GetParam();
    IniDocument document("[s]\nk=" + std::string(c.text) + "\n");
    EXPECT_EQ(document.readInteger("s", "k", DefaultInteger), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(IniGoodTexts, IniDocumentInteger,
                         testing::Values(IntegerCase{"42", 42}, IntegerCase{"+42", 42},
                                         IntegerCase{"-42", -42}, IntegerCase{"0", 0},
                                         IntegerCase{"-0", 0}, IntegerCase{"007", 7},
                                         IntegerCase{"  13\t", 13}, IntegerCase{"\"5\"", 5},
                                         IntegerCase{"2147483647", 2147483647},
                                         IntegerCase{"-2147483648", -2147483647 - 1}));

INSTANTIATE_TEST_SUITE_P(
    IniBadTexts, IniDocumentInteger,
    testing::Values(IntegerCase{"", DefaultInteger}, IntegerCase{"+", DefaultInteger},
                    IntegerCase{"-", DefaultInteger}, IntegerCase{"+-1", DefaultInteger},
                    IntegerCase{"--1", DefaultInteger}, IntegerCase{"2147483648", DefaultInteger},
                    IntegerCase{"-2147483649", DefaultInteger},
                    IntegerCase{"99999999999", DefaultInteger},
                    IntegerCase{"12abc", DefaultInteger}, IntegerCase{"1.5", DefaultInteger},
                    IntegerCase{"0x10", DefaultInteger}, IntegerCase{"1e3", DefaultInteger},
                    IntegerCase{"1 2", DefaultInteger}, IntegerCase{"\" 5\"", DefaultInteger},
                    IntegerCase{"abc", DefaultInteger}));

TEST(IniDocumentIntegerDefault, MissingKeyGivesTheDefault) {
    EXPECT_EQ(IniDocument("[s]\nk=1\n").readInteger("s", "j", 99), 99);
}

// --- writing ---

struct WriteCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.what;
}

class IniDocumentWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniDocumentWrite, ChangesOneKeyAndKeepsEveryOtherByte) {
    const WriteCase& c = GetParam();
    IniDocument document(c.before);
    document.writeString(c.section, c.key, c.value);
    EXPECT_EQ(document.text(), c.after) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    IniEdits, IniDocumentWrite,
    testing::Values(
        WriteCase{"existing key, file spelling and spacing kept", SysSet, "display ",
                  "VOLTAGE_WAVEFORM ", "0",
                  "; Voltrane settings\n"
                  "[Communication]\n"
                  "Port=/dev/ttyUSB0\n"
                  "  Address = 1\n"
                  "Baud_Rate=9600\n"
                  "\n"
                  "[Display]\n"
                  "Voltage_Waveform = 0\n"
                  "# kept for older consoles\n"
                  "Legacy=yes\n"
                  "; end of the display options\n"
                  "\n"
                  "\n"
                  "[Language]\n"
                  "Current=English\n"},
        WriteCase{"new key after the section's last key", SysSet, "Display", "Harmonics", "1",
                  "; Voltrane settings\n"
                  "[Communication]\n"
                  "Port=/dev/ttyUSB0\n"
                  "  Address = 1\n"
                  "Baud_Rate=9600\n"
                  "\n"
                  "[Display]\n"
                  "Voltage_Waveform = 1\n"
                  "# kept for older consoles\n"
                  "Legacy=yes\n"
                  "Harmonics=1\n"
                  "; end of the display options\n"
                  "\n"
                  "\n"
                  "[Language]\n"
                  "Current=English\n"},
        WriteCase{"new section at the end", SysSet, " Record ", " Saved_to_instrument  ", "1",
                  SysSet + "[Record]\nSaved_to_instrument=1\n"},
        WriteCase{"empty text", "", "s", "k", "v", "[s]\nk=v\n"},
        WriteCase{"section without keys", "[s]\n\n[t]\n", "s", "k", "v", "[s]\nk=v\n\n[t]\n"},
        WriteCase{"last line without a line end", "[s]\nj=1", "s", "k", "v", "[s]\nj=1\nk=v\n"},
        WriteCase{"CRLF file gets CRLF lines", "[s]\r\nj=1\r\n", "s", "k", "v",
                  "[s]\r\nj=1\r\nk=v\r\n"},
        WriteCase{"CRLF file, new section", "[s]\r\nj=1", "t", "k", "v",
                  "[s]\r\nj=1\r\n[t]\r\nk=v\r\n"},
        WriteCase{"first line decides the line-end style", "[s]\nj=1\r\n", "s", "k", "v",
                  "[s]\nj=1\r\nk=v\n"},
        WriteCase{"byte-order mark kept", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "2",
                  "\xEF\xBB\xBF[s]\nk=2\n"},
        WriteCase{"byte-order mark only", "\xEF\xBB\xBF", "s", "k", "v", "\xEF\xBB\xBF[s]\nk=v\n"},
        WriteCase{"duplicate key: the first changes", "[s]\nk=1\nk=2\n", "s", "k", "3",
                  "[s]\nk=3\nk=2\n"},
        WriteCase{"duplicate section: the first changes", "[s]\nj=1\n[s]\nk=2\n", "s", "k", "3",
                  "[s]\nj=1\nk=3\n[s]\nk=2\n"},
        WriteCase{"keys before any section stay", "k=1\n[s]\n", "s", "k", "2", "k=1\n[s]\nk=2\n"},
        WriteCase{"comment that looks like the key stays", "[s]\n;k=1\n", "s", "k", "2",
                  "[s]\nk=2\n;k=1\n"},
        WriteCase{"garbage kept byte for byte", "[s]\n\x00\xFF\n\x80=\x81\nk=1\n"s, "s", "k", "2",
                  "[s]\n\x00\xFF\n\x80=\x81\nk=2\n"s},
        WriteCase{"leading blanks quoted", "[s]\nk=1\n", "s", "k", "  x", "[s]\nk=\"  x\"\n"},
        WriteCase{"value in its own quotes quoted again", "[s]\n", "s", "k", "'x'",
                  "[s]\nk=\"'x'\"\n"},
        WriteCase{"line break becomes a blank", "[s]\n", "s", "k", "a\r\nb", "[s]\nk=a  b\n"}));

class IniDocumentRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(IniDocumentRoundTrip, NewKeyReadsBackIdentically) {
    IniDocument document("[s]\n");
    document.writeString("s", "k", GetParam());
    EXPECT_EQ(IniDocument(document.text()).readString("s", "k", Missing), GetParam());
}

TEST_P(IniDocumentRoundTrip, ChangedKeyReadsBackIdentically) {
    IniDocument document("[s]\nk = \"old\"\nj=1\n");
    document.writeString("s", "k", GetParam());
    IniDocument reread(document.text());
    EXPECT_EQ(reread.readString("s", "k", Missing), GetParam());
    EXPECT_EQ(reread.readString("s", "j", Missing), "1");
}

INSTANTIATE_TEST_SUITE_P(IniValues, IniDocumentRoundTrip,
                         testing::Values("", "plain", "  leading", "trailing  ", "\ttabs\t", " ",
                                         "\"double\"", "'single'", "\"\"", "\"", "'x\"", "\"x\" ",
                                         "a=b", "; not a comment", "[not a section]",
                                         "zero\0byte"s));

TEST(IniDocumentInjection, LineBreaksInValuesAndNamesStartNoLine) {
    IniDocument document("[s]\nk=1\n");
    document.writeString("s", "k", "2\n[evil]\nx=3");
    document.writeString("t\nu", "j\r\n[other]", "4\r[evil]");
    IniDocument reread(document.text());
    EXPECT_EQ(reread.readString("s", "k", Missing), "2 [evil] x=3");
    EXPECT_EQ(reread.readString("evil", "x", Missing), Missing);
    EXPECT_EQ(reread.readString("other", "j", Missing), Missing);
    EXPECT_EQ(reread.readString("t\nu", "j\r\n[other]", Missing), "4 [evil]");
    EXPECT_EQ(reread.readString("t u", "j  [other]", Missing), "4 [evil]");
}

TEST(IniDocumentInteger, WritesDecimalText) {
    IniDocument document;
    document.writeInteger("s", "low", -2147483647 - 1);
    document.writeInteger("s", "high", 2147483647);
    EXPECT_EQ(document.text(), "[s]\nlow=-2147483648\nhigh=2147483647\n");
    EXPECT_EQ(document.readInteger("s", "low", 0), -2147483647 - 1);
}

// --- the file ---

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void putFileText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "voltrane-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsNotCreated) {
    std::filesystem::path path = folder_ / "SysSet.ini";
    IniFile ini(path.string());
    EXPECT_EQ(ini.readString("Display", "Voltage_Waveform", "1"), "1");
    EXPECT_EQ(ini.readInteger("Display", "Voltage_Waveform", 3), 3);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, ReadsTheFileContent) {
    putFileText(folder_ / "SysSet.ini", SysSet);
    IniFile ini((folder_ / "SysSet.ini").string());
    EXPECT_EQ(ini.readString("Communication ", "Port ", Missing), "/dev/ttyUSB0");
    EXPECT_EQ(ini.readInteger("communication", "address", 0), 1);
}

TEST_F(IniFileTest, FirstWriteCreatesTheFile) {
    std::filesystem::path path = folder_ / "SysSet.ini";
    IniFile ini(path.string());
    ini.writeInteger("Display", "Voltage_Waveform", 0);
    ini.writeString("Language", "Current", "English");
    EXPECT_EQ(fileText(path), "[Display]\nVoltage_Waveform=0\n[Language]\nCurrent=English\n");
    EXPECT_EQ(ini.readString("Language", "Current", Missing), "English");
}

TEST_F(IniFileTest, WriteKeepsEveryOtherByteOfTheFile) {
    std::filesystem::path path = folder_ / "Spanish.ini";
    std::string before = "\xEF\xBB\xBF; language file\r\n[Main]\r\nTitle = Consola \r\n"
                         "\r\n[Menu]\r\nFile=Archivo\r\nEdit=Edici\xC3\xB3n";
    putFileText(path, before);
    IniFile ini(path.string());
    EXPECT_EQ(ini.readString("Menu", "Edit", Missing), "Edici\xC3\xB3n");
    ini.writeString("main", "title ", " Voltrane ");
    EXPECT_EQ(fileText(path), "\xEF\xBB\xBF; language file\r\n[Main]\r\nTitle = \" Voltrane \"\r\n"
                              "\r\n[Menu]\r\nFile=Archivo\r\nEdit=Edici\xC3\xB3n");
    ini.writeString("Menu", "View", "Visualizaci\xC3\xB3n");
    EXPECT_EQ(fileText(path), "\xEF\xBB\xBF; language file\r\n[Main]\r\nTitle = \" Voltrane \"\r\n"
                              "\r\n[Menu]\r\nFile=Archivo\r\nEdit=Edici\xC3\xB3n\r\n"
                              "View=Visualizaci\xC3\xB3n\r\n");
    EXPECT_EQ(ini.readString("Main", "Title", Missing), " Voltrane ");
}

TEST_F(IniFileTest, WriteKeepsWhatAnotherWriterChangedMeanwhile) {
    std::filesystem::path path = folder_ / "SysSet.ini";
    putFileText(path, "[Display]\nVoltage_Waveform=1\n");
    IniFile ini(path.string());
    putFileText(path, "[Display]\nVoltage_Waveform=1\nCurrent_Waveform=0\n");
    ini.writeString("Display", "Voltage_Waveform", "0");
    EXPECT_EQ(fileText(path), "[Display]\nVoltage_Waveform=0\nCurrent_Waveform=0\n");
    EXPECT_EQ(ini.readString("Display", "Current_Waveform", Missing), "0");
}

TEST_F(IniFileTest, FailedWriteThrowsAndKeepsTheOldFileAndValues) {
    std::filesystem::path settings = folder_ / "settings";
    std::filesystem::create_directory(settings);
    putFileText(settings / "SysSet.ini", SysSet);
    IniFile ini((settings / "SysSet.ini").string());
    std::filesystem::rename(settings, folder_ / "moved"); // the file's folder is gone

    EXPECT_THROW(ini.writeString("Display", "Voltage_Waveform", "0"), FileError);
    EXPECT_EQ(ini.readString("Display", "Voltage_Waveform", Missing), "1");
    EXPECT_EQ(fileText(folder_ / "moved" / "SysSet.ini"), SysSet);
}

// A folder stands in for an unreadable file, as permission bits do not stop root. The write
// must give up on the read, not take the file as empty and go on to replace it.
TEST_F(IniFileTest, UnreadableFileReadsEmptyAndIsNotReplaced) {
    std::filesystem::path path = folder_ / "SysSet.ini";
    std::filesystem::create_directory(path);
    putFileText(path / "inside", "kept");
    IniFile ini(path.string());
    EXPECT_EQ(ini.readString("Display", "Voltage_Waveform", Missing), Missing);
    EXPECT_THAT([&] { ini.writeString("Display", "Voltage_Waveform", "0"); },
                testing::ThrowsMessage<FileError>(testing::HasSubstr("Cannot read")));
    EXPECT_EQ(fileText(path / "inside"), "kept");
}

} // namespace
