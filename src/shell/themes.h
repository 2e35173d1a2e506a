#pragma once

#include <QString>
#include <QStringList>

class QApplication;

// The console's visual themes: Qt's Fusion style with a palette of its own per theme. The
// settings page lists themeNames() and stores the position of the chosen name, so that list
// is the contract: sorted by name without regard to case, and entry DefaultThemeIndex is the
// calm default look that restoring defaults selects and the shipped settings name.

inline constexpr int DefaultThemeIndex = 19;

// Every theme name, sorted without regard to case.
QStringList themeNames();

// Applies the theme of that exact name to the whole application. An unknown name changes
// nothing and gives false.
bool applyTheme(QApplication& application, const QString& name);

// Applies entry `index` of themeNames(). An index that names no theme (a hand-edited or
// outdated setting) changes nothing, so the look in place stays; gives whether a theme
// was applied.
bool applyThemeAt(QApplication& application, int index);
