#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "shell/ini_store.h"
#include "shell/language.h"

namespace {

namespace fs = std::filesystem;

constexpr Language Languages[] = {Language::SimplifiedChinese, Language::TraditionalChinese,
                                  Language::English};

const std::string Absent = "<absent>";

// "Language_CN" and so on, as test names.
std::string fileStem(const testing::TestParamInfo<Language>& info) {
    std::string_view name = languageFileName(info.param);
    return std::string(name.substr(0, name.find('.')));
}

std::string keyOf(std::string_view prefix, std::size_t index) {
    return std::string(prefix) + std::to_string(index);
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// --- the shipped files ---

class ShippedLanguageFile : public testing::TestWithParam<Language> {
protected:
    // Checks that the key is there with a text of the file's language.
    void expectText(std::string_view section, std::string_view key) {
        std::string text = file_.readString(section, key, Absent);
        SCOPED_TRACE(std::string(section) + "/" + std::string(key) + " = \"" + text + "\"");
        EXPECT_NE(text, Absent);
        EXPECT_FALSE(text.empty());
        EXPECT_NE(text, MissingLanguageText);
        // An English text left in a Chinese file, or the other way round.
        EXPECT_EQ(isAscii(text), GetParam() == Language::English);
    }

    IniFile file_{
        (fs::path(VOLTRANE_LANGUAGE_SOURCE_FOLDER) / languageFileName(GetParam())).string()};
};

TEST_P(ShippedLanguageFile, HoldsEveryDialogAndHintText) {
    for (std::size_t i = 0; i < DialogTextCount; ++i)
        expectText("Dialog", keyOf("D", i));
    for (std::size_t i = 0; i < HintTextCount; ++i)
        expectText("Hint", keyOf("Hint", i));
}

TEST_P(ShippedLanguageFile, HoldsEveryCaption) {
    for (const CaptionKey& caption : captionKeys())
        expectText(caption.section, caption.key);
}

// The port list marks the instrument's USB port with this text, and the settings page tells
// such a port by the capitals "USB" in it.
TEST_P(ShippedLanguageFile, UsbPortMarkerContainsUsb) {
    EXPECT_THAT(file_.readString("Dialog", "D22", Absent), testing::HasSubstr("USB"));
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageFile, testing::ValuesIn(Languages), fileStem);

// --- loading a file ---

class LanguageLoading : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "voltrane-language-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    void putFile(Language language, const std::string& text) {
        std::ofstream(folder_ / languageFileName(language), std::ios::binary) << text;
    }

    LanguageTexts load(Language language) const {
        return loadLanguageTexts(folder_.string(), language);
    }

    fs::path folder_;
};

std::string captionOf(const LanguageTexts& texts, CaptionForm form, std::string_view objectName) {
    auto found = std::find_if(texts.captions.begin(), texts.captions.end(), [&](const Caption& c) {
        return c.form == form && c.objectName == objectName;
    });
    return found == texts.captions.end() ? Absent : found->text;
}

TEST_F(LanguageLoading, MissingFileShowsTwoWithTheBlanksOfEachEntry) {
    LanguageTexts texts = load(Language::English);

    for (std::size_t i = 0; i < LanguageTableSize; ++i) {
        EXPECT_EQ(texts.dString[i], i < DialogTextCount ? "2  " : "") << "dString " << i;
        EXPECT_EQ(texts.hString[i], i < HintTextCount ? "2  " : "") << "hString " << i;
    }
    std::span<const CaptionKey> keys = captionKeys();
    ASSERT_EQ(texts.captions.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(texts.captions[i].form, keys[i].form) << i;
        EXPECT_EQ(texts.captions[i].objectName, keys[i].objectName) << i;
        EXPECT_EQ(texts.captions[i].text, "2" + std::string(keys[i].suffix)) << keys[i].key;
    }
}

TEST_F(LanguageLoading, ReadsTheFileOfTheChosenLanguage) {
    for (Language language : Languages)
        putFile(language, "[Dialog]\nD0=" + std::string(languageFileName(language)) + "\n");

    for (Language language : Languages)
        EXPECT_EQ(load(language).dString[0], std::string(languageFileName(language)) + "  ");
}

TEST_F(LanguageLoading, TableEntriesAreTheTextAndTwoBlanks) {
    putFile(Language::English, "[Dialog]\nD0=First\nD31 = Last message \nD32=Beyond\n"
                               "[Hint]\nHint0=Open\nHint15=Done\nHint16=Beyond\n");
    LanguageTexts texts = load(Language::English);

    EXPECT_EQ(texts.dString[0], "First  ");
    EXPECT_EQ(texts.dString[1], "2  ");
    EXPECT_EQ(texts.dString[31], "Last message  ");
    EXPECT_EQ(texts.dString[32], "");
    EXPECT_EQ(texts.hString[0], "Open  ");
    EXPECT_EQ(texts.hString[15], "Done  ");
    EXPECT_EQ(texts.hString[16], "");
}

struct CaptionCase {
    const char* what;
    const char* fileText;
    CaptionForm form;
    const char* objectName;
    const char* expected;
};

void PrintTo(const CaptionCase& c, std::ostream* out) {
    *out << c.what;
}

class LanguageCaption : public LanguageLoading, public testing::WithParamInterface<CaptionCase> {};

TEST_P(LanguageCaption, TakesTheTextOfItsKeyAndItsSuffix) {
    const CaptionCase& c = GetParam();
    putFile(Language::English, c.fileText);
    EXPECT_EQ(captionOf(load(Language::English), c.form, c.objectName), c.expected) << c.what;
}

