#include "tools/dpsetup/setup_office.h"

#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "storage/errors.h"
#include "storage/records/name.h"

namespace {

// Opens the directory and finds the user: 1 found, 0 not there, -1 failed
// (the reason in state->problem). The directory is left open.
int FindUser(SetupState* state) {
  ClearAppError();
  if (!OpenDataDirectory(state->settings.directory)) {
    state->problem = FormatAppError();
    return -1;
  }
  state->directoryOk = true;
  NameTable names;
  if (!NameOpen(names)) {
    state->problem = FormatAppError();
    return -1;
  }
  int found = NameFind(names, state->settings.userName) ? 1 : 0;
  if (!found && AppErrorCode() != kAppNotFound) {
    state->problem = FormatAppError();
    found = -1;
  }
  NameClose(names);
  return found;
}

}  // namespace

SetupState InspectWorkstation(const std::string& iniFile) {
  SetupState state;
  state.iniFile = iniFile;
  // The settings' own boxes ("Unable to read Path in DPDESK.INI", ...) have
  // been shown when this fails.
  state.settingsRead = ReadStartupSettings(iniFile, &state.settings);
  if (!state.settingsRead) {
    state.problem = "The settings file does not name a data directory and a user.";
    return state;
  }
  state.userKnown = FindUser(&state) == 1;
  CloseDataDirectory();
  return state;
}

AddUserResult AddWorkstationUser(const std::string& iniFile, std::string* problem) {
  SetupState state = InspectWorkstation(iniFile);
  if (!state.problem.empty()) {
    *problem = state.problem;
    return AddUserResult::kFailed;
  }
  if (state.userKnown) return AddUserResult::kAlreadyThere;
  // A name beginning with '*' would become a group, which cannot start
  // DESKpost.
  if (state.settings.userName.front() == records::name::kGroupPrefix) {
    *problem = "A name beginning with * is a group, not a person: " + state.settings.userName;
    return AddUserResult::kFailed;
  }
  AddUserResult result = AddUserResult::kFailed;
  // Looked up again with the directory open: another workstation may have
  // added the name since.
  const int found = FindUser(&state);
  if (found == 1) {
    result = AddUserResult::kAlreadyThere;
  } else if (found == 0) {
    NameTable names;
    ClearAppError();
    if (NameOpen(names)) {
      if (NameAdd(names, state.settings.userName)) result = AddUserResult::kAdded;
      NameClose(names);
    }
    if (result != AddUserResult::kAdded) state.problem = FormatAppError();
  }
  CloseDataDirectory();
  if (result == AddUserResult::kFailed) *problem = state.problem;
  return result;
}
