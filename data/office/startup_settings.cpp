#include "data/office/startup_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "data/office/profile.h"
#include "data/office/startup_prompts.h"
#include "storage/file.h"
#include "storage/text_compare.h"

namespace {

constexpr char kCaption[] = "DESKpost";
constexpr char kLoginIndirection[] = "winusername";

std::optional<std::string> SystemLoginName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) {
    return std::string(pw->pw_name);
  }
  if (const char* login = getlogin(); login && *login) return std::string(login);
  return std::nullopt;
}

LoginNameSource& Source() {
  static LoginNameSource source;
  return source;
}

// Which INI file the settings were looked for in, after the box's own
// text: the program may have been given another file than DPDESK.INI, or
// none that exists.
std::string IniNote(const std::string& iniPath) {
  return " (" + iniPath + (FileExists(iniPath) ? ")" : " does not exist)");
}

}  // namespace

void SetLoginNameSource(LoginNameSource source) {
  Source() = std::move(source);
}

std::optional<std::string> ResolveUserName(const std::string& written) {
  if (written.empty() || written[0] != '%') return written;
  const size_t close = written.find('%', 1);
  // The word between the percent signs; the name as written is cut after
  // the closing one.
  const std::string word = written.substr(1, close == std::string::npos ? close : close - 1);
  const std::string asWritten = close == std::string::npos ? written : written.substr(0, close + 1);
  if (StrICmp(word.c_str(), kLoginIndirection) == 0) {
    std::optional<std::string> login = Source() ? Source()() : SystemLoginName();
    if (!login) return std::nullopt;
    return login->substr(0, kMaxLoginName);
  }
  if (const char* value = word.empty() ? nullptr : std::getenv(word.c_str())) {
    return std::string(value).substr(0, kMaxNameSetting);
  }
  // An unknown variable leaves the name as written; it will not be found in
  // the name table, and the name error says which name was looked for.
  return asWritten;
}

std::string DataPathProblem(std::string_view fullPath) {
  while (fullPath.size() > 1 && fullPath.back() == '/') fullPath.remove_suffix(1);
  if (fullPath.size() <= kMaxPathSetting) return std::string();
  return "The data directory's path is " + std::to_string(fullPath.size()) +
         " characters long; DPDESK.INI's Path holds at most " + std::to_string(kMaxPathSetting) +
         ".";
}

bool ReadStartupSettings(const std::string& iniPath, StartupSettings* settings) {
  std::string path = ProfileGetString(iniPath, kMainSection, "Path", "", kMaxPathSetting);
  if (path.empty()) {
    Prompts().Inform(kCaption, "Unable to read Path in DPDESK.INI" + IniNote(iniPath));
    return false;
  }
  if (path.back() != '/') path += '/';
  std::string name = ProfileGetString(iniPath, kMainSection, "Name", "", kMaxNameSetting);
  if (name.empty()) {
    Prompts().Inform(kCaption, "Unable to read Name in DPDESK.INI" + IniNote(iniPath));
    return false;
  }
  std::optional<std::string> resolved = ResolveUserName(name);
  if (!resolved) {
    Prompts().Inform(kCaption, "Error reading registry value.");
    return false;
  }
  settings->directory = path;
  settings->userName = *resolved;
  return true;
}
