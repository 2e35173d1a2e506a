#include "simulator.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr double BitsPerByte = 10;
// Wire time written per chunk when pacing at a baud rate.
constexpr double PacingSlice = 0.002;
// Answers are dropped while this much output is still waiting for the console.
constexpr std::size_t MaxPendingBytes = 1 << 20;
constexpr double IdleWakeUp = 0.5;

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::size_t k = 0; k < bytes.size() && k < 32; ++k) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", bytes[k]);
        text += digits;
    }
    if (bytes.size() > 32)
        text += "... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

// "read 1 30001 2", "write 1 136 01 00", "write 1 2000 26 bytes", "record 1 5000 64 1536000".
std::string describe(const Request& request) {
    const std::string head = std::to_string(request.address) + " " + std::to_string(request.reg);
    switch (request.kind) {
    case RequestKind::Read:
        return "read " + head + " " + std::to_string(request.count);
    case RequestKind::Write:
        if (request.data.size() <= 4) {
            std::string text = "write " + head;
            for (const std::uint8_t byte : request.data)
                text += " " + hex(std::span(&byte, 1)).substr(0, 2);
            return text;
        }
        return "write " + head + " " + std::to_string(request.data.size()) + " bytes";
    case RequestKind::Recording:
        return "record " + head + " " + std::to_string(request.pointsPerCycle) + " " +
               std::to_string(request.length);
    }
    return {};
}

} // namespace

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)), instrument_(options_.instrument),
      faults_(options_.instrument.seed ^ 0x5EED5EEDu) {
    if (!(options_.timeScale > 0) || !std::isfinite(options_.timeScale))
        throw std::invalid_argument("time scale must be a positive number");
    for (std::size_t kind = 0; kind < FaultKindCount; ++kind)
        faults_.setRule(static_cast<FaultKind>(kind), options_.faults[kind]);
    faults_.shape() = options_.faultShape;
}

Simulator::~Simulator() {
    stop();
}

void Simulator::start() {
    std::lock_guard lock(mutex_);
    if (running_)
        return;
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        throw std::system_error(errno, std::generic_category(), "creating an event");
    started_ = std::chrono::steady_clock::now();
    openDevice();
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void Simulator::stop() {
    if (!running_.exchange(false))
        return;
    wake();
    thread_.join();
    std::lock_guard lock(mutex_);
    device_.reset();
    if (!options_.linkPath.empty())
        removeLink(options_.linkPath);
    ::close(wakeFd_);
    wakeFd_ = -1;
}

std::string Simulator::consolePath() const {
    std::lock_guard lock(mutex_);
    if (!options_.linkPath.empty())
        return options_.linkPath;
    return device_ ? device_->path() : std::string();
}

std::string Simulator::devicePath() const {
    std::lock_guard lock(mutex_);
    return device_ ? device_->path() : std::string();
}

void Simulator::setFault(FaultKind kind, FaultRule rule) {
    std::lock_guard lock(mutex_);
    faults_.setRule(kind, rule);
}

unsigned Simulator::faultsStruck(FaultKind kind) const {
    std::lock_guard lock(mutex_);
    return faults_.struck(kind);
}

unsigned Simulator::requestsAtWrongRate() const {
    std::lock_guard lock(mutex_);
    return wrongRate_;
}

double Simulator::realNow() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

void Simulator::log(const std::string& text) const {
    if (options_.trace)
        options_.trace(text);
}

void Simulator::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
}

void Simulator::openDevice() {
    const int baud = instrument_.baudRate();
    device_ = options_.devicePath.empty() ? SerialDevice::openPseudoTerminal(baud)
                                          : SerialDevice::openDevice(options_.devicePath, baud);
    if (!options_.linkPath.empty())
        pointLink(options_.linkPath, device_->path());
    comebackAt_.reset();
    log("device " + device_->path());
    if (options_.deviceReady)
        options_.deviceReady(device_->path());
}

// The device disappears as an unplugged USB port does: whatever was on its way is lost.
void Simulator::vanish(double now) {
    log("vanish");
    device_.reset();
    if (!options_.linkPath.empty())
        removeLink(options_.linkPath);
    output_.clear();
    pendingBytes_ = 0;
    held_.clear();
    framer_ = RequestFramer();
    comebackAt_ = now + faults_.shape().vanishFor;
}

double Simulator::nextWakeUp(double now) const {
    double next = now + IdleWakeUp;
    if (comebackAt_)
        next = std::min(next, *comebackAt_);
    if (!output_.empty())
        next = std::min(next, output_.front().due);
    if (!held_.empty())
        next = std::min(next, heldSince_ + faults_.shape().mergeHoldLimit);
    if (const auto due = instrument_.nextPacketDue())
        next = std::min(next, *due / options_.timeScale);
    return next;
}

