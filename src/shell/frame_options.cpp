#include "shell/frame_options.h"

#include <QApplication>
#include <QKeyEvent>

#include <charconv>

#include "link/port_discovery.h"
#include "serial/port_names.h"
#include "shell/color_select.h"
#include "shell/date_time_text.h"
#include "shell/dialogs.h"
#include "shell/error_boundary.h"
#include "shell/ini_store.h"
#include "shell/main_window.h"
#include "shell/themes.h"

namespace {

// Settings keys in the order of the colour selectors: background, scale, voltage, current,
// power.
constexpr std::array<const char*, 5> ColorKeys{"Background", "Scale", "Voltage", "Current",
                                               "Power"};
constexpr int DefaultBaudIndex = 7;
constexpr int KeepAliveAfterTicks = 5;
constexpr int ReopenAfterTicks = 7;
constexpr std::int64_t AddressLimit = 256;

// The decimal value of `text`, 0 when it holds none; large values stay large.
std::int64_t decimalValue(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<std::int64_t>::max();
    return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

} // namespace

TFrame_Options::TFrame_Options(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    ui.setupUi(this);
    Timer1.SetInterval(100);
    Timer1.SetOnTimer([this] { Timer1Timer(); });
    const auto guarded = [this](void (TFrame_Options::*handler)()) {
        return [this, handler] { runReportingErrors([this, handler] { (this->*handler)(); }); };
    };
    connect(ui.sButton1, &QPushButton::clicked, this, guarded(&TFrame_Options::sButton1Click));
    connect(ui.sButton2, &QPushButton::clicked, this, guarded(&TFrame_Options::sButton2Click));
    connect(ui.sButton3, &QPushButton::clicked, this, guarded(&TFrame_Options::sButton3Click));
    connect(ui.sComboBox1, &QComboBox::activated, this, guarded(&TFrame_Options::sComboBox1Click));
    connect(ui.sEdit1, &QLineEdit::textChanged, this, guarded(&TFrame_Options::sComboBox1Click));
    connect(ui.sRadioGroup1, &RadioGroup::OnClick, this, guarded(&TFrame_Options::sComboBox1Click));
    connect(ui.sComboBox2, &QComboBox::activated, this, guarded(&TFrame_Options::sComboBox2Change));
    connect(ui.sComboBox3, &QComboBox::activated, this, guarded(&TFrame_Options::sComboBox2Change));
    connect(ui.sComboBox4, &QComboBox::activated, this, guarded(&TFrame_Options::sComboBox4Change));
    ui.sEdit1->installEventFilter(this);
}

IniFile TFrame_Options::settings() const {
    return IniFile(form_.setup().settingsFile);
}

std::array<ColorSelect*, 5> TFrame_Options::colorSelectors() const {
    return {ui.sColorSelect1, ui.sColorSelect2, ui.sColorSelect3, ui.sColorSelect4,
            ui.sColorSelect5};
}

void TFrame_Options::fillThemeList(const QStringList& names) {
    ui.sComboBox2->clear();
    ui.sComboBox2->addItems(names);
}

void TFrame_Options::Updata_Options() {
    const IniFile file = settings();
    DisplayControlType& display = form_.DisplayControl;
    const auto colors = viewColors(display);
    const auto selectors = colorSelectors();
    for (std::size_t k = 0; k < ColorKeys.size(); ++k) {
        const std::int32_t value = file.readInteger("WaveColor", ColorKeys[k], 2);
        selectors[k]->setColorValue(value);
        *colors[k] = std::uint32_t(value);
    }
    ui.sComboBox2->setCurrentIndex(file.readInteger("Theme", "SkinIndex", 2));
    const std::int32_t pen = file.readInteger("Pen", "Width", 2);
    ui.sComboBox3->setCurrentIndex(pen);
    display.PenWidth = pen + 1;
    ui.sComboBox4->setCurrentIndex(file.readInteger("Language", "Language", 2));
    const bool power = file.readInteger("PowerDisplay", "Open", 2) == 1;
    ui.sCheckBox2->setChecked(power);
    display.PowerDisplay_Display = power;
    ui.sEdit2->setText(QString::fromStdString(file.readString("Print", "Project", "2")));
    ui.sEdit3->setText(QString::fromStdString(file.readString("Print", "Organization", "2")));
    ui.sEdit4->setText(QString::fromStdString(file.readString("Print", "Operator", "2")));
    ui.sEdit5->setText(todayText());
    form_.Timer_UpdataDisplay.SetEnabled(true);
}

// Switches the serial component to the port of the selected list entry and opens it.
void TFrame_Options::applySelectedPort(IniFile& file) {
    Communication& link = form_.Link;
    const int index = ui.sRadioGroup1->ItemIndex();
    if (link.CommOpenEN != 1 || index < 0)
        return;
    const QString entry = ui.sRadioGroup1->Items().at(index);
    const std::optional<int> port = portNumberOfEntry(entry.toStdString());
    if (!port)
        return;
    file.writeInteger("CommPort", "Port", *port);
    form_.Comm1.SetPortOpen(false);
    form_.SetCommPort(std::uint8_t(*port));
    link.CommPortType = entry.contains(QStringLiteral("USB")) ? 1 : 0;
    if (!form_.Comm1.PortOpen())
        runReportingErrors([this] { form_.Comm1.SetPortOpen(true); });
    form_.ui.sSpeedButton6->setEnabled(true);
    form_.ui.sSpeedButton4->setEnabled(true);
}

void TFrame_Options::sButton2Click() {
    IniFile file = settings();
    applySelectedPort(file);
    file.writeInteger("CommBaudrate", "Baudrate", ui.sComboBox1->currentIndex());

    const std::int64_t address = decimalValue(ui.sEdit1->text());
    const bool validAddress = address >= 1 && address <= 255;
    setAddressColor(validAddress);
    if (validAddress) {
        file.writeInteger("CommAddress", "Address", std::int32_t(address));
        form_.Link.InstrumentAddress = std::uint8_t(address);
    } else {
        showInformation(form_.dString[31]);
    }

    const auto selectors = colorSelectors();
    for (std::size_t k = 0; k < ColorKeys.size(); ++k)
        file.writeInteger("WaveColor", ColorKeys[k], selectors[k]->ColorValue());
    file.writeInteger("Theme", "SkinIndex", ui.sComboBox2->currentIndex());
    file.writeInteger("Pen", "Width", ui.sComboBox3->currentIndex());
    file.writeInteger("Language", "Language", ui.sComboBox4->currentIndex());
    file.writeString("PowerDisplay", "Open", ui.sCheckBox2->isChecked() ? "1" : "0");
    file.writeString("Print", "Project", ui.sEdit2->text().toStdString());
    file.writeString("Print", "Organization", ui.sEdit3->text().toStdString());
    file.writeString("Print", "Operator", ui.sEdit4->text().toStdString());
    Updata_Options();
}

void TFrame_Options::sButton3Click() {
    setDefaultViewColors(form_.DisplayControl);
    const auto selectors = colorSelectors();
    for (std::size_t k = 0; k < selectors.size(); ++k)
        selectors[k]->setColorValue(int(DefaultViewColors[k]));
    ui.sComboBox2->setCurrentIndex(DefaultThemeIndex);
    sComboBox2Change();
    ui.sCheckBox2->setChecked(false);
    ui.sComboBox1->setCurrentIndex(DefaultBaudIndex);
    ui.sEdit1->setText(QStringLiteral("1"));
}

void TFrame_Options::sButton1Click() {
    form_.Search_Communication_Port();
}

void TFrame_Options::sComboBox1Click() {
    Communication& link = form_.Link;
    link.ReadInstrumentCommand(link.InstrumentAddress, Register::PauseNotice,
                               RegisterCount::OneRegister);
    IniFile file = settings();
    if (link.CommOpenEN == 1 && ui.sRadioGroup1->ItemIndex() >= 0) {
        file.writeString("CommAddress", "Address", ui.sEdit1->text().toStdString());
        applySelectedPort(file);
    }
    file.writeInteger("CommBaudrate", "Baudrate", ui.sComboBox1->currentIndex());
}

void TFrame_Options::sComboBox2Change() {
    applyTheme(*qApp, ui.sComboBox2->currentText());
}

void TFrame_Options::sComboBox4Change() {
    sButton2Click();
    form_.LoadLanguage();
}

bool TFrame_Options::sEdit1_KeyPress(QChar Key) {
    const bool backspace = Key == QChar(u'\b');
    const QString text = ui.sEdit1->text();
    std::int64_t value = 0;
    if (!text.isEmpty())
        value = decimalValue(Key.isDigit() ? text + Key : text);
    const bool inRange = value < AddressLimit;
    setAddressColor(inRange);
    if (!inRange && !backspace)
        return false;
    return Key.isDigit() || backspace;
}

bool TFrame_Options::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.sEdit1 && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Keys without a character (arrows, Delete, Home...) are not typed characters.
        const bool typed = text.size() == 1 && (text[0].isPrint() || text[0] == QChar(u'\b') ||
                                                text[0].category() == QChar::Other_Control);
        if (typed && text[0] != QChar(0x7F) && !sEdit1_KeyPress(text[0]))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFrame_Options::setAddressColor(bool valid) {
    QPalette palette = ui.sEdit1->palette();
    palette.setColor(QPalette::Text,
                     valid ? QApplication::palette().color(QPalette::Text) : QColor(Qt::red));
    ui.sEdit1->setPalette(palette);
}

void TFrame_Options::Timer1Timer() {
    Communication& link = form_.Link;
    ++link.UsbConnCounter;
    ++link.UsbResetcount;
    if (link.CommPortType != 1)
        return;
    if (link.UsbConnCounter > KeepAliveAfterTicks) {
        link.UsbConnCounter = 0;
        link.ReadInstrumentCommand(link.InstrumentAddress, Register::KeepAlive,
                                   RegisterCount::KeepAlive);
    }
    if (link.UsbResetcount > ReopenAfterTicks) {
        link.UsbResetcount = 0;
        reopenUsbPort();
    }
}

// Closes the port and opens it again if its device is there, which picks up an adapter
// that was unplugged and plugged in again.
void TFrame_Options::reopenUsbPort() {
    Communication& link = form_.Link;
    form_.Comm1.SetPortOpen(false);
    const bool reopened = form_.probePort(link.CommPortNumber) && [this] {
        try {
            form_.Comm1.SetPortOpen(true);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }();
    if (!reopened) {
        form_.setStatusText(0, form_.dString[29]);
        return;
    }
    form_.setStatusText(0, form_.dString[30]);
    link.UsbConnCounter = 0;
    link.ReadInstrumentCommand(link.InstrumentAddress, Register::KeepAlive,
                               RegisterCount::KeepAlive);
}
