#pragma once

#include <string>
#include <vector>

#include "display/canvas.h"
#include "display/display_control.h"
#include "display/view_geometry.h"
#include "link/sampling_data.h"

// Item texts of the instrument settings page's range lists.
struct RangeLabels {
    std::vector<std::string> voltage; // indexed by U_Range
    std::vector<std::string> current; // indexed by I_Range
};

// The measured quantities as a table of seven rows in a voltage, a current and a combined
// block, with the title above and the range and status row below. A range index past the
// end of its list leaves that cell empty.
void DisplayParameters(Canvas& CanvasPIC, const ViewRect& myRect, DisplayControlType D_Control,
                       SamplingDataType Data, const RangeLabels& ranges);
