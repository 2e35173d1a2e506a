#pragma once

#include "display/canvas.h"
#include "display/display_control.h"
#include "display/view_geometry.h"
#include "link/sampling_data.h"

// The sampled voltage and current (and, when switched on, the power u·i) on a grid of
// 10 x 8 divisions, with the title and legend above and the scale row below. At most the
// 512 samples the arrays hold are plotted.
void DisplaySamplingWave(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                         SamplingDataType Data);
