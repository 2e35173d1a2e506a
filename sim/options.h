#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "simulator.h"

// A command line the simulator cannot run with.
class OptionsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    SimulatorOptions simulator;
    bool help = false;
};

// Parses the arguments after the program name. Throws OptionsError with a message that
// names the option.
CommandLine parseCommandLine(std::span<const std::string_view> arguments);

// The text of --help, listing every option.
std::string helpText();
