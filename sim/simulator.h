#pragma once

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "faults.h"
#include "instrument.h"
#include "link/port_discovery.h"
#include "request_framer.h"
#include "serial_device.h"

// How the instrument is attached. Its own USB port ignores the baud rate and sends at
// once; as an RS-485 slave it hears only requests sent at its own rate and not while it is
// answering (the bus is half duplex), and its answers take the line's time, ten bits per
// byte.
enum class Personality { Usb, Rs485 };

struct SimulatorOptions {
    InstrumentConfig instrument;
    Personality personality = Personality::Usb;
    std::string devicePath; // serve this device instead of a new pseudo-terminal
    std::string linkPath;   // keep a symbolic link to the device here
    double timeScale = 1;   // instrument seconds per real second
    std::array<FaultRule, FaultKindCount> faults{};
    FaultShape faultShape;
    // Called from the simulator's thread with each event worth tracing.
    std::function<void(const std::string&)> trace;
    // Called from the simulator's thread whenever the device (re)appears, with its path.
    std::function<void(const std::string&)> deviceReady;
};

// The instrument on its line: a thread that reads requests, answers them through the
// fault injector and sends recording packets on time.
class Simulator {
public:
    explicit Simulator(SimulatorOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the device and starts answering. Throws std::system_error when the device
    // cannot be opened.
    void start();
    void stop();

    // The path the console opens: the link when one is kept, else the device.
    std::string consolePath() const;
    // The device itself; empty while it has vanished.
    std::string devicePath() const;

    // Runs `action` on the instrument while the simulator is held still.
    template <typename Action>
    auto withInstrument(Action&& action) {
        std::lock_guard lock(mutex_);
        return action(instrument_);
    }
    void setFault(FaultKind kind, FaultRule rule);
    unsigned faultsStruck(FaultKind kind) const;
    // Requests heard at a baud rate other than the instrument's, and so not answered.
    unsigned requestsAtWrongRate() const;

private:
    struct Output {
        double due = 0; // seconds since start, real time
        std::vector<std::uint8_t> bytes;
    };

    void run();
    double realNow() const;
    double instrumentTime(double real) const { return real * options_.timeScale; }
    double nextWakeUp(double now) const;
    void openDevice();
    void vanish(double now);
    void receive(double now);
    void answer(const Request& request, double now);
    void sendAnswer(Frame frame, double now);
    void schedule(std::vector<Piece> pieces, double now);
    void releaseHeld(double now);
    void transmitDue(double now);
    int lineBaudRate() const;
    void wake();
    void log(const std::string& text) const;

    SimulatorOptions options_;
    mutable std::mutex mutex_;
    Instrument instrument_;
    FaultInjector faults_;
    RequestFramer framer_;
    std::optional<SerialDevice> device_;
    std::deque<Output> output_;
    std::size_t pendingBytes_ = 0;
    double lineFreeAt_ = 0;
    std::vector<std::uint8_t> held_;
    double heldSince_ = 0;
    std::optional<double> comebackAt_;
    unsigned wrongRate_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    int wakeFd_ = -1;
};
