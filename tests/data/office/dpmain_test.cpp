// Start-up: reading "Path" and "Name", proving the data directory in its
// order, starting and stopping the user with the per-user state.
#include "data/office/dpmain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <tuple>

#include "data/messages/dpfolder.h"
#include "data/messages/message_user.h"
#include "data/office/profile.h"
#include "data/office/startup_settings.h"
#include "storage/le.h"
#include "storage/records/name.h"
#include "storage/worktable.h"
#include "tests/data/office/startup_fixture.h"
#include "tests/support/lock_holder.h"

namespace nm = records::name;

namespace {

class DpMainTest : public StartupTest {
 protected:
  std::string Ini(const std::string& body) {
    std::string path = dir.File("DPDESK.INI");
    WriteWholeFile(path, "[DESKpost]\n" + body);
    return path;
  }
  std::string NoSlash() const { return dir.Path().substr(0, dir.Path().size() - 1); }
};

// ---- Path and Name ----

TEST_F(DpMainTest, PathWithoutTheTrailingSeparatorWorksLikePathWithIt) {
  int32_t alice = AddName("Alice");
  for (const std::string& path : {NoSlash(), dir.Path()}) {
    StartupSettings settings;
    ASSERT_TRUE(ReadStartupSettings(Ini("Path=" + path + "\nName=Alice\n"), &settings));
    EXPECT_EQ(settings.directory, dir.Path());
    ASSERT_EQ(StartUser(settings.directory, settings.userName), 1) << FormatAppError();
    EXPECT_EQ(CurrentUser().number, alice);
    EXPECT_EQ(CurrentUser().flagPath, dir.Path() + std::to_string(alice) + ".nam");
    StopUser();
  }
  // StartUser itself accepts the directory without its separator.
  ASSERT_EQ(StartUser(NoSlash(), "Alice"), 1) << FormatAppError();
  EXPECT_EQ(DataDirectory(), dir.Path());
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DpMainTest, PathAndNameAreCutToTheirLengthsAndAMissingOneShowsItsBox) {
  StartupSettings settings;
  const std::string longPath = "/" + std::string(100, 'p');
  ASSERT_TRUE(ReadStartupSettings(Ini("Path=" + longPath + "\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"),
                                  &settings));
  EXPECT_EQ(settings.directory, longPath.substr(0, 78) + "/");
  EXPECT_EQ(settings.userName, "ABCDEFGHIJKLMNOPQRS");
  EXPECT_FALSE(ReadStartupSettings(dir.File("none.ini"), &settings));
  EXPECT_FALSE(ReadStartupSettings(Ini("Path=\nName=Alice\n"), &settings));
  EXPECT_FALSE(ReadStartupSettings(Ini("Path=/srv/x\n"), &settings));
  EXPECT_FALSE(ReadStartupSettings(Ini("Path=/srv/x\nName=\n"), &settings));
  // The box names the INI file read, and says when there is none.
  const std::string ini = dir.File("DPDESK.INI");
  EXPECT_EQ(prompts.shown, (std::vector<std::string>{
                               "DESKpost|Unable to read Path in DPDESK.INI (" +
                                   dir.File("none.ini") + " does not exist)",
                               "DESKpost|Unable to read Path in DPDESK.INI (" + ini + ")",
                               "DESKpost|Unable to read Name in DPDESK.INI (" + ini + ")",
                               "DESKpost|Unable to read Name in DPDESK.INI (" + ini + ")",
                           }));
}

TEST_F(DpMainTest, AnEnvironmentVariableNamesTheUserAndAMissingOneIsTheNameErrorOfferingSetup) {
  setenv("DP_TEST_USER", "Bob", 1);
  setenv("DP_TEST_LONG_USER", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1);
  EXPECT_EQ(ResolveUserName("%DP_TEST_USER%"), "Bob");
  EXPECT_EQ(ResolveUserName("%DP_TEST_LONG_USER%"), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(ResolveUserName("Plain Name"), "Plain Name");
  unsetenv("DP_TEST_USER");
  unsetenv("DP_TEST_LONG_USER");
  // A missing variable leaves the name as written, and it ends in the name error.
  EXPECT_EQ(ResolveUserName("%DP_TEST_NOVAR%junk"), "%DP_TEST_NOVAR%");
  EXPECT_EQ(ResolveUserName("%NO_CLOSE"), "%NO_CLOSE");
  EXPECT_EQ(ResolveUserName("%%"), "%%");
  AddName("Alice");
  StartupSettings settings;
  ASSERT_TRUE(
      ReadStartupSettings(Ini("Path=" + dir.Path() + "\nName=%DP_TEST_NOVAR%\n"), &settings));
  EXPECT_EQ(settings.userName, "%DP_TEST_NOVAR%");
  EXPECT_EQ(StartUser(settings.directory, settings.userName), 0);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0],
            "NAME_ERROR|Could not find the name: %DP_TEST_NOVAR% in the DESKpost name list. "
            "Select 'Run Setup...' to add the name to the list and restart DESKpost.");
  // OK closes the dialog without starting anything; nothing stays open.
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_FALSE(DataDirectoryOpen());
  EXPECT_FALSE(CurrentUser().started);
  EXPECT_EQ(OpenTableCount(), 0);
  // "Run Setup..." starts the setup program with the INI file.
  prompts.runSetup = true;
  EXPECT_EQ(StartUser(dir.Path(), "Nobody", "/home/ann/.config/deskpost/FRONT.INI"), 0);
  EXPECT_EQ(
      launcher.started,
      (std::vector<std::string>{dir.Path() + "SETUP.EXE /home/ann/.config/deskpost/FRONT.INI"}));
}

