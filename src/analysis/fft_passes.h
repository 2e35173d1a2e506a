#pragma once

#include <vector>

#include "analysis/complexs.h"
#include "analysis/fft_plan.h"

namespace fft {

// Two arrays of singles, real and imaginary parts apart, so that lanes load as vectors.
struct SplitComplex {
    float* re;
    float* im;
};

// Singles past the end of each work array that vector loads may read.
constexpr int WorkPadding = 8;

// The two split work arrays of the passes, each with room for `count` values and the padding.
class WorkArrays {
public:
    // Room for `count` values; the storage only grows, so repeated calls allocate nothing.
    void fit(int count);
    SplitComplex work() { return part(0); }
    SplitComplex spare() { return part(2); }

private:
    SplitComplex part(std::size_t index); // arrays index and index + 1 of four

    std::size_t padded_ = 0;
    std::vector<float> values_;
};

// Source through the passes of the plan into Dest, with `work` and `spare` from WorkArrays
// fitted to plan.count. Source is read completely before Dest is written, so both may be the
// same array.
using TransformFunction = void (*)(const FftPlan& plan, const TComplex* Source, TComplex* Dest,
                                   SplitComplex work, SplitComplex spare);

// The transform compiled for one kind of vector unit.
struct TransformBuild {
    const char* name;
    TransformFunction run;
};

// The builds this processor can run, fastest first.
std::vector<TransformBuild> supportedTransforms();

// The fastest build.
void transform(const FftPlan& plan, const TComplex* Source, TComplex* Dest, SplitComplex work,
               SplitComplex spare);

} // namespace fft
