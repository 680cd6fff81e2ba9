// dpmain: from the data directory and the user's name to an opened data
// directory, a known user and the per-user state every other module relies
// on; and back again at exit.
//
// Opening proves the directory before any table is touched: the DP.EXE
// marker (and that byte-range locking works on it), the directory version
// in CAT.DAT, and the DPE and SENDLOG folders. Starting the user finds the
// name record, builds the flag file path and work table names, and opens
// the message work table for the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "data/office/dpname.h"
#include "storage/database.h"

constexpr size_t kMaxDirectoryLength = 255;
constexpr char kMarkerFile[] = "DP.EXE";
constexpr char kSetupProgram[] = "SETUP.EXE";
constexpr char kCommonPhoneList[] = "COMMON";
constexpr int32_t kCommonPhoneListNumber = 0;
constexpr size_t kWorkTableNameLength = 8;
constexpr size_t kDefaultFolderNameLength = 10;

// The work tables of a user: "W", "Wa", "Wb", "Wc" with the name number.
enum WorkTableKind { kWorkMessages = 0, kWorkA = 1, kWorkB = 2, kWorkC = 3, kWorkTableCount = 4 };

// The per-user state, kept for the whole run.
struct UserState {
  bool started = false;
  NameRecord record;  // the user's name record as read at start-up
  std::string name;   // as the name table spells it
  int32_t number = 0;
  std::string flagPath;                         // "<dir><number>.nam"
  std::string workTableNames[kWorkTableCount];  // each at most 8 characters
  // Whose phone list is shown by default.
  std::string phoneListOwner = kCommonPhoneList;
  int32_t phoneListOwnerNumber = kCommonPhoneListNumber;
  // The folder offered first when filing a message; 0 for none.
  int32_t defaultFolder = 0;
  std::string defaultFolderName;  // first 10 characters
  // The dialog option of the user's record ("All Caps"), the default of
  // every dialog.
  uint8_t dialogOption = 0;
};

// 1, or 0 with an application error: 1000 path too long, 1024 no DP.EXE
// (the directory as name), another open code for DP.EXE (its path), 1002
// locking not supported or not shared between computers (the reason as
// name), open or read codes for CAT.DAT, 1003 wrong
// version, 1019 a folder that cannot be made (its path). Installs the
// engine's error reporter and clears both lock-retry questions.
int OpenDataDirectory(const std::string& directory);
// Closes the directory; a table still open is a failed internal check.
void CloseDataDirectory();
bool DataDirectoryOpen();

// Opens the directory, installs the "Timed out locking file." question and
// starts the user; 1, or 0 after the failure has been shown (a user not in
// the name table gets the NAME_ERROR dialog, whose "Run Setup..." starts
// "<directory>SETUP.EXE" with iniFile as its argument). On failure nothing
// stays open.
int StartUser(const std::string& directory, const std::string& userName,
              const std::string& iniFile = std::string());
// Closes the message work table and the data directory.
void StopUser();

const UserState& CurrentUser();
// The user's settings changed (the options were applied): the record is
// kept as the user's, and what start-up derived from it (the send log,
// the default phone list and folder, "All Caps") is derived again. A
// record of another person is refused by the consistency check.
void SetCurrentUserSettings(const NameRecord& record);
// The user's message work table "W<number>" (99-byte rows), open while the
// user is started.
Table& MessageWorkTable();

// Shows the current application error in a box captioned "DESKpost".
void ShowError();