TEST_F(DpMainTest, WinUserNameInAnyCaseTakesTheLoginNameCutToTwenty) {
  SetLoginNameSource([] { return std::optional<std::string>("averyveryverylongloginname"); });
  EXPECT_EQ(ResolveUserName("%WinUserName%"), "averyveryverylonglog");
  SetLoginNameSource([] { return std::optional<std::string>("carol"); });
  int32_t carol = AddName("Carol");
  StartupSettings settings;
  ASSERT_TRUE(ReadStartupSettings(Ini("Path=" + dir.Path() + "\nName=%winusername%\n"), &settings));
  EXPECT_EQ(settings.userName, "carol");
  ASSERT_EQ(StartUser(settings.directory, settings.userName), 1) << FormatAppError();
  EXPECT_EQ(CurrentUser().name, "Carol");
  EXPECT_EQ(CurrentUser().number, carol);
  // No login name shows the registry box.
  SetLoginNameSource([] { return std::optional<std::string>(); });
  EXPECT_FALSE(ReadStartupSettings(Ini("Path=/x/\nName=%winusername%\n"), &settings));
  EXPECT_EQ(prompts.shown, std::vector<std::string>{"DESKpost|Error reading registry value."});
  // The real login name is this process's user.
  SetLoginNameSource(nullptr);
  std::optional<std::string> name = ResolveUserName("%winusername%");
  ASSERT_TRUE(name);
  EXPECT_FALSE(name->empty());
  EXPECT_LE(name->size(), kMaxLoginName);
}

// ---- Opening the data directory ----

// A data directory that cannot be opened fails with the code and the path
// of what is wrong, and leaves nothing open. Each case spoils a data
// directory of its own.
TEST_F(DpMainTest, ADirectoryThatCannotBeOpenedNamesWhatIsWrong) {
  const std::string longDir = "/" + std::string(254, 'd') + "/";  // 256 characters
  const struct {
    const char* what;
    std::function<void(const std::string&)> spoil;
    std::string directory;  // "": the spoiled one
    int code;
    std::string name;  // in the spoiled directory, or as given
  } cases[] = {
      {"a path of 256 characters", nullptr, longDir, kAppPathTooLong, ""},
      {"no such place", nullptr, dir.File("no/such/place/"), kAppNotInstalledHere,
       dir.File("no/such/place/")},
      {"a DP.EXE that cannot be opened",
       [](const std::string& d) {
         ASSERT_EQ(unlink((d + "DP.EXE").c_str()), 0);
         ASSERT_EQ(symlink("DP.EXE", (d + "DP.EXE").c_str()), 0);
       },
       "", kAppOpenError, "DP.EXE"},
      {"a catalogue too short for its version",
       [](const std::string& d) { ASSERT_EQ(truncate((d + "CAT.DAT").c_str(), 3), 0); }, "",
       kAppReadError, "CAT.DAT"},
      {"no catalogue", [](const std::string& d) { ASSERT_EQ(unlink((d + "CAT.DAT").c_str()), 0); },
       "", kAppNoSuchFile, "CAT.DAT"},
      {"a file where a mail folder goes",
       [](const std::string& d) { WriteWholeFile(d + "SENDLOG", "not a folder"); }, "",
       kAppCannotCreateDir, "SENDLOG"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string spoiled = dir.File(std::to_string(++n) + "/");
    ASSERT_EQ(mkdir(spoiled.c_str(), 0700), 0);
    MakeDataDirectory(spoiled);
    if (c.spoil) c.spoil(spoiled);
    EXPECT_EQ(OpenDataDirectory(c.directory.empty() ? spoiled : c.directory), 0);
    EXPECT_EQ(AppErrorCode(), c.code);
    EXPECT_EQ(AppErrorName(), c.directory.empty() ? spoiled + c.name : c.name);
    EXPECT_FALSE(DataDirectoryOpen());
    EXPECT_EQ(OpenTableCount(), 0);
  }
}

TEST_F(DpMainTest, DpExeLockedByAnotherWorkstationIsNoErrorAndWithoutItTheBoxSaysSo) {
  {
    LockHolder other(dir.File("DP.EXE"), 0);
    ASSERT_TRUE(other.Held());
    EXPECT_EQ(OpenDataDirectory(dir.Path()), 1) << FormatAppError();
    CloseDataDirectory();
  }
  ASSERT_EQ(unlink(dir.File("DP.EXE").c_str()), 0);
  EXPECT_EQ(StartUser(dir.Path(), "Alice"), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotInstalledHere);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{
                               "DESKpost|Could not find DESKpost in this location: " + dir.Path()});
}

