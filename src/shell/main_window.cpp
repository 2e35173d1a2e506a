#include "shell/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>

#include "base/date_time.h"
#include "display/measurement_page.h"
#include "display/qt_canvas.h"
#include "files/measurement_file.h"
#include "instrument/frame_instrument_options.h"
#include "record/frame_record.h"
#include "record/record_file.h"
#include "shell/color_select.h"
#include "shell/command_line.h"
#include "shell/date_time_text.h"
#include "shell/error_boundary.h"
#include "shell/frame_about.h"
#include "shell/frame_options.h"
#include "shell/frame_test.h"
#include "shell/ini_store.h"
#include "shell/language.h"
#include "shell/themes.h"

// Resources of a static library are registered by name from the global namespace.
static void registerIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace {

constexpr std::array<int, 5> StatusPanelWidths{100, 120, 220, 250, 100};
constexpr int MeasurePage = 2;
constexpr int RecordPage = 3;

} // namespace

TForm1::TForm1(ConsoleSetup setup, QWidget* parent)
    : QMainWindow(parent), RecordData(std::make_unique<RecordDataType>()),
      setup_(std::move(setup)) {
    registerIcons();
    ui.setupUi(this);
    sCheckBox1 = new QCheckBox(QStringLiteral("简洁显示"), this);
    sCheckBox1->setObjectName(QStringLiteral("sCheckBox1"));
    sCheckBox1->setVisible(false);
    // The record length list starts with no item chosen, showing the shortest length.
    ui.sComboBox2->setCurrentIndex(-1);
    ui.sComboBox2->setEditText(QStringLiteral("5 S"));
    createStatusBar();
    createFrames();

    Timer_UpdataDisplay.SetEnabled(false);
    Timer_UpdataDisplay.SetInterval(150);
    Continuous_Read_Timer.SetEnabled(false);
    Continuous_Read_Timer.SetInterval(200);
    ReReadTimer.SetEnabled(false);
    ReReadTimer.SetInterval(2000);
    Norvane_Connection_Timer1.SetInterval(5000);
    Comm1.SetRThreshold(1);
    if (setup_.substitutePort)
        Comm1.SetDevicePaths({{setup_.substitutePort->number, setup_.substitutePort->devicePath}});
    connectHandlers();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::createStatusBar() {
    for (std::size_t panel = 0; panel < statusPanels_.size(); ++panel) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("statusPanel%1").arg(panel));
        label->setFixedWidth(StatusPanelWidths[panel]);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        ui.sStatusBar1->addWidget(label);
        statusPanels_[panel] = label;
    }
    sProgressBar1 = new QProgressBar(statusPanels_[1]);
    sProgressBar1->setObjectName(QStringLiteral("sProgressBar1"));
    sProgressBar1->setRange(0, 5);
    sProgressBar1->setValue(5);
    sProgressBar1->setTextVisible(false);
    auto* layout = new QHBoxLayout(statusPanels_[1]);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(sProgressBar1);
}

void TForm1::createFrames() {
    Frame_Test1 = new TFrame_Test(*this, ui.sPanel6);
    Frame_About1 = new TFrame_About(ui.sPanel6);
    Frame_Options = new TFrame_Options(*this, ui.sPanel6);
    Frame_Instrument_Options = new TFrame_Instrument_Options(ui.sPanel6);
    Frame_Record1 = new TFrame_Record(ui.sPanel6);
    for (QWidget* frame : std::initializer_list<QWidget*>{Frame_Test1, Frame_About1, Frame_Options,
                                                          Frame_Instrument_Options, Frame_Record1})
        ui.sPanel6Layout->addWidget(frame, 0, 0);
}

