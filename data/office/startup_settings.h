// The two settings that start everything: where the office data lives
// ("Path") and who is working ("Name"), read from the INI file's "DESKpost"
// section before the main window shows.
//
// "Name" may name the user indirectly: "%winusername%" (any case) stands for
// the login name, another "%VARIABLE%" for that environment variable.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// "Path" is read as at most 78 characters: a data directory whose full path
// (without its trailing '/') is longer cannot be named in DPDESK.INI.
constexpr size_t kMaxPathSetting = 78;
constexpr size_t kMaxNameSetting = 19;
constexpr size_t kMaxLoginName = 20;

struct StartupSettings {
  std::string directory;  // ends in '/'
  std::string userName;
};

// Why a data directory cannot be named in DPDESK.INI's "Path", as a
// sentence; empty when it can. fullPath is the directory's absolute path.
std::string DataPathProblem(std::string_view fullPath);

// Reads "Path" and "Name". On failure the box has been shown ("Unable to
// read Path in DPDESK.INI", "Unable to read Name in DPDESK.INI", followed by
// the INI file's path in brackets with "does not exist" when it is missing;
// "Error reading registry value."; captioned "DESKpost") and the program
// ends.
bool ReadStartupSettings(const std::string& iniPath, StartupSettings* settings);

// Resolves a "%...%" indirection; a name without a leading '%' is returned
// as it is. Nothing when the login name is asked for and cannot be had.
std::optional<std::string> ResolveUserName(const std::string& written);

// Where the login name comes from: the password database entry of the
// real user, else the session's login name. Tests replace it (nullptr
// restores the real one).
using LoginNameSource = std::function<std::optional<std::string>()>;
void SetLoginNameSource(LoginNameSource source);
