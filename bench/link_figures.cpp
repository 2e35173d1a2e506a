// Measured runs of the console's link against the simulated instrument, offscreen:
// continuous measurement as an RS-485 instrument at 115200 and at 9600 baud, and a fault
// soak over the USB personality.
//
//   link_figures [soak cycles, default 500]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "link/port_discovery.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "simulator.h"

namespace {

constexpr int TestPort = 7;

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The console on a fresh settings file, connected to `simulator` at baud index `baudIndex`.
class ConsoleRun {
public:
    ConsoleRun(Simulator& simulator, int baudIndex, const std::string& languageFolder) {
        char pattern[] = "/tmp/voltrane-figures-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        const std::string settings = folder_ + "/SysSet.ini";
        std::ofstream(settings) << "[Devices]\nCOM7=" << simulator.consolePath()
                                << "\n[CommPort]\nPort=" << TestPort
                                << "\n[CommBaudrate]\nBaudrate=" << baudIndex << "\n";
        ConsoleSetup setup;
        setup.settingsFile = settings;
        setup.languageFolder = languageFolder;
        form = std::make_unique<TForm1>(setup);
        runFor(500);
    }
    ~ConsoleRun() {
        form.reset();
        std::filesystem::remove_all(folder_);
    }

    // Continuous measurement for `seconds` or until `cycles` reads went out; counts the
    // measurements decoded, those that differ from the first one, and the longest wait.
    struct Result {
        int decoded = 0;
        int wrong = 0;
        double seconds = 0;
        double longestGap = 0;
    };
    Result measure(
        double seconds, const std::function<bool()>& enough = [] { return false; }) {
        Result result;
        SamplingDataType first{};
        double lastTime = form->Sampling_Data.TestTime;
        QElapsedTimer run, gap;
        run.start();
        gap.start();
        form->ui.sSpeedButton4->click();
        while (run.elapsed() < seconds * 1000 && !enough()) {
            runFor(5);
            if (form->Sampling_Data.TestTime == lastTime)
                continue;
            lastTime = form->Sampling_Data.TestTime;
            result.longestGap = std::max(result.longestGap, gap.restart() / 1000.0);
            const SamplingDataType& now = form->Sampling_Data;
            if (result.decoded++ == 0)
                first = now;
            else if (now.U_rms != first.U_rms || now.SamplingNumber != 512 ||
                     std::memcmp(now.u_Sampling, first.u_Sampling, sizeof now.u_Sampling) != 0)
                ++result.wrong;
        }
        result.longestGap = std::max(result.longestGap, gap.elapsed() / 1000.0);
        result.seconds = run.elapsed() / 1000.0;
        form->ui.sSpeedButton8->click();
        runFor(300);
        return result;
    }

    std::unique_ptr<TForm1> form;

private:
    std::string folder_;
};

// Continuous measurement for 20 s from an RS-485 instrument whose line runs at `lineBaud`
// (0: its bus rate, 115200), the console at baud index `baudIndex`.
ConsoleRun::Result measureOverRs485(int lineBaud, int baudIndex, const std::string& languages) {
    SimulatorOptions options;
    options.personality = Personality::Rs485;
    options.instrument.lineBaudRate = lineBaud;
    Simulator simulator(options);
    simulator.start();
    ConsoleRun console(simulator, baudIndex, languages);
    return console.measure(20);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ScriptedDialogs noMessageBoxes;
    const int soakCycles = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::string languages = VOLTRANE_LANGUAGE_FOLDER;

    {
        const auto r = measureOverRs485(0, 7, languages);
        std::printf("RS-485, 115200 baud: %d measurements in %.1f s = %.2f per second, "
                    "longest wait %.2f s\n",
                    r.decoded, r.seconds, r.decoded / r.seconds, r.longestGap);
    }
    {
        const auto r = measureOverRs485(9600, 1, languages);
        std::printf("RS-485, 9600 baud: %d measurements in %.1f s = %.2f s per cycle, "
                    "longest cycle %.2f s\n",
                    r.decoded, r.seconds, r.seconds / r.decoded, r.longestGap);
    }
    {
        std::mutex mutex;
        int reads = 0;
        QElapsedTimer sinceRead;
        sinceRead.start();
        double longestReadGap = 0;
        SimulatorOptions options;
        options.faultShape.splitPause = 0.03;
        options.faultShape.mergeHoldLimit = 0.3;
        options.trace = [&](const std::string& line) {
            if (line == "heard read 1 100 1074") {
                std::lock_guard lock(mutex);
                if (reads++ > 0)
                    longestReadGap = std::max(longestReadGap, sinceRead.elapsed() / 1000.0);
                sinceRead.restart();
            }
        };
        Simulator simulator(options);
        simulator.start();
        ConsoleRun console(simulator, 7, languages);
        const std::pair<FaultKind, double> faults[] = {{FaultKind::Drop, 0.10},
                                                       {FaultKind::BadCrc, 0.05},
                                                       {FaultKind::Split, 0.10},
                                                       {FaultKind::Merge, 0.10}};
        for (const auto& [kind, probability] : faults)
            simulator.setFault(kind, {probability, 0});
        const auto r = console.measure(3600, [&] {
            std::lock_guard lock(mutex);
            return reads >= soakCycles;
        });
        std::printf(
            "Fault soak (10 %% dropped, 5 %% corrupted, 10 %% split, 10 %% merged), "
            "%d measurement reads in %.0f s:\n  %d decoded, %d wrong payloads, "
            "longest wait for a measurement %.2f s, longest time without a read "
            "%.2f s;\n  faults struck: drop %u, bad CRC %u, split %u, merge %u\n",
            reads, r.seconds, r.decoded, r.wrong, r.longestGap, longestReadGap,
            simulator.faultsStruck(FaultKind::Drop), simulator.faultsStruck(FaultKind::BadCrc),
            simulator.faultsStruck(FaultKind::Split), simulator.faultsStruck(FaultKind::Merge));
    }
    return 0;
}