TEST_F(DpMainTest, CatalogueVersionFiveIsRefusedBeforeAnyTableIsOpened) {
  File cat;
  ASSERT_TRUE(cat.Open(dir.File("CAT.DAT"), OpenMode::kShared));
  uint8_t five = 5;
  ASSERT_EQ(cat.WriteAt(kVersionOffset, &five, 1), 1);
  cat.Close();
  // Without the name table a table open would fail with another code.
  ASSERT_EQ(unlink(dir.File("NAME.DAT").c_str()), 0);
  EXPECT_EQ(StartUser(dir.Path(), "Alice"), 0);
  EXPECT_EQ(AppErrorCode(), kAppWrongVersion);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{"DESKpost|Incorrect database version: "});
  EXPECT_FALSE(DirectoryExists(dir.File("DPE")));
  EXPECT_EQ(OpenTableCount(), 0);
}

TEST_F(DpMainTest, OpeningMakesTheMailFoldersInstallsTheErrorReporterAndCountsOpenTables) {
  DbSetErrorReporter(nullptr);
  DbSetLockRetry([] { return true; });
  IdxSetLockRetry([] { return true; });
  EXPECT_FALSE(DirectoryExists(dir.File("DPE")));
  ASSERT_EQ(OpenDataDirectory(dir.Path()), 1);
  EXPECT_TRUE(DirectoryExists(dir.File("DPE")));
  EXPECT_TRUE(DirectoryExists(dir.File("SENDLOG")));
  EXPECT_FALSE(DbLockRetry());
  EXPECT_FALSE(IdxLockRetry());
  // Tables opened in the data directory are counted; a failed open is not,
  // and the engine's error reaches the application's.
  Table a(kNoteTable), b(kNoteTable), missing(kSchedTable);
  ASSERT_EQ(DataOpenTable(a), 1);
  ASSERT_EQ(DataOpenTable(b), 1);
  EXPECT_EQ(OpenTableCount(), 2);
  DataCloseTable(a);
  DataCloseTable(a);  // closing twice counts once
  EXPECT_EQ(OpenTableCount(), 1);
  DataCloseTable(b);
  ASSERT_EQ(unlink(dir.File("SCHED.DAT").c_str()), 0);
  EXPECT_EQ(DataOpenTable(missing), 0);
  EXPECT_EQ(DbGetError(), kDbOpenFailed);
  EXPECT_EQ(OpenTableCount(), 0);
  EXPECT_EQ(AppErrorCode(), kAppNoSuchFile);
  EXPECT_EQ(AppErrorName(), dir.File("SCHED.DAT"));
  // Opening twice and closing with a table open are failed checks.
  EXPECT_EQ(OpenDataDirectory(dir.Path()), 0);
  EXPECT_EQ(checks.size(), 1u);
  NameTable names;
  ASSERT_EQ(NameOpen(names), 1);
  CloseDataDirectory();
  EXPECT_EQ(checks.size(), 2u);
  NameClose(names);
}

// ---- Starting the user ----

