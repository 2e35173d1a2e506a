// Measures the simulated instrument as a separate process: its CPU use while streaming a
// 3200 samples/s recording over the USB personality and answering measurement reads, the
// pacing of those packets, and the time a measurement answer takes on an RS-485 line.
//
//   sim_figures <path to voltrane-sim> [seconds of streaming, default 30]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "line_client.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// voltrane-sim running in the background until destroyed.
class SimulatorProcess {
public:
    SimulatorProcess(const std::string& program, const std::vector<std::string>& options) {
        int output[2];
        if (::pipe(output) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& option : options)
            argv.push_back(const_cast<char*>(option.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        char byte;
        while (::read(output[0], &byte, 1) == 1 && byte != '\n')
            path_ += byte;
        ::close(output[0]);
    }
    ~SimulatorProcess() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    const std::string& path() const { return path_; }
    // User plus system CPU seconds used so far.
    double cpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int index = 3; fields >> field; ++index)
            if (index == 14 || index == 15)
                ticks += std::stod(field);
        return ticks / double(::sysconf(_SC_CLK_TCK));
    }

private:
    pid_t pid_ = 0;
    std::string path_;
};

// Splits the answer stream into frames by the byte count each kind announces.
std::size_t frameLength(std::uint8_t byteCount) {
    switch (byteCount) {
    case 0x14:
        return 25; // recording header
    case 0x08:
        return 4109; // recording packet
    case 0x64:
        return 2153; // measurement
    default:
        return 0;
    }
}

void usbStreaming(const std::string& program, double seconds) {
    SimulatorProcess simulator(program, {"--personality", "usb"});
    LineClient client(simulator.path());
    client.sendRecord(64, 1'536'000);
    std::vector<std::uint8_t> pending;
    std::vector<double> packetTimes;
    unsigned measurements = 0;
    const auto start = Clock::now();
    const double cpuAtStart = simulator.cpuSeconds();
    double nextRead = 0;
    while (since(start) < seconds) {
        if (since(start) >= nextRead) {
            client.sendRead(1, 100, 1074);
            nextRead += 0.25;
        }
        const auto bytes = client.receiveFor(0.01);
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        while (pending.size() >= 3) {
            const std::size_t length = frameLength(pending[2]);
            if (length == 0)
                throw std::runtime_error("unexpected bytes in the answer stream");
            if (pending.size() < length)
                break;
            if (length == 4109)
                packetTimes.push_back(since(start));
            else if (length == 2153)
                ++measurements;
            pending.erase(pending.begin(), pending.begin() + long(length));
        }
    }
    const double wall = since(start);
    const double cpu = simulator.cpuSeconds() - cpuAtStart;

    double worst = 0;
    for (std::size_t k = 1; k < packetTimes.size(); ++k)
        worst = std::max(worst, std::abs(packetTimes[k] - packetTimes[k - 1] - 0.32));
    const double span = packetTimes.back() - packetTimes.front();
    std::printf("USB, 3200 samples/s recording + measurement reads every 250 ms, %.1f s:\n", wall);
    std::printf("  packets %zu, measurement answers %u\n", packetTimes.size(), measurements);
    std::printf("  mean packet interval %.4f s (expected 0.3200), worst deviation %.1f ms\n",
                span / double(packetTimes.size() - 1), worst * 1000);
    std::printf("  simulator CPU %.2f s = %.2f %% of one core\n", cpu, cpu / wall * 100);
}

void rs485AnswerTime(const std::string& program) {
    SimulatorProcess simulator(program, {"--personality", "rs485"});
    LineClient client(simulator.path(), 115200);
    std::vector<double> times;
    for (int round = 0; round < 20; ++round) {
        const auto start = Clock::now();
        client.sendRead(1, 100, 1074);
        if (client.receive(2153, 2).size() != 2153)
            throw std::runtime_error("measurement answer incomplete");
        times.push_back(since(start));
    }
    std::sort(times.begin(), times.end());
    const double expected = 2153 * 10 / 115200.0;
    const double median = times[times.size() / 2];
    std::printf("RS-485 at 115200 baud, 2153-byte answer, request to last byte, 20 rounds:\n");
    std::printf("  median %.1f ms, min %.1f ms, max %.1f ms; line time %.1f ms; median %+.1f %%\n",
                median * 1000, times.front() * 1000, times.back() * 1000, expected * 1000,
                (median / expected - 1) * 100);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sim_figures <voltrane-sim> [seconds]\n");
        return 2;
    }
    try {
        usbStreaming(argv[1], argc > 2 ? std::stod(argv[2]) : 30);
        rs485AnswerTime(argv[1]);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sim_figures: %s\n", error.what());
        return 1;
    }
}
