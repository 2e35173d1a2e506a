#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "base/temporary_folder.h"
#include "shell/dialogs.h"
#include "shell/ini_store.h"
#include "shell/language.h"
#include "shell/main_window.h"

// A console started on a settings file of its own in a fresh folder, with the shipped
// language files and scripted message boxes.
class ConsoleFixture : public testing::Test {
protected:
    std::string settingsPath() const { return (folder / "SysSet.ini").string(); }

    void writeSettings(const std::string& text) const {
        std::ofstream(settingsPath(), std::ios::binary) << text;
    }
    IniFile settings() const { return IniFile(settingsPath()); }

    TForm1& start(std::vector<std::string> arguments = {}) {
        ConsoleSetup setup;
        setup.settingsFile = settingsPath();
        setup.languageFolder = VOLTRANE_LANGUAGE_SOURCE_FOLDER;
        setup.arguments = std::move(arguments);
        console = std::make_unique<TForm1>(std::move(setup));
        return *console;
    }

    // The texts of a shipped language file, to compare captions and messages with.
    static LanguageTexts shippedTexts(Language language) {
        return loadLanguageTexts(VOLTRANE_LANGUAGE_SOURCE_FOLDER, language);
    }

    // Runs the event loop for `milliseconds` without busy waiting.
    static void runFor(int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // Runs the event loop until `condition` holds or `milliseconds` have passed.
    static bool runUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > milliseconds)
                return false;
            runFor(10);
        }
        return true;
    }

    // Message boxes shown so far whose text contains `text`.
    std::size_t shownContaining(const QString& text) const {
        std::size_t count = 0;
        for (const ShownDialog& dialog : dialogs.shown())
            if (dialog.text.contains(text))
                ++count;
        return count;
    }

    TemporaryFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> console;
};
