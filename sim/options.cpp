#include "options.h"

#include <charconv>
#include <functional>
#include <vector>

namespace {

template <typename Number>
Number parseNumber(std::string_view option, std::string_view text, Number low, Number high) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !(value >= low && value <= high))
        throw OptionsError(std::string(option) + ": \"" + std::string(text) +
                           "\" is not a number from " + std::to_string(low) + " to " +
                           std::to_string(high));
    return value;
}

double parseReal(std::string_view option, std::string_view text, double low, double high) {
    return parseNumber<double>(option, text, low, high);
}

// ORDER:PERCENT[:PHASE]
Harmonic parseHarmonic(std::string_view option, std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t colon = text.find(':', from);
        parts.push_back(text.substr(from, colon - from));
        if (colon == std::string_view::npos)
            break;
        from = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 3)
        throw OptionsError(std::string(option) + ": expected ORDER:PERCENT[:PHASE], got \"" +
                           std::string(text) + "\"");
    Harmonic harmonic;
    harmonic.order = parseNumber<int>(option, parts[0], 2, HighestHarmonicOrder);
    harmonic.percent = parseReal(option, parts[1], 0, 100);
    if (parts.size() == 3)
        harmonic.phaseDegrees = parseReal(option, parts[2], -360, 360);
    return harmonic;
}

// KIND=WHEN
void parseFault(SimulatorOptions& options, std::string_view option, std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        throw OptionsError(std::string(option) + ": expected KIND=WHEN, got \"" +
                           std::string(text) + "\"");
    try {
        const FaultKind kind = faultKindFromName(text.substr(0, equals));
        options.faults[static_cast<std::size_t>(kind)] = parseFaultRule(text.substr(equals + 1));
    } catch (const std::invalid_argument& error) {
        throw OptionsError(std::string(option) + ": " + error.what());
    }
}

double millisecondsToSeconds(std::string_view option, std::string_view text) {
    return parseReal(option, text, 0, 3'600'000) / 1000;
}

using Apply = std::function<void(SimulatorOptions&, std::string_view option, std::string_view)>;

struct OptionEntry {
    std::string_view name;
    std::string_view argument; // empty for a switch
    std::string_view help;
    Apply apply;
};

