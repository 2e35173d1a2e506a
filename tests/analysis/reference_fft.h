#pragma once

#include "analysis/ffts.h"

namespace reference {

// Same contract as ::ForwardFFT, computed step by step without plans or lanes.
void ForwardFFT(const TComplex* Source, TComplex* Dest, int Count);

} // namespace reference
