#include "analysis/fft_passes.h"

#include <immintrin.h>

#include <utility>

#include "analysis/fft_lanes.h"

// The passes are out of place and keep the data in natural order, so there is no reorder
// copy: before a pass, the partial transform of group g and data number d, sofar long so
// far, sits at g + d·remain·radix; the butterfly of group g and data number d takes the
// radix groups g + b·remain and writes its outputs at g + d·remain + k·remain·sofar. Every
// butterfly gets the same values, twiddles and steps as in the in-place algorithm on
// digit-reversed data, and the result comes out in natural order.

namespace fft {
namespace {

// Widening and broadcasting with single instructions of the widest vectors: the portable
// forms are split into halves or built element by element there. The all-lanes masks spare
// the unmasked intrinsics' undefined pass-through operand.
struct Avx512Conversions {
    __attribute__((target("avx512f"))) static LaneDoubles wide(LaneFloats value) {
        return reinterpret_cast<LaneDoubles>(
            _mm512_maskz_cvtps_pd(0xFF, reinterpret_cast<__m256>(value)));
    }
    static LaneFloats single(LaneDoubles value) {
        return __builtin_convertvector(value, LaneFloats);
    }
    __attribute__((target("avx512f"))) static LaneDoubles broadcast(double value) {
        return reinterpret_cast<LaneDoubles>(_mm512_maskz_broadcastsd_pd(0xFF, _mm_set_sd(value)));
    }
};

// The butterfly j = g + d·remain reads input b from j + b·remain + d·remain·(radix - 1)
// and writes output k to j + k·butterflies. A block handles the butterflies first...first
// + count - 1, one per lane, and reads them in one of three ways.
enum class Reading {
    // All lanes have one data number, so they read consecutive values and share a twiddle.
    OneDataNumber,
    // With remain = 1 each lane has its own data number and reads `radix` consecutive
    // values: eight rows, turned into columns.
    Rows,
    // Any block: `runs` data numbers, the first in the first `firstRunLanes` lanes, each
    // further one in the next `remain` lanes; each run reads consecutive values.
    Runs,
};

template <class Isa, Reading How>
struct BlockRun {
    const PassPlan& pass;
    SplitComplex from;
    SplitComplex to;
    int first;
    int count;
    int data; // data number of lane 0
    int runs;
    int firstRunLanes;

    int runStep(int radix) const { return pass.remain * (radix - 1); }
    LaneInts runMask(int run) const { return LaneIndex >= firstRunLanes + (run - 1) * pass.remain; }

    LaneFloats loadRuns(const float* values, int b, int radix) const {
        const float* at = values + first + b * pass.remain + data * runStep(radix);
        LaneFloats lanes = loadVector(at);
        if constexpr (How == Reading::Runs)
            for (int run = 1; run < runs; ++run)
                lanes = runMask(run) ? loadVector(at + run * runStep(radix)) : lanes;
        return lanes;
    }

    void loadRows(Lane* z, int radix) const {
        const int rowStart = first * radix;
        LaneFloats re[Lanes];
        LaneFloats im[Lanes];
        for (int column = 0; column < radix; column += Lanes) {
            transposeLoad(from.re + rowStart + column, radix, re);
            transposeLoad(from.im + rowStart + column, radix, im);
            for (int c = 0; c < Lanes && column + c < radix; ++c)
                z[column + c] = {re[c], im[c]};
        }
    }

    void load(Lane* z, int radix) const {
        if constexpr (How == Reading::Rows) {
            loadRows(z, radix);
        } else {
#pragma GCC unroll 10
            for (int b = 0; b < radix; ++b)
                z[b] = {loadRuns(from.re, b, radix), loadRuns(from.im, b, radix)};
        }
    }

    // Data number 0 is not twiddled; its lanes are the first run of a block at data number 0.
    void twiddle(Lane* z, int radix) const {
        const int untwiddledLanes = data == 0 ? firstRunLanes : 0;
        if (untwiddledLanes >= count)
            return;
        const LaneInts keep = LaneIndex < untwiddledLanes;
#pragma GCC unroll 10
        for (int b = 1; b < radix; ++b) {
            LaneDoubles rootRe;
            LaneDoubles rootIm;
            if constexpr (How == Reading::OneDataNumber) {
                const int row = (b - 1) * pass.sofar + data;
                rootRe = Isa::broadcast(pass.twiddleRe[static_cast<std::size_t>(row)]);
                rootIm = Isa::broadcast(pass.twiddleIm[static_cast<std::size_t>(row)]);
            } else {
                const int row = (b - 1) * pass.butterflies + first;
                rootRe = loadVector(pass.butterflyTwiddleRe.data() + row);
                rootIm = loadVector(pass.butterflyTwiddleIm.data() + row);
            }
            const LaneDoubles re = Isa::wide(z[b].re);
            const LaneDoubles im = Isa::wide(z[b].im);
            Lane twiddled = {Isa::single(rootRe * re - rootIm * im),
                             Isa::single(rootIm * re + rootRe * im)};
            if (How != Reading::OneDataNumber && untwiddledLanes > 0)
                twiddled = {keep ? z[b].re : twiddled.re, keep ? z[b].im : twiddled.im};
            z[b] = twiddled;
        }
    }

