#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>

#include <cstring>

#include "files/measurement_file.h"
#include "instrument/frame_instrument_options.h"
#include "record/frame_record.h"
#include "record/record_file.h"
#include "shell/color_select.h"
#include "shell/console_fixture.h"
#include "shell/date_time_text.h"
#include "shell/frame_about.h"
#include "shell/frame_options.h"
#include "shell/frame_test.h"

namespace {

// Which of the five frames shows (none: empty).
std::string shownFrame(const TForm1& form) {
    std::string shown;
    const std::pair<const QWidget*, const char*> frames[] = {
        {form.Frame_Test1, "test"},
        {form.Frame_About1, "about"},
        {form.Frame_Options, "options"},
        {form.Frame_Instrument_Options, "instrument"},
        {form.Frame_Record1, "record"}};
    for (const auto& [frame, name] : frames)
        if (!frame->isHidden())
            shown += shown.empty() ? name : std::string("+") + name;
    return shown;
}

QString captionOf(const LanguageTexts& texts, CaptionForm form, std::string_view name) {
    for (const Caption& caption : texts.captions)
        if (caption.form == form && caption.objectName == name)
            return QString::fromStdString(caption.text);
    ADD_FAILURE() << "no caption for " << name;
    return {};
}

class MainWindowTest : public ConsoleFixture {};

TEST_F(MainWindowTest, StartsOnTheMeasurePageWithTheStartTimeAndNoPort) {
    writeSettings("[Devices]\nCOM9=/nonexistent/tty\n[CommPort]\nPort=9\n");
    TForm1& form = start();
    EXPECT_EQ(form.ui.sPageControl2->currentIndex(), 2);
    EXPECT_EQ(shownFrame(form), "test");
    EXPECT_TRUE(runUntil([&] { return form.statusText(2).startsWith("Test Time: "); }));
    EXPECT_EQ(form.statusText(2), "Test Time: " + dateTimeText(form.Sampling_Data.TestTime));
    EXPECT_FALSE(form.ui.sSpeedButton4->isEnabled());
    EXPECT_FALSE(form.ui.sSpeedButton6->isEnabled());
    EXPECT_FALSE(form.ui.sSpeedButton24->isEnabled());
    EXPECT_EQ(form.statusText(0), form.dString[27]);
    EXPECT_EQ(shownContaining(form.dString[23] + "\n\n" + QString(15, ' ') + form.dString[24]), 1u);
}

TEST_F(MainWindowTest, TheOptionsPageRemembersItsFrame) {
    TForm1& form = start();
    form.ui.sPageControl2->setCurrentIndex(1);
    EXPECT_EQ(shownFrame(form), "instrument");
    form.ui.sSpeedButton2->click();
    EXPECT_EQ(shownFrame(form), "options");
    form.ui.sPageControl2->setCurrentIndex(2);
    EXPECT_EQ(shownFrame(form), "test");
    EXPECT_EQ(form.DisplayControl.First_level_menu, 2);
    form.ui.sPageControl2->setCurrentIndex(1);
    EXPECT_EQ(shownFrame(form), "options");
    form.ui.sSpeedButton1->click();
    EXPECT_EQ(shownFrame(form), "instrument");
    form.ui.sPageControl2->setCurrentIndex(0);
    EXPECT_EQ(shownFrame(form), "about");
    form.ui.sPageControl2->setCurrentIndex(3);
    EXPECT_EQ(shownFrame(form), "record");
}

TEST_F(MainWindowTest, ConciseDisplayShrinksTheWindowAndHidesThePanels) {
    TForm1& form = start();
    form.sCheckBox1->setChecked(true);
    form.sCheckBox1Click();
    EXPECT_EQ(form.size(), QSize(500, 350));
    EXPECT_TRUE(form.Frame_Test1->ui.sPanel1->isHidden());
    EXPECT_TRUE(form.Frame_Test1->ui.sPanel2->isHidden());
    EXPECT_TRUE(form.Frame_Test1->ui.sPanel3->isHidden());

    form.sCheckBox1->setChecked(false);
    form.sCheckBox1Click();
    EXPECT_EQ(form.size(), QSize(1024, 768));
    runFor(50);
    const auto& frame = form.Frame_Test1->ui;
    const int W = form.ui.sPanel6->width();
    const int H = form.ui.sPanel6->height();
    EXPECT_EQ(frame.sPanel1->geometry(), QRect(3, 4, W / 2 - 8, H / 2 - 8));
    EXPECT_EQ(frame.sPanel3->geometry(), QRect(W / 2 + 2, 4, W / 2 - 8, H / 2 - 8));
    EXPECT_EQ(frame.sPanel2->geometry(), QRect(3, H / 2 + 2, W - 10, H / 2 - 8));
    EXPECT_FALSE(frame.sPanel1->isHidden());
    EXPECT_EQ(form.sCheckBox1->pos(), QPoint(form.width() - 90, 5));
}

TEST_F(MainWindowTest, TheHarmonicViewSelectorFollowsTheClickZones) {
    TForm1& form = start();
    PaintBox* box = form.Frame_Test1->ui.PaintBox2;
    box->resize(1000, 300); // w = 970, h = 24
    struct Click {
        Qt::MouseButton button;
        int x, y, page;
    };
    const Click clicks[] = {{Qt::LeftButton, 600, 10, 0},  {Qt::LeftButton, 630, 10, 0},
                            {Qt::LeftButton, 631, 10, 1},  {Qt::LeftButton, 750, 10, 2},
                            {Qt::LeftButton, 870, 10, 3},  {Qt::LeftButton, 800, 24, 3},
                            {Qt::RightButton, 600, 10, 3}, {Qt::LeftButton, 514, 10, 3}};
    for (const Click& click : clicks) {
        form.Timer_UpdataDisplay.SetEnabled(false);
        form.Frame_Test1->PaintBox2MouseDown(click.button, click.x, click.y);
        EXPECT_EQ(form.DisplayControl.Display_THD_Index, click.page) << click.x << "," << click.y;
        EXPECT_EQ(form.Timer_UpdataDisplay.Enabled(), click.button == Qt::LeftButton)
            << click.x << "," << click.y;
    }
}

struct StartFileCase {
    const char* name;
    const char* fileName;
    bool quoted;
    enum Content { Measurement, Record, Short, Missing } content;
    int page;
    bool errorShown;
};

class StartFileTest : public ConsoleFixture, public testing::WithParamInterface<StartFileCase> {};

TEST_P(StartFileTest, OpensWhatTheExtensionNames) {
    const StartFileCase& c = GetParam();
    const std::string path = (folder / c.fileName).string();
    SamplingDataType measurement{};
    measurement.U_rms = 123.5f;
    auto record = std::make_unique<RecordFileType>();
    record->RecordData.Total_Record_quantity = 4096;
    record->RecordData.Sampling_Rate = 1.0f / 800;
    record->RecordData.Point_Start = 100;
    record->RecordData.U1_Sampling[7] = 77;
    if (c.content == StartFileCase::Measurement)
        writeMeasurementFile(path, measurement);
    else if (c.content == StartFileCase::Record)
        writeRecordFile(path, *record);
    else if (c.content == StartFileCase::Short)
        std::ofstream(path) << "short";

    TForm1& form = start({c.quoted ? '"' + path + '"' : path});
    EXPECT_EQ(form.ui.sPageControl2->currentIndex(), c.page);
    std::size_t errors = 0;
    for (const ShownDialog& dialog : dialogs.shown())
        errors += dialog.kind == DialogKind::Critical;
    EXPECT_EQ(errors, c.errorShown ? 1u : 0u);
    const bool measurementRead = std::string_view(c.fileName).ends_with(".VTM");
    EXPECT_EQ(form.Sampling_Data.U_rms, measurementRead ? 123.5f : 0.0f);
    if (c.page == 3) {
        EXPECT_EQ(shownFrame(form), "record");
        EXPECT_EQ(form.RecordData->U1_Sampling[7], 77);
        EXPECT_EQ(form.statusText(3), "Total Sampling Points: 4096");
        EXPECT_EQ(form.statusText(4), "Sampling Rate: 800SPS");
        EXPECT_EQ(form.Frame_Record1->ui.sScrollBar1->maximum(), 4096);
        EXPECT_EQ(form.Frame_Record1->ui.sScrollBar1->value(), 100);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, StartFileTest,
    testing::Values(StartFileCase{"QuotedMeasurementInCapitals", "Probe.VTM", true,
                                  StartFileCase::Measurement, 2, false},
                    StartFileCase{"Record", "take.vtr", false, StartFileCase::Record, 3, false},
                    StartFileCase{"OtherExtension", "values.csv", false, StartFileCase::Measurement,
                                  2, false},
                    StartFileCase{"TooShort", "cut.vtm", false, StartFileCase::Short, 2, true},
                    StartFileCase{"Missing", "gone.vtr", false, StartFileCase::Missing, 2, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(MainWindowTest, AFolderNamedOnTheCommandLineIsReportedNotOpened) {
    std::filesystem::create_directory(folder / "folder.vtm");
    TForm1& form = start({(folder / "folder.vtm").string()});
    EXPECT_EQ(form.ui.sPageControl2->currentIndex(), 2);
    EXPECT_EQ(dialogs.shown().back().kind, DialogKind::Critical);
}

TEST_F(MainWindowTest, WithoutSettingsFileTheKeyDefaultsApply) {
    TForm1& form = start();
    const auto& page = form.Frame_Options->ui;
    EXPECT_EQ(page.sComboBox1->currentIndex(), 2);
    EXPECT_EQ(form.Link.CommPortNumber, 2);
    EXPECT_EQ(page.sEdit1->text(), "1");
    EXPECT_EQ(form.Link.InstrumentAddress, 1);
    EXPECT_EQ(page.sComboBox3->currentIndex(), 2);
    EXPECT_EQ(form.DisplayControl.PenWidth, 3);
    EXPECT_EQ(page.sComboBox4->currentIndex(), 2);
    EXPECT_FALSE(page.sCheckBox2->isChecked());
    EXPECT_FALSE(form.DisplayControl.PowerDisplay_Display);
    for (const QLineEdit* field : {page.sEdit2, page.sEdit3, page.sEdit4})
        EXPECT_EQ(field->text(), "2");
    EXPECT_EQ(page.sEdit5->text(), todayText());
    EXPECT_EQ(form.DisplayControl.BackgroundColor, 2u);
}

TEST_F(MainWindowTest, GarbageInTheSettingsFileFallsBackToTheDefaults) {
    writeSettings("no section here\n[CommBaudrate]\nBaudrate=fast\n[CommAddress]\nAddress=300\n"
                  "[Theme]\nSkinIndex=999\n[Pen]\nWidth=-4\n[Language]\nLanguage=17\n"
                  "=\n[[broken\n[WaveColor]\nBackground=blue\n");
    TForm1& form = start();
    EXPECT_EQ(form.Frame_Options->ui.sComboBox1->currentIndex(), 2);
    EXPECT_EQ(form.Link.InstrumentAddress, 1);
    EXPECT_EQ(form.Frame_Options->ui.sComboBox2->currentIndex(), -1);
    EXPECT_EQ(form.Frame_Options->ui.sComboBox3->currentIndex(), -1);
    EXPECT_EQ(form.DisplayControl.BackgroundColor, 2u);
    EXPECT_EQ(form.ui.sSpeedButton4->text(),
              captionOf(shippedTexts(Language::English), CaptionForm::Form1, "sSpeedButton4"));
}

TEST_F(MainWindowTest, RestoreDefaultsThenSaveStoresTheDefaultFigures) {
    TForm1& form = start();
    form.Frame_Options->ui.sButton3->click();
    form.Frame_Options->ui.sButton2->click();
    const IniFile file = settings();
    EXPECT_EQ(file.readInteger("WaveColor", "Background", 0), 66048);
    EXPECT_EQ(file.readInteger("WaveColor", "Scale", 0), 12632256);
    EXPECT_EQ(file.readInteger("WaveColor", "Voltage", 0), 32768);
    EXPECT_EQ(file.readInteger("WaveColor", "Current", 0), 255);
    EXPECT_EQ(file.readInteger("WaveColor", "Power", 0), 8421376);
    EXPECT_EQ(file.readInteger("Theme", "SkinIndex", 0), 19);
    EXPECT_EQ(file.readInteger("CommBaudrate", "Baudrate", 0), 7);
    EXPECT_EQ(file.readString("PowerDisplay", "Open", ""), "0");
    EXPECT_EQ(form.DisplayControl.BackgroundColor, 66048u);
}

TEST_F(MainWindowTest, SavingAnAddressOutsideTheRangeShowsTheMessageAndKeepsTheOldOne) {
    TForm1& form = start();
    for (const char* text : {"", "0", "256"}) {
        form.Frame_Options->ui.sEdit1->setText(text);
        form.Frame_Options->ui.sButton2->click();
        EXPECT_EQ(dialogs.shown().back().text, form.dString[31]) << text;
        EXPECT_EQ(form.Frame_Options->ui.sEdit1->palette().color(QPalette::Text), QColor(Qt::red));
    }
    EXPECT_EQ(form.Link.InstrumentAddress, 1);
    // With no port open the field's changes store nothing either.
    EXPECT_EQ(settings().readString("CommAddress", "Address", "none"), "none");
    EXPECT_EQ(settings().readInteger("Pen", "Width", -1), 2);
}

struct KeyCase {
    const char* text;
    char16_t key;
    bool accepted;
    bool red;
};

class AddressFilterTest : public ConsoleFixture, public testing::WithParamInterface<KeyCase> {};

TEST_P(AddressFilterTest, AcceptsDigitsWhileTheAddressStaysBelow256) {
    TForm1& form = start();
    auto& field = *form.Frame_Options->ui.sEdit1;
    field.setText(GetParam().text);
    EXPECT_EQ(form.Frame_Options->sEdit1_KeyPress(QChar(GetParam().key)), GetParam().accepted);
    EXPECT_EQ(field.palette().color(QPalette::Text) == QColor(Qt::red), GetParam().red);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, AddressFilterTest,
    testing::Values(KeyCase{"", u'7', true, false}, KeyCase{"25", u'5', true, false},
                    KeyCase{"25", u'6', false, true}, KeyCase{"300", u'\b', true, true},
                    KeyCase{"300", u'1', false, true}, KeyCase{"12", u'a', false, false},
                    KeyCase{"12", u'-', false, false}, KeyCase{"12", u'\b', true, false}));

TEST_F(MainWindowTest, ChoosingALanguageSavesItAndChangesEveryCaptionAtOnce) {
    TForm1& form = start();
    const LanguageTexts english = shippedTexts(Language::English);
    const LanguageTexts chinese = shippedTexts(Language::SimplifiedChinese);
    EXPECT_EQ(form.ui.sSpeedButton4->text(),
              captionOf(english, CaptionForm::Form1, "sSpeedButton4"));
    form.Frame_Options->ui.sComboBox4->setCurrentIndex(0);
    form.Frame_Options->sComboBox4Change();
    EXPECT_EQ(settings().readInteger("Language", "Language", -1), 0);
    for (const Caption& caption : chinese.captions) {
        if (caption.form != CaptionForm::Form1 || caption.objectName.starts_with("sTabSheet"))
            continue;
        const auto* control = form.ui.sPageControl2->findChild<QObject*>(
            QString::fromUtf8(caption.objectName.data()));
        ASSERT_NE(control, nullptr) << caption.objectName;
        EXPECT_EQ(control->property("text").toString(), QString::fromStdString(caption.text))
            << caption.objectName;
    }
    EXPECT_EQ(form.ui.sPageControl2->tabText(2),
              captionOf(chinese, CaptionForm::Form1, "sTabSheet2"));
    EXPECT_EQ(form.Frame_Options->ui.sButton2->text(),
              captionOf(chinese, CaptionForm::Frame_Options, "sButton2"));
    EXPECT_EQ(form.Frame_Options->ui.sLabel2->text(),
              captionOf(chinese, CaptionForm::Frame_Options, "sLabel2"));
    EXPECT_EQ(form.dString[14], QString::fromStdString(chinese.dString[14]));
    EXPECT_EQ(form.ui.sSpeedButton6->toolTip(), QString::fromStdString(chinese.hString[7]));
}

TEST_F(MainWindowTest, EveryRibbonButtonHasAnIconAndANameForScreenReaders) {
    TForm1& form = start();
    const auto buttons = form.ui.sPageControl2->findChildren<QToolButton*>(
        QRegularExpression(QStringLiteral("^sSpeedButton")));
    ASSERT_EQ(buttons.size(), 22);
    for (const QToolButton* button : buttons) {
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
        EXPECT_FALSE(button->icon().pixmap(32, 32).isNull()) << button->objectName().toStdString();
        const QString name = button->text().isEmpty() ? button->accessibleName() : button->text();
        EXPECT_FALSE(name.trimmed().isEmpty()) << button->objectName().toStdString();
    }
    EXPECT_EQ(form.ui.sSpeedButton22->accessibleName(), form.hString[0].trimmed());
}

TEST_F(MainWindowTest, AColourPickedOnTheSettingsPageIsSavedAsItsValue) {
    TForm1& form = start();
    dialogs.chooseNextColor(QColor(0x12, 0x34, 0x56));
    form.Frame_Options->ui.sColorSelect3->click();
    EXPECT_EQ(form.Frame_Options->ui.sColorSelect3->ColorValue(), 0x563412);
    form.Frame_Options->ui.sButton2->click();
    EXPECT_EQ(settings().readInteger("WaveColor", "Voltage", 0), 0x563412);
    EXPECT_EQ(form.DisplayControl.VoltageColor, 0x563412u);
}

} // namespace
