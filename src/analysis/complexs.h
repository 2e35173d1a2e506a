#pragma once

// Single-precision complex numbers. Every operation evaluates its expression in double
// precision from the single-precision operands and rounds once to single precision when
// the result is stored.

struct TComplex {
    float Re;
    float Im;
};

static_assert(sizeof(TComplex) == 8);

inline TComplex Complex(float Re, float Im) {
    return {Re, Im};
}

// Widens an operand for one arithmetic step; `single` rounds the step's result.
constexpr double wide(float value) {
    return static_cast<double>(value);
}
constexpr float single(double value) {
    return static_cast<float>(value);
}

inline TComplex ComplexAdd(TComplex C1, TComplex C2) {
    return {single(wide(C1.Re) + wide(C2.Re)), single(wide(C1.Im) + wide(C2.Im))};
}

inline TComplex ComplexSub(TComplex C1, TComplex C2) {
    return {single(wide(C1.Re) - wide(C2.Re)), single(wide(C1.Im) - wide(C2.Im))};
}

inline TComplex ComplexMul(TComplex C1, TComplex C2) {
    return {single(wide(C1.Re) * wide(C2.Re) - wide(C1.Im) * wide(C2.Im)),
            single(wide(C1.Im) * wide(C2.Re) + wide(C1.Re) * wide(C2.Im))};
}

inline TComplex ComplexScl(TComplex C, float Scale) {
    return {single(wide(C.Re) * wide(Scale)), single(wide(C.Im) * wide(Scale))};
}

float ComplexMag(TComplex C);
