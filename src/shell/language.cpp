#include "shell/language.h"

#include <filesystem>
#include <iterator>

#include "shell/ini_store.h"

namespace {

constexpr std::string_view NoSuffix = "";
constexpr std::string_view OneBlank = " ";
constexpr std::string_view TwoBlanks = "  ";

constexpr CaptionForm Main = CaptionForm::Form1;
constexpr CaptionForm Options = CaptionForm::Frame_Options;
constexpr CaptionForm Instrument = CaptionForm::Frame_Instrument_Options;

constexpr CaptionKey CaptionKeys[] = {
    {Main, "sTabSheet6", "Menu", "HELP", NoSuffix},
    {Main, "sTabSheet1", "Menu", "Options", NoSuffix},
    {Main, "sTabSheet2", "Menu", "Measure", NoSuffix},
    {Main, "sTabSheet3", "Menu", "Record", NoSuffix},
    {Main, "sSpeedButton15", "HELP", "About", NoSuffix},
    {Main, "sSpeedButton1", "Options", "Instrument", NoSuffix},
    {Main, "sSpeedButton2", "Options", "Applications", NoSuffix},
    {Main, "sSpeedButton7", "Measure", "Clear_Integral", NoSuffix},
    {Main, "sSpeedButton9", "Measure", "Run_Integral", NoSuffix},
    {Main, "sSpeedButton23", "Measure", "Stop_Integral", NoSuffix},
    {Main, "sSpeedButton6", "Measure", "Single_Test", NoSuffix},
    {Main, "sSpeedButton4", "Measure", "Continuous_Test", NoSuffix},
    {Main, "sSpeedButton8", "Measure", "Stop_Test", NoSuffix},
    {Main, "sSpeedButton24", "Record", "Run_Record", NoSuffix},
    {Main, "sSpeedButton25", "Record", "Stop_Record", NoSuffix},
    {Main, "sLabel4", "Record", "Voltege_Range", NoSuffix},
    {Main, "sLabel5", "Record", "Current_Range", NoSuffix},
    {Main, "sLabel1", "Record", "Sampling_Rate", NoSuffix},
    {Main, "sLabel3", "Record", "Record_Rength", NoSuffix},

    {Options, "sLabel2", "Options", "Communication_Settings", TwoBlanks},
    {Options, "sLabel3", "Options", "Baudrate", OneBlank},
    {Options, "sLabel8", "Options", "Port", NoSuffix},
    {Options, "sLabel1", "Options", "Slave_Address", NoSuffix},
    {Options, "sButton1", "Options", "Rescan_Communication_Port", NoSuffix},
    {Options, "sLabel5", "Options", "Display_Settings", TwoBlanks},
    {Options, "sLabel6", "Options", "Drawing_Color", TwoBlanks},
    {Options, "sColorSelect3", "Options", "Voltage_Waveform ", TwoBlanks},
    {Options, "sColorSelect4", "Options", "Current_Waveform", TwoBlanks},
    {Options, "sColorSelect5", "Options", "Power_Waveform", TwoBlanks},
    {Options, "sColorSelect1", "Options", "Background_Color", TwoBlanks},
    {Options, "sColorSelect2", "Options", "Scale_Color", TwoBlanks},
    {Options, "sLabel10", "Options", "Waveform_Nib_Widths", TwoBlanks},
    {Options, "sLabel7", "Options", "Skin_Theme ", TwoBlanks},
    {Options, "sLabel9", "Options", "Power_waveform_display ", TwoBlanks},
    {Options, "sCheckBox2", "Options", "ON", TwoBlanks},
    {Options, "sLabel11", "Options", "Print_Settings", TwoBlanks},
    {Options, "sLabel12", "Options", "Project_Name", TwoBlanks},
    {Options, "sLabel13", "Options", "Measurement_Organization", TwoBlanks},
    {Options, "sLabel14", "Options", "Operator", TwoBlanks},
    {Options, "sLabel15", "Options", "Date", TwoBlanks},
    {Options, "sButton3", "Options", "Default", NoSuffix},
    {Options, "sButton2", "Options", "Save_and_update", NoSuffix},

    {Instrument, "sLabel2", "Options", "External_transformer_settings", TwoBlanks},
    {Instrument, "sLabel25", "Options", "CT_phase_shift ", TwoBlanks},
    {Instrument, "sLabel8", "Options", "Reference_frequency", TwoBlanks},
    {Instrument, "sLabel26", "Options", "CT_Ratio", TwoBlanks},
    {Instrument, "sLabel30", "Options", "PT_Ratio", TwoBlanks},
    {Instrument, "sLabel6", "Options", "Sampling_Settings", TwoBlanks},
    {Instrument, "sLabel22", "Options", "Trigger", TwoBlanks},
    {Instrument, "sLabel5", "Options", "Crossover_filter_time", TwoBlanks},
    {Instrument, "sLabel20", "Options", "Range_mode", TwoBlanks},
    {Instrument, "sLabel21", "Options", "Voltage_range", TwoBlanks},
    {Instrument, "sLabel23", "Options", "Current_range", TwoBlanks},
    {Instrument, "sLabel10", "Options", "Calculation_settings", TwoBlanks},
    {Instrument, "sLabel7", "Options", "THD_Calculation", TwoBlanks},
    {Instrument, "sLabel9", "Options", "Shift_filter", TwoBlanks},
    {Instrument, "sLabel19", "Options", "FtSlopeSwitch", TwoBlanks},
    {Instrument, "sLabel4", "Options", "Integral_stop_time", TwoBlanks},
    {Instrument, "sLabel16", "Options", "Zero_Continuous_integration", TwoBlanks},
    {Instrument, "sLabel11", "Options", "Instrument_communication_settings", TwoBlanks},
    {Instrument, "sLabel14", "Options", "Baudrate", TwoBlanks},
    {Instrument, "sLabel12", "Options", "Slave_Address", TwoBlanks},
    {Instrument, "sLabel13", "Options", "This_setting_can_only_mount_a_single_instrument_on_BUS",
     TwoBlanks},
    {Instrument, "sButton9", "Options", "Write", TwoBlanks},
    {Instrument, "sButton10", "Options", "Scan_Slave_Settings", TwoBlanks},
    {Instrument, "sLabel1", "Options", "Current_Slave_BaudRate", TwoBlanks},
    {Instrument, "sLabel3", "Options", "Current_slave_address", TwoBlanks},
    {Instrument, "sLabel42", "Options", "Status_Not_synchronized_with_the_instrument", TwoBlanks},
    {Instrument, "sButton3", "Options", "Default", TwoBlanks},
    {Instrument, "sButton1", "Options", "Read_from_instrument", TwoBlanks},
    {Instrument, "sButton2", "Options", "Saved_to_instrument  ", TwoBlanks},
};

// Entry 10 has no button, entry 15 is a status text.
constexpr HintButton HintButtons[] = {
    {"sSpeedButton22", 0},  {"sSpeedButton10", 0},  {"sSpeedButton21", 1},  {"sSpeedButton11", 1},
    {"sSpeedButton20", 2},  {"sSpeedButton16", 2},  {"sSpeedButton19", 3},  {"sSpeedButton18", 3},
    {"sSpeedButton7", 4},   {"sSpeedButton9", 5},   {"sSpeedButton23", 6},  {"sSpeedButton6", 7},
    {"sSpeedButton4", 8},   {"sSpeedButton8", 9},   {"sSpeedButton24", 11}, {"sSpeedButton25", 12},
    {"sSpeedButton26", 13}, {"sSpeedButton17", 14},
};

constexpr std::string_view TableEntryEnd = "  ";

// Entries 0..count-1 of a table read from keys `prefix`0, `prefix`1, ... of `section`.
std::array<std::string, LanguageTableSize> readTable(const IniFile& file, std::string_view section,
                                                     std::string_view prefix, std::size_t count) {
    std::array<std::string, LanguageTableSize> table;
    for (std::size_t i = 0; i < count; ++i) {
        std::string key = std::string(prefix) + std::to_string(i);
        table[i] = file.readString(section, key, MissingLanguageText) + std::string(TableEntryEnd);
    }
    return table;
}

std::vector<Caption> readCaptions(const IniFile& file) {
    std::vector<Caption> captions;
    captions.reserve(std::size(CaptionKeys));
    for (const CaptionKey& caption : CaptionKeys) {
        std::string text = file.readString(caption.section, caption.key, MissingLanguageText);
        captions.push_back({caption.form, caption.objectName, text + std::string(caption.suffix)});
    }
    return captions;
}

Language languageOfSystem(int systemLanguageIdentifier) {
    switch (systemLanguageIdentifier) {
    case ChineseChinaLanguageId:
        return Language::SimplifiedChinese;
    case ChineseTaiwanLanguageId:
    case ChineseHongKongLanguageId:
        return Language::TraditionalChinese;
    default:
        return Language::English;
    }
}

} // namespace

