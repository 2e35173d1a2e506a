#pragma once

#include <cstdint>

// Date-times are stored as 64-bit floats counting days since 30 December 1899, with the
// time of day as the fraction. Before that day the integer part counts back and the
// fraction still adds the time of day: -1.25 is 29 December 1899, 06:00.

struct CivilDateTime {
    int year = 1899;
    int month = 12; // 1-12
    int day = 30;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const CivilDateTime&) const = default;
};

double dateTimeFromCivil(const CivilDateTime& civil);

// The stored value rounded to the nearest millisecond.
CivilDateTime civilFromDateTime(double dateTime);

// The current local date and time.
double currentDateTime();
