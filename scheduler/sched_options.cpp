#include "scheduler/sched_options.h"

#include <cctype>

#include "data/office/dpname.h"
#include "data/office/profile.h"
#include "data/schedule/dpsched.h"
#include "storage/errors.h"

namespace {

constexpr const char* kSection = "DESKpost";

bool Flag(const std::string& ini, const char* key, int fallback) {
  return ProfileGetInt(ini, kSection, key, fallback) != 0;
}

}  // namespace

SchedOptions ReadSchedOptions(const std::string& iniPath) {
  SchedOptions o;
  o.autoRefresh = Flag(iniPath, "AutoRefresh", 1);
  o.sendUpdate = ProfileGetInt(iniPath, kSection, "SchedSendUpdate", 1) == 1;
  o.usePresets = Flag(iniPath, "UsePresets", 0);
  o.presets = PresetHoursFromOptions(ProfileGetInt(iniPath, kSection, "PresetStart", 8),
                                     ProfileGetInt(iniPath, kSection, "PresetEnd", 17));
  o.defaultSchedule =
      ProfileGetString(iniPath, kSection, "DefaultSchedule", "", size_t(kMaxNameLength));
  o.schedDelete = Flag(iniPath, "SchedDelete", 1);
  o.todoDelete = Flag(iniPath, "TodoDelete", 1);
  o.noShading = Flag(iniPath, "NoShading", 0);
  return o;
}

bool WriteUsePresets(const std::string& iniPath, bool on) {
  return ProfileWriteInt(iniPath, kSection, "UsePresets", on ? 1 : 0);
}

bool DefaultScheduleOwner(const std::string& option, ScheduleOwner* owner, std::string* message) {
  std::string name = option;
  for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
  if (name.empty()) return true;
  if (name == "* - ALL" || name == kCommonScheduleName) {
    *owner = {kCommonScheduleOwner, kCommonScheduleName};
    return true;
  }
  NameTable names;
  NameEntry entry;
  const AppError kept = CurrentAppError();
  bool found = NameOpen(names) && NameFind(names, name, &entry);
  if (names.open) NameClose(names);
  RestoreAppError(kept);
  if (!found) {
    *message = "Could not find default schedule user: " + name;
    return false;
  }
  *owner = {entry.Number(), entry.Name()};
  return true;
}
