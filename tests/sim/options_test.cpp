#include "options.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

CommandLine parse(std::vector<std::string_view> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, TakesValuesSeparateOrAfterAnEqualsSign) {
    const CommandLine line = parse({"--personality",
                                    "rs485",
                                    "--baud=19200",
                                    "--line-baud",
                                    "9600",
                                    "--address",
                                    "17",
                                    "--model",
                                    "7",
                                    "--urms",
                                    "110.5",
                                    "--irms=2",
                                    "--phase",
                                    "-30",
                                    "--frequency",
                                    "60",
                                    "--udc",
                                    "1",
                                    "--idc",
                                    "-0.5",
                                    "--uharmonic",
                                    "3:10",
                                    "--uharmonic",
                                    "5:4:90",
                                    "--iharmonic",
                                    "7:20",
                                    "--noise",
                                    "0.5",
                                    "--seed",
                                    "99",
                                    "--time-scale",
                                    "20",
                                    "--fault",
                                    "drop=0.1",
                                    "--fault",
                                    "vanish=next:2",
                                    "--split-pause",
                                    "300",
                                    "--vanish-for",
                                    "250",
                                    "--link",
                                    "/tmp/x",
                                    "--device",
                                    "/dev/ttyS4"});
    const SimulatorOptions& o = line.simulator;
    EXPECT_FALSE(line.help);
    EXPECT_EQ(o.personality, Personality::Rs485);
    EXPECT_EQ(o.instrument.baudCode, BusBaudCode::Baud19200);
    EXPECT_EQ(o.instrument.lineBaudRate, 9600);
    EXPECT_EQ(o.instrument.address, 17);
    EXPECT_EQ(o.instrument.model, 7);
    EXPECT_EQ(o.instrument.signal.voltage.rms, 110.5);
    EXPECT_EQ(o.instrument.signal.current.rms, 2);
    EXPECT_EQ(o.instrument.signal.currentLagDegrees, -30);
    EXPECT_EQ(o.instrument.signal.frequency, 60);
    EXPECT_EQ(o.instrument.signal.voltage.dc, 1);
    EXPECT_EQ(o.instrument.signal.current.dc, -0.5);
    ASSERT_EQ(o.instrument.signal.voltage.harmonics.size(), 2u);
    EXPECT_EQ(o.instrument.signal.voltage.harmonics[1].order, 5);
    EXPECT_EQ(o.instrument.signal.voltage.harmonics[1].percent, 4);
    EXPECT_EQ(o.instrument.signal.voltage.harmonics[1].phaseDegrees, 90);
    EXPECT_EQ(o.instrument.signal.current.harmonics.at(0).order, 7);
    EXPECT_EQ(o.instrument.signal.noisePercent, 0.5);
    EXPECT_EQ(o.instrument.seed, 99u);
    EXPECT_EQ(o.timeScale, 20);
    EXPECT_EQ(o.faults[std::size_t(FaultKind::Drop)].probability, 0.1);
    EXPECT_EQ(o.faults[std::size_t(FaultKind::Vanish)].nextAnswers, 2u);
    EXPECT_EQ(o.faultShape.splitPause, 0.3);
    EXPECT_EQ(o.faultShape.vanishFor, 0.25);
    EXPECT_EQ(o.linkPath, "/tmp/x");
    EXPECT_EQ(o.devicePath, "/dev/ttyS4");
}

TEST(CommandLine, RefusesBadInputNamingTheOption) {
    const std::vector<std::vector<std::string_view>> bad{{"--address", "0"},
                                                         {"--address", "256"},
                                                         {"--baud", "9600"},
                                                         {"--personality", "x"},
                                                         {"--frequency", "0"},
                                                         {"--urms", "-1"},
                                                         {"--uharmonic", "1:5"},
                                                         {"--uharmonic", "3"},
                                                         {"--iharmonic", "3:101"},
                                                         {"--fault", "drop"},
                                                         {"--fault", "lose=0.5"},
                                                         {"--fault", "drop=2"},
                                                         {"--urms"},
                                                         {"--nonsense"},
                                                         {"--time-scale", "0"}};
    for (const auto& arguments : bad) {
        try {
            parse(arguments);
            ADD_FAILURE() << arguments[0] << " accepted";
        } catch (const OptionsError& error) {
            EXPECT_NE(std::string(error.what()).find(arguments[0]), std::string::npos)
                << error.what();
        }
    }
}

TEST(CommandLine, HelpListsEveryOptionTheParserTakes) {
    const std::string help = helpText();
    EXPECT_TRUE(parse({"--help"}).help);
    for (const char* option :
         {"--personality",   "--device",     "--link",       "--address",     "--baud",
          "--model",         "--urms",       "--irms",       "--phase",       "--frequency",
          "--udc",           "--idc",        "--uharmonic",  "--iharmonic",   "--noise",
          "--seed",          "--time-scale", "--fault",      "--split-pause", "--split-pieces",
          "--garbage-bytes", "--vanish-for", "--merge-hold", "--trace",       "--line-baud",
          "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(help.find("5737"), std::string::npos);
}

} // namespace
