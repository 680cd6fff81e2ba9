// The options: the person's settings, kept in their own name record and
// so following them to any workstation, and the workstation's keys in its
// INI file (section "DESKpost"). The "DESKpost Options" dialog
// (shell/ui/options/) shows them; the rules of reading, choosing and
// saving them are here, without widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/office/dpname.h"

// The choices of the lists, in their stored order (the index is the value).
constexpr int kDefaultTypeCount = 3;
extern const char* const kDefaultTypeChoices[kDefaultTypeCount];  // "Phone", "Memo", "Email"
constexpr int kListOrderCount = 2;
extern const char* const kListOrderChoices[kListOrderCount];
constexpr int kSoundChoiceCount = 7;
extern const char* const kSoundChoices[kSoundChoiceCount];  // "One time" ... "Every hour"
constexpr int kNotifyChoiceCount = 2;
extern const char* const kNotifyChoices[kNotifyChoiceCount];  // "On", "Off"
constexpr int kInitModeCount = 3;
extern const char* const kInitModeChoices[kInitModeCount];
// "1" to "4", then "TAPI".
constexpr int kPortChoiceCount = 5;
constexpr int kPortChoiceTapi = 4;
extern const char* const kPortChoices[kPortChoiceCount];
// "12:00am" ... "11:00pm": index = hour.
constexpr int kPresetHourCount = 24;
extern const char* const kPresetHourTexts[kPresetHourCount];

constexpr char kOptionsSection[] = "DESKpost";
constexpr char kPresetOrderMessage[] = "Start time cannot be later than end time.";

// The workstation's part of the options.
struct WorkstationOptions {
  int initMode = 1;      // InitMode: 0 full screen, 1 floating toolbar, 2 icon
  bool useTapi = false;  // UseTAPI
  // DefaultSchedule: a person's name or "* COMMON"; empty for the user's
  // own schedule.
  std::string defaultSchedule;
  int presetStart = 8;          // PresetStart, 0 to 23
  int presetEnd = 17;           // PresetEnd, PresetStart to 23
  bool schedSendUpdate = true;  // SchedSendUpdate
};

// Read with the defaults of the program's start: InitMode outside 0 to 2 is
// 1, PresetStart above 23 (or below 0) is 8, PresetEnd below PresetStart is
// PresetStart (and above 23 is 23), DefaultSchedule at most 19 characters,
// "* - ALL" shown as "* COMMON".
WorkstationOptions ReadWorkstationOptions(const std::string& iniPath);
// Writes the six keys ("%d", the name as it is); the writes are not
// checked, as a workstation's own file is taken to be writable.
void WriteWorkstationOptions(const std::string& iniPath, const WorkstationOptions& options);

// The modem port list's choice: "TAPI" when the workstation dials through
// the telephony interface, else the record's port (0 to 3; a damaged byte
// shows port 1).
int PortChoice(const NameRecord& person, bool useTapi);
// "TAPI" keeps the stored port and sets UseTAPI; a port sets it and clears
// UseTAPI.
void ApplyPortChoice(int choice, NameRecord* person, bool* useTapi);

// The default phone list from a name chosen in the picker: a name beginning
// with '*' is the common list ("COMMON", 0), another is that person's.
void SetDefaultPhoneList(NameRecord* person, const std::string& name, int32_t number);
// The default schedule from a name chosen in the picker: a name beginning
// with '*' is "* COMMON".
std::string DefaultScheduleFromPick(const std::string& name);
// How DefaultSchedule is shown: "* - ALL" as "* COMMON".
std::string DefaultScheduleShown(const std::string& option);

// Empty when the preset hours can be applied, else the sentence to show.
std::string PresetHoursProblem(int start, int end);

// The name of the record's default folder when its number still names a
// folder; otherwise the number is cleared and the answer is empty. Folder
// table failures other than not finding it: 0 with the engine's error.
int DefaultFolderName(NameRecord* person, std::string* name);

// Opening: the person's record read again from the name table (another
// workstation may have changed it since the start). 0 with the error.
int LoadPersonOptions(const std::string& name, NameRecord* person);
// Applying, as another workstation may have changed the person's record
// since the dialog opened (the user password, the signatures): the record
// is locked, read afresh, given the dialog's changes, written back and
// unlocked, then the INI keys are written. saved gets the record as
// written. 0 with the error when the record cannot be read or written
// (1012 when another workstation holds it); the INI keys are then left
// alone.
int SavePersonOptions(const std::string& iniPath, const std::string& name,
                      const std::function<void(NameRecord*)>& change,
                      const WorkstationOptions& workstation, NameRecord* saved);
