// The transform written step by step as the algorithm is defined, one butterfly at a time
// on single complex values. The production transform must give the same bits.
#include "reference_fft.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace reference {
namespace {

constexpr float c31 = -1.5f;
constexpr float c32 = 0.8660254f;
constexpr float c51 = -1.25f;
constexpr float c52 = 0.559017f;
constexpr float c53 = -0.95105654f;
constexpr float c54 = -1.5388417f;
constexpr float c55 = 0.36327127f;
constexpr float c8 = 0.70710677f;

constexpr int HalfPrime = (cMaxPrimeFactor + 1) / 2;

// Cosine and minus sine of an angle, evaluated in extended precision and stored as singles.
TComplex unitRoot(double angle) {
    long double wideAngle = angle;
    return {static_cast<float>(std::cos(wideAngle)), static_cast<float>(-std::sin(wideAngle))};
}

TComplex add(TComplex a, TComplex b) {
    return ComplexAdd(a, b);
}
TComplex sub(TComplex a, TComplex b) {
    return ComplexSub(a, b);
}

void FFT_2(TComplex* Z) {
    TComplex T1 = add(Z[0], Z[1]);
    Z[1] = sub(Z[0], Z[1]);
    Z[0] = T1;
}

void FFT_3(TComplex* Z) {
    TComplex T1 = add(Z[1], Z[2]);
    Z[0] = add(Z[0], T1);
    TComplex M1 = ComplexScl(T1, c31);
    TComplex M2 = {single(wide(c32) * (wide(Z[1].Im) - wide(Z[2].Im))),
                   single(wide(c32) * (wide(Z[2].Re) - wide(Z[1].Re)))};
    TComplex S1 = add(Z[0], M1);
    Z[1] = add(S1, M2);
    Z[2] = sub(S1, M2);
}

void FFT_4(TComplex* Z) {
    TComplex T1 = add(Z[0], Z[2]);
    TComplex T2 = add(Z[1], Z[3]);
    TComplex M2 = sub(Z[0], Z[2]);
    TComplex M3 = {single(wide(Z[1].Im) - wide(Z[3].Im)), single(wide(Z[3].Re) - wide(Z[1].Re))};
    Z[0] = add(T1, T2);
    Z[2] = sub(T1, T2);
    Z[1] = add(M2, M3);
    Z[3] = sub(M2, M3);
}

void FFT_5(TComplex* Z) {
    TComplex T1 = add(Z[1], Z[4]);
    TComplex T2 = add(Z[2], Z[3]);
    TComplex T3 = sub(Z[1], Z[4]);
    TComplex T4 = sub(Z[3], Z[2]);
    TComplex T5 = add(T1, T2);
    Z[0] = add(Z[0], T5);
    TComplex M1 = ComplexScl(T5, c51);
    TComplex M2 = ComplexScl(sub(T1, T2), c52);
    TComplex M3 = {single(-wide(c53) * (wide(T3.Im) + wide(T4.Im))),
                   single(wide(c53) * (wide(T3.Re) + wide(T4.Re)))};
    TComplex M4 = {single(-wide(c54) * wide(T4.Im)), single(wide(c54) * wide(T4.Re))};
    TComplex M5 = {single(-wide(c55) * wide(T3.Im)), single(wide(c55) * wide(T3.Re))};
    TComplex S3 = sub(M3, M4);
    TComplex S5 = add(M3, M5);
    TComplex S1 = add(Z[0], M1);
    TComplex S2 = add(S1, M2);
    TComplex S4 = sub(S1, M2);
    Z[1] = add(S2, S3);
    Z[2] = add(S4, S5);
    Z[3] = sub(S4, S5);
    Z[4] = sub(S2, S3);
}

void FFT_8(TComplex* Z) {
    TComplex A[4] = {Z[0], Z[2], Z[4], Z[6]};
    TComplex B[4] = {Z[1], Z[3], Z[5], Z[7]};
    FFT_4(A);
    FFT_4(B);
    B[1] = {single(wide(c8) * (wide(B[1].Re) + wide(B[1].Im))),
            single(wide(c8) * (wide(B[1].Im) - wide(B[1].Re)))};
    B[2] = {B[2].Im, -B[2].Re};
    B[3] = {single(wide(c8) * (wide(B[3].Im) - wide(B[3].Re))),
            single(-wide(c8) * (wide(B[3].Re) + wide(B[3].Im)))};
    for (int j = 0; j < 4; ++j) {
        Z[j] = add(A[j], B[j]);
        Z[j + 4] = sub(A[j], B[j]);
    }
}

void FFT_10(TComplex* Z) {
    TComplex A[5] = {Z[0], Z[2], Z[4], Z[6], Z[8]};
    TComplex B[5] = {Z[5], Z[7], Z[9], Z[1], Z[3]};
    FFT_5(A);
    FFT_5(B);
    Z[0] = add(A[0], B[0]);
    Z[5] = sub(A[0], B[0]);
    Z[6] = add(A[1], B[1]);
    Z[1] = sub(A[1], B[1]);
    Z[2] = add(A[2], B[2]);
    Z[7] = sub(A[2], B[2]);
    Z[8] = add(A[3], B[3]);
    Z[3] = sub(A[3], B[3]);
    Z[4] = add(A[4], B[4]);
    Z[9] = sub(A[4], B[4]);
}

void FFT_Prime(TComplex* Z, int N, const TComplex* Trig) {
    int AMax = (N + 1) / 2;
    TComplex V[HalfPrime];
    TComplex W[HalfPrime];
    for (int j = 1; j < AMax; ++j) {
        V[j] = {single(wide(Z[j].Re) + wide(Z[N - j].Re)),
                single(wide(Z[j].Im) - wide(Z[N - j].Im))};
        W[j] = {single(wide(Z[j].Re) - wide(Z[N - j].Re)),
                single(wide(Z[j].Im) + wide(Z[N - j].Im))};
    }
    for (int j = 1; j < AMax; ++j) {
        Z[j] = Z[0];
        Z[N - j] = Z[0];
        int k = j;
        for (int i = 1; i < AMax; ++i) {
            float rere = single(wide(Trig[k].Re) * wide(V[i].Re));
            float imim = single(wide(Trig[k].Im) * wide(V[i].Im));
            float reim = single(wide(Trig[k].Re) * wide(W[i].Im));
            float imre = single(wide(Trig[k].Im) * wide(W[i].Re));
            Z[N - j].Re = single(wide(Z[N - j].Re) + wide(rere) + wide(imim));
            Z[N - j].Im = single(wide(Z[N - j].Im) + wide(reim) - wide(imre));
            Z[j].Re = single(wide(Z[j].Re) + wide(rere) - wide(imim));
            Z[j].Im = single(wide(Z[j].Im) + wide(reim) + wide(imre));
            k += j;
            if (k >= N)
                k -= N;
        }
    }
    for (int j = 1; j < AMax; ++j) {
        Z[0].Re = single(wide(Z[0].Re) + wide(V[j].Re));
        Z[0].Im = single(wide(Z[0].Im) + wide(W[j].Im));
    }
}

void InitializeTrigonomials(int Radix, TComplex* Trig) {
    Trig[0] = {1, 0};
    Trig[1] = unitRoot(2 * std::numbers::pi / Radix);
    for (int i = 2; i < Radix; ++i)
        Trig[i] = ComplexMul(Trig[1], Trig[i - 1]);
}

void applyButterfly(TComplex* Z, int Radix, const TComplex* Trig) {
    switch (Radix) {
    case 2:
        FFT_2(Z);
        break;
    case 3:
        FFT_3(Z);
        break;
    case 4:
        FFT_4(Z);
        break;
    case 5:
        FFT_5(Z);
        break;
    case 8:
        FFT_8(Z);
        break;
    case 10:
        FFT_10(Z);
        break;
    default:
        FFT_Prime(Z, Radix, Trig);
        break;
    }
}

void SynthesizeFFT(int Sofar, int Radix, int Remain, TComplex* Y) {
    TComplex Trig[cMaxPrimeFactor];
    TComplex Synth[cMaxPrimeFactor];
    TComplex Z[cMaxPrimeFactor];
    InitializeTrigonomials(Radix, Trig);
    TComplex CosSin = unitRoot(2 * std::numbers::pi / (Sofar * Radix));
    TComplex S = {1, 0};
    int DataOffset = 0;
    int GroupOffset = 0;
    int Position = 0;
    for (int DataNo = 0; DataNo < Sofar; ++DataNo) {
        if (Sofar > 1) {
            Synth[0] = {1, 0};
            Synth[1] = S;
            for (int j = 2; j < Radix; ++j)
                Synth[j] = ComplexMul(S, Synth[j - 1]);
            S = ComplexMul(CosSin, S);
        }
        for (int GroupNo = 0; GroupNo < Remain; ++GroupNo) {
            if (Sofar > 1 && DataNo > 0) {
                Z[0] = Y[Position];
                for (int BlockNo = 1; BlockNo < Radix; ++BlockNo) {
                    Position += Sofar;
                    Z[BlockNo] = ComplexMul(Synth[BlockNo], Y[Position]);
                }
            } else {
                for (int BlockNo = 0; BlockNo < Radix; ++BlockNo) {
                    Z[BlockNo] = Y[Position];
                    Position += Sofar;
                }
            }
            applyButterfly(Z, Radix, Trig);
            Position = GroupOffset;
            for (int BlockNo = 0; BlockNo < Radix; ++BlockNo) {
                Y[Position] = Z[BlockNo];
                Position += Sofar;
            }
            GroupOffset += Sofar * Radix;
            Position = GroupOffset;
        }
        DataOffset += 1;
        GroupOffset = DataOffset;
        Position = DataOffset;
    }
}

// Mixed-radix digit reversal; Factors and Remain are indexed from 1, Remain from 0.
void ReorderSeries(int Count, const int* Factors, const int* Remain, const TComplex* X,
                   TComplex* Y) {
    int Counts[FftFactors::MaxFactors + 2] = {};
    int k = 0;
    for (int i = 0; i <= Count - 2; ++i) {
        Y[i] = X[k];
        int j = 1;
        k += Remain[1];
        Counts[1] += 1;
        while (Counts[j] >= Factors[j]) {
            Counts[j] = 0;
            k = k - Remain[j - 1] + Remain[j + 1];
            j += 1;
            Counts[j] += 1;
        }
    }
    Y[Count - 1] = X[Count - 1];
}

} // namespace

