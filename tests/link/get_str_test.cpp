#include <gtest/gtest.h>

#include "link/get_str.h"

namespace {

struct GetStrCase {
    const char* source;
    const char* begin;
    const char* end;
    const char* expected;
};

class GetStrTest : public testing::TestWithParam<GetStrCase> {};

TEST_P(GetStrTest, CutsBetweenTheMarkers) {
    const GetStrCase& c = GetParam();
    EXPECT_EQ(GetStr(c.source, c.begin, c.end), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PortNames, GetStrTest,
    testing::Values(GetStrCase{"USB-SERIAL (COM12)", "COM", ")", "12"},
                    GetStrCase{"USB-SERIAL (COM12", "COM", ")", ""},
                    GetStrCase{"Port (COM3) (COM4)", "COM", ")", "3"}, // first occurrence
                    GetStrCase{"a) Port (COM7)", "COM", ")", "7"},     // end searched after begin
                    GetStrCase{"usb-serial (com5)", "COM", ")", ""},   // case-sensitive
                    GetStrCase{"Serial (ttyUSB0)", "COM", ")", ""},    // no begin marker
                    GetStrCase{"(COM)", "COM", ")", ""}));

} // namespace
