#pragma once

// Several butterflies side by side ("lanes"): every value of a butterfly is a vector holding
// that value for each lane, so the compiler uses vector instructions.
//
// Rounding: a step that is one addition, subtraction or product of two singles is done in
// single precision, which rounds exactly as evaluating it in double and storing it as single
// (double holds more than twice the digits of single). Steps with more operations are
// evaluated in double and rounded once.
//
// The code is built once per instruction set: `Isa` says how lanes are widened to double and
// rounded back, which a generic vector conversion does poorly on some processors.

#include "analysis/complexs.h"
#include "analysis/fft_plan.h"
#include "analysis/ffts.h"

namespace fft {

static_assert(Lanes == 8, "the lane lists, shuffles and transposes here are written for eight");

using LaneFloats = float __attribute__((vector_size(Lanes * sizeof(float))));
using LaneDoubles = double __attribute__((vector_size(Lanes * sizeof(double))));
using LaneInts = int __attribute__((vector_size(Lanes * sizeof(int))));

constexpr LaneInts LaneIndex = {0, 1, 2, 3, 4, 5, 6, 7};

// The same vectors at any address of their elements. Element-typed accesses (unlike memcpy)
// tell the compiler that storing singles leaves every other kind of value where it was.
using UnalignedFloats = float __attribute__((vector_size(Lanes * sizeof(float)), aligned(4)));
using UnalignedDoubles = double __attribute__((vector_size(Lanes * sizeof(double)), aligned(8)));

// Vector conversions as the compiler lowers them for the target of the calling function.
struct PortableConversions {
    static LaneDoubles wide(LaneFloats value) {
        return __builtin_convertvector(value, LaneDoubles);
    }
    static LaneFloats single(LaneDoubles value) {
        return __builtin_convertvector(value, LaneFloats);
    }
    static LaneDoubles broadcast(double value) {
        return LaneDoubles{value, value, value, value, value, value, value, value};
    }
};

// One value of every lane.
struct Lane {
    LaneFloats re;
    LaneFloats im;
};

inline Lane operator+(Lane a, Lane b) {
    return {a.re + b.re, a.im + b.im};
}
inline Lane operator-(Lane a, Lane b) {
    return {a.re - b.re, a.im - b.im};
}
inline Lane scaled(Lane a, float s) {
    return {a.re * s, a.im * s};
}

inline LaneFloats loadVector(const float* values) {
    return *reinterpret_cast<const UnalignedFloats*>(values);
}

inline LaneDoubles loadVector(const double* values) {
    return *reinterpret_cast<const UnalignedDoubles*>(values);
}

inline void storeLanes(LaneFloats lanes, float* values, int count) {
    if (count == Lanes) {
        *reinterpret_cast<UnalignedFloats*>(values) = lanes;
        return;
    }
    for (int l = 0; l < count; ++l)
        values[l] = lanes[l];
}

// Eight rows of eight values, `rowStride` apart, as eight columns.
inline void transposeLoad(const float* values, int rowStride, LaneFloats* columns) {
    LaneFloats r[Lanes];
    for (int l = 0; l < Lanes; ++l)
        r[l] = loadVector(values + l * rowStride);
    LaneFloats t[Lanes];
    for (int l = 0; l < Lanes; l += 2) {
        t[l] = __builtin_shufflevector(r[l], r[l + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[l + 1] = __builtin_shufflevector(r[l], r[l + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    LaneFloats u[Lanes];
    for (int h = 0; h < Lanes; h += 4)
        for (int i = 0; i < 2; ++i) {
            u[h + 2 * i] =
                __builtin_shufflevector(t[h + i], t[h + i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            u[h + 2 * i + 1] =
                __builtin_shufflevector(t[h + i], t[h + i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    for (int c = 0; c < 4; ++c) {
        columns[c] = __builtin_shufflevector(u[c], u[c + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        columns[c + 4] = __builtin_shufflevector(u[c], u[c + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

constexpr float c31 = -1.5f;
constexpr float c32 = 0.8660254f;
constexpr float c51 = -1.25f;
constexpr float c52 = 0.559017f;
constexpr float c53 = -0.95105654f;
constexpr float c54 = -1.5388417f;
constexpr float c55 = 0.36327127f;
constexpr float c8 = 0.70710677f;

inline void fft2(Lane* z) {
    Lane t1 = z[0] + z[1];
    z[1] = z[0] - z[1];
    z[0] = t1;
}

template <class Isa>
void fft3(Lane* z) {
    Lane t1 = z[1] + z[2];
    z[0] = z[0] + t1;
    Lane m1 = scaled(t1, c31);
    Lane m2 = {Isa::single(wide(c32) * (Isa::wide(z[1].im) - Isa::wide(z[2].im))),
               Isa::single(wide(c32) * (Isa::wide(z[2].re) - Isa::wide(z[1].re)))};
    Lane s1 = z[0] + m1;
    z[1] = s1 + m2;
    z[2] = s1 - m2;
}

inline void fft4(Lane* z) {
    Lane t1 = z[0] + z[2];
    Lane t2 = z[1] + z[3];
    Lane m2 = z[0] - z[2];
    Lane m3 = {z[1].im - z[3].im, z[3].re - z[1].re};
    z[0] = t1 + t2;
    z[2] = t1 - t2;
    z[1] = m2 + m3;
    z[3] = m2 - m3;
}

template <class Isa>
void fft5(Lane* z) {
    Lane t1 = z[1] + z[4];
    Lane t2 = z[2] + z[3];
    Lane t3 = z[1] - z[4];
    Lane t4 = z[3] - z[2];
    Lane t5 = t1 + t2;
    z[0] = z[0] + t5;
    Lane m1 = scaled(t5, c51);
    Lane m2 = scaled(t1 - t2, c52);
    Lane m3 = {Isa::single(-wide(c53) * (Isa::wide(t3.im) + Isa::wide(t4.im))),
               Isa::single(wide(c53) * (Isa::wide(t3.re) + Isa::wide(t4.re)))};
    Lane m4 = {-c54 * t4.im, c54 * t4.re};
    Lane m5 = {-c55 * t3.im, c55 * t3.re};
    Lane s3 = m3 - m4;
    Lane s5 = m3 + m5;
    Lane s1 = z[0] + m1;
    Lane s2 = s1 + m2;
    Lane s4 = s1 - m2;
    z[1] = s2 + s3;
    z[2] = s4 + s5;
    z[3] = s4 - s5;
    z[4] = s2 - s3;
}

template <class Isa>
void fft8(Lane* z) {
    Lane a[4] = {z[0], z[2], z[4], z[6]};
    Lane b[4] = {z[1], z[3], z[5], z[7]};
    fft4(a);
    fft4(b);
    b[1] = {Isa::single(wide(c8) * (Isa::wide(b[1].re) + Isa::wide(b[1].im))),
            Isa::single(wide(c8) * (Isa::wide(b[1].im) - Isa::wide(b[1].re)))};
    b[2] = {b[2].im, -b[2].re};
    b[3] = {Isa::single(wide(c8) * (Isa::wide(b[3].im) - Isa::wide(b[3].re))),
            Isa::single(-wide(c8) * (Isa::wide(b[3].re) + Isa::wide(b[3].im)))};
    for (int j = 0; j < 4; ++j) {
        z[j] = a[j] + b[j];
        z[j + 4] = a[j] - b[j];
    }
}

template <class Isa>
void fft10(Lane* z) {
    Lane a[5] = {z[0], z[2], z[4], z[6], z[8]};
    Lane b[5] = {z[5], z[7], z[9], z[1], z[3]};
    fft5<Isa>(a);
    fft5<Isa>(b);
    z[0] = a[0] + b[0];
    z[5] = a[0] - b[0];
    z[6] = a[1] + b[1];
    z[1] = a[1] - b[1];
    z[2] = a[2] + b[2];
    z[7] = a[2] - b[2];
    z[8] = a[3] + b[3];
    z[3] = a[3] - b[3];
    z[4] = a[4] + b[4];
    z[9] = a[4] - b[4];
}

// The general butterfly for an odd radix N with the roots trig[0...N-1].
template <class Isa>
void fftPrime(Lane* z, int N, const TComplex* trig) {
    const int AMax = (N + 1) / 2;
    static thread_local Lane symmetric[cMaxPrimeFactor / 2 + 1];     // Z[j] + conj(Z[N - j])
    static thread_local Lane antisymmetric[cMaxPrimeFactor / 2 + 1]; // Z[j] - conj(Z[N - j])
    for (int j = 1; j < AMax; ++j) {
        symmetric[j] = {z[j].re + z[N - j].re, z[j].im - z[N - j].im};
        antisymmetric[j] = {z[j].re - z[N - j].re, z[j].im + z[N - j].im};
    }
    for (int j = 1; j < AMax; ++j) {
        Lane up = z[0];
        Lane down = z[0];
        int k = j;
        for (int i = 1; i < AMax; ++i) {
            LaneDoubles rere = Isa::wide(trig[k].Re * symmetric[i].re);
            LaneDoubles imim = Isa::wide(trig[k].Im * symmetric[i].im);
            LaneDoubles reim = Isa::wide(trig[k].Re * antisymmetric[i].im);
            LaneDoubles imre = Isa::wide(trig[k].Im * antisymmetric[i].re);
            down.re = Isa::single(Isa::wide(down.re) + rere + imim);
            down.im = Isa::single(Isa::wide(down.im) + reim - imre);
            up.re = Isa::single(Isa::wide(up.re) + rere - imim);
            up.im = Isa::single(Isa::wide(up.im) + reim + imre);
            k += j;
            if (k >= N)
                k -= N;
        }
        z[j] = up;
        z[N - j] = down;
    }
    for (int j = 1; j < AMax; ++j) {
        z[0].re = z[0].re + symmetric[j].re;
        z[0].im = z[0].im + antisymmetric[j].im;
    }
}

} // namespace fft