const std::vector<OptionEntry>& optionTable() {
    static const std::vector<OptionEntry> table{
        {"--personality", "usb|rs485",
         "how the instrument is attached (default usb): its own USB port answers at once\n"
         "whatever the baud rate; an RS-485 slave hears only requests at its own rate and\n"
         "its answers take the line's time (10 bits per byte)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             if (text == "usb")
                 o.personality = Personality::Usb;
             else if (text == "rs485")
                 o.personality = Personality::Rs485;
             else
                 throw OptionsError(std::string(option) + ": expected usb or rs485");
         }},
        {"--device", "PATH", "serve this serial device instead of a new pseudo-terminal",
         [](SimulatorOptions& o, std::string_view, std::string_view text) { o.devicePath = text; }},
        {"--link", "PATH", "keep a symbolic link to the device at PATH, also across --fault vanish",
         [](SimulatorOptions& o, std::string_view, std::string_view text) { o.linkPath = text; }},
        {"--address", "N", "slave address, 1-255 (default 1)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.address = parseNumber<std::uint8_t>(option, text, 1, 255);
         }},
        {"--baud", "19200|115200", "the instrument's bus baud rate (default 115200)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             if (text == "19200")
                 o.instrument.baudCode = BusBaudCode::Baud19200;
             else if (text == "115200")
                 o.instrument.baudCode = BusBaudCode::Baud115200;
             else
                 throw OptionsError(std::string(option) + ": expected 19200 or 115200");
         }},
        {"--line-baud", "RATE",
         "run the line at RATE baud (300-921600) instead of the --baud rate, for trying other\n"
         "rates; the bus-settings scan still reports the --baud code",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.lineBaudRate = parseNumber<int>(option, text, 300, 921600);
         }},
        {"--model", "N",
         "model code reported with the settings, 0-255 (default 20); 5, 10, 20 and 40 have\n"
         "six current ranges, other codes seven",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.model = parseNumber<std::uint8_t>(option, text, 0, 255);
         }},
        {"--urms", "V", "rms of the voltage fundamental (default 220)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.voltage.rms = parseReal(option, text, 0, 1e6);
         }},
        {"--irms", "A", "rms of the current fundamental (default 1)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.current.rms = parseReal(option, text, 0, 1e6);
         }},
        {"--phase", "DEG", "current lag behind the voltage, degrees (default 0)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.currentLagDegrees = parseReal(option, text, -360, 360);
         }},
        {"--frequency", "HZ", "fundamental frequency, 0.5-500 (default 50)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.frequency = parseReal(option, text, 0.5, 500);
         }},
        {"--udc", "V", "DC offset of the voltage (default 0)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.voltage.dc = parseReal(option, text, -1e6, 1e6);
         }},
        {"--idc", "A", "DC offset of the current (default 0)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.current.dc = parseReal(option, text, -1e6, 1e6);
         }},
        {"--uharmonic", "ORDER:PERCENT[:PHASE]",
         "add a voltage harmonic (order 2-50, percent of the fundamental, phase in degrees);\n"
         "repeat for more",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.voltage.harmonics.push_back(parseHarmonic(option, text));
         }},
        {"--iharmonic", "ORDER:PERCENT[:PHASE]", "add a current harmonic, as --uharmonic",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.current.harmonics.push_back(parseHarmonic(option, text));
         }},
        {"--noise", "PERCENT", "random noise, percent of each fundamental's rms (default 0)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.signal.noisePercent = parseReal(option, text, 0, 100);
         }},
        {"--seed", "N", "seed of the noise and of the faults (default 1)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.instrument.seed = parseNumber<std::uint64_t>(option, text, 0, UINT64_MAX);
         }},
        {"--time-scale", "X",
         "run the instrument's clock X times faster than real time: recordings and\n"
         "integration (default 1)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.timeScale = parseReal(option, text, 0.001, 1000);
         }},
        {"--fault", "KIND=WHEN",
         "inject a fault into answers; KIND is drop, bad-crc, split, merge (hold the answer\n"
         "and send it together with the next), garbage (bytes before the answer) or vanish\n"
         "(close the device instead of answering, come back later at the same link);\n"
         "WHEN is a probability 0-1 per answer or next:K for the next K answers; repeat\n"
         "for more kinds",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             parseFault(o, option, text);
         }},
        {"--split-pause", "MS", "pause between the pieces of a split answer (default 150)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.faultShape.splitPause = millisecondsToSeconds(option, text);
         }},
        {"--split-pieces", "N", "pieces of a split answer, 2-64 (default 2)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.faultShape.splitPieces = parseNumber<unsigned>(option, text, 2, 64);
         }},
        {"--garbage-bytes", "N", "garbage bytes inserted before an answer, 1-4096 (default 5)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.faultShape.garbageBytes = parseNumber<unsigned>(option, text, 1, 4096);
         }},
        {"--vanish-for", "MS", "how long a vanished device stays away (default 1000)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.faultShape.vanishFor = millisecondsToSeconds(option, text);
         }},
        {"--merge-hold", "MS", "longest wait of a held answer for the next one (default 2000)",
         [](SimulatorOptions& o, std::string_view option, std::string_view text) {
             o.faultShape.mergeHoldLimit = millisecondsToSeconds(option, text);
         }},
        {"--trace", "", "print every request and answer on standard error",
         [](SimulatorOptions& o, std::string_view, std::string_view) {
             o.trace = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
         }},
    };
    return table;
}

const OptionEntry& findOption(std::string_view name) {
    for (const OptionEntry& entry : optionTable())
        if (entry.name == name)
            return entry;
    throw OptionsError("unknown option " + std::string(name) + " (see --help)");
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine line;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        std::string_view name = arguments[k];
        if (name == "--help" || name == "-h") {
            line.help = true;
            continue;
        }
        std::string_view value;
        bool inlineValue = false;
        if (const std::size_t equals = name.find('=');
            name.starts_with("--") && equals != name.npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            inlineValue = true;
        }
        const OptionEntry& entry = findOption(name);
        if (!entry.argument.empty() && !inlineValue) {
            if (k + 1 == arguments.size())
                throw OptionsError(std::string(name) + " needs " + std::string(entry.argument));
            value = arguments[++k];
        }
        entry.apply(line.simulator, name, value);
    }
    return line;
}

std::string helpText() {
    std::string text =
        "Usage: voltrane-sim [OPTION]...\n"
        "A simulated KTR3300 power analyzer answering the console's requests on a\n"
        "pseudo-terminal (or a given serial device). Prints the path of the device on\n"
        "standard output, again each time the device comes back after vanishing.\n\n"
        "Options:\n";
    for (const OptionEntry& entry : optionTable()) {
        std::string head = "  " + std::string(entry.name);
        if (!entry.argument.empty())
            head += " " + std::string(entry.argument);
        text += head + "\n";
        std::string_view help = entry.help;
        for (std::size_t from = 0; from < help.size();) {
            const std::size_t end = std::min(help.find('\n', from), help.size());
            text += "      " + std::string(help.substr(from, end - from)) + "\n";
            from = end + 1;
        }
    }
    text += "  --help\n      show this text\n\n"
            "The USB port's plug-and-play identity is " +
            std::string(SimulatedUsbIdentity) + ".\n";
    return text;
}
