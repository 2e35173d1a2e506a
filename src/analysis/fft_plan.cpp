#include "analysis/fft_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/ffts.h"

namespace fft {
namespace {

// Cosine and minus sine of an angle, evaluated in extended precision and stored as singles.
TComplex unitRoot(double angle) {
    long double wideAngle = angle;
    return {static_cast<float>(std::cos(wideAngle)), static_cast<float>(-std::sin(wideAngle))};
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
// the twiddle of input b is S^b built up one product at a time.
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

// Butterfly j has data number j / remain.
void fillButterflyTwiddles(PassPlan& pass) {
    const auto butterflies = static_cast<std::size_t>(pass.butterflies);
    const std::size_t size =
        butterflies * static_cast<std::size_t>(pass.radix - 1) + static_cast<std::size_t>(Lanes);
    pass.butterflyTwiddleRe.assign(size, 0);
    pass.butterflyTwiddleIm.assign(size, 0);
    for (std::size_t b = 1; b < static_cast<std::size_t>(pass.radix); ++b)
        for (std::size_t j = 0; j < butterflies; ++j) {
            const std::size_t d = j / static_cast<std::size_t>(pass.remain);
            const std::size_t from = (b - 1) * static_cast<std::size_t>(pass.sofar) + d;
            pass.butterflyTwiddleRe[(b - 1) * butterflies + j] = pass.twiddleRe[from];
            pass.butterflyTwiddleIm[(b - 1) * butterflies + j] = pass.twiddleIm[from];
        }
}

} // namespace

FftPlan makePlan(int count) {
    FftFactors factors = Factorize(count);
    if (factors.radix[0] > cMaxPrimeFactor)
        throw FftLengthError();
    FftPlan plan;
    plan.count = count;
    int sofar = 1;
    int remain = count;
    for (int i = 0; i < factors.count; ++i) {
        PassPlan pass;
        pass.radix = factors.radix[static_cast<std::size_t>(i)];
        pass.sofar = sofar;
        remain /= pass.radix;
        pass.remain = remain;
        pass.butterflies = count / pass.radix;
        pass.trig = rootsOfUnity(pass.radix);
        fillTwiddles(pass);
        if (pass.remain % Lanes != 0)
            fillButterflyTwiddles(pass);
        sofar *= pass.radix;
        plan.passes.push_back(std::move(pass));
    }
    return plan;
}

} // namespace fft