constexpr CaptionForm Main = CaptionForm::Form1;
constexpr CaptionForm Options = CaptionForm::Frame_Options;
constexpr CaptionForm Instrument = CaptionForm::Frame_Instrument_Options;

INSTANTIATE_TEST_SUITE_P(
    Captions, LanguageCaption,
    testing::Values(
        CaptionCase{"no suffix", "[Record]\nSampling_Rate=Rate\n", Main, "sLabel1", "Rate"},
        CaptionCase{"one blank", "[Options]\nBaudrate=Baud\n", Options, "sLabel3", "Baud "},
        CaptionCase{"two blanks", "[Options]\nOperator=Op\n", Options, "sLabel14", "Op  "},
        CaptionCase{"shared key, other page's suffix", "[Options]\nBaudrate=Baud\n", Instrument,
                    "sLabel14", "Baud  "},
        CaptionCase{"missing key", "[Record]\nSampling_Rate=Rate\n", Main, "sLabel3", "2"},
        CaptionCase{"the key's own spelling counts", "[Record]\nVoltage_Range=Volts\n", Main,
                    "sLabel4", "2"},
        CaptionCase{"the key's own spelling", "[Record]\nVoltege_Range=Volts\n", Main, "sLabel4",
                    "Volts"},
        CaptionCase{"same key in another section", "[Menu]\nRecord_Rength=Length\n", Main,
                    "sLabel3", "2"},
        CaptionCase{"trailing blank kept in the file", "[Options]\nVoltage_Waveform =U\n", Options,
                    "sColorSelect3", "U  "},
        CaptionCase{"trailing blank left out in the file", "[Options]\nVoltage_Waveform=U\n",
                    Options, "sColorSelect3", "U  "},
        CaptionCase{"two trailing blanks kept in the file", "[Options]\nSaved_to_instrument  =S\n",
                    Instrument, "sButton2", "S  "},
        CaptionCase{"two trailing blanks left out in the file",
                    "[Options]\nSaved_to_instrument=S\n", Instrument, "sButton2", "S  "}));

// --- choosing the file ---

struct ResolveCase {
    std::int32_t stored;
    int systemId;
    Language expected;
};

void PrintTo(const ResolveCase& c, std::ostream* out) {
    *out << "stored " << c.stored << " on system " << c.systemId;
}

class LanguageResolution : public testing::TestWithParam<ResolveCase> {};

TEST_P(LanguageResolution, PicksTheLanguage) {
    const ResolveCase& c = GetParam();
    EXPECT_EQ(resolveLanguage(c.stored, c.systemId), c.expected);
}

INSTANTIATE_TEST_SUITE_P(StoredLanguages, LanguageResolution,
                         testing::Values(ResolveCase{0, 1033, Language::SimplifiedChinese},
                                         ResolveCase{1, 2052, Language::TraditionalChinese},
                                         ResolveCase{2, 2052, Language::English},
                                         ResolveCase{3, 2052, Language::SimplifiedChinese},
                                         ResolveCase{3, 1028, Language::TraditionalChinese},
                                         ResolveCase{3, 3076, Language::TraditionalChinese},
                                         ResolveCase{3, 1033, Language::English},
                                         ResolveCase{3, OtherLanguageId, Language::English}));

// Values a hand-edited SysSet.ini may hold: English, as for a missing key.
INSTANTIATE_TEST_SUITE_P(OutOfRange, LanguageResolution,
                         testing::Values(ResolveCase{4, 2052, Language::English},
                                         ResolveCase{-1, 2052, Language::English},
                                         ResolveCase{INT32_MAX, 1028, Language::English},
                                         ResolveCase{INT32_MIN, 1028, Language::English}));

TEST(SystemLanguageId, ChineseLocalesHaveTheirIdentifiers) {
    EXPECT_EQ(systemLanguageId("zh_CN"), 2052);
    EXPECT_EQ(systemLanguageId("zh_TW"), 1028);
    EXPECT_EQ(systemLanguageId("zh_HK"), 3076);
}

struct LocaleCase {
    const char* name;
    Language expected;
};

void PrintTo(const LocaleCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class AutomaticLanguageChoice : public testing::TestWithParam<LocaleCase> {};

TEST_P(AutomaticLanguageChoice, FollowsTheSystemLocale) {
    EXPECT_EQ(resolveLanguage(AutomaticLanguage, systemLanguageId(GetParam().name)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Locales, AutomaticLanguageChoice,
                         testing::Values(LocaleCase{"zh_CN", Language::SimplifiedChinese},
                                         LocaleCase{"zh_TW", Language::TraditionalChinese},
                                         LocaleCase{"zh_HK", Language::TraditionalChinese},
                                         LocaleCase{"zh_SG", Language::English},
                                         LocaleCase{"en_US", Language::English},
                                         LocaleCase{"de_DE", Language::English},
                                         LocaleCase{"C", Language::English},
                                         LocaleCase{"", Language::English}));

// --- the tables ---

TEST(CaptionTable, NamesEachComponentOfAFormOnce) {
    std::set<std::pair<CaptionForm, std::string_view>> seen;
    for (const CaptionKey& caption : captionKeys()) {
        EXPECT_TRUE(seen.insert({caption.form, caption.objectName}).second) << caption.objectName;
        EXPECT_THAT(caption.suffix, testing::AnyOf("", " ", "  ")) << caption.key;
    }
}

TEST(HintTable, NamesEachButtonOnceWithAHintEntry) {
    std::set<std::string_view> seen;
    for (const HintButton& button : hintButtons()) {
        EXPECT_TRUE(seen.insert(button.objectName).second) << button.objectName;
        EXPECT_LT(button.hintIndex, HintTextCount) << button.objectName;
    }
}

} // namespace
