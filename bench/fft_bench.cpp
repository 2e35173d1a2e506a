// ForwardFFT against FFTW (single precision, planned with FFTW_MEASURE) and KissFFT on the
// same input, one benchmark per library and length; then each build of the passes this
// processor runs (ForwardFFT uses the first), for the figures of other processors.
#include <benchmark/benchmark.h>

#include <complex>
#include <random>
#include <string>
#include <vector>

#include <fftw3.h>
#include <kissfft/kiss_fft.h>

#include "analysis/fft_passes.h"
#include "analysis/fft_plan.h"
#include "analysis/ffts.h"

namespace {

constexpr int Lengths[] = {128, 256, 512, 896, 1000, 1024};

std::vector<TComplex> testSignal(int count) {
    std::mt19937 generator(42);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<TComplex> signal(static_cast<std::size_t>(count));
    for (TComplex& c : signal)
        c = Complex(value(generator), 0.0f);
    return signal;
}

void BM_ForwardFFT(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<TComplex> source = testSignal(count);
    std::vector<TComplex> dest(source.size());
    for (auto _ : state) {
        ForwardFFT(source.data(), dest.data(), count);
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
}

void BM_FFTW(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto* in = fftwf_alloc_complex(static_cast<std::size_t>(count));
    auto* out = fftwf_alloc_complex(static_cast<std::size_t>(count));
    fftwf_plan plan = fftwf_plan_dft_1d(count, in, out, FFTW_FORWARD, FFTW_MEASURE);
    std::vector<TComplex> source = testSignal(count); // planning overwrote the arrays
    for (int i = 0; i < count; ++i) {
        in[i][0] = source[static_cast<std::size_t>(i)].Re;
        in[i][1] = source[static_cast<std::size_t>(i)].Im;
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
}

void BM_KissFFT(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    kiss_fft_cfg config = kiss_fft_alloc(count, 0, nullptr, nullptr);
    std::vector<TComplex> source = testSignal(count);
    std::vector<kiss_fft_cpx> in(source.size());
    std::vector<kiss_fft_cpx> out(source.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        in[i] = {source[i].Re, source[i].Im};
    for (auto _ : state) {
        kiss_fft(config, in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    kiss_fft_free(config);
}

void BM_Build(benchmark::State& state, fft::TransformFunction run) {
    const int count = static_cast<int>(state.range(0));
    std::vector<TComplex> source = testSignal(count);
    std::vector<TComplex> dest(source.size());
    const fft::FftPlan plan = fft::makePlan(count);
    fft::WorkArrays arrays;
    arrays.fit(count);
    for (auto _ : state) {
        run(plan, source.data(), dest.data(), arrays.work(), arrays.spare());
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
}

void lengths(benchmark::internal::Benchmark* benchmark) {
    for (int count : Lengths)
        benchmark->Arg(count);
}

BENCHMARK(BM_ForwardFFT)->Apply(lengths);
BENCHMARK(BM_FFTW)->Apply(lengths);
BENCHMARK(BM_KissFFT)->Apply(lengths);

} // namespace

int main(int argc, char** argv) {
    for (const fft::TransformBuild& build : fft::supportedTransforms())
        benchmark::RegisterBenchmark((std::string("BM_Build:") + build.name).c_str(), BM_Build,
                                     build.run)
            ->Apply(lengths);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
