#pragma once

#include <QMainWindow>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/display_control.h"
#include "display/parameter_view.h"
#include "instrument/instrument_settings.h"
#include "link/answer_framer.h"
#include "link/communication.h"
#include "link/sampling_data.h"
#include "record/record_types.h"
#include "serial/comm.h"
#include "shell/language.h"
#include "shell/vcl_timer.h"
#include "ui_main_window.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class TFrame_About;
class TFrame_Instrument_Options;
class TFrame_Options;
class TFrame_Record;
class TFrame_Test;

// A port that stands in for the configured one during this run only (the simulated
// instrument): it is never written to the settings file.
struct SubstitutePort {
    int number = 0;
    std::string devicePath;
    std::string identity; // plug-and-play identity
};

// Where the console keeps its files and what it was started with.
struct ConsoleSetup {
    std::string settingsFile;           // SysSet.ini
    std::string languageFolder;         // holds Language_CN.ini, Language_TW.ini, Language_EN.ini
    std::vector<std::string> arguments; // the command line after the program path
    std::optional<SubstitutePort> substitutePort;
};

// The main window: ribbon, the five frames in the client area, the status bar, the serial
// component and the timers, and the state the whole console shares.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(ConsoleSetup setup, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: language, defaults, port search, settings, theme, command-line file.
    void FormCreate();

    // Shows exactly the frame that the view selector of DisplayPage names.
    void Feed(DisplayControlType DisplayPage);
    void Initialize_Variable();
    void Initialize_Test_Form();
    void InitMform();
    void LoadLanguage();

    void sPageControl2PageChanging();
    void sPageControl2Change();
    void sTabSheet2Show();
    void sTabSheet3Show();
    void sSpeedButton1Click();
    void sSpeedButton2Click();
    void sSpeedButton15Click();
    void sCheckBox1Click();
    void Timer_UpdataDisplayTimer();

    // Measure page
    void sSpeedButton6Click();
    void sSpeedButton4Click();
    void sSpeedButton8Click();
    void sSpeedButton7Click();
    void sSpeedButton9Click();
    void sSpeedButton23Click();
    // Record page
    void sSpeedButton25Click();

    // Receiving answers and the polling cycle
    void Comm1ReceiveData();
    void Continuous_Read_TimerTimer();
    void ReReadTimerTimer();

    void Search_Communication_Port();
    void SetCommPort(std::uint8_t Data);
    void Norvane_Connection_Timer1Timer();
    // True when the device of port `number` exists and can be opened now.
    bool probePort(int number) const;

    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);
    const ConsoleSetup& setup() const { return setup_; }

    Ui::TForm1 ui;
    QCheckBox* sCheckBox1;
    QProgressBar* sProgressBar1;
    TFrame_Test* Frame_Test1;
    TFrame_About* Frame_About1;
    TFrame_Options* Frame_Options;
    TFrame_Instrument_Options* Frame_Instrument_Options;
    TFrame_Record* Frame_Record1;

    TComm Comm1;
    Communication Link{Comm1};
    VclTimer Timer_UpdataDisplay;
    VclTimer Continuous_Read_Timer;
    VclTimer ReReadTimer;
    VclTimer Norvane_Connection_Timer1;

    DisplayControlType DisplayControl{};
    std::uint8_t DisplayMode = 0;
    std::array<QString, 51> dString;
    std::array<QString, 51> hString;
    QImage Canvas_SamplingWave;
    QImage Canvas_Harmonic;
    QImage Canvas_Parameter;
    QImage Canvas_RecordWave;
    QRect PicRect;
    SamplingDataType Sampling_Data{};
    Instrument_SetDataType Instrument_SetData{};
    std::unique_ptr<RecordDataType> RecordData;
    RecordHeaderType RecordHeader{};
    RecordInstrumentDataType RecordInstrumentData{};
    std::uint8_t Record_RUN = 0;
    std::uint32_t Record_Length = 0;
    std::uint32_t i_shift = 0;
    // Names of the measuring ranges shown with a measurement: the instrument settings page's
    // lists, with their design labels until the instrument reports its model.
    RangeLabels RangeTexts{{"10 V", "25 V", "50 V", "100 V", "250 V", "500 V"},
                           {"0     (Min)", "1", "2", "3", "4", "5   (Max)"}};
    int Record_WAVE_U1_Index = 0;
    int Record_WAVE_I1_Index = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createStatusBar();
    void createFrames();
    void connectHandlers();
    void FormResize();
    void FormCloseQuery();
    void openCommandLineFile();
    void openMeasurementFile(const std::string& path);
    void openRecordFile(const std::string& path);
    void applyCaption(CaptionForm form, std::string_view name, const QString& text);
    void applyHints();
    void selectPage(int index);
    void readPortSettings();
    void readDevices();
    void recognisePorts();
    void listPorts();
    void connectPort();
    void startMeasurement(std::uint8_t mode);
    void sendIntegrationCommand(IntegrationCommand command, TaskFlag pending,
                                CommunicationPointer pointer);
    void takeAnswer(std::span<const std::uint8_t> answer);
    void answerFailed();
    void dispatchRead(std::size_t length);
    void dispatchAcknowledge();
    void takeRecordingHeader();
    void takeRecordingPacket();
    void takeMeasurement();

    ConsoleSetup setup_;
    AnswerFramer framer_{{}};
    PortDevicePaths devicePaths_;               // [Devices] COMn, and the substitute port
    std::map<int, std::string> portIdentities_; // plug-and-play identities by port number
    std::array<QLabel*, 5> statusPanels_{};
    int shownPage_ = -1;
};
