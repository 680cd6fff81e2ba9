#include "shell/options.h"

#include "data/messages/dpfolder.h"
#include "data/office/dpmain.h"
#include "data/office/profile.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/sched_daylines.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/records/name.h"

namespace nm = records::name;

const char* const kDefaultTypeChoices[kDefaultTypeCount] = {"Phone", "Memo", "Email"};
const char* const kListOrderChoices[kListOrderCount] = {"List old to new", "List new to old"};
const char* const kSoundChoices[kSoundChoiceCount] = {
    "One time",        "None",      "Every minute", "Every 5 minutes", "Every 15 minutes",
    "Every half hour", "Every hour"};
const char* const kNotifyChoices[kNotifyChoiceCount] = {"On", "Off"};
const char* const kInitModeChoices[kInitModeCount] = {"Full screen", "Floating toolbar", "Icon"};
const char* const kPortChoices[kPortChoiceCount] = {"1", "2", "3", "4", "TAPI"};
const char* const kPresetHourTexts[kPresetHourCount] = {
    "12:00am", "1:00am", "2:00am",  "3:00am",  "4:00am",  "5:00am", "6:00am",  "7:00am",
    "8:00am",  "9:00am", "10:00am", "11:00am", "12:00pm", "1:00pm", "2:00pm",  "3:00pm",
    "4:00pm",  "5:00pm", "6:00pm",  "7:00pm",  "8:00pm",  "9:00pm", "10:00pm", "11:00pm"};

namespace {

constexpr char kEverybodyOption[] = "* - ALL";
constexpr int kPortCount = 4;

}  // namespace

WorkstationOptions ReadWorkstationOptions(const std::string& iniPath) {
  WorkstationOptions o;
  const int mode = ProfileGetInt(iniPath, kOptionsSection, "InitMode", 1);
  o.initMode = mode >= 0 && mode < kInitModeCount ? mode : 1;
  o.useTapi = ProfileGetInt(iniPath, kOptionsSection, "UseTAPI", 0) != 0;
  o.defaultSchedule = DefaultScheduleShown(
      ProfileGetString(iniPath, kOptionsSection, "DefaultSchedule", "", size_t(kMaxNameLength)));
  // The scheduler reads the same two keys by the same rule.
  int start = ProfileGetInt(iniPath, kOptionsSection, "PresetStart", 8);
  if (start < 0) start = 8;
  const PresetHours hours =
      PresetHoursFromOptions(start, ProfileGetInt(iniPath, kOptionsSection, "PresetEnd", 17));
  o.presetStart = hours.first;
  o.presetEnd = hours.last;
  o.schedSendUpdate = ProfileGetInt(iniPath, kOptionsSection, "SchedSendUpdate", 1) != 0;
  return o;
}

void WriteWorkstationOptions(const std::string& iniPath, const WorkstationOptions& o) {
  ProfileWriteInt(iniPath, kOptionsSection, "InitMode", o.initMode);
  ProfileWriteInt(iniPath, kOptionsSection, "UseTAPI", o.useTapi ? 1 : 0);
  ProfileWriteString(iniPath, kOptionsSection, "DefaultSchedule",
                     o.defaultSchedule.substr(0, size_t(kMaxNameLength)));
  ProfileWriteInt(iniPath, kOptionsSection, "PresetStart", o.presetStart);
  ProfileWriteInt(iniPath, kOptionsSection, "PresetEnd", o.presetEnd);
  ProfileWriteInt(iniPath, kOptionsSection, "SchedSendUpdate", o.schedSendUpdate ? 1 : 0);
}

int PortChoice(const NameRecord& person, bool useTapi) {
  if (useTapi) return kPortChoiceTapi;
  const uint8_t port = FieldByte(person.bytes, nm::kModemPort);
  return port < kPortCount ? port : 0;
}

void ApplyPortChoice(int choice, NameRecord* person, bool* useTapi) {
  if (choice == kPortChoiceTapi) {
    *useTapi = true;
    return;
  }
  if (choice < 0 || choice >= kPortCount) return;
  SetFieldByte(person->bytes, nm::kModemPort, uint8_t(choice));
  *useTapi = false;
}

void SetDefaultPhoneList(NameRecord* person, const std::string& name, int32_t number) {
  const bool common = name.empty() || name[0] == nm::kGroupPrefix;
  SetFieldText(person->bytes, nm::kPhoneListName, common ? kCommonPhoneList : name.c_str());
  SetFieldI32(person->bytes, nm::kPhoneListNumber, common ? kCommonPhoneListNumber : number);
}

std::string DefaultScheduleFromPick(const std::string& name) {
  if (!name.empty() && name[0] == nm::kGroupPrefix) return kCommonScheduleName;
  return name;
}

std::string DefaultScheduleShown(const std::string& option) {
  return option == kEverybodyOption ? kCommonScheduleName : option;
}

std::string PresetHoursProblem(int start, int end) {
  return start > end ? kPresetOrderMessage : "";
}

int DefaultFolderName(NameRecord* person, std::string* name) {
  name->clear();
  const int32_t number = FieldI32(person->bytes, nm::kDefaultFolder);
  if (number == 0) return 1;
  FolderTable folders;
  if (!FolderOpen(folders)) return 0;
  FolderRecord folder;
  int ok = 1;
  if (FolderFindNumber(folders, number, &folder)) {
    *name = folder.Name();
  } else if (AppErrorCode() == kAppNotFound) {
    SetFieldI32(person->bytes, nm::kDefaultFolder, 0);
    ClearAppError();
  } else {
    ok = 0;
  }
  const AppError kept = CurrentAppError();
  FolderClose(folders);
  if (!ok) RestoreAppError(kept);
  return ok;
}

int LoadPersonOptions(const std::string& name, NameRecord* person) {
  return NameLookup(name, person);
}

int SavePersonOptions(const std::string& iniPath, const std::string& name,
                      const std::function<void(NameRecord*)>& change,
                      const WorkstationOptions& workstation, NameRecord* saved) {
  NameTable names;
  if (!NameOpen(names)) return 0;
  NameEntry entry;
  int ok = NameFind(names, name, &entry);
  if (ok) {
    if (!DbLockRecord(names.table, entry.RecordNumber())) {
      ok = FailRecordLocked(name);
    } else {
      ok = NameReadCurrent(names, saved);
      if (ok) {
        change(saved);
        ok = NameWriteCurrent(names, *saved);
      }
      DbUnlockRecord(names.table, entry.RecordNumber());
    }
  }
  const AppError kept = CurrentAppError();
  NameClose(names);
  if (!ok) {
    RestoreAppError(kept);
    return 0;
  }
  WriteWorkstationOptions(iniPath, workstation);
  return 1;
}
