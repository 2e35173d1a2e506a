#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "shell/ini_store.h"
#include "shell/program_paths.h"
#include "shell/themes.h"

// Found by argument-dependent lookup, so in the namespace of QString.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// WCAG 2 relative luminance of an sRGB colour.
double relativeLuminance(const QColor& colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

// WCAG 2 contrast ratio, from 1 (same luminance) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b) {
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// Body text must reach WCAG AA; dimmed text of disabled controls must still stand out as
// much as a control's outline has to.
constexpr double ReadableContrast = 4.5;
constexpr double VisibleContrast = 3.0;

TEST(ContrastRatio, MatchesTheWcagReferencePoints) {
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(contrastRatio(QColor(0x336699), QColor(0x336699)), 1.0);
    // #767676 is the lightest grey that passes AA on white, #777777 just fails.
    EXPECT_GE(contrastRatio(QColor(0x767676), Qt::white), ReadableContrast);
    EXPECT_LT(contrastRatio(QColor(0x777777), Qt::white), ReadableContrast);
}

TEST(ThemeNames, AtLeastTwentyUniqueNamesSortedWithoutRegardToCase) {
    const QStringList names = themeNames();
    ASSERT_GE(names.size(), 20);
    EXPECT_LT(DefaultThemeIndex, names.size());
    for (qsizetype i = 1; i < names.size(); ++i)
        EXPECT_LT(names[i - 1].compare(names[i], Qt::CaseInsensitive), 0)
            << names[i - 1].toStdString() << " before " << names[i].toStdString();
}

// Themes change the whole application; each test gets the look it started with back.
class Theming : public testing::Test {
protected:
    ~Theming() override {
        QApplication::setStyle(originalStyle_);
        QApplication::setPalette(originalPalette_);
    }

    QApplication& application() const { return *qApp; }

private:
    const QString originalStyle_ = QApplication::style()->name();
    const QPalette originalPalette_ = QApplication::palette();
};

class EachTheme : public Theming, public testing::WithParamInterface<QString> {
protected:
    qsizetype index() const { return themeNames().indexOf(GetParam()); }
};

struct ColourPair {
    const char* what;
    QPalette::ColorRole foreground;
    QPalette::ColorRole background;
};

TEST_P(EachTheme, KeepsEveryTextReadableOnItsBackground) {
    QWidget existing; // made before the theme: the theme must reach it too
    ASSERT_TRUE(applyTheme(application(), GetParam()));
    EXPECT_EQ(QApplication::style()->name().compare("fusion", Qt::CaseInsensitive), 0);
    QCoreApplication::processEvents(); // widgets that exist learn of the change by event

    const QPalette palette = existing.palette();
    const ColourPair pairs[] = {
        {"window text", QPalette::WindowText, QPalette::Window},
        {"text", QPalette::Text, QPalette::Base},
        {"text on alternate rows", QPalette::Text, QPalette::AlternateBase},
        {"button text", QPalette::ButtonText, QPalette::Button},
        {"selected text", QPalette::HighlightedText, QPalette::Highlight},
        {"tool tip", QPalette::ToolTipText, QPalette::ToolTipBase},
        {"link", QPalette::Link, QPalette::Base},
    };
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const ColourPair& pair : pairs)
            EXPECT_GE(contrastRatio(palette.color(group, pair.foreground),
                                    palette.color(group, pair.background)),
                      ReadableContrast)
                << pair.what << (group == QPalette::Active ? " (active)" : " (inactive)");
}

TEST_P(EachTheme, DimsTheTextOfDisabledControlsVisibly) {
    ASSERT_TRUE(applyTheme(application(), GetParam()));
    const QPalette palette = QApplication::palette();
    const ColourPair pairs[] = {
        {"window text", QPalette::WindowText, QPalette::Window},
        {"text", QPalette::Text, QPalette::Base},
        {"button text", QPalette::ButtonText, QPalette::Button},
    };
    for (const ColourPair& pair : pairs) {
        const double enabled = contrastRatio(palette.color(QPalette::Active, pair.foreground),
                                             palette.color(QPalette::Active, pair.background));
        const double disabled = contrastRatio(palette.color(QPalette::Disabled, pair.foreground),
                                              palette.color(QPalette::Disabled, pair.background));
        EXPECT_LT(disabled, enabled) << pair.what;
        EXPECT_GE(disabled, VisibleContrast) << pair.what;
    }
}

TEST_P(EachTheme, ByIndexGivesTheLookOfTheNameAtThatPlace) {
    ASSERT_TRUE(applyTheme(application(), GetParam()));
    const QPalette byName = QApplication::palette();
    const QStringList names = themeNames();
    ASSERT_TRUE(applyTheme(application(), names[(index() + 1) % names.size()]));

    ASSERT_TRUE(applyThemeAt(application(), static_cast<int>(index())));
    EXPECT_TRUE(QApplication::palette() == byName);
}

std::string testName(const testing::TestParamInfo<QString>& info) {
    std::string name;
    for (const QChar c : info.param)
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            name += static_cast<char>(c.unicode());
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Themes, EachTheme, testing::ValuesIn(themeNames()), testName);

TEST_F(Theming, EveryThemeLooksDifferent) {
    std::vector<QPalette> looks;
    for (const QString& name : themeNames()) {
        ASSERT_TRUE(applyTheme(application(), name));
        const QPalette look = QApplication::palette();
        EXPECT_EQ(std::count(looks.begin(), looks.end(), look), 0)
            << name.toStdString() << " repeats an earlier theme";
        looks.push_back(look);
    }
}

TEST_F(Theming, AnUnknownNameOrIndexLeavesTheLookAsItWas) {
    const QStringList names = themeNames();
    ASSERT_TRUE(applyTheme(application(), names.front()));
    const QPalette before = QApplication::palette();
    const QStyle* const styleBefore = QApplication::style();

    for (const QString& name : {QString(), QStringLiteral("No such theme"), names.front().toUpper(),
                                names.front() + QLatin1Char(' ')})
        EXPECT_FALSE(applyTheme(application(), name)) << '"' << name.toStdString() << '"';
    const int beyond = static_cast<int>(names.size());
    for (const int index : {-1, beyond, beyond + 1, INT_MIN, INT_MAX})
        EXPECT_FALSE(applyThemeAt(application(), index)) << index;

    EXPECT_TRUE(QApplication::palette() == before);
    EXPECT_EQ(QApplication::style(), styleBefore);
}

TEST(ShippedSettings, SelectTheDefaultTheme) {
    // The console is built at the top of the build folder, with its default settings beside it.
    const std::filesystem::path shipped = defaultSettingsFile(VOLTRANE_BUILD_FOLDER);
    ASSERT_TRUE(std::filesystem::is_regular_file(shipped)) << shipped;

    EXPECT_EQ(IniFile(shipped.string()).readInteger("Theme", "SkinIndex", -1), DefaultThemeIndex);
}

} // namespace
