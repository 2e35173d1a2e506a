#include "base/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr std::int64_t millisecondsPerDay = 86'400'000;

// Days between 1899-12-30 and 1970-01-01.
constexpr std::int64_t epochOffsetDays = 25'569;

std::int64_t daysSinceEpochBase(int year, int month, int day) {
    using namespace std::chrono;
    sys_days date = std::chrono::year(year) / std::chrono::month(static_cast<unsigned>(month)) /
                    std::chrono::day(static_cast<unsigned>(day));
    return date.time_since_epoch().count() + epochOffsetDays;
}

} // namespace

double dateTimeFromCivil(const CivilDateTime& civil) {
    std::int64_t days = daysSinceEpochBase(civil.year, civil.month, civil.day);
    std::int64_t milliseconds =
        ((civil.hour * 60LL + civil.minute) * 60 + civil.second) * 1000 + civil.millisecond;
    double fraction = static_cast<double>(milliseconds) / millisecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

CivilDateTime civilFromDateTime(double dateTime) {
    double wholeDays = std::trunc(dateTime);
    auto days = static_cast<std::int64_t>(wholeDays);
    auto milliseconds = static_cast<std::int64_t>(
        std::llround(std::fabs(dateTime - wholeDays) * millisecondsPerDay));
    if (milliseconds >= millisecondsPerDay) { // rounding reached the next midnight
        milliseconds -= millisecondsPerDay;
        days += 1;
    }
    using namespace std::chrono;
    year_month_day date{sys_days{std::chrono::days{days - epochOffsetDays}}};
    CivilDateTime civil;
    civil.year = static_cast<int>(date.year());
    civil.month = static_cast<int>(static_cast<unsigned>(date.month()));
    civil.day = static_cast<int>(static_cast<unsigned>(date.day()));
    civil.millisecond = static_cast<int>(milliseconds % 1000);
    civil.second = static_cast<int>(milliseconds / 1000 % 60);
    civil.minute = static_cast<int>(milliseconds / 60'000 % 60);
    civil.hour = static_cast<int>(milliseconds / 3'600'000);
    return civil;
}

double currentDateTime() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    auto milliseconds =
        duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return dateTimeFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, local.tm_sec, static_cast<int>(milliseconds)});
}
