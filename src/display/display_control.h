#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/packed_record.h"

#pragma pack(push, 1)
// Display and navigation settings shared by the views; held in memory only.
struct DisplayControlType {
    std::uint16_t First_level_menu; // ribbon page: 0 help, 1 options, 2 measure, 3 record
    std::uint16_t Second_level_menu;
    std::uint16_t Page_0_Second_level; // help page: 1 about frame, 2 user manual
    std::uint16_t Page_1_Second_level; // options page: 0 instrument, 1 software settings
    std::uint32_t BackgroundColor;     // colours are 0x00BBGGRR
    std::uint32_t ScaleColor;
    std::uint32_t VoltageColor;
    std::uint32_t CurrentColor;
    std::uint32_t PowerColor;
    bool Range_and_filter_display;
    bool PowerDisplay_Display;
    std::int32_t WaveWidth;
    std::int32_t WaveHeight;
    std::int32_t PenWidth;
    std::int32_t Display_THD_Index; // page of the harmonic view, 0-3
    std::int32_t Font1;
    std::int32_t Font2;
    std::int32_t Font3;
    std::int32_t Font4;
    std::int32_t Font5;
    std::int32_t Font6;
};
#pragma pack(pop)

static_assert(sizeof(DisplayControlType) == 70);

// The view colours of a DisplayControlType in the settings' order: background, scale,
// voltage, current, power.
inline std::array<std::uint32_t*, 5> viewColors(DisplayControlType& control) {
    return {&control.BackgroundColor, &control.ScaleColor, &control.VoltageColor,
            &control.CurrentColor, &control.PowerColor};
}

// The colours "restore defaults" sets, in the order of viewColors.
inline constexpr std::array<std::uint32_t, 5> DefaultViewColors{0x010200, 0xC0C0C0, 0x008000,
                                                                0x0000FF, 0x808000};

inline void setDefaultViewColors(DisplayControlType& control) {
    const auto colors = viewColors(control);
    for (std::size_t k = 0; k < colors.size(); ++k)
        *colors[k] = DefaultViewColors[k];
}

// The font sizes the views start with, Font1 to Font6.
inline void setStartFonts(DisplayControlType& control) {
    control.Font1 = 8;
    control.Font2 = 10;
    control.Font3 = 11;
    control.Font4 = 12;
    control.Font5 = 14;
    control.Font6 = 16;
}
