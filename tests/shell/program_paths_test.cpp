#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "base/temporary_folder.h"
#include "shell/program_paths.h"

namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentGuard {
public:
    EnvironmentGuard() = default;
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;
    ~EnvironmentGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            put(it->first.c_str(), it->second);
    }

    // Sets `name` to `value`, or removes it for no value.
    void set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old == nullptr ? std::nullopt : std::optional<std::string>(old));
        put(name, value);
    }

private:
    static void put(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

const std::string ShippedSettings = "[Theme]\nSkinIndex=19\n";

std::string fileText(const fs::path& path) {
    const std::vector<unsigned char> bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

void putFileText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    putFileBytes(path, {reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

// An installation under <test folder>/prefix with the program in prefix/bin, a home
// folder and a clean environment: no VOLTRANE_HOME, no XDG_CONFIG_HOME.
class ProgramPaths : public testing::Test {
protected:
    ProgramPaths() {
        fs::create_directories(bin());
        fs::create_directories(home());
        environment.set("HOME", home().string());
        environment.set("VOLTRANE_HOME", std::nullopt);
        environment.set("XDG_CONFIG_HOME", std::nullopt);
    }

    fs::path bin() const { return folder / "prefix/bin"; }
    fs::path home() const { return folder / "home"; }
    fs::path shipped() const { return folder / "prefix/share/voltrane/SysSet.ini"; }
    fs::path homeConfigSettings() const { return home() / ".config/voltrane/SysSet.ini"; }

    TemporaryFolder folder;
    EnvironmentGuard environment;
};

// --- where the settings file lives ---

struct LocationCase {
    const char* what;
    std::optional<std::string> voltraneHome; // "{test}" stands for the test folder
    std::optional<std::string> xdgConfigHome;
    bool programFolderExists;
    const char* expected; // below the test folder
};

void PrintTo(const LocationCase& c, std::ostream* out) {
    *out << c.what;
}

class SettingsLocation : public ProgramPaths, public testing::WithParamInterface<LocationCase> {
protected:
    std::optional<std::string> inTestFolder(std::optional<std::string> value) const {
        const std::string marker = "{test}";
        if (value && value->starts_with(marker))
            value->replace(0, marker.size(), folder.path().string());
        return value;
    }
};

TEST_P(SettingsLocation, FollowsTheOverrideThenThePortableFolderThenXdg) {
    const LocationCase& c = GetParam();
    environment.set("VOLTRANE_HOME", inTestFolder(c.voltraneHome));
    environment.set("XDG_CONFIG_HOME", inTestFolder(c.xdgConfigHome));
    // A program folder that does not exist is not writable, not even for root.
    const fs::path program = c.programFolderExists ? bin() : folder / "gone/bin";

    EXPECT_EQ(settingsFile(program), folder / c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsLocation,
    testing::Values(LocationCase{"writable program folder", std::nullopt, "{test}/xdg", true,
                                 "prefix/bin/SysSet.ini"},
                    LocationCase{"override wins over a writable program folder", "{test}/mine",
                                 "{test}/xdg", true, "mine/SysSet.ini"},
                    LocationCase{"override wins over XDG", "{test}/mine", "{test}/xdg", false,
                                 "mine/SysSet.ini"},
                    LocationCase{"empty override counts as unset", "", std::nullopt, true,
                                 "prefix/bin/SysSet.ini"},
                    LocationCase{"program folder not writable", std::nullopt, "{test}/xdg", false,
                                 "xdg/voltrane/SysSet.ini"},
                    LocationCase{"XDG unset", std::nullopt, std::nullopt, false,
                                 "home/.config/voltrane/SysSet.ini"},
                    LocationCase{"XDG empty", std::nullopt, "", false,
                                 "home/.config/voltrane/SysSet.ini"},
                    LocationCase{"XDG relative is ignored", std::nullopt, "xdg", false,
                                 "home/.config/voltrane/SysSet.ini"}));

TEST_F(ProgramPaths, AnInstalledProgramKeepsItsSettingsInTheUsersConfiguration) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder, whatever its permissions";
    putFileText(shipped(), ShippedSettings);
    fs::permissions(bin(), fs::perms::owner_read | fs::perms::owner_exec);

    const fs::path settings = prepareSettingsFile(bin());
    fs::permissions(bin(), fs::perms::owner_all);

    EXPECT_EQ(settings, homeConfigSettings());
    EXPECT_EQ(fileText(homeConfigSettings()), ShippedSettings);
}

// --- shared data and language files ---

struct DataFolderCase {
    const char* programFolder;
    const char* expected;
};

class SharedData : public testing::TestWithParam<DataFolderCase> {};

TEST_P(SharedData, LiesInTheShareFolderBesideTheProgramFolder) {
    EXPECT_EQ(sharedDataFolder(GetParam().programFolder), fs::path(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, SharedData,
    testing::Values(DataFolderCase{"/usr/bin", "/usr/share/voltrane"},
                    DataFolderCase{"/opt/voltrane/bin/", "/opt/voltrane/share/voltrane"},
                    DataFolderCase{"/home/ann/build/src/../bin", "/home/ann/build/share/voltrane"},
                    DataFolderCase{"/", "/share/voltrane"}));

TEST_F(ProgramPaths, LanguageFilesBesideTheProgramComeFirst) {
    fs::create_directories(bin() / "Language");
    EXPECT_EQ(languageFolder(bin()), bin() / "Language");
}

TEST_F(ProgramPaths, LanguageFilesComeFromSharedDataWithoutALanguageFolderBesideTheProgram) {
    EXPECT_EQ(languageFolder(bin()), folder / "prefix/share/voltrane/Language");
    putFileText(bin() / "Language", "not a folder");
    EXPECT_EQ(languageFolder(bin()), folder / "prefix/share/voltrane/Language");
}

// --- first start ---

TEST_F(ProgramPaths, FirstStartCopiesTheShippedSettingsIntoPlace) {
    putFileText(shipped(), ShippedSettings);
    fs::permissions(shipped(), fs::perms::owner_read | fs::perms::group_read);

    const fs::path settings = prepareSettingsFile(bin());

    EXPECT_EQ(defaultSettingsFile(bin()), shipped());
    ASSERT_EQ(settings, bin() / "SysSet.ini");
    EXPECT_EQ(fileText(settings), ShippedSettings);
    EXPECT_NE(fs::status(settings).permissions() & fs::perms::owner_write, fs::perms::none)
        << "the copy of a read-only shipped file must still take saves";
}

TEST_F(ProgramPaths, DefaultSettingsBesideTheProgramComeFirst) {
    putFileText(shipped(), ShippedSettings);
    const std::string portable = "[Theme]\nSkinIndex=4\n";
    putFileText(bin() / "SysSet.ini.default", portable);

    EXPECT_EQ(defaultSettingsFile(bin()), bin() / "SysSet.ini.default");
    EXPECT_EQ(fileText(prepareSettingsFile(bin())), portable);
}

TEST_F(ProgramPaths, AnExistingSettingsFileIsNeverReplaced) {
    putFileText(shipped(), ShippedSettings);
    const std::string own = "[Theme]\nSkinIndex=3\n";
    putFileText(bin() / "SysSet.ini", own);

    EXPECT_EQ(prepareSettingsFile(bin()), bin() / "SysSet.ini");
    EXPECT_EQ(fileText(bin() / "SysSet.ini"), own);
}

TEST_F(ProgramPaths, WithoutShippedSettingsTheFolderIsMadeReadyAndLeftEmpty) {
    environment.set("XDG_CONFIG_HOME", (folder / "xdg").string());

    const fs::path settings = prepareSettingsFile(folder / "gone/bin");

    EXPECT_EQ(settings, folder / "xdg/voltrane/SysSet.ini");
    EXPECT_TRUE(fs::is_directory(settings.parent_path())) << "a first save needs the folder";
    EXPECT_FALSE(fs::exists(settings));
}

TEST_F(ProgramPaths, ASettingsFolderThatCannotBeMadeLeavesTheFileMissing) {
    putFileText(shipped(), ShippedSettings);
    putFileText(folder / "blocker", "a file where a folder should be");
    environment.set("VOLTRANE_HOME", (folder / "blocker/voltrane").string());

    EXPECT_EQ(prepareSettingsFile(bin()), folder / "blocker/voltrane/SysSet.ini");
    EXPECT_TRUE(fs::is_regular_file(folder / "blocker"));
}

} // namespace
