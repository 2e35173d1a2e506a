#include <gtest/gtest.h>

#include <cmath>

#include "analysis/complexs.h"

namespace {

TEST(Complexs, ProductIsRoundedOnceFromExactPartialProducts) {
    // Re = a·c − b·d = (1 + 2^-12)^2 − (1 + 2^-11) = 2^-24 exactly. Rounding each partial
    // product to single precision first would lose the 2^-24 and give 0.
    const float a = 1.0f + std::ldexp(1.0f, -12);
    const float d = 1.0f + std::ldexp(1.0f, -11);
    TComplex product = ComplexMul(Complex(a, 1.0f), Complex(a, d));
    EXPECT_EQ(product.Re, std::ldexp(1.0f, -24));
}

TEST(Complexs, ArithmeticAgreesWithTheDefinitions) {
    TComplex c1 = Complex(1.5f, -2.0f);
    TComplex c2 = Complex(0.25f, 4.0f);
    TComplex sum = ComplexAdd(c1, c2);
    TComplex difference = ComplexSub(c1, c2);
    TComplex product = ComplexMul(c1, c2);
    TComplex scaled = ComplexScl(c1, -3.0f);
    EXPECT_EQ(sum.Re, 1.75f);
    EXPECT_EQ(sum.Im, 2.0f);
    EXPECT_EQ(difference.Re, 1.25f);
    EXPECT_EQ(difference.Im, -6.0f);
    EXPECT_EQ(product.Re, 1.5f * 0.25f + 2.0f * 4.0f);
    EXPECT_EQ(product.Im, -2.0f * 0.25f + 1.5f * 4.0f);
    EXPECT_EQ(scaled.Re, -4.5f);
    EXPECT_EQ(scaled.Im, 6.0f);
    EXPECT_EQ(ComplexMag(Complex(3.0f, -4.0f)), 5.0f);
}

TEST(Complexs, MagnitudeDoesNotOverflowInSinglePrecisionSquares) {
    // 3e30² overflows a single; the sum of squares is formed in double precision.
    EXPECT_FLOAT_EQ(ComplexMag(Complex(3e30f, 4e30f)), 5e30f);
}

} // namespace