    void store(const Lane* z, int radix) const {
#pragma GCC unroll 10
        for (int k = 0; k < radix; ++k) {
            const int at = first + k * pass.butterflies;
            storeLanes(z[k].re, to.re + at, count);
            storeLanes(z[k].im, to.im + at, count);
        }
    }

    template <int R, void (*Butterfly)(Lane*)>
    void fixedRadix() const {
        Lane z[R];
        load(z, R);
        twiddle(z, R);
        Butterfly(z);
        store(z, R);
    }

    void anyRadix() const {
        static thread_local Lane z[cMaxPrimeFactor + Lanes];
        load(z, pass.radix);
        twiddle(z, pass.radix);
        fftPrime<Isa>(z, pass.radix, pass.trig.data());
        store(z, pass.radix);
    }

    void run() const {
        switch (pass.radix) {
        case 2:
            fixedRadix<2, fft2>();
            break;
        case 3:
            fixedRadix<3, fft3<Isa>>();
            break;
        case 4:
            fixedRadix<4, fft4>();
            break;
        case 5:
            fixedRadix<5, fft5<Isa>>();
            break;
        case 8:
            fixedRadix<8, fft8<Isa>>();
            break;
        case 10:
            fixedRadix<10, fft10<Isa>>();
            break;
        default:
            anyRadix();
            break;
        }
    }
};

template <class Isa>
void synthesizePass(const PassPlan& pass, SplitComplex from, SplitComplex to) {
    int data = 0;  // of the block's first butterfly
    int group = 0; // of the block's first butterfly
    for (int first = 0; first < pass.butterflies; first += Lanes) {
        const int count = pass.butterflies - first < Lanes ? pass.butterflies - first : Lanes;
        const int firstRunLanes = pass.remain - group;
        if (firstRunLanes >= count) {
            BlockRun<Isa, Reading::OneDataNumber>{pass,  from, to, first,
                                                  count, data, 1,  firstRunLanes}
                .run();
        } else if (pass.remain == 1 && count == Lanes) {
            BlockRun<Isa, Reading::Rows>{pass, from, to, first, count, data, Lanes, 1}.run();
        } else {
            const int runs = 1 + (count - firstRunLanes + pass.remain - 1) / pass.remain;
            BlockRun<Isa, Reading::Runs>{pass, from, to, first, count, data, runs, firstRunLanes}
                .run();
        }
        for (group += Lanes; group >= pass.remain; group -= pass.remain)
            ++data;
    }
}

template <class Isa>
void transformWith(const FftPlan& plan, const TComplex* Source, TComplex* Dest, SplitComplex work,
                   SplitComplex spare) {
    const auto count = static_cast<std::size_t>(plan.count);
    for (std::size_t i = 0; i < count; ++i) {
        work.re[i] = Source[i].Re;
        work.im[i] = Source[i].Im;
    }
    for (const PassPlan& pass : plan.passes) {
        synthesizePass<Isa>(pass, work, spare);
        std::swap(work, spare);
    }
    for (std::size_t i = 0; i < count; ++i)
        Dest[i] = {work.re[i], work.im[i]};
}

// The transform built for each vector unit; everything it calls is compiled into it.
__attribute__((target("avx512f,avx512vl,avx512dq,avx512bw"), flatten)) void
transformAvx512(const FftPlan& plan, const TComplex* Source, TComplex* Dest, SplitComplex work,
                SplitComplex spare) {
    transformWith<Avx512Conversions>(plan, Source, Dest, work, spare);
}

__attribute__((target("avx2"), flatten)) void transformAvx2(const FftPlan& plan,
                                                            const TComplex* Source, TComplex* Dest,
                                                            SplitComplex work, SplitComplex spare) {
    transformWith<PortableConversions>(plan, Source, Dest, work, spare);
}

__attribute__((target("avx"), flatten)) void transformAvx(const FftPlan& plan,
                                                          const TComplex* Source, TComplex* Dest,
                                                          SplitComplex work, SplitComplex spare) {
    transformWith<PortableConversions>(plan, Source, Dest, work, spare);
}

__attribute__((flatten)) void transformPortable(const FftPlan& plan, const TComplex* Source,
                                                TComplex* Dest, SplitComplex work,
                                                SplitComplex spare) {
    transformWith<PortableConversions>(plan, Source, Dest, work, spare);
}

} // namespace

void WorkArrays::fit(int count) {
    padded_ = static_cast<std::size_t>(count + WorkPadding);
    if (values_.size() < 4 * padded_)
        values_.assign(4 * padded_, 0.0f);
}

SplitComplex WorkArrays::part(std::size_t index) {
    float* values = values_.data();
    return {values + index * padded_, values + (index + 1) * padded_};
}

std::vector<TransformBuild> supportedTransforms() {
    __builtin_cpu_init();
    std::vector<TransformBuild> builds;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw"))
        builds.push_back({"AVX-512", transformAvx512});
    if (__builtin_cpu_supports("avx2"))
        builds.push_back({"AVX2", transformAvx2});
    if (__builtin_cpu_supports("avx"))
        builds.push_back({"AVX", transformAvx});
    builds.push_back({"portable", transformPortable});
    return builds;
}

void transform(const FftPlan& plan, const TComplex* Source, TComplex* Dest, SplitComplex work,
               SplitComplex spare) {
    static const TransformFunction fastest = supportedTransforms().front().run;
    fastest(plan, Source, Dest, work, spare);
}

} // namespace fft
