#pragma once

#include <vector>

#include "analysis/complexs.h"

namespace fft {

// Butterflies computed side by side, one in each lane of a vector.
constexpr int Lanes = 8;

// One synthesis pass: `butterflies` butterflies of `radix` inputs each. Before the pass the
// data holds sofar-long partial transforms of count/sofar interleaved subsequences; the
// pass combines them `radix` at a time, `remain` combinations per data number.
struct PassPlan {
    int sofar = 1;
    int radix = 1;
    int remain = 1;
    int butterflies = 1; // sofar·remain
    // Twiddle of input b >= 1 for data number d at [(b - 1)·sofar + d]; d = 0 is not used.
    // The singles of the recurrences, held as doubles for the wide multiplication.
    std::vector<double> twiddleRe;
    std::vector<double> twiddleIm;
    // For passes whose blocks of Lanes butterflies mix data numbers (remain not a multiple of
    // Lanes): the twiddles of butterfly j at [(b - 1)·butterflies + j], with room for reading
    // a vector past the last one.
    std::vector<double> butterflyTwiddleRe;
    std::vector<double> butterflyTwiddleIm;
    std::vector<TComplex> trig; // roots of unity of the radix, for the general butterfly
};

// Everything a transform of one length needs that does not depend on the data.
struct FftPlan {
    int count = 0;
    std::vector<PassPlan> passes;
};

// Throws FftLengthError when a prime factor of count exceeds cMaxPrimeFactor.
FftPlan makePlan(int count);

} // namespace fft
