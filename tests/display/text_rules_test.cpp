#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "display/text_rules.h"

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr std::int64_t Int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Int64Min = std::numeric_limits<std::int64_t>::min();

struct GeneralCase {
    double value;
    char separator;
    std::string expected;
};

void PrintTo(const GeneralCase& c, std::ostream* os) {
    *os << std::hexfloat << c.value << " '" << c.separator << "' -> " << c.expected;
}

class FormatGeneralTest : public testing::TestWithParam<GeneralCase> {};

TEST_P(FormatGeneralTest, GivesFifteenSignificantDigits) {
    const GeneralCase& c = GetParam();
    EXPECT_EQ(formatGeneral(c.value, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PlainNotation, FormatGeneralTest,
    testing::Values(GeneralCase{static_cast<double>(0.1f), '.', "0.100000001490116"},
                    GeneralCase{1.0, '.', "1"}, GeneralCase{1000.0, '.', "1000"},
                    GeneralCase{100.0, '.', "100"}, GeneralCase{-3.0, '.', "-3"},
                    GeneralCase{229.876, '.', "229.876"}, GeneralCase{-0.5, '.', "-0.5"},
                    GeneralCase{0.1 + 0.2, '.', "0.3"},
                    GeneralCase{2.0 / 3, '.', "0.666666666666667"},
                    GeneralCase{0.000123, '.', "0.000123"}, GeneralCase{1e-5, '.', "0.00001"},
                    GeneralCase{1e14, '.', "100000000000000"},
                    GeneralCase{123456789012345.0, '.', "123456789012345"},
                    GeneralCase{999999999999999.0, '.', "999999999999999"}));

INSTANTIATE_TEST_SUITE_P(
    ExponentNotation, FormatGeneralTest,
    testing::Values(GeneralCase{1.5e-6, '.', "1.5E-6"},
                    GeneralCase{9.99999999999999e-6, '.', "9.99999999999999E-6"},
                    GeneralCase{1e15, '.', "1E15"}, GeneralCase{-2.25e20, '.', "-2.25E20"},
                    GeneralCase{1e100, '.', "1E100"},
                    GeneralCase{std::numeric_limits<double>::denorm_min(), '.',
                                "4.94065645841247E-324"}));

// The exponent that picks the notation is the one of the rounded value.
INSTANTIATE_TEST_SUITE_P(RoundingCrossesADecade, FormatGeneralTest,
                         testing::Values(GeneralCase{std::nextafter(1e-5, 0.0), '.', "0.00001"},
                                         GeneralCase{999999999999999.5, '.', "1E15"}));

// Exactly representable values whose 16th significant digit is a final 5.
INSTANTIATE_TEST_SUITE_P(TiesToEven, FormatGeneralTest,
                         testing::Values(GeneralCase{1000000000000005.0, '.', "1E15"},
                                         GeneralCase{1000000000000015.0, '.',
                                                     "1.00000000000002E15"},
                                         GeneralCase{1234567890123.125, '.', "1234567890123.12"},
                                         GeneralCase{1234567890123.375, '.', "1234567890123.38"}));

INSTANTIATE_TEST_SUITE_P(SpecialValues, FormatGeneralTest,
                         testing::Values(GeneralCase{0.0, '.', "0"}, GeneralCase{-0.0, '.', "0"},
                                         GeneralCase{Nan, '.', "NAN"}, GeneralCase{Inf, '.', "INF"},
                                         GeneralCase{-Inf, '.', "-INF"}));

INSTANTIATE_TEST_SUITE_P(CommaSeparator, FormatGeneralTest,
                         testing::Values(GeneralCase{3.12, ',', "3,12"},
                                         GeneralCase{1.5e-6, ',', "1,5E-6"},
                                         GeneralCase{1000.0, ',', "1000"},
                                         GeneralCase{-0.00001, ',', "-0,00001"}));

struct IntegerCase {
    double x;
    std::int64_t rounded;
    std::int64_t truncated;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << std::hexfloat << c.x;
}

const std::vector<IntegerCase> integerCases = {
    {0.0, 0, 0},
    {-0.0, 0, 0},
    {0.5, 0, 0},
    {-0.5, 0, 0},
    {1.5, 2, 1},
    {2.5, 2, 2},
    {3.5, 4, 3},
    {-2.5, -2, -2},
    {-3.5, -4, -3},
    {-2.7, -3, -2},
    {0.49999999999999994, 0, 0}, // floor(x + 0.5) would give 1
    {2.4999999999999996, 2, 2},
    {2.5000000000000004, 3, 2},
    {2251799813685248.5, 2251799813685248, 2251799813685248}, // 2^51 + 0.5, last halves
    {2251799813685249.5, 2251799813685250, 2251799813685249},
    {-2251799813685249.5, -2251799813685250, -2251799813685249},
    {9007199254740992.0, 9007199254740992, 9007199254740992}, // 2^53
    {9007199254740994.0, 9007199254740994, 9007199254740994},
    {9223372036854774784.0, 9223372036854774784, 9223372036854774784}, // below 2^63
    {9223372036854775808.0, Int64Max, Int64Max},                       // 2^63
    {-9223372036854775808.0, Int64Min, Int64Min},
    {1e300, Int64Max, Int64Max},
    {-1e300, Int64Min, Int64Min},
    {Inf, Int64Max, Int64Max},
    {-Inf, Int64Min, Int64Min},
    {Nan, 0, 0},
};

class RoundTruncTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(RoundTruncTest, RoundGoesToNearestWithTiesToEven) {
    EXPECT_EQ(Round(GetParam().x), GetParam().rounded);
}

TEST_P(RoundTruncTest, TruncGoesTowardZero) {
    EXPECT_EQ(Trunc(GetParam().x), GetParam().truncated);
}

INSTANTIATE_TEST_SUITE_P(Table, RoundTruncTest, testing::ValuesIn(integerCases));

class RoundTruncRoundingModeTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_EQ(std::fesetround(GetParam()), 0); }
    void TearDown() override { std::fesetround(FE_TONEAREST); }
};

