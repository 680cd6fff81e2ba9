#include "shell/workstation_settings.h"

#include "data/office/profile.h"
#include "data/setting_number.h"

const char* const kToolbarItemKeys[kToolbarItemCount] = {
    "TakeButton", "InboxButton", "PhoneListButton", "ScheduleButton", "TodoButton"};

const char* const kWindowStateKeys[kWindowStateCount] = {"MainWnd",    "ViewState",  "MessageState",
                                                         "PhoneState", "SchedState", "TodoState"};

namespace {

// The key's value as a number within [low, high], else the default.
int RangedKey(const std::string& path, const char* section, const char* key, int low, int high,
              int defaultValue) {
  std::optional<std::string> text = ProfileFind(path, section, key);
  if (!text) return defaultValue;
  std::optional<int64_t> n = SettingNumber(*text);
  if (!n || *n < low || *n > high) return defaultValue;
  return int(*n);
}

// An on/off key whose every number counts: 0 is off, anything else on.
bool SwitchKey(const std::string& path, const char* key, bool defaultValue) {
  std::optional<std::string> text = ProfileFind(path, kMainSection, key);
  if (!text) return defaultValue;
  std::optional<int64_t> n = SettingNumber(*text);
  if (!n) return defaultValue;
  return *n != 0;
}

}  // namespace

WorkstationSettings ReadWorkstationSettings(const std::string& iniPath) {
  WorkstationSettings s;
  const char* main = kMainSection;
  s.initMode = RangedKey(iniPath, main, "InitMode", 0, 2, s.initMode);
  s.floatShape = RangedKey(iniPath, main, "Float", 0, 2, s.floatShape);
  s.initX = RangedKey(iniPath, main, "InitX", 0, kMaxInitPosition, s.initX);
  s.initY = RangedKey(iniPath, main, "InitY", 0, kMaxInitPosition, s.initY);
  s.alwaysOnTop = RangedKey(iniPath, main, "AlwaysOnTop", 0, 1, 0) == 1;

  s.urgentSound = ProfileGetString(iniPath, kSoundsSection, "Urgent", "", kMaxSoundFileLength);
  s.messageSound = ProfileGetString(iniPath, kSoundsSection, "Message", "", kMaxSoundFileLength);
  s.alarmSound = ProfileGetString(iniPath, kSoundsSection, "Alarm", "", kMaxSoundFileLength);

  s.nameDelete = SwitchKey(iniPath, "NameDelete", true);
  s.phoneDelete = SwitchKey(iniPath, "PhoneDelete", true);
  s.schedDelete = SwitchKey(iniPath, "SchedDelete", true);
  s.todoDelete = SwitchKey(iniPath, "TodoDelete", true);
  s.noShading = SwitchKey(iniPath, "NoShading", false);
  s.useTapi = SwitchKey(iniPath, "UseTAPI", false);
  s.pollTime = ReadIniPollTime(iniPath);

  for (int i = 0; i < kWindowStateCount; ++i) {
    std::optional<std::string> text = ProfileFind(iniPath, main, kWindowStateKeys[i]);
    if (text) s.windows[size_t(i)] = ParseWindowState(*text);
  }
  // Only "0" hides an item: a key that is missing or garbled leaves it on
  // the toolbar, where the user can see and change it.
  for (int i = 0; i < kToolbarItemCount; ++i) {
    std::optional<std::string> text = ProfileFind(iniPath, kToolBarSection, kToolbarItemKeys[i]);
    std::optional<int64_t> n = text ? SettingNumber(*text) : std::nullopt;
    s.toolbarShown[size_t(i)] = !(n && *n == 0);
  }
  return s;
}

int32_t WorkstationPollTicks(const std::string& dataDirectory,
                             const WorkstationSettings& settings) {
  return PollIntervalTicks(ReadOfficeConfig(dataDirectory), settings.pollTime);
}

bool WriteToolbarItems(const std::string& iniPath, const WorkstationSettings& settings) {
  bool written = true;
  for (int i = 0; i < kToolbarItemCount; ++i) {
    written &= ProfileWriteInt(iniPath, kToolBarSection, kToolbarItemKeys[i],
                               settings.toolbarShown[size_t(i)] ? 1 : 0);
  }
  return written;
}

bool WriteWindowSettings(const std::string& iniPath, const WorkstationSettings& s) {
  bool written = true;
  written &= ProfileWriteInt(iniPath, kMainSection, "InitX", s.initX);
  written &= ProfileWriteInt(iniPath, kMainSection, "InitY", s.initY);
  written &= ProfileWriteInt(iniPath, kMainSection, "Float", s.floatShape);
  written &= ProfileWriteInt(iniPath, kMainSection, "AlwaysOnTop", s.alwaysOnTop ? 1 : 0);
  for (int i = 0; i < kWindowStateCount; ++i) {
    if (!s.windows[size_t(i)]) continue;
    written &= ProfileWriteString(iniPath, kMainSection, kWindowStateKeys[i],
                                  FormatWindowState(*s.windows[size_t(i)]));
  }
  return written;
}
