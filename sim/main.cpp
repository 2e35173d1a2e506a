// voltrane-sim: the simulated instrument as a program of its own.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "options.h"

namespace {

void announce(const std::string& devicePath) {
    std::printf("%s\n", devicePath.c_str());
    std::fflush(stdout);
}

// Stops on SIGINT, SIGTERM or SIGHUP; blocked before the simulator's thread starts so that
// only this thread takes them.
sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string_view> arguments(argv + 1, argv + argc);
        CommandLine line = parseCommandLine(arguments);
        if (line.help) {
            std::fputs(helpText().c_str(), stdout);
            return 0;
        }
        line.simulator.deviceReady = announce;
        const sigset_t signals = stopSignals();
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        Simulator simulator(std::move(line.simulator));
        simulator.start();
        int received = 0;
        sigwait(&signals, &received);
        simulator.stop();
        return 0;
    } catch (const OptionsError& error) {
        std::fprintf(stderr, "voltrane-sim: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "voltrane-sim: %s\n", error.what());
        return 1;
    }
}
