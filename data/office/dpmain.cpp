#include "data/office/dpmain.h"

#include <sys/stat.h>

#include <cerrno>

#include "data/messages/dpfolder.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/flags.h"
#include "data/office/office_time_zone.h"
#include "data/office/startup_prompts.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/lockwait.h"
#include "storage/records/message.h"
#include "storage/share_check.h"
#include "storage/text_compare.h"
#include "storage/worktable.h"

namespace nm = records::name;

namespace {

constexpr char kCaption[] = "DESKpost";
constexpr char kLockTimeoutCaption[] = "Error";
constexpr char kLockTimeoutText[] = "Timed out locking file.";
constexpr char kCatalogueFile[] = "CAT.DAT";
const char* const kDirectories[] = {"DPE", "SENDLOG"};
const char* const kWorkTablePrefixes[kWorkTableCount] = {"W", "Wa", "Wb", "Wc"};

struct MainState {
  bool directoryOpen = false;
  // What the start-up tells the user about the office's time zone.
  std::string zoneWarning;
  UserState user;
  Table messageWork{"", records::message::list_row::kLength};
};

MainState& State() {
  static MainState state;
  return state;
}

int CheckMarker(const std::string& directory) {
  const std::string path = directory + kMarkerFile;
  File marker;
  if (!marker.Open(path, OpenMode::kReadOnly)) {
    int code = AppCodeForOpenFailure(File::LastReason());
    if (code == kAppNoSuchFile) {
      SetAppError(kAppNotInstalledHere, directory);
    } else {
      SetAppError(code, path);
    }
    return 0;
  }
  // A refusal because another workstation is testing at the same moment
  // proves locking works as well as a grant does.
  // DP.EXE is opened for reading only (the program file need not be
  // writable), and a read handle can hold only a shared lock; that proves
  // locking works just as well.
  LockResult tried = marker.TryLockShared(0);
  if (tried == LockResult::kGranted) marker.Unlock(0);
  if (tried == LockResult::kUnsupported) {
    SetAppError(kAppShareNotInstalled, "");
    return 0;
  }
  // Some mounts grant every lock without telling the other computers, which
  // is no locking at all; the message says what to mount instead.
  const std::string unsafe = UnsafeShareReason(directory);
  if (!unsafe.empty()) {
    SetAppError(kAppShareNotInstalled, unsafe);
    return 0;
  }
  return 1;
}

int CheckVersion(const std::string& directory) {
  const std::string path = directory + kCatalogueFile;
  File cat;
  if (!cat.Open(path, OpenMode::kReadOnly)) {
    SetAppError(AppCodeForOpenFailure(File::LastReason()), path);
    return 0;
  }
  uint8_t version = 0;
  long got = cat.ReadAt(kVersionOffset, &version, 1);
  if (got != 1) {
    SetAppError(AppCodeForReadFailure(got < 0 ? File::LastReason() : SystemReason::kOther), path);
    return 0;
  }
  if (version != kDirectoryVersion) {
    SetAppError(kAppWrongVersion, "");
    return 0;
  }
  return 1;
}

int MakeDirectories(const std::string& directory) {
  for (const char* name : kDirectories) {
    const std::string path = directory + name;
    if (DirectoryExists(path)) continue;
    if (::mkdir(path.c_str(), 0777) != 0 && !DirectoryExists(path)) {
      SetAppError(kAppCannotCreateDir, path);
      return 0;
    }
  }
  return 1;
}

bool AskLockRetry() {
  return Prompts().AskRetryCancel(kLockTimeoutCaption, kLockTimeoutText);
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

// Step 6 of the start: whose phone list is shown by default.
void ChooseDefaultPhoneList(UserState& user) {
  user.phoneListOwner = kCommonPhoneList;
  user.phoneListOwnerNumber = kCommonPhoneListNumber;
  const std::string named = FieldText(user.record.bytes, nm::kPhoneListName);
  if (IsBlank(named) || StrICmp(named.c_str(), kCommonPhoneList) == 0) return;
  NameRecord owner;
  if (NameLookup(named, &owner)) {
    user.phoneListOwner = owner.Name();
    user.phoneListOwnerNumber = owner.Number();
    return;
  }
  if (AppErrorCode() == kAppNotFound) {
    Prompts().Inform(kCaption, "Could not locate default PhoneList user: " + named);
  } else {
    ShowError();
  }
}

// Step 7: the folder offered first when filing.
void ChooseDefaultFolder(UserState& user) {
  user.defaultFolder = 0;
  user.defaultFolderName.clear();
  const int32_t number = FieldI32(user.record.bytes, nm::kDefaultFolder);
  if (number == 0) return;
  FolderTable folders;
  if (!FolderOpen(folders)) {
    ShowError();
    return;
  }
  FolderRecord folder;
  if (FolderFindNumber(folders, number, &folder)) {
    user.defaultFolder = number;
    user.defaultFolderName = folder.Name().substr(0, kDefaultFolderNameLength);
  } else if (AppErrorCode() != kAppNotFound) {
    ShowError();
  }
  FolderClose(folders);
}

std::string NumberedName(const char* prefix, int32_t number) {
  return (prefix + std::to_string(number)).substr(0, kWorkTableNameLength);
}

// Closes what a failed start left open.
void AbandonStart() {
  MainState& s = State();
  if (s.messageWork.IsOpen()) {
    DbCloseWorkTable(s.messageWork);
    CountTableClosed();
  }
  s.user = UserState();
  SetMessageUser(MessageUser());
  if (s.directoryOpen) CloseDataDirectory();
}

}  // namespace

int OpenDataDirectory(const std::string& directory) {
  MainState& s = State();
  if (!DP_CHECK(!s.directoryOpen)) return 0;
  if (directory.size() > kMaxDirectoryLength) {
    SetAppError(kAppPathTooLong, "");
    return 0;
  }
  SetDataDirectory(directory);
  const std::string& dir = DataDirectory();
  if (!CheckMarker(dir) || !CheckVersion(dir)) {
    SetDataDirectory("");
    return 0;
  }
  // Every day value and clock time from here on is the office's.
  OfficeZoneResult zone = ApplyOfficeTimeZone(dir);
  if (!zone.ok) {
    SetDataDirectory("");
    return 0;
  }
  s.zoneWarning = zone.warning;
  DbSetErrorReporter(TranslateEngineError);
  DbSetLockRetry(nullptr);
  IdxSetLockRetry(nullptr);
  if (!MakeDirectories(dir)) {
    SetDataDirectory("");
    return 0;
  }
  // The read cache is made by the engine at its first use; start from an
  // empty one.
  DbForgetReadCache();
  s.directoryOpen = true;
  return 1;
}

void CloseDataDirectory() {
  MainState& s = State();
  if (!s.directoryOpen) return;
  DP_CHECK(OpenTableCount() == 0);
  DbForgetReadCache();
  SetDataDirectory("");
  s.directoryOpen = false;
}

bool DataDirectoryOpen() {
  return State().directoryOpen;
}

int StartUser(const std::string& directory, const std::string& userName,
              const std::string& iniFile) {
  MainState& s = State();
  if (!DP_CHECK(!s.user.started)) return 0;
  if (!OpenDataDirectory(directory)) {
    // A directory that is not the office's says where the Path came from,
    // and whether it exists at all.
    std::string note;
    if (AppErrorCode() == kAppNotInstalledHere) {
      if (!DirectoryExists(directory)) note = "the directory does not exist";
      if (!iniFile.empty()) note += (note.empty() ? "" : "; ") + std::string("Path in ") + iniFile;
    }
    Prompts().Inform(kCaption, FormatAppError() + (note.empty() ? "" : " (" + note + ")"));
    return 0;
  }
  DbSetLockRetry(AskLockRetry);
  IdxSetLockRetry(AskLockRetry);
  if (!s.zoneWarning.empty()) Prompts().Inform(kCaption, s.zoneWarning);

  UserState& user = s.user;
  if (!NameLookup(userName, &user.record)) {
    if (AppErrorCode() == kAppNotFound) {
      const std::string text = "Could not find the name: " + userName +
                               " in the DESKpost name list. Select 'Run Setup...' to add the "
                               "name to the list and restart DESKpost.";
      if (Prompts().NameError(text)) {
        Launcher().Launch(DataDirectory() + kSetupProgram, iniFile);
      }
    } else {
      ShowError();
    }
    AbandonStart();
    return 0;
  }
  // A group cannot be a user: its bytes past the name are members, not
  // settings.
  if (user.record.IsGroup()) {
    SetAppError(kAppInvalidName, userName);
    ShowError();
    AbandonStart();
    return 0;
  }
  user.name = user.record.Name();
  user.number = user.record.Number();
  SetMessageUser({user.name, user.number, FieldByte(user.record.bytes, nm::kSendLog) != 0});

  user.flagPath = FlagFilePath(DataDirectory(), user.number);
  for (int i = 0; i < kWorkTableCount; ++i) {
    user.workTableNames[i] = NumberedName(kWorkTablePrefixes[i], user.number);
  }
  ChooseDefaultPhoneList(user);
  ChooseDefaultFolder(user);
  user.dialogOption = FieldByte(user.record.bytes, nm::kAllCaps);

  s.messageWork = Table(user.workTableNames[kWorkMessages], records::message::list_row::kLength);
  if (!DbOpenWorkTable(s.messageWork, DataDirectory())) {
    // The first file a start writes: on a read-only share this is where a
    // start ends, and the person must learn that it is the share.
    std::string text = FormatAppError();
    if (DbErrorReason() == SystemReason::kAccessDenied)
      text += " (this workstation may not write in the data directory " + DataDirectory() +
              ", where DESKpost keeps each person's work files)";
    Prompts().Inform(kCaption, text);
    AbandonStart();
    return 0;
  }
  CountTableOpened();
  user.started = true;
  return 1;
}

void StopUser() {
  MainState& s = State();
  if (s.messageWork.IsOpen()) {
    DbCloseWorkTable(s.messageWork);
    CountTableClosed();
  }
  s.user = UserState();
  SetMessageUser(MessageUser());
  CloseDataDirectory();
}

void SetCurrentUserSettings(const NameRecord& record) {
  UserState& user = State().user;
  if (!DP_CHECK(user.started && record.Number() == user.number)) return;
  user.record = record;
  SetMessageUser({user.name, user.number, FieldByte(user.record.bytes, nm::kSendLog) != 0});
  ChooseDefaultPhoneList(user);
  ChooseDefaultFolder(user);
  user.dialogOption = FieldByte(user.record.bytes, nm::kAllCaps);
}

const UserState& CurrentUser() {
  return State().user;
}

Table& MessageWorkTable() {
  return State().messageWork;
}

void ShowError() {
  Prompts().Inform(kCaption, FormatAppError());
}
