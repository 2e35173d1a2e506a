#pragma once

#include <array>
#include <stdexcept>

#include "analysis/complexs.h"

// Largest prime factor a transform length may have.
inline constexpr int cMaxPrimeFactor = 1021;

// A transform length with a prime factor above cMaxPrimeFactor.
class FftLengthError : public std::invalid_argument {
public:
    FftLengthError()
        : std::invalid_argument("Prime factor for FFT length too large. Change value for "
                                "cMaxPrimeFactor in FFTs unit") {}
};

// The factors of a transform length in the order the passes use them.
struct FftFactors {
    static constexpr int MaxFactors = 32;
    int count = 0;
    std::array<int, MaxFactors> radix{};
};

// Splits Count into the radices 10, 8, 5, 4, 3, 2 (taken greedily, 8·2 turned into 4·4)
// and the remaining primes; radix[0] is the factor found last.
FftFactors Factorize(int Count);

// Dest[k] = sum over n of Source[n]·e^(-2πi·n·k/Count), unnormalised, for k < Count.
// Source and Dest may be the same array. Count 0 does nothing. Throws FftLengthError,
// before writing anything, when a prime factor of Count exceeds cMaxPrimeFactor.
void ForwardFFT(const TComplex* Source, TComplex* Dest, int Count);
