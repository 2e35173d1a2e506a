#pragma once

#include "display/display_control.h"
#include "display/parameter_view.h"
#include "link/sampling_data.h"

class Canvas;

struct BoxSize {
    int width = 0;
    int height = 0;
};

// One refresh of the measurement page: each back buffer filled with the background over the
// size of its paint box, then the waveforms and the table drawn in the plot rectangle of the
// upper paint box (`upper`) and the spectrum in that of the lower one (`lower`).
void drawMeasurementPage(Canvas& waveCanvas, Canvas& parameterCanvas, Canvas& harmonicCanvas,
                         BoxSize upper, BoxSize lower, const DisplayControlType& display,
                         const SamplingDataType& measurement, const RangeLabels& ranges);