void TForm1::connectHandlers() {
    Timer_UpdataDisplay.SetOnTimer([this] { Timer_UpdataDisplayTimer(); });
    Norvane_Connection_Timer1.SetOnTimer([this] { Norvane_Connection_Timer1Timer(); });
    Continuous_Read_Timer.SetOnTimer([this] { Continuous_Read_TimerTimer(); });
    ReReadTimer.SetOnTimer([this] { ReReadTimerTimer(); });
    Comm1.SetOnReceiveData([this](TComm*) { runReportingErrors([this] { Comm1ReceiveData(); }); });
    const std::pair<QToolButton*, void (TForm1::*)()> measureButtons[] = {
        {ui.sSpeedButton6, &TForm1::sSpeedButton6Click},
        {ui.sSpeedButton4, &TForm1::sSpeedButton4Click},
        {ui.sSpeedButton8, &TForm1::sSpeedButton8Click},
        {ui.sSpeedButton7, &TForm1::sSpeedButton7Click},
        {ui.sSpeedButton9, &TForm1::sSpeedButton9Click},
        {ui.sSpeedButton23, &TForm1::sSpeedButton23Click},
        {ui.sSpeedButton25, &TForm1::sSpeedButton25Click}};
    for (const auto& [button, handler] : measureButtons)
        connect(button, &QToolButton::clicked, this,
                [this, handler] { runReportingErrors([this, handler] { (this->*handler)(); }); });
    shownPage_ = ui.sPageControl2->currentIndex();
    connect(ui.sPageControl2, &QTabWidget::currentChanged, this, &TForm1::selectPage);
    ui.sPanel6->installEventFilter(this);
    connect(ui.sSpeedButton1, &QToolButton::clicked, this, &TForm1::sSpeedButton1Click);
    connect(ui.sSpeedButton2, &QToolButton::clicked, this, &TForm1::sSpeedButton2Click);
    connect(ui.sSpeedButton15, &QToolButton::clicked, this, &TForm1::sSpeedButton15Click);
    connect(sCheckBox1, &QCheckBox::clicked, this, &TForm1::sCheckBox1Click);
}

void TForm1::FormCreate() {
    LoadLanguage();
    Initialize_Variable();
    runReportingErrors([this] { Search_Communication_Port(); });
    Frame_Options->Updata_Options();
    applyThemeAt(*qApp, Frame_Options->ui.sComboBox2->currentIndex());
    runReportingErrors([this] { openCommandLineFile(); });
}

void TForm1::Initialize_Variable() {
    Sampling_Data.TestTime = currentDateTime();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    PicRect = QRect(0, 0, screen.width(), screen.height());
    Canvas_SamplingWave = QImage(screen.width(), screen.height() / 2, QImage::Format_RGB32);
    Canvas_Harmonic = QImage(screen.width(), screen.height() / 2, QImage::Format_RGB32);
    Canvas_Parameter = QImage(screen.width(), screen.height() / 2, QImage::Format_RGB32);
    Canvas_RecordWave = QImage(screen.width(), screen.height(), QImage::Format_RGB32);
    Frame_Options->fillThemeList(themeNames());
    setStartFonts(DisplayControl);
    DisplayControl.Page_0_Second_level = 1;
    DisplayControl.Page_1_Second_level = 0;
    DisplayControl.First_level_menu = MeasurePage;
    DisplayControl.Display_THD_Index = 0;
    ui.sPageControl2->setCurrentIndex(MeasurePage);
    Feed(DisplayControl);
    CommunicationType& link = Link.Communication_data;
    link.Error_Count = 0;
    DisplayMode = 0;
    link.Communication_Pointer = PointerMeasurement;
    std::fill(std::begin(link.Task_flag), std::begin(link.Task_flag) + 64, false);
    RecordData->Display_Number = 256;
    Record_WAVE_I1_Index = 1;
    Record_WAVE_U1_Index = 1;
}

void TForm1::Feed(DisplayControlType DisplayPage) {
    for (QWidget* frame : std::initializer_list<QWidget*>{Frame_Test1, Frame_About1, Frame_Options,
                                                          Frame_Instrument_Options, Frame_Record1})
        frame->hide();
    switch (DisplayPage.First_level_menu) {
    case 0:
        if (DisplayPage.Page_0_Second_level == 1)
            Frame_About1->show();
        break;
    case 1:
        if (DisplayPage.Page_1_Second_level == 0)
            Frame_Instrument_Options->show();
        else if (DisplayPage.Page_1_Second_level == 1)
            Frame_Options->show();
        break;
    case MeasurePage:
        Frame_Test1->show();
        break;
    case RecordPage:
        Frame_Record1->show();
        break;
    default:
        break;
    }
}