TEST_F(DpMainTest, StartingBuildsTheUsersStateAndOpensTheMessageWorkTable) {
  AddName("Bob");
  int32_t alice = AddName("Alice");
  ChangePerson("Alice", [](NameRecord& r) {
    SetFieldByte(r.bytes, nm::kSendLog, 1);
    SetFieldByte(r.bytes, nm::kAllCaps, 1);
  });
  ASSERT_EQ(StartUser(dir.Path(), "ALICE"), 1) << FormatAppError();
  const UserState& user = CurrentUser();
  EXPECT_EQ(std::tuple(user.started, user.name, user.number, user.phoneListOwner,
                       user.phoneListOwnerNumber, user.defaultFolder, user.dialogOption),
            std::tuple(true, "Alice", alice, "COMMON", 0, 0, 1));
  const std::string n = std::to_string(alice);
  EXPECT_EQ(std::vector<std::string>(user.workTableNames, user.workTableNames + kWorkTableCount),
            (std::vector<std::string>{"W" + n, "Wa" + n, "Wb" + n, "Wc" + n}));
  const MessageUser& sender = CurrentMessageUser();
  EXPECT_EQ(std::tuple(sender.name, sender.number, sender.sendLog),
            std::tuple("Alice", alice, true));
  EXPECT_TRUE(MessageWorkTable().IsOpen());
  EXPECT_EQ(MessageWorkTable().recordSize, 99);
  EXPECT_TRUE(FileExists(dir.File("W" + n + ".DAT")));
  EXPECT_EQ(OpenTableCount(), 1);
  EXPECT_TRUE(prompts.shown.empty());

  StopUser();
  EXPECT_FALSE(MessageWorkTable().IsOpen());
  EXPECT_FALSE(DataDirectoryOpen());
  EXPECT_FALSE(CurrentUser().started);
  EXPECT_EQ(CurrentMessageUser().number, 0);
  EXPECT_TRUE(checks.empty());
}

TEST_F(DpMainTest, WorkTableNamesAreCutToEightCharacters) {
  // Let the name table issue a nine-digit number.
  {
    Table names(kNameTable);
    ASSERT_EQ(DbOpenTable(names, dir.Path()), 1);
    std::vector<uint8_t> header(nm::kHeaderSize);
    ASSERT_EQ(DbReadHeader(names, header.data()), 1);
    PutU32(header.data(), 123456788);
    ASSERT_EQ(DbWriteHeader(names, header.data()), 1);
    DbCloseTable(names);
  }
  ASSERT_EQ(AddName("Dora"), 123456789);
  ASSERT_EQ(StartUser(dir.Path(), "Dora"), 1) << FormatAppError();
  EXPECT_EQ(CurrentUser().workTableNames[kWorkMessages], "W1234567");
  EXPECT_EQ(CurrentUser().workTableNames[kWorkC], "Wc123456");
  EXPECT_EQ(CurrentUser().flagPath, dir.Path() + "123456789.nam");
  EXPECT_TRUE(FileExists(dir.File("W1234567.DAT")));
}

TEST_F(DpMainTest, TheDefaultPhoneListOwnerIsLookedUpByNameSaveCommonInAnyCase) {
  // A person called "Common" would be found by a lookup.
  AddName("Common");
  int32_t bob = AddName("Bob");
  AddName("Alice");
  const struct {
    const char* stored;
    const char* owner;
    int32_t number;
    std::vector<std::string> shown;
  } cases[] = {
      {"cOmMoN", "COMMON", 0, {}},
      {"bob", "Bob", bob, {}},
      {"Ghost", "COMMON", 0, {"DESKpost|Could not locate default PhoneList user: Ghost"}},
  };
  for (const auto& c : cases) {
    ChangePerson("Alice", [&](NameRecord& r) {
      SetFieldText(r.bytes, nm::kPhoneListName, c.stored);
      SetFieldI32(r.bytes, nm::kPhoneListNumber, 77);
    });
    prompts.shown.clear();
    ASSERT_EQ(StartUser(dir.Path(), "Alice"), 1) << FormatAppError();
    EXPECT_EQ(CurrentUser().phoneListOwner, c.owner);
    EXPECT_EQ(CurrentUser().phoneListOwnerNumber, c.number);
    EXPECT_EQ(prompts.shown, c.shown);
    StopUser();
  }
}

