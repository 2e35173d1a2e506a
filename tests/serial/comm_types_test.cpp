#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "serial/comm_types.h"

namespace {

struct ModemCase {
    const char* what;
    ModemLines held;
    ModemLines now;
    std::uint32_t changes;
};

void PrintTo(const ModemCase& c, std::ostream* out) {
    *out << c.what;
}

constexpr ModemLines AllOff{};
constexpr ModemLines AllOn{true, true, true, true};

class ModemLineChanges : public testing::TestWithParam<ModemCase> {};

TEST_P(ModemLineChanges, ReportChangedLinesAndRememberTheNewState) {
    const ModemCase& c = GetParam();
    ModemLines held = c.held;
    EXPECT_EQ(takeModemLineChanges(held, c.now), c.changes);
    EXPECT_EQ(held, c.now);
    EXPECT_EQ(takeModemLineChanges(held, c.now), 0u) << "the same lines again";
}

INSTANTIATE_TEST_SUITE_P(
    CommTypes, ModemLineChanges,
    testing::Values(ModemCase{"nothing changes", AllOff, AllOff, 0},
                    ModemCase{"first look at lines already on", AllOff, AllOn,
                              ME_RLSD | ME_DSR | ME_RING | ME_CTS},
                    ModemCase{"every line drops", AllOn, AllOff,
                              ME_RLSD | ME_DSR | ME_RING | ME_CTS},
                    ModemCase{"carrier", AllOff, {true, false, false, false}, ME_RLSD},
                    ModemCase{"data set ready", AllOff, {false, true, false, false}, ME_DSR},
                    ModemCase{"ring", AllOn, {true, true, false, true}, ME_RING},
                    ModemCase{"clear to send", AllOn, {true, true, true, false}, ME_CTS}));

} // namespace
