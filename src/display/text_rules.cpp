#include "display/text_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <optional>

namespace {

constexpr int SignificantDigits = 15;
constexpr int LowestPlainExponent = -5;
constexpr int HighestPlainExponent = 14;

constexpr float Kilo = 1000.0f;
constexpr std::string_view KiloPrefix = " K";

// A positive finite value rounded to 15 significant digits: the digits without trailing
// zeros and the decimal exponent of the first one.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// to_chars rounds the exact binary value, so ties are genuine and go to even.
DecimalDigits roundToSignificantDigits(double magnitude) {
    char buffer[32];
    std::to_chars_result written =
        std::to_chars(std::begin(buffer), std::end(buffer), magnitude,
                      std::chars_format::scientific, SignificantDigits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    std::size_t exponentMark = text.find('e');

    DecimalDigits decimal;
    for (char c : text.substr(0, exponentMark))
        if (c != '.')
            decimal.digits += c;
    decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);

    std::string_view exponentText = text.substr(exponentMark + 1);
    if (exponentText.front() == '+') // from_chars takes no plus sign
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(),
                    decimal.exponent);
    return decimal;
}

// `digits` with the separator after the first `integerDigits`, when any digits follow.
std::string withSeparator(std::string digits, std::size_t integerDigits, char decimalSeparator) {
    if (digits.size() > integerDigits)
        digits.insert(integerDigits, 1, decimalSeparator);
    return digits;
}

std::string plainNotation(const DecimalDigits& decimal, char decimalSeparator) {
    if (decimal.exponent < 0) {
        std::string leadingZeros(static_cast<std::size_t>(-decimal.exponent), '0');
        return withSeparator(leadingZeros + decimal.digits, 1, decimalSeparator);
    }
    std::size_t integerDigits = static_cast<std::size_t>(decimal.exponent) + 1;
    std::string digits = decimal.digits;
    digits.resize(std::max(digits.size(), integerDigits), '0');
    return withSeparator(digits, integerDigits, decimalSeparator);
}

std::string exponentNotation(const DecimalDigits& decimal, char decimalSeparator) {
    char exponent[16];
    std::to_chars_result written =
        std::to_chars(std::begin(exponent), std::end(exponent), decimal.exponent);
    return withSeparator(decimal.digits, 1, decimalSeparator) + 'E' +
           std::string(exponent, written.ptr);
}

// Inputs a plain conversion to int64 would leave undefined: NaN gives 0, the rest saturate.
std::optional<std::int64_t> beyondInt64(double x) {
    constexpr double TwoTo63 = 9223372036854775808.0;
    if (std::isnan(x))
        return 0;
    if (x >= TwoTo63)
        return std::numeric_limits<std::int64_t>::max();
    if (x < -TwoTo63)
        return std::numeric_limits<std::int64_t>::min();
    return std::nullopt;
}

} // namespace

std::string formatGeneral(double value, char decimalSeparator) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    DecimalDigits decimal = roundToSignificantDigits(std::fabs(value));
    bool plain =
        decimal.exponent >= LowestPlainExponent && decimal.exponent <= HighestPlainExponent;
    std::string text = plain ? plainNotation(decimal, decimalSeparator)
                             : exponentNotation(decimal, decimalSeparator);
    return value < 0 ? '-' + text : text;
}

// Conversion to integer truncates and the remainder x - whole is exact, so neither depends
// on the rounding mode.
std::int64_t Round(double x) {
    if (std::optional<std::int64_t> limit = beyondInt64(x))
        return *limit;
    std::int64_t whole = static_cast<std::int64_t>(x);
    double fraction = x - static_cast<double>(whole);
    double distance = std::fabs(fraction);
    bool awayFromZero = distance > 0.5 || (distance == 0.5 && whole % 2 != 0);
    if (awayFromZero)
        whole += fraction > 0 ? 1 : -1;
    return whole;
}

std::int64_t Trunc(double x) {
    if (std::optional<std::int64_t> limit = beyondInt64(x))
        return *limit;
    return static_cast<std::int64_t>(x);
}

std::string PrintTextString(float Data, std::string_view UnitStr, int StrLength, float aRate,
                            float bRate, char decimalSeparator) {
    float v = Data;
    std::string unit(UnitStr);
    if (std::fabs(v) > Kilo) {
        v = v / Kilo;
        unit.insert(0, KiloPrefix);
    }
    std::int64_t n = Round(static_cast<double>(v) * static_cast<double>(aRate));
    double q = static_cast<double>(n) / static_cast<double>(bRate);

    std::string text = formatGeneral(q, decimalSeparator);
    if (text.find(decimalSeparator) == std::string::npos) {
        text += decimalSeparator;
        text += '0';
    }
    text.resize(std::min(text.size(), static_cast<std::size_t>(std::max(StrLength, 0))));
    return text + unit;
}
