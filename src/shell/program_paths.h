#pragma once

#include <filesystem>

// Where the console finds its files. Everything is worked out from the folder of the program
// file, so one copy unpacked anywhere (portable use, and the build folder, which holds the
// console with its data beside it) and an installation under <prefix>/bin behave alike:
//
//   settings file     $VOLTRANE_HOME/SysSet.ini when VOLTRANE_HOME is set, else
//                     <program folder>/SysSet.ini when the program folder is writable, else
//                     $XDG_CONFIG_HOME/voltrane/SysSet.ini (XDG_CONFIG_HOME defaults to
//                     ~/.config; a relative XDG_CONFIG_HOME is ignored, as XDG asks)
//   shared data       <prefix>/share/voltrane, where <prefix> is the program folder's parent
//   default settings  <program folder>/SysSet.ini.default when that file exists, else
//                     <shared data>/SysSet.ini; copied into place on first start
//   language files    <program folder>/Language when that folder exists, else
//                     <shared data>/Language

// The folder of the running program file.
std::filesystem::path programFolder();

// The folder of the data installed with the program.
std::filesystem::path sharedDataFolder(const std::filesystem::path& programFolder);

std::filesystem::path settingsFile(const std::filesystem::path& programFolder);
std::filesystem::path defaultSettingsFile(const std::filesystem::path& programFolder);
std::filesystem::path languageFolder(const std::filesystem::path& programFolder);

// Makes the settings file ready for use on start: creates its folder, and when no settings
// file exists there yet, copies the default settings into place (writable by the user even
// when the shipped file is not), so a first start shows the shipped colours rather than the
// key defaults. An existing settings file is never touched. Never fails: when something
// cannot be done the file stays missing and every read falls back to its key default.
// Gives settingsFile(programFolder).
std::filesystem::path prepareSettingsFile(const std::filesystem::path& programFolder);