void TForm1::InitMform() {
    Initialize_Test_Form();
}

void TForm1::Initialize_Test_Form() {
    // Every frame fills the client area, so its size is the measurement frame's also while
    // another frame is shown.
    const int W = ui.sPanel6->width();
    const int H = ui.sPanel6->height();
    auto& frame = Frame_Test1->ui;
    if (DisplayMode == 0) {
        ui.sPageControl2->setVisible(true);
        frame.sPanel1->setGeometry(frame.sPanel1->x(), 4, W / 2 - 8, H / 2 - 8);
        frame.sPanel2->setGeometry(frame.sPanel2->x(), H / 2 + 2, W - 10, H / 2 - 8);
        frame.sPanel3->setGeometry(W / 2 + 2, 4, W / 2 - 8, H / 2 - 8);
        for (QWidget* panel : {frame.sPanel1, frame.sPanel2, frame.sPanel3})
            panel->setVisible(true);
    } else {
        for (QWidget* panel : {frame.sPanel1, frame.sPanel2, frame.sPanel3})
            panel->setVisible(false);
    }
    sCheckBox1->move(width() - 90, 5);
}

void TForm1::sCheckBox1Click() {
    DisplayMode = sCheckBox1->isChecked() ? 1 : 0;
    if (DisplayMode == 0)
        resize(1024, 768);
    else
        resize(500, 350);
    Initialize_Test_Form();
}

// The tab widget reports a switch once it is done; the handlers of the switch run in the
// order the page control would call them.
void TForm1::selectPage(int index) {
    const int previous = shownPage_;
    shownPage_ = index;
    DisplayControl.First_level_menu = std::uint16_t(previous);
    sPageControl2PageChanging();
    if (index == MeasurePage)
        sTabSheet2Show();
    else if (index == RecordPage)
        sTabSheet3Show();
    sPageControl2Change();
}

void TForm1::sPageControl2PageChanging() {
    Feed(DisplayControl);
    Timer_UpdataDisplay.SetEnabled(true);
    Frame_Record1->Timer_Updata_Record_Display.SetEnabled(true);
}

void TForm1::sPageControl2Change() {
    DisplayControl.First_level_menu = std::uint16_t(ui.sPageControl2->currentIndex());
    Feed(DisplayControl);
}

void TForm1::sTabSheet2Show() {
    Timer_UpdataDisplay.SetEnabled(true);
}

void TForm1::sTabSheet3Show() {
    Frame_Record1->Timer_Updata_Record_Display.SetEnabled(true);
}

void TForm1::sSpeedButton15Click() {
    DisplayControl.Page_0_Second_level = 1;
    Feed(DisplayControl);
}

void TForm1::sSpeedButton1Click() {
    DisplayControl.Page_1_Second_level = 0;
    Feed(DisplayControl);
}

void TForm1::sSpeedButton2Click() {
    DisplayControl.Page_1_Second_level = 1;
    Feed(DisplayControl);
}

void TForm1::Timer_UpdataDisplayTimer() {
    {
        QtCanvas wave(Canvas_SamplingWave);
        QtCanvas parameters(Canvas_Parameter);
        QtCanvas harmonics(Canvas_Harmonic);
        const QSize upper = Frame_Test1->ui.PaintBox1->size();
        const QSize lower = Frame_Test1->ui.PaintBox2->size();
        drawMeasurementPage(wave, parameters, harmonics, {upper.width(), upper.height()},
                            {lower.width(), lower.height()}, DisplayControl, Sampling_Data,
                            RangeTexts);
    }
    Frame_Test1->update();
    setStatusText(2, QStringLiteral("Test Time: ") + dateTimeText(Sampling_Data.TestTime));
    Timer_UpdataDisplay.SetEnabled(false);
}

void TForm1::Norvane_Connection_Timer1Timer() {
    if (Link.CommPortType == 1)
        Link.Communication_data.Task_flag[TaskKeepAlive] = true;
}