void Simulator::run() {
    std::unique_lock lock(mutex_);
    while (running_) {
        const double now = realNow();
        const double timeout = std::max(0.0, nextWakeUp(now) - now);
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        if (device_) {
            fds[1].fd = device_->fd();
            fds[1].events = POLLIN;
            if (!output_.empty() && output_.front().due <= now)
                fds[1].events |= POLLOUT;
        }
        lock.unlock();
        ::poll(fds, 2, int(std::ceil(timeout * 1000)));
        lock.lock();
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] const auto drained = ::read(wakeFd_, &count, sizeof count);
        }
        const double at = realNow();
        try {
            if (!device_) {
                if (comebackAt_ && at >= *comebackAt_)
                    openDevice();
                continue;
            }
            receive(at);
            for (Frame& packet : instrument_.duePackets(instrumentTime(at)))
                sendAnswer(std::move(packet), at);
            if (!held_.empty() && at - heldSince_ >= faults_.shape().mergeHoldLimit)
                releaseHeld(at);
            transmitDue(at);
        } catch (const std::system_error& error) {
            // The line is gone (the device was removed); try again as after a vanish.
            log(std::string("line error: ") + error.what());
            vanish(at);
        }
    }
}

void Simulator::receive(double now) {
    std::uint8_t buffer[4096];
    for (;;) {
        const std::size_t count = device_->read(buffer);
        if (count == 0)
            return;
        const auto requests = framer_.feed(std::span(buffer, count), now);
        for (const Request& request : requests)
            answer(request, now);
    }
}

void Simulator::answer(const Request& request, double now) {
    if (options_.personality == Personality::Rs485 && device_->isPseudoTerminal() &&
        device_->consoleBaudRate() != instrument_.baudRate()) {
        ++wrongRate_;
        log("not heard at the wrong baud rate: " + describe(request));
        return;
    }
    // A bus is half duplex: a request sent while the slave's answer is on the line collides
    // with it and never reaches the slave whole.
    if (options_.personality == Personality::Rs485 && now < lineFreeAt_) {
        log("lost in a collision: " + describe(request));
        return;
    }
    log("heard " + describe(request));
    for (Frame& frame : instrument_.answer(request, instrumentTime(now)))
        sendAnswer(std::move(frame), now);
}

void Simulator::sendAnswer(Frame frame, double now) {
    if (pendingBytes_ > MaxPendingBytes) {
        log("console not reading, answer dropped");
        return;
    }
    log("answer " + hex(frame));
    FaultOutcome outcome = faults_.apply(std::move(frame));
    if (outcome.vanish) {
        vanish(now);
        return;
    }
    if (!held_.empty()) {
        if (outcome.pieces.empty())
            outcome.pieces.push_back({});
        auto& first = outcome.pieces.front().bytes;
        first.insert(first.begin(), held_.begin(), held_.end());
        held_.clear();
    }
    if (outcome.hold) {
        for (const Piece& piece : outcome.pieces)
            held_.insert(held_.end(), piece.bytes.begin(), piece.bytes.end());
        heldSince_ = now;
        return;
    }
    schedule(std::move(outcome.pieces), now);
}

void Simulator::releaseHeld(double now) {
    std::vector<Piece> pieces{{0, std::move(held_)}};
    held_.clear();
    schedule(std::move(pieces), now);
}

// Queues the pieces behind what is already on its way. At a baud rate every slice of
// bytes leaves only when the line has had the time to carry it.
void Simulator::schedule(std::vector<Piece> pieces, double now) {
    double at = std::max(now, lineFreeAt_);
    const bool paced = options_.personality == Personality::Rs485;
    const double byteTime = paced ? BitsPerByte / lineBaudRate() : 0;
    for (Piece& piece : pieces) {
        at += piece.delay;
        if (piece.bytes.empty())
            continue;
        pendingBytes_ += piece.bytes.size();
        if (!paced) {
            output_.push_back({at, std::move(piece.bytes)});
            continue;
        }
        const std::size_t slice = std::max<std::size_t>(1, std::size_t(PacingSlice / byteTime));
        for (std::size_t from = 0; from < piece.bytes.size(); from += slice) {
            const std::size_t to = std::min(piece.bytes.size(), from + slice);
            output_.push_back({at + double(to) * byteTime,
                               std::vector<std::uint8_t>(piece.bytes.begin() + long(from),
                                                         piece.bytes.begin() + long(to))});
        }
        at += double(piece.bytes.size()) * byteTime;
    }
    lineFreeAt_ = at;
}

// The rate the last request came at: the console's on a pseudo-terminal, the
// instrument's own on a real line.
int Simulator::lineBaudRate() const {
    const int consoleRate = device_->isPseudoTerminal() ? device_->consoleBaudRate() : 0;
    return consoleRate > 0 ? consoleRate : instrument_.baudRate();
}

void Simulator::transmitDue(double now) {
    while (!output_.empty() && output_.front().due <= now) {
        Output& next = output_.front();
        const std::size_t written = device_->write(next.bytes);
        pendingBytes_ -= written;
        if (written < next.bytes.size()) {
            next.bytes.erase(next.bytes.begin(), next.bytes.begin() + long(written));
            return;
        }
        output_.pop_front();
    }
}
