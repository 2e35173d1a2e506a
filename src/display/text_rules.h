#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Up to 15 significant digits of `value`, correctly rounded (ties to even), without trailing
// zeros; plain notation for decimal exponents -5..14, otherwise "1.5E-6" style. Zero is "0",
// NaN "NAN", infinities "INF" and "-INF". `decimalSeparator` replaces '.'.
std::string formatGeneral(double value, char decimalSeparator = '.');

// Nearest integer with ties to even, whatever the floating-point rounding mode; NaN gives 0
// and values beyond the int64 range saturate at its limits.
std::int64_t Round(double x);

// Integer part (toward zero); NaN gives 0 and values beyond the int64 range saturate.
std::int64_t Trunc(double x);

// Text of a value cell: a value above 1000 in magnitude moves to the kilo unit, then shows
// as Round(v * aRate) / bRate, at least one decimal, cut to `StrLength` characters, then the
// unit. 229.8764 with " V", 6, 1000, 1000 gives "229.87 V".
std::string PrintTextString(float Data, std::string_view UnitStr, int StrLength, float aRate,
                            float bRate, char decimalSeparator = '.');
