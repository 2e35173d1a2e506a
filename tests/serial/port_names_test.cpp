#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "serial/port_names.h"

namespace {

const PortDevicePaths FromSettings = {
    {5, "/dev/serial/by-id/usb-Analyzer_0001-if00"},
    {200, "/dev/pts/7"},
    {33, ""}, // a key left empty in the settings file
};

struct PortCase {
    int number;
    const char* expected;
};

void PrintTo(const PortCase& c, std::ostream* out) {
    *out << "port " << c.number;
}

class DevicePathForPort : public testing::TestWithParam<PortCase> {};

TEST_P(DevicePathForPort, FollowsTheSettingsThenTheDefaultRule) {
    EXPECT_EQ(devicePathForPort(GetParam().number, FromSettings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(PortNames, DevicePathForPort,
                         testing::Values(PortCase{1, "/dev/ttyS0"}, PortCase{2, "/dev/ttyS1"},
                                         PortCase{32, "/dev/ttyS31"}, PortCase{33, "/dev/ttyUSB0"},
                                         PortCase{64, "/dev/ttyUSB31"},
                                         PortCase{65, "/dev/ttyACM0"},
                                         PortCase{96, "/dev/ttyACM31"}, PortCase{97, ""},
                                         PortCase{255, ""}, PortCase{0, ""}, PortCase{-1, ""},
                                         PortCase{256, ""},
                                         PortCase{5, "/dev/serial/by-id/usb-Analyzer_0001-if00"},
                                         PortCase{200, "/dev/pts/7"}));

} // namespace
