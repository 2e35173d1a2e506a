#pragma once

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "simulator.h"

// A simulated instrument whose heard requests a test can read, as "read 1 100 1074" or
// "write 1 36 02 00".
class TracedSimulator {
public:
    explicit TracedSimulator(SimulatorOptions options) {
        options.trace = [this](const std::string& line) {
            if (line.starts_with("heard ")) {
                std::lock_guard lock(mutex_);
                heard_.push_back(line.substr(6));
            }
        };
        simulator = std::make_unique<Simulator>(std::move(options));
        simulator->start();
    }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return heard_;
    }
    std::size_t count(const std::string& request) const {
        const auto all = requests();
        return std::size_t(std::count(all.begin(), all.end(), request));
    }
    void forget() {
        std::lock_guard lock(mutex_);
        heard_.clear();
    }

    std::unique_ptr<Simulator> simulator;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> heard_;
};
