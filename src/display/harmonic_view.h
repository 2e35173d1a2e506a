#pragma once

#include <array>

#include "display/display_control.h"
#include "display/view_geometry.h"
#include "link/sampling_data.h"

class Canvas;

// Harmonic orders worked out from one measurement; order 0 is the DC component.
inline constexpr int HarmonicOrdersComputed = 128;

// RMS magnitude per harmonic order, in volts or amperes.
using HarmonicMagnitudes = std::array<float, HarmonicOrdersComputed>;

struct HarmonicSpectra {
    HarmonicMagnitudes U_Z_Data{};
    HarmonicMagnitudes I_Z_Data{};
};

// The magnitudes of the measurement's voltage and current samples. The first N samples are
// taken as one period of the fundamental, so order k is FFT bin k; N is raised to 128 and
// limited to the 512 samples a measurement holds.
HarmonicSpectra ComputeHarmonics(const SamplingDataType& Data);

// The harmonic view: a row of four page selectors above the plot, the shown one ticked, and
// the page D_Control.Display_THD_Index: 0 voltage chart, 1 voltage table, 2 current chart,
// 3 current table. Any other index draws the selectors alone.
void DisplayHarmonicWave(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                         SamplingDataType Data);