int systemLanguageId(std::string_view localeName) {
    if (localeName == "zh_CN")
        return ChineseChinaLanguageId;
    if (localeName == "zh_TW")
        return ChineseTaiwanLanguageId;
    if (localeName == "zh_HK")
        return ChineseHongKongLanguageId;
    return OtherLanguageId;
}

Language resolveLanguage(std::int32_t storedLanguage, int systemLanguageIdentifier) {
    switch (storedLanguage) {
    case 0:
        return Language::SimplifiedChinese;
    case 1:
        return Language::TraditionalChinese;
    case AutomaticLanguage:
        return languageOfSystem(systemLanguageIdentifier);
    default: // 2, and English for a value outside 0-3
        return Language::English;
    }
}

std::string_view languageFileName(Language language) {
    switch (language) {
    case Language::SimplifiedChinese:
        return "Language_CN.ini";
    case Language::TraditionalChinese:
        return "Language_TW.ini";
    case Language::English:
        break;
    }
    return "Language_EN.ini";
}

std::span<const CaptionKey> captionKeys() {
    return CaptionKeys;
}

std::span<const HintButton> hintButtons() {
    return HintButtons;
}

LanguageTexts loadLanguageTexts(const std::string& folder, Language language) {
    IniFile file((std::filesystem::path(folder) / languageFileName(language)).string());
    return {readTable(file, "Dialog", "D", DialogTextCount),
            readTable(file, "Hint", "Hint", HintTextCount), readCaptions(file)};
}