TEST_P(RoundTruncRoundingModeTest, ResultsDoNotDependOnTheMode) {
    for (const IntegerCase& c : integerCases) {
        EXPECT_EQ(Round(c.x), c.rounded) << std::hexfloat << c.x;
        EXPECT_EQ(Trunc(c.x), c.truncated) << std::hexfloat << c.x;
    }
}

INSTANTIATE_TEST_SUITE_P(DirectedModes, RoundTruncRoundingModeTest,
                         testing::Values(FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO));

struct CellCase {
    float data;
    std::string unit;
    int length;
    float aRate;
    float bRate;
    char separator;
    std::string expected;
};

void PrintTo(const CellCase& c, std::ostream* os) {
    *os << std::setprecision(9) << c.data << " length " << c.length << " -> \"" << c.expected
        << '"';
}

class PrintTextStringTest : public testing::TestWithParam<CellCase> {};

TEST_P(PrintTextStringTest, GivesTheCellText) {
    const CellCase& c = GetParam();
    EXPECT_EQ(PrintTextString(c.data, c.unit, c.length, c.aRate, c.bRate, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(MeasurementCells, PrintTextStringTest,
                         testing::Values(CellCase{229.8764f, " V", 6, 1000, 1000, '.', "229.87 V"},
                                         CellCase{0.0f, " V", 6, 1000, 1000, '.', "0.0 V"},
                                         CellCase{1000.0f, " W", 6, 1000, 1000, '.', "1000.0 W"},
                                         CellCase{0.0312f * 10, " %", 6, 1000, 100, '.', "3.12 %"},
                                         CellCase{12.34567f, " A", 6, 10000, 10000, '.',
                                                  "12.345 A"},
                                         CellCase{123.456f, " deg", 6, 100, 100, '.', "123.46 deg"},
                                         CellCase{1.41421f, "  ", 6, 1000, 1000, '.', "1.414  "}));

// Above 1000 in magnitude, strictly and before rounding, the value moves to the kilo unit.
INSTANTIATE_TEST_SUITE_P(
    KiloUnit, PrintTextStringTest,
    testing::Values(CellCase{1234.5f, " W", 6, 1000, 1000, '.', "1.235 K W"},
                    CellCase{-1234.5f, " W", 6, 1000, 1000, '.', "-1.235 K W"},
                    CellCase{2500.0f, " W", 6, 1000, 1000, '.', "2.5 K W"},
                    CellCase{static_cast<float>(3600), " S", 6, 1000, 1000, '.', "3.6 K S"},
                    CellCase{-1500.0f, " Var", 6, 1000, 1000, '.', "-1.5 K Var"},
                    CellCase{123456.7f, " W", 6, 1000, 1000, '.', "123.45 K W"},
                    CellCase{1000.0001f, " V", 6, 1000, 1000, '.', "1.0 K V"},
                    CellCase{-1000.0f, " W", 6, 1000, 1000, '.', "-1000. W"},
                    CellCase{999.9996f, " V", 6, 1000, 1000, '.', "1000.0 V"}));

INSTANTIATE_TEST_SUITE_P(TiesToEven, PrintTextStringTest,
                         testing::Values(CellCase{2.5f, " V", 6, 1, 1, '.', "2.0 V"},
                                         CellCase{3.5f, " V", 6, 1, 1, '.', "4.0 V"},
                                         CellCase{-2.5f, " V", 6, 1, 1, '.', "-2.0 V"},
                                         CellCase{0.0625f, " V", 6, 1000, 1000, '.', "0.062 V"}));

// The length cuts without rounding.
INSTANTIATE_TEST_SUITE_P(Length, PrintTextStringTest,
                         testing::Values(CellCase{229.8764f, " V", 3, 1000, 1000, '.', "229 V"},
                                         CellCase{9.99f, " V", 3, 1000, 1000, '.', "9.9 V"},
                                         CellCase{229.8764f, " V", 20, 1000, 1000, '.',
                                                  "229.876 V"},
                                         CellCase{229.8764f, " V", 0, 1000, 1000, '.', " V"},
                                         CellCase{229.8764f, " V", -3, 1000, 1000, '.', " V"}));

// A whole number gains the separator in use, so a comma never meets a point.
INSTANTIATE_TEST_SUITE_P(CommaSeparator, PrintTextStringTest,
                         testing::Values(CellCase{0.0312f * 10, " %", 6, 1000, 100, ',', "3,12 %"},
                                         CellCase{0.0f, " V", 6, 1000, 1000, ',', "0,0 V"},
                                         CellCase{2500.0f, " W", 6, 1000, 1000, ',', "2,5 K W"},
                                         CellCase{-1500.0f, " Var", 6, 1000, 1000, ',',
                                                  "-1,5 K Var"}));

INSTANTIATE_TEST_SUITE_P(GarbageValue, PrintTextStringTest,
                         testing::Values(CellCase{std::numeric_limits<float>::quiet_NaN(), " V", 6,
                                                  1000, 1000, '.', "0.0 V"}));

} // namespace
