// What dpsetup knows about a workstation: the two settings of its INI file
// ("Path" and "Name"), whether "Path" is a DESKpost data directory, and
// whether "Name" is in that directory's name list; and the one change it
// makes, adding the missing user to the name list.
#pragma once

#include <string>

#include "data/office/startup_settings.h"

struct SetupState {
  std::string iniFile;
  bool settingsRead = false;
  StartupSettings settings;
  // The data directory opened (DP.EXE, the directory version, locking).
  bool directoryOk = false;
  // The user is in the name list.
  bool userKnown = false;
  // Why the settings, the directory or the name list could not be used;
  // empty when they could.
  std::string problem;
};

// Reads the INI file's settings and looks at the data directory and the
// name list. Never changes anything.
SetupState InspectWorkstation(const std::string& iniFile);

enum class AddUserResult { kAdded, kAlreadyThere, kFailed };

// Adds the INI file's user to the name list of its data directory. A name
// already there (in any letter case) is left as it is; a group name, a
// directory that is not a DESKpost directory, or a failing name table
// answer kFailed with the reason in *problem.
AddUserResult AddWorkstationUser(const std::string& iniFile, std::string* problem);
