#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The console's texts in the user's language: which language file to load, the captions it
// replaces on the forms, the tool-tip hints of the ribbon buttons, and the two tables of
// message texts (`dString`) and hint texts (`hString`) the rest of the console shows.

enum class Language { SimplifiedChinese = 0, TraditionalChinese = 1, English = 2 };

// `Language`/`Language` in SysSet.ini: 0-2 name a language, 3 follows the system.
constexpr std::int32_t AutomaticLanguage = 3;

// System language identifiers the automatic choice tells apart.
constexpr int ChineseChinaLanguageId = 2052;
constexpr int ChineseTaiwanLanguageId = 1028;
constexpr int ChineseHongKongLanguageId = 3076;
constexpr int OtherLanguageId = 0; // any language but the three above

// The identifier of a locale name such as "zh_CN" or "en_US" (language_territory).
int systemLanguageId(std::string_view localeName);

// The language of a stored `Language` value on a system with the given identifier. A value
// outside 0-3 (a hand-edited file) gives English, as a missing key does.
Language resolveLanguage(std::int32_t storedLanguage, int systemLanguageIdentifier);

// "Language_CN.ini", "Language_TW.ini" or "Language_EN.ini".
std::string_view languageFileName(Language language);

// The forms whose captions come from the language file.
enum class CaptionForm { Form1, Frame_Options, Frame_Instrument_Options };

// One caption: the component `objectName` of `form` shows the text of `key` in `section`
// followed by `suffix`. Some keys end in blanks; the INI store trims names on both sides,
// so a file line matches whether or not it repeats those blanks.
struct CaptionKey {
    CaptionForm form;
    std::string_view objectName;
    std::string_view section;
    std::string_view key;
    std::string_view suffix; // "", " " or "  "
};

// Every caption the language file replaces, main window first, then the software settings
// page, then the instrument settings page.
std::span<const CaptionKey> captionKeys();

// A ribbon button and the entry of `hString` that is its tool-tip hint.
struct HintButton {
    std::string_view objectName;
    std::size_t hintIndex;
};

std::span<const HintButton> hintButtons();

constexpr std::size_t LanguageTableSize = 51;
constexpr std::size_t DialogTextCount = 32; // keys D0..D31 of section Dialog
constexpr std::size_t HintTextCount = 16;   // keys Hint0..Hint15 of section Hint

// What a missing file, section or key reads as.
constexpr std::string_view MissingLanguageText = "2";

struct Caption {
    CaptionForm form;
    std::string_view objectName;
    std::string text; // with its suffix
};

// The texts of one language file. Table entries hold the file's text and two blanks; the
// entries past the keys stay empty.
struct LanguageTexts {
    std::array<std::string, LanguageTableSize> dString;
    std::array<std::string, LanguageTableSize> hString;
    std::vector<Caption> captions; // in the order of captionKeys()
};

// Reads the file of `language` in `folder`; never fails (see MissingLanguageText).
LanguageTexts loadLanguageTexts(const std::string& folder, Language language);