void ForwardFFT(const TComplex* Source, TComplex* Dest, int Count) {
    if (Count <= 0)
        return;
    FftFactors factors = Factorize(Count);
    int F = factors.count;
    int ActualRadix[FftFactors::MaxFactors + 2] = {};
    for (int i = 1; i <= F; ++i)
        ActualRadix[i] = factors.radix[static_cast<std::size_t>(i - 1)];
    if (ActualRadix[1] > cMaxPrimeFactor)
        throw FftLengthError();

    int SofarRadix[FftFactors::MaxFactors + 2] = {};
    int RemainRadix[FftFactors::MaxFactors + 2] = {};
    RemainRadix[0] = Count;
    SofarRadix[1] = 1;
    RemainRadix[1] = Count / ActualRadix[1];
    for (int i = 2; i <= F; ++i) {
        SofarRadix[i] = SofarRadix[i - 1] * ActualRadix[i - 1];
        RemainRadix[i] = RemainRadix[i - 1] / ActualRadix[i];
    }

    if (Dest == Source) {
        std::vector<TComplex> copy(static_cast<std::size_t>(Count));
        ReorderSeries(Count, ActualRadix, RemainRadix, Source, copy.data());
        std::copy(copy.begin(), copy.end(), Dest);
    } else {
        ReorderSeries(Count, ActualRadix, RemainRadix, Source, Dest);
    }
    for (int i = 1; i <= F; ++i)
        SynthesizeFFT(SofarRadix[i], ActualRadix[i], RemainRadix[i], Dest);
}

} // namespace reference
