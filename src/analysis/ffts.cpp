#include "analysis/ffts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

// The transform runs the mixed-radix algorithm pass by pass: digit-reversal reorder, then one
// twiddle-and-butterfly pass per factor. Everything that depends only on the length (factors,
// reorder, twiddles from their recurrences, roots of the general butterfly) is worked out once
// per length and kept in a plan, so a call only moves data and does the butterflies, several
// butterflies side by side ("lanes") so that the compiler can use vector instructions.
//
// Rounding: a step that is one addition, subtraction or product of two singles is done in
// single precision, which rounds exactly as evaluating it in double and storing it as single
// (double holds more than twice the digits of single). Steps with more operations are
// evaluated in double and rounded once.

namespace {

constexpr int cRadices[] = {0, 2, 3, 4, 5, 8, 10}; // table order, indices 1...6

constexpr float c31 = -1.5f;
constexpr float c32 = 0.8660254f;
constexpr float c51 = -1.25f;
constexpr float c52 = 0.559017f;
constexpr float c53 = -0.95105654f;
constexpr float c54 = -1.5388417f;
constexpr float c55 = 0.36327127f;
constexpr float c8 = 0.70710677f;

// Butterflies processed side by side, as one vector of singles per value.
constexpr int Lanes = 8;
using LaneFloats = float __attribute__((vector_size(Lanes * sizeof(float))));
using LaneDoubles = double __attribute__((vector_size(Lanes * sizeof(double))));

using ::single;
using ::wide;
inline LaneDoubles wide(LaneFloats value) {
    return __builtin_convertvector(value, LaneDoubles);
}
inline LaneFloats single(LaneDoubles value) {
    return __builtin_convertvector(value, LaneFloats);
}

// A complex value; T is LaneFloats for the lanes of a block.
template <class T>
struct Cx {
    T re;
    T im;
};

template <class T>
inline Cx<T> operator+(Cx<T> a, Cx<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <class T>
inline Cx<T> operator-(Cx<T> a, Cx<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <class T>
inline Cx<T> scaled(Cx<T> a, float s) {
    return {a.re * s, a.im * s};
}

template <class T>
inline void fft2(Cx<T>* z) {
    Cx<T> t1 = z[0] + z[1];
    z[1] = z[0] - z[1];
    z[0] = t1;
}

template <class T>
inline void fft3(Cx<T>* z) {
    Cx<T> t1 = z[1] + z[2];
    z[0] = z[0] + t1;
    Cx<T> m1 = scaled(t1, c31);
    Cx<T> m2 = {single(wide(c32) * (wide(z[1].im) - wide(z[2].im))),
                single(wide(c32) * (wide(z[2].re) - wide(z[1].re)))};
    Cx<T> s1 = z[0] + m1;
    z[1] = s1 + m2;
    z[2] = s1 - m2;
}

template <class T>
inline void fft4(Cx<T>* z) {
    Cx<T> t1 = z[0] + z[2];
    Cx<T> t2 = z[1] + z[3];
    Cx<T> m2 = z[0] - z[2];
    Cx<T> m3 = {z[1].im - z[3].im, z[3].re - z[1].re};
    z[0] = t1 + t2;
    z[2] = t1 - t2;
    z[1] = m2 + m3;
    z[3] = m2 - m3;
}

template <class T>
inline void fft5(Cx<T>* z) {
    Cx<T> t1 = z[1] + z[4];
    Cx<T> t2 = z[2] + z[3];
    Cx<T> t3 = z[1] - z[4];
    Cx<T> t4 = z[3] - z[2];
    Cx<T> t5 = t1 + t2;
    z[0] = z[0] + t5;
    Cx<T> m1 = scaled(t5, c51);
    Cx<T> m2 = scaled(t1 - t2, c52);
    Cx<T> m3 = {single(-wide(c53) * (wide(t3.im) + wide(t4.im))),
                single(wide(c53) * (wide(t3.re) + wide(t4.re)))};
    Cx<T> m4 = {-c54 * t4.im, c54 * t4.re};
    Cx<T> m5 = {-c55 * t3.im, c55 * t3.re};
    Cx<T> s3 = m3 - m4;
    Cx<T> s5 = m3 + m5;
    Cx<T> s1 = z[0] + m1;
    Cx<T> s2 = s1 + m2;
    Cx<T> s4 = s1 - m2;
    z[1] = s2 + s3;
    z[2] = s4 + s5;
    z[3] = s4 - s5;
    z[4] = s2 - s3;
}

template <class T>
inline void fft8(Cx<T>* z) {
    Cx<T> a[4] = {z[0], z[2], z[4], z[6]};
    Cx<T> b[4] = {z[1], z[3], z[5], z[7]};
    fft4(a);
    fft4(b);
    b[1] = {single(wide(c8) * (wide(b[1].re) + wide(b[1].im))),
            single(wide(c8) * (wide(b[1].im) - wide(b[1].re)))};
    b[2] = {b[2].im, -b[2].re};
    b[3] = {single(wide(c8) * (wide(b[3].im) - wide(b[3].re))),
            single(-wide(c8) * (wide(b[3].re) + wide(b[3].im)))};
    for (int j = 0; j < 4; ++j) {
        z[j] = a[j] + b[j];
        z[j + 4] = a[j] - b[j];
    }
}

template <class T>
inline void fft10(Cx<T>* z) {
    Cx<T> a[5] = {z[0], z[2], z[4], z[6], z[8]};
    Cx<T> b[5] = {z[5], z[7], z[9], z[1], z[3]};
    fft5(a);
    fft5(b);
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
template <class T>
void fftPrime(Cx<T>* z, int N, const TComplex* trig) {
    const int AMax = (N + 1) / 2;
    static thread_local Cx<T> symmetric[cMaxPrimeFactor / 2 + 1];     // Z[j] + conj(Z[N - j])
    static thread_local Cx<T> antisymmetric[cMaxPrimeFactor / 2 + 1]; // Z[j] - conj(Z[N - j])
    for (int j = 1; j < AMax; ++j) {
        symmetric[j] = {z[j].re + z[N - j].re, z[j].im - z[N - j].im};
        antisymmetric[j] = {z[j].re - z[N - j].re, z[j].im + z[N - j].im};
    }
    for (int j = 1; j < AMax; ++j) {
        Cx<T> up = z[0];
        Cx<T> down = z[0];
        int k = j;
        for (int i = 1; i < AMax; ++i) {
            T rere = trig[k].Re * symmetric[i].re;
            T imim = trig[k].Im * symmetric[i].im;
            T reim = trig[k].Re * antisymmetric[i].im;
            T imre = trig[k].Im * antisymmetric[i].re;
            down.re = single(wide(down.re) + wide(rere) + wide(imim));
            down.im = single(wide(down.im) + wide(reim) - wide(imre));
            up.re = single(wide(up.re) + wide(rere) - wide(imim));
            up.im = single(wide(up.im) + wide(reim) + wide(imre));
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

// Cosine and minus sine of an angle, evaluated in extended precision and stored as singles.
TComplex unitRoot(double angle) {
    long double wideAngle = angle;
    return {static_cast<float>(std::cos(wideAngle)), static_cast<float>(-std::sin(wideAngle))};
}

struct PassPlan {
    int sofar = 1;
    int radix = 1;
    int remain = 1;
    // Twiddle of block b >= 1 for data number d at [(b - 1) * sofar + d]; d = 0 is not used.
    std::vector<float> twiddleRe;
    std::vector<float> twiddleIm;
    std::vector<TComplex> trig; // roots of unity of the radix, for the general butterfly
};

struct FftPlan {
    int count = 0;
    std::vector<int> source; // reorder: element i of the first pass is Source[source[i]]
    std::vector<PassPlan> passes;
};

} // namespace

FftFactors Factorize(int Count) {
    int appended[FftFactors::MaxFactors];
    int n = 0;
    if (Count == 1)
        appended[n++] = 1;
    for (int i = 6; Count > 1 && i > 0;) {
        if (Count % cRadices[i] == 0) {
            Count /= cRadices[i];
            appended[n++] = cRadices[i];
        } else {
            --i;
        }
    }
    if (n > 0 && appended[n - 1] == 2) {
        for (int i = n - 2; i >= 0; --i) {
            if (appended[i] == 8) {
                appended[i] = 4;
                appended[n - 1] = 4;
                break;
            }
        }
    }
    if (Count > 1) {
        int bound = static_cast<int>(std::sqrt(static_cast<double>(Count)));
        for (int d = 2; d <= bound; ++d) {
            while (Count % d == 0) {
                Count /= d;
                appended[n++] = d;
            }
        }
        if (Count > 1)
            appended[n++] = Count;
    }
    FftFactors factors;
    factors.count = n;
    for (int i = 0; i < n; ++i)
        factors.radix[static_cast<std::size_t>(i)] = appended[n - 1 - i];
    return factors;
}

namespace {

// Mixed-radix digit reversal, as a table of source indices.
std::vector<int> reorderTable(int count, const FftFactors& factors) {
    std::vector<int> remain(static_cast<std::size_t>(factors.count) + 2, 0);
    remain[0] = count;
    for (int i = 1; i <= factors.count; ++i)
        remain[static_cast<std::size_t>(i)] = remain[static_cast<std::size_t>(i - 1)] /
                                              factors.radix[static_cast<std::size_t>(i - 1)];
    std::vector<int> counts(remain.size(), 0);
    std::vector<int> source(static_cast<std::size_t>(count));
    int k = 0;
    for (int i = 0; i <= count - 2; ++i) {
        source[static_cast<std::size_t>(i)] = k;
        std::size_t j = 1;
        k += remain[1];
        counts[1] += 1;
        while (counts[j] >= factors.radix[j - 1]) {
            counts[j] = 0;
            k = k - remain[j - 1] + remain[j + 1];
            j += 1;
            counts[j] += 1;
        }
    }
    source[static_cast<std::size_t>(count - 1)] = count - 1;
    return source;
}

std::vector<TComplex> rootsOfUnity(int radix) {
    std::vector<TComplex> trig(static_cast<std::size_t>(std::max(radix, 2)));
    trig[0] = {1, 0};
    trig[1] = unitRoot(2 * std::numbers::pi / radix);
    for (std::size_t i = 2; i < static_cast<std::size_t>(radix); ++i)
        trig[i] = ComplexMul(trig[1], trig[i - 1]);
    return trig;
}

// Twiddles from their recurrences: S steps by one root of unity per data number, and
// the twiddle of block b is S^b built up one product at a time.
void fillTwiddles(PassPlan& pass) {
    const auto sofar = static_cast<std::size_t>(pass.sofar);
    pass.twiddleRe.assign(sofar * static_cast<std::size_t>(pass.radix - 1), 0);
    pass.twiddleIm.assign(pass.twiddleRe.size(), 0);
    const TComplex step = unitRoot(2 * std::numbers::pi / (pass.sofar * pass.radix));
    TComplex s = {1, 0};
    for (std::size_t d = 0; d < sofar && pass.sofar > 1; ++d) {
        TComplex synth = s;
        for (std::size_t b = 1; b < static_cast<std::size_t>(pass.radix); ++b) {
            if (b > 1)
                synth = ComplexMul(s, synth);
            pass.twiddleRe[(b - 1) * sofar + d] = synth.Re;
            pass.twiddleIm[(b - 1) * sofar + d] = synth.Im;
        }
        s = ComplexMul(step, s);
    }
}

std::unique_ptr<FftPlan> makePlan(int count) {
    FftFactors factors = Factorize(count);
    if (factors.radix[0] > cMaxPrimeFactor)
        throw FftLengthError();
    auto plan = std::make_unique<FftPlan>();
    plan->count = count;
    plan->source = reorderTable(count, factors);
    int sofar = 1;
    int remain = count;
    for (int i = 0; i < factors.count; ++i) {
        PassPlan pass;
        pass.radix = factors.radix[static_cast<std::size_t>(i)];
        pass.sofar = sofar;
        remain /= pass.radix;
        pass.remain = remain;
        pass.trig = rootsOfUnity(pass.radix);
        fillTwiddles(pass);
        plan->passes.push_back(std::move(pass));
        sofar *= plan->passes.back().radix;
    }
    return plan;
}

// The few lengths in use keep their plans; the harmonic view uses one or two.
const FftPlan& planFor(int count) {
    constexpr std::size_t CachedPlans = 8;
    static thread_local std::vector<std::unique_ptr<FftPlan>> plans;
    for (const auto& plan : plans)
        if (plan->count == count)
            return *plan;
    auto plan = makePlan(count);
    if (plans.size() == CachedPlans)
        plans.erase(plans.begin());
    plans.push_back(std::move(plan));
    return *plans.back();
}

// Where the lanes of a block live: element b of lane l at first + l·stride + b·sofar, for
// the first `count` lanes; the other lanes carry zeros and are never stored.
struct LanePlace {
    int first;
    int stride;
    int count;
};

// The lanes of one value: consecutive (stride 1), `stride` apart, or (stride 0) one value
// for all of them.
LaneFloats loadLanes(const float* values, int first, int stride, int count) {
    LaneFloats lanes = {};
    if (count < Lanes) {
        float partial[Lanes] = {};
        for (int l = 0; l < count; ++l)
            partial[l] = values[first + l * stride];
        std::memcpy(&lanes, partial, sizeof lanes);
    } else if (stride == 1) {
        std::memcpy(&lanes, values + first, sizeof lanes);
    } else {
        for (int l = 0; l < Lanes; ++l)
            lanes[l] = values[first + l * stride];
    }
    return lanes;
}

void storeLanes(LaneFloats lanes, float* values, int first, int stride, int count) {
    if (count < Lanes) {
        float partial[Lanes];
        std::memcpy(partial, &lanes, sizeof lanes);
        for (int l = 0; l < count; ++l)
            values[first + l * stride] = partial[l];
    } else if (stride == 1) {
        std::memcpy(values + first, &lanes, sizeof lanes);
    } else {
        for (int l = 0; l < Lanes; ++l)
            values[first + l * stride] = lanes[l];
    }
}

using Lane = Cx<LaneFloats>;

// Twiddles, loads, butterfly and stores of one block of lanes of a pass.
struct BlockRun {
    const PassPlan& pass;
    float* re;
    float* im;
    LanePlace place;
    int firstData;  // data number of lane 0
    bool alongData; // lanes hold consecutive data numbers, else groups of one data number

    void load(Lane* z) const {
        for (int b = 0; b < pass.radix; ++b) {
            int at = place.first + b * pass.sofar;
            z[b] = {loadLanes(re, at, place.stride, place.count),
                    loadLanes(im, at, place.stride, place.count)};
        }
    }

    // Data number 0 is not twiddled: along the groups nothing is, along the data numbers
    // lane 0 keeps its value when the block starts at data number 0.
    void twiddle(Lane* z) const {
        if (firstData == 0 && !alongData)
            return;
        const int tableStride = alongData ? 1 : 0;
        for (int b = 1; b < pass.radix; ++b) {
            int row = (b - 1) * pass.sofar + firstData;
            LaneFloats rootRe = loadLanes(pass.twiddleRe.data(), row, tableStride, place.count);
            LaneFloats rootIm = loadLanes(pass.twiddleIm.data(), row, tableStride, place.count);
            Lane value = z[b];
            z[b] = {single(wide(rootRe) * wide(value.re) - wide(rootIm) * wide(value.im)),
                    single(wide(rootIm) * wide(value.re) + wide(rootRe) * wide(value.im))};
            if (firstData == 0) {
                z[b].re[0] = value.re[0];
                z[b].im[0] = value.im[0];
            }
        }
    }

    void store(const Lane* z) const {
        for (int b = 0; b < pass.radix; ++b) {
            int at = place.first + b * pass.sofar;
            storeLanes(z[b].re, re, at, place.stride, place.count);
            storeLanes(z[b].im, im, at, place.stride, place.count);
        }
    }

    template <int R, void (*Butterfly)(Lane*)>
    void fixedRadix() const {
        Lane z[R];
        load(z);
        twiddle(z);
        Butterfly(z);
        store(z);
    }

    void anyRadix() const {
        static thread_local Lane z[cMaxPrimeFactor];
        load(z);
        twiddle(z);
        fftPrime(z, pass.radix, pass.trig.data());
        store(z);
    }

    void run() const {
        switch (pass.radix) {
        case 2:
            fixedRadix<2, fft2<LaneFloats>>();
            break;
        case 3:
            fixedRadix<3, fft3<LaneFloats>>();
            break;
        case 4:
            fixedRadix<4, fft4<LaneFloats>>();
            break;
        case 5:
            fixedRadix<5, fft5<LaneFloats>>();
            break;
        case 8:
            fixedRadix<8, fft8<LaneFloats>>();
            break;
        case 10:
            fixedRadix<10, fft10<LaneFloats>>();
            break;
        default:
            anyRadix();
            break;
        }
    }
};

// One pass: for every group and data number, the radix elements sofar apart are twiddled
// (data number > 0) and put through the butterfly. Lanes run along the data numbers where
// there are enough of them, else along the groups.
void synthesizePass(const PassPlan& pass, float* re, float* im) {
    const int span = pass.sofar * pass.radix;
    if (pass.sofar >= Lanes) {
        for (int group = 0; group < pass.remain; ++group)
            for (int data = 0; data < pass.sofar; data += Lanes) {
                LanePlace place{group * span + data, 1, std::min(Lanes, pass.sofar - data)};
                BlockRun{pass, re, im, place, data, true}.run();
            }
        return;
    }
    for (int data = 0; data < pass.sofar; ++data)
        for (int group = 0; group < pass.remain; group += Lanes) {
            LanePlace place{group * span + data, span, std::min(Lanes, pass.remain - group)};
            BlockRun{pass, re, im, place, data, false}.run();
        }
}

} // namespace

namespace {

// Reorder, passes and the copy into Dest. Built for the wider vector units too; the loader
// picks the best one this processor has. Source is read completely before Dest is written,
// so both may be the same array.
__attribute__((target_clones("avx512f", "avx2", "default"), flatten)) void
transform(const FftPlan& plan, const TComplex* Source, TComplex* Dest, float* re, float* im) {
    const auto count = static_cast<std::size_t>(plan.count);
    for (std::size_t i = 0; i < count; ++i) {
        const TComplex& from = Source[plan.source[i]];
        re[i] = from.Re;
        im[i] = from.Im;
    }
    for (const PassPlan& pass : plan.passes)
        synthesizePass(pass, re, im);
    for (std::size_t i = 0; i < count; ++i)
        Dest[i] = {re[i], im[i]};
}

} // namespace

void ForwardFFT(const TComplex* Source, TComplex* Dest, int Count) {
    if (Count <= 0)
        return;
    const FftPlan& plan = planFor(Count);
    static thread_local std::vector<float> re;
    static thread_local std::vector<float> im;
    const auto count = static_cast<std::size_t>(Count);
    if (re.size() < count) {
        re.resize(count);
        im.resize(count);
    }
    transform(plan, Source, Dest, re.data(), im.data());
}
