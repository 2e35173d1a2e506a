#include "analysis/ffts.h"

#include <cmath>
#include <memory>
#include <vector>

#include "analysis/fft_passes.h"
#include "analysis/fft_plan.h"

namespace {

constexpr int cRadices[] = {0, 2, 3, 4, 5, 8, 10}; // table order, indices 1...6

// The few lengths in use keep their plans; the harmonic view uses one or two.
const fft::FftPlan& planFor(int count) {
    constexpr std::size_t CachedPlans = 8;
    static thread_local std::vector<std::unique_ptr<fft::FftPlan>> plans;
    for (const auto& plan : plans)
        if (plan->count == count)
            return *plan;
    auto plan = std::make_unique<fft::FftPlan>(fft::makePlan(count));
    if (plans.size() == CachedPlans)
        plans.erase(plans.begin());
    plans.push_back(std::move(plan));
    return *plans.back();
}

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

void ForwardFFT(const TComplex* Source, TComplex* Dest, int Count) {
    if (Count <= 0)
        return;
    const fft::FftPlan& plan = planFor(Count);
    static thread_local fft::WorkArrays arrays;
    arrays.fit(Count);
    fft::transform(plan, Source, Dest, arrays.work(), arrays.spare());
}
