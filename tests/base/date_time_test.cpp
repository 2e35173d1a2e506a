#include <gtest/gtest.h>

#include <ctime>
#include <ostream>

#include "base/date_time.h"

// Global, so that GoogleTest finds it for CivilDateTime values in failure messages.
static void PrintTo(const CivilDateTime& c, std::ostream* out) {
    *out << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':'
         << c.second << '.' << c.millisecond;
}

namespace {

struct DateTimeCase {
    const char* what;
    CivilDateTime civil;
    double value;
};

void PrintTo(const DateTimeCase& c, std::ostream* out) {
    *out << c.what;
}

// Cases that hold in both directions: the civil date-time encodes to the value and the
// value decodes back to it.
class DateTimeRoundTrip : public testing::TestWithParam<DateTimeCase> {};

TEST_P(DateTimeRoundTrip, CivilEncodesToTheValue) {
    const DateTimeCase& c = GetParam();
    EXPECT_DOUBLE_EQ(dateTimeFromCivil(c.civil), c.value);
}

TEST_P(DateTimeRoundTrip, ValueDecodesToTheCivil) {
    const DateTimeCase& c = GetParam();
    EXPECT_EQ(civilFromDateTime(c.value), c.civil);
}

INSTANTIATE_TEST_SUITE_P(
    DateTimes, DateTimeRoundTrip,
    testing::Values(
        DateTimeCase{"base day", {1899, 12, 30, 0, 0, 0, 0}, 0.0},
        DateTimeCase{"noon of the base day", {1899, 12, 30, 12, 0, 0, 0}, 0.5},
        DateTimeCase{"day after the base day", {1899, 12, 31, 0, 0, 0, 0}, 1.0},
        DateTimeCase{"first of 1900", {1900, 1, 1, 0, 0, 0, 0}, 2.0},
        DateTimeCase{"1900 has no leap day", {1900, 3, 1, 0, 0, 0, 0}, 61.0},
        DateTimeCase{"leap day of 2000", {2000, 2, 29, 0, 0, 0, 0}, 36585.0},
        DateTimeCase{"after the leap day of 2000", {2000, 3, 1, 0, 0, 0, 0}, 36586.0},
        DateTimeCase{"leap day of 2024", {2024, 2, 29, 6, 0, 0, 0}, 45351.25},
        DateTimeCase{"after the leap day of 2024", {2024, 3, 1, 0, 0, 0, 0}, 45352.0},
        DateTimeCase{"2020-03-26", {2020, 3, 26, 0, 0, 0, 0}, 43916.0},
        DateTimeCase{"2026-12-11 18:00", {2026, 12, 11, 18, 0, 0, 0}, 46367.75},
        DateTimeCase{"milliseconds", {2020, 3, 26, 12, 34, 56, 789}, 43916.5242683912},
        DateTimeCase{
            "last millisecond of a day", {2026, 12, 11, 23, 59, 59, 999}, 46367.999999988424},
        DateTimeCase{"day before the base day", {1899, 12, 29, 0, 0, 0, 0}, -1.0},
        DateTimeCase{"before the base day the time still adds", {1899, 12, 29, 6, 0, 0, 0}, -1.25},
        DateTimeCase{"two days before, evening", {1899, 12, 28, 18, 0, 0, 0}, -2.75},
        DateTimeCase{"milliseconds before the base day",
                     {1899, 12, 29, 12, 34, 56, 789},
                     -1.5242683912037038},
        DateTimeCase{"a century before", {1800, 1, 1, 12, 0, 0, 0}, -36522.5}));

struct DecodeCase {
    const char* what;
    double value;
    CivilDateTime civil;
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << c.what;
}

// Values that no civil date-time encodes to exactly: they round to the nearest millisecond.
class DateTimeDecodeRounding : public testing::TestWithParam<DecodeCase> {};

TEST_P(DateTimeDecodeRounding, RoundsToTheNearestMillisecond) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(civilFromDateTime(c.value), c.civil);
}

INSTANTIATE_TEST_SUITE_P(
    DateTimes, DateTimeDecodeRounding,
    testing::Values(
        DecodeCase{"0.4 ms after rounds down", 43916.524268395835, {2020, 3, 26, 12, 34, 56, 789}},
        DecodeCase{"0.6 ms after rounds up", 43916.52426839815, {2020, 3, 26, 12, 34, 56, 790}},
        DecodeCase{
            "rounding up carries into the minute", 43916.52430555093, {2020, 3, 26, 12, 35, 0, 0}},
        DecodeCase{"0.4 ms before midnight is the next day",
                   46367.99999999537,
                   {2026, 12, 12, 0, 0, 0, 0}},
        DecodeCase{"0.6 ms after, before the base day",
                   -1.5242683981481482,
                   {1899, 12, 29, 12, 34, 56, 790}},
        DecodeCase{"0.4 ms before midnight, before the base day",
                   -2.9999999953703704,
                   {1899, 12, 29, 0, 0, 0, 0}},
        DecodeCase{"0.4 ms before the base day", -1.9999999953703704, {1899, 12, 30, 0, 0, 0, 0}}));

// The local date-time at the start of the current second. Not time(nullptr): that may read a
// coarse clock a few milliseconds behind, still in the previous second just after one turns.
double localDateTimeNow() {
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    std::tm local{};
    localtime_r(&clock.tv_sec, &local);
    return dateTimeFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, local.tm_sec, 0});
}

constexpr double OneSecond = 1.0 / 86'400;

TEST(CurrentDateTime, LiesBetweenTwoReadingsOfTheLocalClock) {
    double before = localDateTimeNow();
    double now = currentDateTime();
    double after = localDateTimeNow();
    EXPECT_GE(now, before);
    EXPECT_LT(now, after + OneSecond);
}

} // namespace
