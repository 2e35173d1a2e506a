#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "analysis/fft_passes.h"
#include "analysis/fft_plan.h"
#include "analysis/ffts.h"
#include "counted_allocations.h"
#include "reference_fft.h"

namespace {

using Signal = std::vector<TComplex>;

Signal randomSignal(int count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    Signal signal(static_cast<std::size_t>(count));
    for (TComplex& c : signal)
        c = Complex(value(generator), value(generator));
    return signal;
}

struct Bin {
    double re;
    double im;
};

// The definition, in double precision with an exact table of the roots of unity.
std::vector<Bin> directDft(const Signal& x) {
    const std::size_t n = x.size();
    std::vector<Bin> roots(n);
    for (std::size_t m = 0; m < n; ++m) {
        long double angle = -2 * std::numbers::pi_v<long double> * static_cast<long double>(m) /
                            static_cast<long double>(n);
        roots[m] = {static_cast<double>(std::cos(angle)), static_cast<double>(std::sin(angle))};
    }
    std::vector<Bin> result(n);
    for (std::size_t k = 0; k < n; ++k) {
        Bin sum{0, 0};
        std::size_t m = 0; // j·k mod n
        for (std::size_t j = 0; j < n; ++j, m = (m + k) % n) {
            double re = x[j].Re;
            double im = x[j].Im;
            sum.re += re * roots[m].re - im * roots[m].im;
            sum.im += re * roots[m].im + im * roots[m].re;
        }
        result[k] = sum;
    }
    return result;
}

// Largest bin error relative to the root-mean-square size of the bins.
double relativeError(const Signal& fft, const std::vector<Bin>& dft) {
    double worst = 0;
    double energy = 0;
    for (std::size_t k = 0; k < dft.size(); ++k) {
        worst = std::max(worst, std::hypot(static_cast<double>(fft[k].Re) - dft[k].re,
                                           static_cast<double>(fft[k].Im) - dft[k].im));
        energy += dft[k].re * dft[k].re + dft[k].im * dft[k].im;
    }
    return worst / std::sqrt(energy / static_cast<double>(dft.size()));
}

Signal transform(const Signal& x) {
    Signal y(x.size());
    ForwardFFT(x.data(), y.data(), static_cast<int>(x.size()));
    return y;
}

std::vector<int> factorsOf(int count) {
    FftFactors factors = Factorize(count);
    return {factors.radix.begin(), factors.radix.begin() + factors.count};
}

TEST(Factorize, OrderAndTheEightTwoRule) {
    EXPECT_EQ(factorsOf(1), (std::vector<int>{1}));
    EXPECT_EQ(factorsOf(1024), (std::vector<int>{4, 4, 8, 8}));
    EXPECT_EQ(factorsOf(512), (std::vector<int>{8, 8, 8}));
    EXPECT_EQ(factorsOf(256), (std::vector<int>{4, 8, 8}));
    EXPECT_EQ(factorsOf(128), (std::vector<int>{4, 4, 8}));
    EXPECT_EQ(factorsOf(1000), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(factorsOf(896), (std::vector<int>{7, 4, 4, 8}));
    EXPECT_EQ(factorsOf(16), (std::vector<int>{4, 4}));
    EXPECT_EQ(factorsOf(32), (std::vector<int>{4, 8}));
    EXPECT_EQ(factorsOf(6), (std::vector<int>{2, 3}));
    EXPECT_EQ(factorsOf(2 * 7 * 7 * 11), (std::vector<int>{11, 7, 7, 2}));
    EXPECT_EQ(factorsOf(1031), (std::vector<int>{1031}));
}

// Twiddles come from complex-multiplication recurrences whose rounding grows with the
// length, so the bound is single-precision epsilon times the length.
double toleranceFor(int count) {
    return static_cast<double>(std::numeric_limits<float>::epsilon()) * count;
}

TEST(ForwardFFT, AgreesWithADirectTransformForEveryLengthUpTo1024) {
    for (int count = 1; count <= 1024; ++count) {
        Signal x = randomSignal(count, static_cast<unsigned>(count));
        ASSERT_LT(relativeError(transform(x), directDft(x)), toleranceFor(count))
            << "length " << count;
    }
}

using Transform = std::function<void(const TComplex* Source, TComplex* Dest, int Count)>;

void expectStepByStepBitsForEveryLength(const Transform& transform, const std::string& name) {
    for (int count = 1; count <= 1024; ++count) {
        Signal x = randomSignal(count, static_cast<unsigned>(count) + 1000);
        Signal expected(x.size());
        reference::ForwardFFT(x.data(), expected.data(), count);
        Signal y(x.size());
        transform(x.data(), y.data(), count);
        for (std::size_t k = 0; k < y.size(); ++k)
            ASSERT_TRUE(std::memcmp(&y[k], &expected[k], sizeof(TComplex)) == 0)
                << name << ", length " << count << " bin " << k << ": " << y[k].Re << ", "
                << y[k].Im << " instead of " << expected[k].Re << ", " << expected[k].Im;
    }
}

TEST(ForwardFFT, GivesTheBitsOfTheStepByStepAlgorithmForEveryLength) {
    expectStepByStepBitsForEveryLength(ForwardFFT, "ForwardFFT");
}

// Other processors run other builds of the passes; each one this processor can run is
// checked here.
TEST(ForwardFFT, EveryBuildOfThePassesGivesTheSameBits) {
    for (const fft::TransformBuild& build : fft::supportedTransforms()) {
        SCOPED_TRACE(build.name);
        expectStepByStepBitsForEveryLength(
            [&build](const TComplex* Source, TComplex* Dest, int Count) {
                const fft::FftPlan plan = fft::makePlan(Count);
                fft::WorkArrays arrays;
                arrays.fit(Count);
                build.run(plan, Source, Dest, arrays.work(), arrays.spare());
            },
            build.name);
    }
}

TEST(ForwardFFT, LargestAllowedPrimeLength) {
    Signal x = randomSignal(1021, 7);
    EXPECT_LT(relativeError(transform(x), directDft(x)), toleranceFor(1021));
}

TEST(ForwardFFT, PrimeFactorAboveTheLimitIsRefusedBeforeWriting) {
    for (int count : {1031, 2 * 1031, 3 * 1033}) {
        Signal x = randomSignal(count, 3);
        Signal y(x.size(), Complex(42.0f, -42.0f));
        try {
            ForwardFFT(x.data(), y.data(), count);
            ADD_FAILURE() << "length " << count << " was accepted";
        } catch (const FftLengthError& error) {
            EXPECT_STREQ(error.what(), "Prime factor for FFT length too large. Change value for "
                                       "cMaxPrimeFactor in FFTs unit");
        }
        for (const TComplex& c : y)
            ASSERT_TRUE(c.Re == 42.0f && c.Im == -42.0f) << "length " << count;
    }
}

TEST(ForwardFFT, CountZeroTouchesNothing) {
    Signal x = {Complex(1, 2)};
    Signal y = {Complex(5, 6)};
    ForwardFFT(x.data(), y.data(), 0);
    EXPECT_EQ(y[0].Re, 5.0f);
    EXPECT_EQ(y[0].Im, 6.0f);
}

TEST(ForwardFFT, LengthOneCopiesTheSample) {
    Signal y = transform({Complex(-3.5f, 0.25f)});
    EXPECT_EQ(y[0].Re, -3.5f);
    EXPECT_EQ(y[0].Im, 0.25f);
}

TEST(ForwardFFT, InPlaceGivesTheSameBitsAsSeparateArrays) {
    for (int count : {128, 512, 896, 1000, 1021}) {
        Signal x = randomSignal(count, 11);
        Signal expected = transform(x);
        ForwardFFT(x.data(), x.data(), count);
        for (std::size_t k = 0; k < x.size(); ++k)
            ASSERT_TRUE(x[k].Re == expected[k].Re && x[k].Im == expected[k].Im)
                << "length " << count << " bin " << k;
    }
}

TEST(ForwardFFT, RepeatedCallsAllocateNothing) {
    for (int count : {128, 512, 896, 1000, 1021}) {
        Signal x = randomSignal(count, 13);
        Signal y(x.size());
        ForwardFFT(x.data(), y.data(), count);
        const long before = allocationsOnThisThread();
        ForwardFFT(x.data(), y.data(), count);
        ForwardFFT(x.data(), x.data(), count);
        EXPECT_EQ(allocationsOnThisThread(), before) << "length " << count;
    }
}

TEST(ForwardFFT, SourceIsLeftUnchanged) {
    Signal x = randomSignal(1000, 5);
    Signal copy = x;
    transform(x);
    for (std::size_t k = 0; k < x.size(); ++k)
        ASSERT_TRUE(x[k].Re == copy[k].Re && x[k].Im == copy[k].Im);
}

TEST(ForwardFFT, ConstantInputFillsOnlyBinZero) {
    Signal y = transform(Signal(128, Complex(0.75f, 0)));
    EXPECT_FLOAT_EQ(y[0].Re, 96.0f);
    for (std::size_t k = 1; k < y.size(); ++k)
        ASSERT_LT(ComplexMag(y[k]), 1e-4f) << "bin " << k;
}

TEST(ForwardFFT, RealCosineLandsInItsTwoBinsWithHalfTheSum) {
    const int count = 512;
    const int frequency = 3;
    const float amplitude = 2.0f;
    Signal x(count);
    for (int n = 0; n < count; ++n)
        x[static_cast<std::size_t>(n)] = Complex(
            amplitude * static_cast<float>(std::cos(2 * std::numbers::pi * frequency * n / count)),
            0);
    Signal y = transform(x);
    EXPECT_NEAR(ComplexMag(y[frequency]), amplitude * count / 2, 5e-3);
    EXPECT_NEAR(ComplexMag(y[count - frequency]), amplitude * count / 2, 5e-3);
    EXPECT_LT(ComplexMag(y[frequency + 1]), 1e-3f);
}

} // namespace
