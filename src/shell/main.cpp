// The console: the main window over the instrument's serial link, or with --simulate over
// the simulated instrument for this run.
#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/prctl.h>

#include "link/port_discovery.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "shell/program_paths.h"

Q_LOGGING_CATEGORY(lcStartup, "voltrane.startup", QtWarningMsg)

namespace {

// Reports once how long the start took until the main window was first painted.
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(const QElapsedTimer& sinceStart) : sinceStart_(sinceStart) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            qCInfo(lcStartup) << "window painted" << sinceStart_.elapsed() << "ms after start";
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& sinceStart_;
};

// The port number the simulated instrument takes for the run: outside the ranges of the
// system's own devices.
constexpr int SimulatedPortNumber = 99;
constexpr int SimulatorStartMilliseconds = 5000;

// voltrane-sim, started beside the console and stopped with it.
class SimulatedInstrument {
public:
    explicit SimulatedInstrument(const std::filesystem::path& programFolder) {
        process_.setProgram(QString::fromStdString((programFolder / "voltrane-sim").string()));
        process_.setArguments({QStringLiteral("--personality"), QStringLiteral("usb")});
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The simulator goes with the console also when the console is killed.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
    }
    ~SimulatedInstrument() {
        process_.terminate();
        if (!process_.waitForFinished(2000))
            process_.kill();
    }

    // The device the simulator serves, once it has said so.
    std::optional<SubstitutePort> port() {
        if (!process_.waitForStarted(SimulatorStartMilliseconds))
            return std::nullopt;
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(SimulatorStartMilliseconds))
                return std::nullopt;
        const QString path = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return SubstitutePort{SimulatedPortNumber, path.toStdString(),
                              std::string(SimulatedUsbIdentity)};
    }

private:
    QProcess process_;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("voltrane"));

    ConsoleSetup setup;
    const std::filesystem::path folder = programFolder();
    setup.settingsFile = prepareSettingsFile(folder).string();
    setup.languageFolder = languageFolder(folder).string();
    bool simulate = false;
    for (const QString& argument : application.arguments().mid(1)) {
        if (argument == QStringLiteral("--simulate"))
            simulate = true;
        else
            setup.arguments.push_back(argument.toStdString());
    }

    std::optional<SimulatedInstrument> simulator;
    if (simulate) {
        simulator.emplace(folder);
        setup.substitutePort = simulator->port();
        if (!setup.substitutePort) {
            std::fprintf(stderr,
                         "voltrane: the simulated instrument (voltrane-sim) did not start\n");
            return 1;
        }
    }
    FirstPaintReporter firstPaint(sinceStart);
    application.installEventFilter(&firstPaint);
    TForm1 Form1(std::move(setup));
    Form1.show();
    return application.exec();
}
