// The port search and connection of the main window.
#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QThread>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "link/port_discovery.h"
#include "record/frame_record.h"
#include "serial/link_logging.h"
#include "serial/port_names.h"
#include "shell/dialogs.h"
#include "shell/frame_options.h"
#include "shell/ini_store.h"
#include "shell/main_window.h"

namespace {

// Baud rates of the settings' baud index 0-7.
constexpr std::array<TBaudRate, 8> BaudRates{
    TBaudRate::br4800,  TBaudRate::br9600,  TBaudRate::br14400, TBaudRate::br19200,
    TBaudRate::br38400, TBaudRate::br57600, TBaudRate::br76800, TBaudRate::br115200};
constexpr int DefaultBaudIndex = 2;
constexpr int DefaultPort = 2;
constexpr int DefaultAddress = 1;
constexpr int UsbRateIndex = 2;   // 3200SPS
constexpr int OtherRateIndex = 0; // 800SPS

// A path with its symbolic links resolved, or as given when it does not exist.
std::string resolved(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace

void TForm1::SetCommPort(std::uint8_t Data) {
    if (Data != 0)
        Comm1.SetCommPort(comPort(Data));
}

bool TForm1::probePort(int number) const {
    const std::string path = devicePathForPort(number, devicePaths_);
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void TForm1::Search_Communication_Port() {
    QElapsedTimer searchTime;
    searchTime.start();
    Link.UsbResetcount = 0;
    Link.CommOpenEN = 0;
    setStatusText(0, dString[21]);
    readDevices();
    readPortSettings();
    if (Comm1.PortOpen())
        Comm1.SetPortOpen(false);
    recognisePorts();
    listPorts();
    if (Frame_Options->ui.sRadioGroup1->ItemIndex() < 0) {
        showInformation(QString::fromStdString(
            portNotFoundMessage(dString[23].toStdString(), dString[24].toStdString(),
                                dString[25].toStdString(), dString[26].toStdString())));
        ui.sSpeedButton4->setEnabled(false);
        ui.sSpeedButton6->setEnabled(false);
        setStatusText(0, dString[27]);
    } else {
        connectPort();
    }
    Link.CommOpenEN = 1;
    qCDebug(lcLink) << "port search took" << searchTime.elapsed() << "ms";
}

// [Devices] maps port numbers to devices other than the default ones, with their
// plug-and-play identities; a substitute port for this run comes on top.
void TForm1::readDevices() {
    const IniFile file(setup_.settingsFile);
    devicePaths_.clear();
    portIdentities_.clear();
    for (int number = 1; number <= HighestPortNumber; ++number) {
        const std::string key = "COM" + std::to_string(number);
        const std::string path = file.readString("Devices", key, "");
        if (!path.empty())
            devicePaths_[number] = path;
        const std::string identity = file.readString("Devices", key + "_ID", "");
        if (!identity.empty())
            portIdentities_[number] = identity;
    }
    if (setup_.substitutePort) {
        devicePaths_[setup_.substitutePort->number] = setup_.substitutePort->devicePath;
        portIdentities_[setup_.substitutePort->number] = setup_.substitutePort->identity;
    }
    Comm1.SetDevicePaths(devicePaths_);
}

// Values that are not numbers, or numbers outside what the fields hold, count as missing.
void TForm1::readPortSettings() {
    const IniFile file(setup_.settingsFile);
    const int baudIndex = file.readInteger("CommBaudrate", "Baudrate", DefaultBaudIndex);
    Frame_Options->ui.sComboBox1->setCurrentIndex(baudIndex);
    if (baudIndex >= 0 && baudIndex < int(BaudRates.size()))
        Comm1.SetBaudRate(BaudRates[std::size_t(baudIndex)]);
    const int port = file.readInteger("CommPort", "Port", DefaultPort);
    Link.CommPortNumber = port >= 0 && port <= HighestPortNumber ? std::uint8_t(port) : 0;
    if (setup_.substitutePort)
        Link.CommPortNumber = std::uint8_t(setup_.substitutePort->number);
    const std::string addressText =
        file.readString("CommAddress", "Address", std::to_string(DefaultAddress));
    const int address = file.readInteger("CommAddress", "Address", DefaultAddress);
    Frame_Options->ui.sEdit1->setText(QString::fromStdString(addressText));
    Link.InstrumentAddress =
        std::uint8_t(address >= 1 && address <= 255 ? address : DefaultAddress);
}

// The instrument's USB ports, by the identity the system reports for each device or the
// one the settings give for a port number.
void TForm1::recognisePorts() {
    std::map<int, std::string> identities;
    std::map<std::string, std::string> identityOfDevice;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            identityOfDevice[resolved(info.systemLocation().toStdString())] =
                usbIdentity(info.vendorIdentifier(), info.productIdentifier(),
                            info.serialNumber().toStdString());
    for (int number = 1; number <= HighestPortNumber; ++number) {
        const auto known = portIdentities_.find(number);
        const auto found = identityOfDevice.find(resolved(devicePathForPort(number, devicePaths_)));
        if (known != portIdentities_.end())
            identities[number] = known->second;
        else if (found != identityOfDevice.end())
            identities[number] = found->second;
    }
    Link.CommNB.fill(0);
    std::size_t recognised = 0;
    for (const auto& [number, identity] : identities)
        if (recognised < MaxRecognisedPorts && isInstrumentIdentity(identity, Link.InstrumentPID))
            Link.CommNB[recognised++] = std::uint8_t(number);
}

void TForm1::listPorts() {
    RadioGroup* list = Frame_Options->ui.sRadioGroup1;
    list->ClearItems();
    Link.CommNumber = 0;
    Link.CommPortType = 2;
    const auto marked = std::span(Link.CommNB).first(MarkedRecognisedPorts);
    for (int number = 1; number <= HighestPortNumber; ++number) {
        if (!probePort(number))
            continue;
        const bool usb = std::find(marked.begin(), marked.end(), number) != marked.end();
        if (usb && number == Link.CommPortNumber)
            Link.CommPortType = 1;
        list->AddItem(
            QString::fromStdString(portListEntry(number, usb, dString[22].toStdString())));
        list->SetItemToolTip(Link.CommNumber,
                             QString::fromStdString(devicePathForPort(number, devicePaths_)));
        ++Link.CommNumber;
        if (number == Link.CommPortNumber)
            list->SetItemIndex(Link.CommNumber - 1);
    }
}

void TForm1::connectPort() {
    SetCommPort(Link.CommPortNumber);
    if (!Comm1.PortOpen())
        Comm1.SetPortOpen(true);
    Comm1.SetDTRStatus(true);
    Comm1.SetRTSStatus(true);
    setStatusText(0, dString[28]);
    for (QToolButton* button :
         {ui.sSpeedButton4, ui.sSpeedButton6, ui.sSpeedButton24, ui.sSpeedButton25})
        button->setEnabled(true);
    const bool usb = Link.CommPortType == 1;
    if (usb) {
        Link.ReadInstrumentCommand(Link.InstrumentAddress, Register::KeepAlive,
                                   RegisterCount::KeepAlive);
        QThread::msleep(50);
    }
    ui.sComboBox1->clear();
    ui.sComboBox1->addItems(
        Frame_Record1->memoLines(usb ? Frame_Record1->ui.Memo1 : Frame_Record1->ui.Memo2));
    ui.sComboBox1->setCurrentIndex(usb ? UsbRateIndex : OtherRateIndex);
    Link.ReadInstrumentCommand(Link.InstrumentAddress, Register::Settings,
                               RegisterCount::SettingsRead);
    setStatusText(0, dString[1]);
}