TEST_F(DpMainTest, TheDefaultFolderKeepsTenCharactersAndAMissingOneBecomesNone) {
  int32_t alice = AddName("Alice");
  int32_t folderNumber = 0;
  {
    SetDataDirectory(dir.Path());
    FolderTable folders;
    ASSERT_EQ(FolderOpen(folders), 1);
    FolderRecord folder = MakeFolderRecord("Customer complaints", alice);
    ASSERT_EQ(FolderAdd(folders, folder), 1) << FormatAppError();
    folderNumber = folder.Number();
    FolderClose(folders);
    SetDataDirectory("");
  }
  ChangePerson("Alice",
               [&](NameRecord& r) { SetFieldI32(r.bytes, nm::kDefaultFolder, folderNumber); });
  ASSERT_EQ(StartUser(dir.Path(), "Alice"), 1) << FormatAppError();
  EXPECT_EQ(std::tuple(CurrentUser().defaultFolder, CurrentUser().defaultFolderName),
            std::tuple(folderNumber, "Customer c"));
  StopUser();

  ChangePerson("Alice", [](NameRecord& r) { SetFieldI32(r.bytes, nm::kDefaultFolder, 9999); });
  ASSERT_EQ(StartUser(dir.Path(), "Alice"), 1) << FormatAppError();
  EXPECT_EQ(std::tuple(CurrentUser().defaultFolder, CurrentUser().defaultFolderName),
            std::tuple(0, ""));
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DpMainTest, AGroupAsTheUserOrAWorkTableThatCannotBeMadeEndsTheStart) {
  AddName("*Front desk");
  EXPECT_EQ(StartUser(dir.Path(), "*front desk"), 0);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{"DESKpost|Invalid name: *front desk"});
  EXPECT_FALSE(DataDirectoryOpen());
  // So does a work table that cannot be made.
  prompts.shown.clear();
  int32_t alice = AddName("Alice");
  ASSERT_EQ(mkdir(dir.File("W" + std::to_string(alice) + ".DAT").c_str(), 0700), 0);
  EXPECT_EQ(StartUser(dir.Path(), "Alice"), 0);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].rfind("DESKpost|Error opening file: ", 0), 0u) << prompts.shown[0];
  EXPECT_FALSE(DataDirectoryOpen());
  EXPECT_EQ(CurrentMessageUser().name, "");  // nobody sends as Alice
  EXPECT_EQ(OpenTableCount(), 0);
}

// A read-only share, as a workstation that may not write there: the office
// reads, but the start cannot make the person's work table, and says why.
// As root, whom permissions do not stop, the start runs as nobody in a child.
TEST_F(DpMainTest, AShareThisWorkstationMayNotWriteEndsTheStartSayingSo) {
  AddName("Alice");
  // The office as a first start left it, with its mail folders.
  ASSERT_EQ(StartUser(dir.Path(), "Alice"), 1) << FormatAppError();
  StopUser();
  // What the child was told comes back in a file anybody may write.
  const std::string told = dir.File("told.txt");
  WriteWholeFile(told, "");
  ASSERT_EQ(::chmod(told.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  EXPECT_EQ(InChild([&] {
              if (!BecomeNobody()) return 2;
              const int started = StartUser(dir.Path(), "Alice");
              WriteWholeFile(told, prompts.shown.empty() ? "" : prompts.shown[0]);
              return started == 0 && !DataDirectoryOpen() ? 0 : 1;
            }),
            0);
  ::chmod(dir.Path().c_str(), 0755);
  const std::string said = ReadWholeFile(told);
  EXPECT_EQ(said.rfind("DESKpost|Access denied opening file: " + dir.Path() + "W", 0), 0u) << said;
  EXPECT_NE(said.find("(this workstation may not write in the data directory " + dir.Path() +
                      ", where DESKpost keeps each person's work files)"),
            std::string::npos)
      << said;
}

TEST_F(DpMainTest, ALockHeldTooLongAsksTimedOutLockingFile) {
  AddName("Alice");
  ASSERT_EQ(StartUser(dir.Path(), "Alice"), 1) << FormatAppError();
  FastTicks fast;
  LockHolder other(dir.File("NAME.DAT"), 0);
  ASSERT_TRUE(other.Held());
  NameTable names;
  ASSERT_EQ(NameOpen(names), 1);
  EXPECT_EQ(NameAdd(names, "Bob"), 0);
  NameClose(names);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{"Error|Timed out locking file."});
  EXPECT_EQ(AppErrorCode(), kAppLockError);
}

// (A code's text with a name: the password test's unknown person.)
TEST_F(DpMainTest, ShowErrorUsesTheCodesTextOrItsNumber) {
  SetAppError(kAppPartialRow, "W12");
  ShowError();
  SetAppError(kAppPathTooLong, "");
  ShowError();
  EXPECT_EQ(prompts.shown,
            (std::vector<std::string>{"DESKpost|Error 1023: W12", "DESKpost|Path is too long: "}));
}

}  // namespace
