#include "shell/program_paths.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const SettingsFileName = "SysSet.ini";
const char* const DefaultSettingsFileName = "SysSet.ini.default";
const char* const OwnFolderName = "voltrane";

// The value of an environment variable that is set and not empty.
std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return value;
}

fs::path homeFolder() {
    if (const auto home = environmentValue("HOME"))
        return *home;
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr && user->pw_dir != nullptr ? fs::path(user->pw_dir) : fs::path("/");
}

fs::path configFolder() {
    const auto config = environmentValue("XDG_CONFIG_HOME");
    if (config && fs::path(*config).is_absolute())
        return *config;
    return homeFolder() / ".config";
}

// Whether this user may create files in `folder`, asked the way open() will decide it.
bool isWritableFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK) == 0;
}

fs::path settingsFolder(const fs::path& programFolder) {
    if (const auto home = environmentValue("VOLTRANE_HOME"))
        return *home;
    if (isWritableFolder(programFolder))
        return programFolder;
    return configFolder() / OwnFolderName;
}

// Copies the shipped settings to `settings` unless something is there already; a copy that
// breaks off halfway is removed, so the next start tries again.
void copyShippedSettings(const fs::path& shipped, const fs::path& settings) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(settings, error)) || !fs::is_regular_file(shipped, error))
        return;
    if (!fs::copy_file(shipped, settings, error)) {
        if (error != std::errc::file_exists)
            fs::remove(settings, error);
        return;
    }
    // A shipped file may be read-only; the user's copy must take saves.
    fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    error);
}

} // namespace

fs::path programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path(".") : program.parent_path();
}

fs::path sharedDataFolder(const fs::path& programFolder) {
    return (programFolder / ".." / "share" / OwnFolderName).lexically_normal();
}

fs::path settingsFile(const fs::path& programFolder) {
    return settingsFolder(programFolder) / SettingsFileName;
}

fs::path defaultSettingsFile(const fs::path& programFolder) {
    const fs::path besideProgram = programFolder / DefaultSettingsFileName;
    std::error_code error;
    if (fs::is_regular_file(besideProgram, error))
        return besideProgram;
    return sharedDataFolder(programFolder) / SettingsFileName;
}

fs::path languageFolder(const fs::path& programFolder) {
    const fs::path besideProgram = programFolder / "Language";
    std::error_code error;
    if (fs::is_directory(besideProgram, error))
        return besideProgram;
    return sharedDataFolder(programFolder) / "Language";
}

fs::path prepareSettingsFile(const fs::path& programFolder) {
    const fs::path settings = settingsFile(programFolder);
    std::error_code error;
    fs::create_directories(settings.parent_path(), error);
    copyShippedSettings(defaultSettingsFile(programFolder), settings);
    return settings;
}
