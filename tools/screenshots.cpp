// Pictures of the measurement page for the documentation: the console connected to the
// simulated instrument, measuring continuously, with a chart page and a table page of the
// harmonic view. Run under a display (scripts/screenshots uses a virtual X server).
//
//   voltrane-screenshots <output folder> <language folder>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/port_discovery.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "simulator.h"

namespace {

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// A load with some distortion, so every view has something to show.
SimulatorOptions instrument() {
    SimulatorOptions options;
    SignalConfig& signal = options.instrument.signal;
    signal.voltage = {230, 0.4, {{3, 4, 0}, {5, 2.5, 30}, {7, 1.2, 0}}};
    signal.current = {3.2, 0, {{3, 28, 10}, {5, 14, 40}, {7, 7, 0}, {9, 3, 0}, {11, 2, 0}}};
    signal.currentLagDegrees = 25;
    signal.noisePercent = 0.2;
    return options;
}

void save(QWidget& widget, const std::filesystem::path& path) {
    if (!widget.grab().save(QString::fromStdString(path.string())))
        throw std::runtime_error("cannot write " + path.string());
    std::printf("%s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: voltrane-screenshots <output folder> <language folder>\n");
        return 2;
    }
    QApplication application(argc, argv);
    ScriptedDialogs noMessageBoxes;
    try {
        const std::filesystem::path output = argv[1];
        std::filesystem::create_directories(output);
        Simulator simulator(instrument());
        simulator.start();

        char pattern[] = "/tmp/voltrane-screenshots-XXXXXX";
        const std::filesystem::path folder = ::mkdtemp(pattern);
        std::ofstream(folder / "SysSet.ini")
            << "[Devices]\nCOM7=" << simulator.consolePath() << "\nCOM7_ID=" << SimulatedUsbIdentity
            << "\n[CommPort]\nPort=7\n[CommBaudrate]\nBaudrate=7\n"
            << "[WaveColor]\nBackground=66048\nScale=12632256\nVoltage=65280\nCurrent=255\n"
            << "Power=16776960\n[Theme]\nSkinIndex=19\n[Pen]\nWidth=1\n[Language]\nLanguage=2\n"
            << "[PowerDisplay]\nOpen=1\n";
        ConsoleSetup setup;
        setup.settingsFile = (folder / "SysSet.ini").string();
        setup.languageFolder = argv[2];

        TForm1 form(setup);
        form.resize(1280, 800);
        form.show();
        runFor(800);
        form.ui.sSpeedButton4->click();
        runFor(2500);
        save(form, output / "measurement-page.png");
        form.DisplayControl.Display_THD_Index = 1;
        form.Timer_UpdataDisplay.SetEnabled(true);
        runFor(600);
        save(form, output / "harmonic-table.png");
        form.DisplayControl.Display_THD_Index = 2;
        form.Timer_UpdataDisplay.SetEnabled(true);
        runFor(600);
        save(form, output / "current-harmonics.png");
        form.ui.sSpeedButton8->click();
        runFor(300);
        std::filesystem::remove_all(folder);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "voltrane-screenshots: %s\n", error.what());
        return 1;
    }
}
