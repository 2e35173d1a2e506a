#include <QRadioButton>

#include "link/port_discovery.h"
#include "link/traced_simulator.h"
#include "shell/console_fixture.h"
#include "shell/frame_options.h"

namespace {

SimulatorOptions instrumentOn(Personality personality) {
    SimulatorOptions options;
    options.personality = personality;
    return options;
}

class PortSearchTest : public ConsoleFixture {
protected:
    // Settings that map port 7 to a USB instrument and port 8 to an RS-485 one.
    void mapPorts(int configuredPort) {
        writeSettings("[Devices]\nCOM7=" + usb.simulator->consolePath() +
                      "\nCOM7_ID=" + std::string(SimulatedUsbIdentity) + "\nCOM8=" +
                      rs485.simulator->consolePath() + "\nCOM8_ID=USB\\VID_0403&PID_6001\\A1" +
                      "\n[CommPort]\nPort=" + std::to_string(configuredPort) +
                      "\n[CommBaudrate]\nBaudrate=7\n");
    }
    QStringList entries() const { return console->Frame_Options->ui.sRadioGroup1->Items(); }
    QString selectedEntry() const {
        const RadioGroup* list = console->Frame_Options->ui.sRadioGroup1;
        return list->ItemIndex() < 0 ? QString() : list->Items().at(list->ItemIndex());
    }
    QString entry(int number, bool instrumentUsb) const {
        return QString::fromStdString(
            portListEntry(number, instrumentUsb, console->dString[22].toStdString()));
    }

    TracedSimulator usb{instrumentOn(Personality::Usb)};
    TracedSimulator rs485{instrumentOn(Personality::Rs485)};
};

TEST_F(PortSearchTest, TheInstrumentsUsbPortIsMarkedSelectedAndGreeted) {
    mapPorts(7);
    TForm1& form = start();
    EXPECT_TRUE(entries().contains(entry(7, true)));
    EXPECT_TRUE(entries().contains(entry(8, false)));
    EXPECT_EQ(selectedEntry(), entry(7, true));
    EXPECT_EQ(form.Link.CommPortType, 1);
    EXPECT_TRUE(form.Comm1.PortOpen());
    EXPECT_EQ(form.statusText(0), form.dString[1]);
    for (const QToolButton* button : {form.ui.sSpeedButton4, form.ui.sSpeedButton6,
                                      form.ui.sSpeedButton24, form.ui.sSpeedButton25})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_EQ(form.ui.sComboBox1->count(), 3);
    EXPECT_EQ(form.ui.sComboBox1->currentText(), "3200SPS");
    ASSERT_TRUE(runUntil([&] { return usb.requests().size() >= 2; }));
    EXPECT_EQ(usb.requests(), (std::vector<std::string>{"read 1 30001 2", "read 1 2000 14"}));
    EXPECT_TRUE(rs485.requests().empty());
}

TEST_F(PortSearchTest, AnRs485AdapterGetsOnlyTheSettingsRead) {
    mapPorts(8);
    TForm1& form = start();
    EXPECT_EQ(selectedEntry(), entry(8, false));
    EXPECT_EQ(form.Link.CommPortType, 2);
    EXPECT_EQ(form.ui.sComboBox1->count(), 2);
    EXPECT_EQ(form.ui.sComboBox1->currentText(), "800SPS");
    ASSERT_TRUE(runUntil([&] { return !rs485.requests().empty(); }));
    runFor(150);
    EXPECT_EQ(rs485.requests(), std::vector<std::string>{"read 1 2000 14"});
}

TEST_F(PortSearchTest, SavingAnAddressOnTheUsbEntryStoresItAndUsesIt) {
    mapPorts(7);
    TForm1& form = start();
    form.Frame_Options->ui.sEdit1->setText("17");
    form.Frame_Options->ui.sButton2->click();
    EXPECT_EQ(settings().readInteger("CommAddress", "Address", 0), 17);
    EXPECT_EQ(form.Link.InstrumentAddress, 17);
    EXPECT_EQ(form.Link.CommPortType, 1);
}

TEST_F(PortSearchTest, ClickingAnotherEntrySwitchesThePortAtOnce) {
    mapPorts(7);
    TForm1& form = start();
    const auto buttons = form.Frame_Options->ui.sRadioGroup1->findChildren<QRadioButton*>();
    const auto other = std::find_if(buttons.begin(), buttons.end(), [&](QRadioButton* button) {
        return button->text() == entry(8, false);
    });
    ASSERT_NE(other, buttons.end());
    (*other)->click();
    EXPECT_EQ(portNumber(form.Comm1.CommPort()), 8);
    EXPECT_TRUE(form.Comm1.PortOpen());
    EXPECT_EQ(form.Link.CommPortType, 0);
    EXPECT_EQ(settings().readInteger("CommPort", "Port", 0), 8);
}

TEST_F(PortSearchTest, ARescanAfterTheInstrumentWentAwayDisablesMeasurement) {
    mapPorts(7);
    TForm1& form = start();
    ASSERT_TRUE(form.ui.sSpeedButton4->isEnabled());
    usb.simulator->stop();
    form.Frame_Options->ui.sButton1->click();
    EXPECT_FALSE(form.Comm1.PortOpen());
    EXPECT_FALSE(form.ui.sSpeedButton4->isEnabled());
    EXPECT_EQ(form.statusText(0), form.dString[27]);
    EXPECT_EQ(shownContaining(form.dString[26]), 1u);
}

// The USB port vanishes and comes back at the same link: the port is closed at once and the
// watchdog opens it again.
TEST_F(PortSearchTest, TheWatchdogReopensAUsbPortThatCameBack) {
    SimulatorOptions options = instrumentOn(Personality::Usb);
    options.linkPath = (folder / "instrument").string();
    options.faultShape.vanishFor = 0.3;
    TracedSimulator vanishing(options);
    writeSettings("[Devices]\nCOM7=" + options.linkPath +
                  "\nCOM7_ID=" + std::string(SimulatedUsbIdentity) + "\n[CommPort]\nPort=7\n");
    TForm1& form = start();
    ASSERT_EQ(form.Link.CommPortType, 1);
    vanishing.simulator->setFault(FaultKind::Vanish, {0, 1});
    form.Link.ReadInstrumentCommand(1, 30001, 2);
    EXPECT_TRUE(runUntil([&] { return !form.Comm1.PortOpen(); }, 2000));
    EXPECT_TRUE(runUntil([&] { return form.Comm1.PortOpen(); }, 4000));
    EXPECT_EQ(form.statusText(0), form.dString[30]);
    const std::size_t before = vanishing.requests().size();
    EXPECT_TRUE(runUntil([&] { return vanishing.requests().size() > before; }, 2000));
}

} // namespace