// The client area takes its new size after the window has; the layout follows from there.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.sPanel6 && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormResize() {
    InitMform();
    Timer_UpdataDisplay.SetEnabled(true);
    Frame_Record1->Timer_Updata_Record_Display.SetEnabled(true);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

void TForm1::FormCloseQuery() {
    if (Link.CommPortType == 1)
        Link.ReadInstrumentCommand(Link.InstrumentAddress, Register::PauseNotice,
                                   RegisterCount::OneRegister);
}

QString TForm1::statusText(int panel) const {
    return statusPanels_.at(std::size_t(panel))->text();
}

void TForm1::setStatusText(int panel, const QString& text) {
    statusPanels_.at(std::size_t(panel))->setText(text);
}

void TForm1::openCommandLineFile() {
    const StartFile file = startFileOf(setup_.arguments);
    if (file.kind == StartFileKind::Measurement)
        openMeasurementFile(file.path);
    else if (file.kind == StartFileKind::Record)
        openRecordFile(file.path);
}

void TForm1::openMeasurementFile(const std::string& path) {
    readMeasurementFile(path, Sampling_Data);
    Timer_UpdataDisplay.SetEnabled(true);
}

void TForm1::openRecordFile(const std::string& path) {
    auto RecordDataTemp = std::make_unique<RecordFileType>();
    readRecordFile(path, *RecordDataTemp);
    *RecordData = RecordDataTemp->RecordData;
    Frame_Record1->Timer_Updata_Record_Display.SetEnabled(true);
    Frame_Record1->ui.sScrollBar1->setMaximum(int(RecordData->Total_Record_quantity));
    Frame_Record1->ui.sScrollBar1->setValue(int(RecordData->Point_Start));
    setStatusText(
        3, QStringLiteral("Total Sampling Points: %1").arg(RecordData->Total_Record_quantity));
    setStatusText(
        4, QStringLiteral("Sampling Rate: %1SPS").arg(samplesPerSecond(RecordData->Sampling_Rate)));
    ui.sPageControl2->setCurrentIndex(RecordPage);
    DisplayControl.First_level_menu = std::uint16_t(ui.sPageControl2->currentIndex());
    Feed(DisplayControl);
}

void TForm1::LoadLanguage() {
    const IniFile file(setup_.settingsFile);
    const Language language =
        resolveLanguage(file.readInteger("Language", "Language", int(Language::English)),
                        systemLanguageId(QLocale::system().name().toStdString()));
    const LanguageTexts texts = loadLanguageTexts(setup_.languageFolder, language);
    for (std::size_t entry = 0; entry < LanguageTableSize; ++entry) {
        dString[entry] = QString::fromStdString(texts.dString[entry]);
        hString[entry] = QString::fromStdString(texts.hString[entry]);
    }
    for (const Caption& caption : texts.captions)
        applyCaption(caption.form, caption.objectName, QString::fromStdString(caption.text));
    applyHints();
}

// Captions of the main window all sit on the ribbon; looking only there keeps its names
// apart from the same names on the frames.
void TForm1::applyCaption(CaptionForm form, std::string_view name, const QString& text) {
    QWidget* root = form == CaptionForm::Form1           ? static_cast<QWidget*>(ui.sPageControl2)
                    : form == CaptionForm::Frame_Options ? static_cast<QWidget*>(Frame_Options)
                                                         : Frame_Instrument_Options;
    QWidget* target =
        root->findChild<QWidget*>(QString::fromUtf8(name.data(), qsizetype(name.size())));
    if (!target)
        return;
    if (const int page = ui.sPageControl2->indexOf(target); page >= 0)
        ui.sPageControl2->setTabText(page, text);
    else if (auto* button = qobject_cast<QAbstractButton*>(target))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
}

// Buttons that show only an icon are named by their hint for screen readers.
void TForm1::applyHints() {
    for (const HintButton& hint : hintButtons()) {
        auto* button = ui.sPageControl2->findChild<QAbstractButton*>(
            QString::fromUtf8(hint.objectName.data(), qsizetype(hint.objectName.size())));
        if (!button)
            continue;
        const QString text = hString[hint.hintIndex];
        button->setToolTip(text);
        if (button->text().isEmpty())
            button->setAccessibleName(text.trimmed());
    }
}
