#include "shell/themes.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace {

const QString FusionStyle = QStringLiteral("Fusion");

// The colours a theme chooses; the palette derives the rest from them. Every foreground
// keeps a contrast of at least 4.5:1 against its background.
struct Theme {
    const char* name;
    QRgb window;
    QRgb windowText;
    QRgb base;
    QRgb text;
    QRgb button;
    QRgb buttonText;
    QRgb highlight;
    QRgb highlightedText;
    QRgb link;
};

// Sorted by name without regard to case: the settings store positions in this list, and
// position DefaultThemeIndex is Porcelain. A theme added before it moves the default.
constexpr std::array Themes = {
    // clang-format off
    //     name         window    windowText base      text      button    buttonText highlight highlightedText link
    Theme{"Alder",     0xEDE6DC, 0x2B2118, 0xFBF8F3, 0x2B2118, 0xE2D8CA, 0x2B2118, 0x8A5A2B, 0xFFFFFF, 0x7A3E0E},
    Theme{"Basalt",    0x2E3338, 0xE4E7EA, 0x23272B, 0xE8EBEE, 0x3A4047, 0xE4E7EA, 0x3E6A99, 0xFFFFFF, 0x8FC1FF},
    Theme{"Birch",     0xF4F1E8, 0x262420, 0xFFFFFF, 0x1F1E1B, 0xE9E4D6, 0x262420, 0x5C6B3A, 0xFFFFFF, 0x2F5597},
    Theme{"Clay",      0xEFE3DA, 0x3A211A, 0xFFF9F5, 0x3A211A, 0xE4CFC2, 0x3A211A, 0xA0482E, 0xFFFFFF, 0x8A3219},
    Theme{"Dune",      0xF2E8D2, 0x3B2F1A, 0xFFFCF3, 0x33291A, 0xE8DABA, 0x3B2F1A, 0x8A5F10, 0xFFFFFF, 0x7A4A00},
    Theme{"Fern",      0xE6EFE4, 0x1C2B1C, 0xFAFDF9, 0x1C2B1C, 0xD5E4D2, 0x1C2B1C, 0x3D7A3A, 0xFFFFFF, 0x1F5F7A},
    Theme{"Fjord",     0x1F2A38, 0xDCE6F2, 0x16202C, 0xE2EAF4, 0x2A3849, 0xDCE6F2, 0x2F6AB0, 0xFFFFFF, 0x8CC8FF},
    Theme{"Flint",     0x3C3C3C, 0xEEEEEE, 0x2E2E2E, 0xF0F0F0, 0x4A4A4A, 0xEEEEEE, 0x4F6478, 0xFFFFFF, 0xA8D0FF},
    Theme{"Harbor",    0xE3E9EF, 0x1B2733, 0xFFFFFF, 0x1B2733, 0xD3DDE7, 0x1B2733, 0x2E6A9E, 0xFFFFFF, 0x1D5A8E},
    Theme{"Heath",     0xECE6EF, 0x2A1F33, 0xFDFBFE, 0x2A1F33, 0xDDD2E3, 0x2A1F33, 0x6B4C8A, 0xFFFFFF, 0x5B3A8C},
    Theme{"Juniper",   0x1F2B25, 0xDDE9E1, 0x17211C, 0xE2EEE6, 0x2A3A31, 0xDDE9E1, 0x2F7550, 0xFFFFFF, 0x8FE0B0},
    Theme{"Lagoon",    0xE0EEEE, 0x133030, 0xF7FCFC, 0x133030, 0xCCE3E3, 0x133030, 0x1F7A7A, 0xFFFFFF, 0x0E5C8A},
    Theme{"Linen",     0xF5F2EC, 0x2A2723, 0xFFFFFF, 0x24211D, 0xEAE5DC, 0x2A2723, 0x5A6E8C, 0xFFFFFF, 0x2C5A9A},
    Theme{"Marsh",     0xE4E6D6, 0x2A2C1A, 0xFAFBF3, 0x2A2C1A, 0xD4D8BE, 0x2A2C1A, 0x5C632B, 0xFFFFFF, 0x3F5A1A},
    Theme{"Meadow",    0xEEF3DE, 0x26301A, 0xFEFFF8, 0x26301A, 0xE0E9C4, 0x26301A, 0x52741B, 0xFFFFFF, 0x2E5E8A},
    Theme{"Mist",      0xEBEEF2, 0x25303B, 0xFFFFFF, 0x25303B, 0xDDE3EA, 0x25303B, 0x55708F, 0xFFFFFF, 0x2A5C9A},
    Theme{"Nocturne",  0x16161C, 0xD6D6E0, 0x0E0E12, 0xDCDCE6, 0x24242C, 0xD6D6E0, 0x5C5CB8, 0xFFFFFF, 0x9AA8FF},
    Theme{"Orchard",   0xF3EDE9, 0x2E1E1B, 0xFFFFFF, 0x2E1E1B, 0xE8DDD7, 0x2E1E1B, 0xA8323A, 0xFFFFFF, 0x8E2430},
    Theme{"Pebble",    0xE6E6E4, 0x232323, 0xFBFBFA, 0x202020, 0xD8D8D5, 0x232323, 0x5F6B73, 0xFFFFFF, 0x2B5C8A},
    Theme{"Porcelain", 0xEEF0F2, 0x1F2328, 0xFFFFFF, 0x1F2328, 0xE3E6EA, 0x1F2328, 0x3A6EA5, 0xFFFFFF, 0x1F5FAF},
    Theme{"Quarry",    0x33302C, 0xECE6DE, 0x282522, 0xF0EAE2, 0x423E39, 0xECE6DE, 0x7E6038, 0xFFFFFF, 0xF0C080},
    Theme{"Reed",      0xF1EEDC, 0x2C2A18, 0xFFFEF6, 0x2C2A18, 0xE5E0C4, 0x2C2A18, 0x6E6A2A, 0xFFFFFF, 0x365F8A},
    Theme{"Sage",      0xDFE6DD, 0x212B22, 0xF7FAF6, 0x212B22, 0xCDD8CA, 0x212B22, 0x4F6F55, 0xFFFFFF, 0x2B5E6E},
    Theme{"Shale",     0x2B3036, 0xDDE2E8, 0x21252A, 0xE3E8EE, 0x363C44, 0xDDE2E8, 0x4A6683, 0xFFFFFF, 0x9CC7F0},
    Theme{"Tide",      0x1C2E3A, 0xD8EAF0, 0x142430, 0xDDEEF4, 0x26404F, 0xD8EAF0, 0x1A7272, 0xFFFFFF, 0x7FD8E8},
    Theme{"Willow",    0xEAF0E6, 0x22301F, 0xFCFEFB, 0x22301F, 0xDCE6D5, 0x22301F, 0x4E7A45, 0xFFFFFF, 0x2A5E80},
    // clang-format on
};

