#include "analysis/complexs.h"

#include <cmath>

float ComplexMag(TComplex C) {
    return single(std::sqrt(wide(C.Re) * wide(C.Re) + wide(C.Im) * wide(C.Im)));
}