static_assert(Themes.size() > DefaultThemeIndex);

// `share` of the way from `from` to `to`, channel by channel.
QColor blend(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) { return qRound(a + (b - a) * share); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// Disabled controls show their text 40 % of the way to its background: plainly dimmed, still
// legible.
constexpr double DisabledDimming = 0.4;

void dimDisabledText(QPalette& palette, const Theme& theme) {
    const std::array dimmed = {
        std::pair{QPalette::WindowText, blend(theme.windowText, theme.window, DisabledDimming)},
        std::pair{QPalette::Text, blend(theme.text, theme.base, DisabledDimming)},
        std::pair{QPalette::ButtonText, blend(theme.buttonText, theme.button, DisabledDimming)},
    };
    for (const auto& [role, colour] : dimmed)
        palette.setColor(QPalette::Disabled, role, colour);
}

QPalette paletteOf(const Theme& theme) {
    // Bevel shades (light, midlight, mid, dark, shadow) follow the button colour.
    QPalette palette{QColor(theme.button), QColor(theme.window)};
    const std::array roles = {
        std::pair{QPalette::Window, QColor(theme.window)},
        std::pair{QPalette::WindowText, QColor(theme.windowText)},
        std::pair{QPalette::Base, QColor(theme.base)},
        std::pair{QPalette::AlternateBase, blend(theme.base, theme.text, 0.05)},
        std::pair{QPalette::Text, QColor(theme.text)},
        std::pair{QPalette::PlaceholderText, blend(theme.text, theme.base, 0.45)},
        std::pair{QPalette::Button, QColor(theme.button)},
        std::pair{QPalette::ButtonText, QColor(theme.buttonText)},
        std::pair{QPalette::Highlight, QColor(theme.highlight)},
        std::pair{QPalette::HighlightedText, QColor(theme.highlightedText)},
        std::pair{QPalette::Link, QColor(theme.link)},
        std::pair{QPalette::LinkVisited, blend(theme.link, theme.text, 0.35)},
        std::pair{QPalette::ToolTipBase, QColor(theme.base)},
        std::pair{QPalette::ToolTipText, QColor(theme.text)},
    };
    for (const auto& [role, colour] : roles)
        palette.setColor(role, colour);
    dimDisabledText(palette, theme);
    return palette;
}

const Theme* findTheme(const QString& name) {
    const auto found = std::find_if(Themes.begin(), Themes.end(), [&name](const Theme& theme) {
        return name == QLatin1String(theme.name);
    });
    return found == Themes.end() ? nullptr : &*found;
}

void useFusionStyle(QApplication& application) {
    if (application.style()->name().compare(FusionStyle, Qt::CaseInsensitive) != 0)
        application.setStyle(FusionStyle);
}

void apply(QApplication& application, const Theme& theme) {
    useFusionStyle(application);
    application.setPalette(paletteOf(theme));
}

} // namespace

QStringList themeNames() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(Themes.size()));
    for (const Theme& theme : Themes)
        names.append(QLatin1String(theme.name));
    return names;
}

bool applyTheme(QApplication& application, const QString& name) {
    const Theme* theme = findTheme(name);
    if (theme == nullptr)
        return false;
    apply(application, *theme);
    return true;
}

bool applyThemeAt(QApplication& application, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Themes.size())
        return false;
    apply(application, Themes[static_cast<std::size_t>(index)]);
    return true;
}
