// The INI file: reading with Windows' private-profile rules, and writing one
// key without disturbing anything else in the file.
#include "data/office/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/data/office/office_dir.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

// Sets an environment variable (nullptr: unsets it) for the life of the object.
struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* was = std::getenv(name)) old = was;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old ? setenv(name.c_str(), old->c_str(), 1) : unsetenv(name.c_str()); }
  std::string name;
  std::optional<std::string> old;
};

class Profile : public ::testing::Test {
 protected:
  int FilesInDir() {
    return int(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
  }
  TempDir dir;
  std::string ini = dir.File("a.ini");
};

TEST_F(Profile, StringsReadWithTheProfileRules) {
  struct Case {
    std::string file;
    const char* section;
    const char* key;
    const char* fallback;
    int length;
    const char* expected;
  };
  const std::string quoted =
      "[DESKpost]\n  Path  =  /srv/x/  \nName=\"Bob Smith\"\n"
      "Initials='AB\"\nQuoted=\"\"x\"\"\n";
  const std::string hidden =
      "Path=/before/\n[DESKpost]\n;Path=/commented/\n  ; Name=x\n"
      "[Sounds]\nUrgent=y\n[DESKpost\nName=z\n";
  const std::string twice = "[DESKpost]\nName=first\n[deskpost]\nname=second\nOnlyHere=2\n";
  const Case cases[] = {
      // Sections and keys match without regard to case.
      {"[deskPOST]\npath=/srv/office/\n", "DESKpost", "Path", "", 78, "/srv/office/"},
      {"[DESKpost]\nNAME=Alice\n", "DESKPOST", "name", "", 19, "Alice"},
      // Values are cut to the length asked for; so is the default.
      {"[DESKpost]\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n", "DESKpost", "Name", "", 19,
       "ABCDEFGHIJKLMNOPQRS"},
      {"[DESKpost]\n", "DESKpost", "Other", "0123456789", 4, "0123"},
      // Blanks around and one pair of matching quotes are removed.
      {quoted, "DESKpost", "Path", "", 78, "/srv/x/"},
      {quoted, "DESKpost", "Name", "", 78, "Bob Smith"},
      {quoted, "DESKpost", "Initials", "", 78, "'AB\""},
      {quoted, "DESKpost", "Quoted", "", 78, "\"x\""},
      // An empty value is present and not the default.
      {"[DESKpost]\nPath=\n", "DESKpost", "Path", "default", 78, ""},
      // Comments, lines before any section and other sections do not match;
      // "[DESKpost" without its bracket is not a section header.
      {hidden, "DESKpost", "Path", "none", 78, "none"},
      {hidden, "DESKpost", "Name", "none", 78, "none"},
      {hidden, "Sounds", "Name", "none", 78, "z"},
      // The first of two equal keys counts; later sections of the same name count too.
      {twice, "DESKpost", "Name", "", 78, "first"},
      {twice, "DESKpost", "OnlyHere", "", 78, "2"},
      // A value ends at a NUL byte.
      {std::string("[DESKpost]\nName=Ann\0junk\n", 25), "DESKpost", "Name", "", 78, "Ann"},
  };
  for (const Case& c : cases) {
    WriteWholeFile(ini, c.file);
    // An errno left by an interrupted call elsewhere is not this read's.
    errno = EINTR;
    EXPECT_EQ(ProfileGetString(ini, c.section, c.key, c.fallback, c.length), c.expected)
        << c.file << " " << c.key;
  }
}

TEST_F(Profile, MissingFileGivesTheDefaultsAndStaysMissing) {
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "fallback", 78), "fallback");
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "InitMode", 1), 1);
  EXPECT_FALSE(ProfileFind(ini, "DESKpost", "Path"));
  EXPECT_FALSE(FileExists(ini));
}

TEST_F(Profile, IntegersReadLikeThePlatformsProfileCalls) {
  WriteWholeFile(ini,
                 "[DESKpost]\nA= 42 \nB=-7\nC=12abc\nD=abc\nE=99999999999999999999\n"
                 "F=-99999999999999999999\nG=+5\nH=\n");
  // An integer needs digits: H, empty, keeps the default.
  const struct {
    const char* key;
    int fallback, expected;
  } cases[] = {
      {"A", 0, 42},      {"B", 0, -7}, {"C", 0, 12}, {"D", 5, 0},         {"E", 0, INT_MAX},
      {"F", 0, INT_MIN}, {"G", 0, 5},  {"H", 1, 1},  {"Missing", -1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProfileGetInt(ini, "DESKpost", c.key, c.fallback), c.expected) << c.key;
}

TEST_F(Profile, WritingAKeyKeepsEveryOtherByteOfTheFile) {
  const std::string longLine = "Note=" + std::string(100000, 'x');
  const std::string junk("\x01\xff\xfe\x80garbage\x7f", 13);
  const std::string before = "; written by hand\r\n\r\n[DESKpost]\r\nPath = /srv/old/ ; keep\r\n" +
                             longLine + "\r\n" + junk + "\r\nUnknownKey=1\r\n\r\n; sounds\r\n" +
                             "[Sounds]\nUrgent=bell.wav\n[ToolBar]\r\nTakeButton=0";
  WriteWholeFile(ini, before);
  ASSERT_TRUE(ProfileWriteString(ini, "deskpost", "PATH", "/srv/new/"));
  std::string expected = before;
  expected.replace(expected.find("Path = /srv/old/ ; keep"), 23, "Path=/srv/new/");
  EXPECT_EQ(ReadWholeFile(ini), expected);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Note", "", 200000), longLine.substr(5));
}

TEST_F(Profile, AFileOfBinaryJunkReadsAsDefaultsAndIsKeptWhenAKeyIsAdded) {
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 65536; ++i) {
    x = x * 1103515245u + 12345u;
    char c = char(x >> 24);
    junk += c == '\n' || c == '[' ? 'j' : c;
  }
  WriteWholeFile(ini, junk);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default");
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "Path", "/x/"));
  const std::string after = ReadWholeFile(ini);
  EXPECT_EQ(after.substr(0, junk.size()), junk);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "/x/");
}

TEST_F(Profile, AWrittenKeyReplacesTheFirstOrFollowsTheLastSettingOfItsSection) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      {"[DESKpost]\nName=first\n[deskpost]\nname=second\n", "DESKpost", "NAME", "changed",
       "[DESKpost]\nName=changed\n[deskpost]\nname=second\n"},
      {"[DESKpost]\nPath=/x/\n\n; the sounds\n[Sounds]\nUrgent=a.wav\n", "DESKpost", "Name", "Ann",
       "[DESKpost]\nPath=/x/\nName=Ann\n\n; the sounds\n[Sounds]\nUrgent=a.wav\n"},
      // A section without settings: the key follows its header.
      {"[DESKpost]\n[Sounds]\nAlarm=x\n", "DESKpost", "InitX", "-1",
       "[DESKpost]\nInitX=-1\n[Sounds]\nAlarm=x\n"},
      // A new section goes at the end, in the file's line ending.
      {"[DESKpost]\r\nPath=/x/", "ToolBar", "TodoButton", "0",
       "[DESKpost]\r\nPath=/x/\r\n[ToolBar]\r\nTodoButton=0\r\n"},
      {"[DESKpost]\r\nPath=/x/\r\n[ToolBar]\r\nTodoButton=0\r\n", "DESKpost", "Name", "Ann",
       "[DESKpost]\r\nPath=/x/\r\nName=Ann\r\n[ToolBar]\r\nTodoButton=0\r\n"},
  };
  for (const Case& c : cases) {
    WriteWholeFile(ini, c.before);
    ASSERT_TRUE(ProfileWriteString(ini, c.section, c.key, c.value)) << c.before;
    EXPECT_EQ(ReadWholeFile(ini), c.after);
  }
  ASSERT_TRUE(ProfileWriteInt(ini, "DESKpost", "InitX", -1));
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "InitX", 0), -1);
}

TEST_F(Profile, WritingMakesTheFileAndItsDirectory) {
  const std::string deep = dir.File("config/deskpost/DPDESK.INI");
  ASSERT_TRUE(ProfileWriteString(deep, "DESKpost", "Path", "/srv/office/"));
  EXPECT_EQ(ReadWholeFile(deep), "[DESKpost]\nPath=/srv/office/\n");
}

TEST_F(Profile, TextThatWouldNotReadBackIsRefusedAndTheFileLeftAlone) {
  const std::string before = "[DESKpost]\nPath=/x/\n";
  WriteWholeFile(ini, before);
  const std::string refused[][3] = {
      {"DESKpost", "Path", "/a/\n[Evil]\nk=v"},
      {"DESKpost", "Path", std::string("a\0b", 3)},
      {"DESKpost", "Pa=th", "x"},
      {"DESKpost", ";Path", "x"},
      {"DESKpost", " Path", "x"},
      {"DESKpost", "", "x"},
      {"DESK]post", "Path", "x"},
      {"", "Path", "x"},
  };
  for (const auto& r : refused) EXPECT_FALSE(ProfileWriteString(ini, r[0], r[1], r[2])) << r[1];
  EXPECT_EQ(ReadWholeFile(ini), before);
}

// As root, whom permissions do not stop, the program runs as nobody in a
// child, in a directory it may write.
TEST_F(Profile, AFileThatCannotBeReadIsNeverReplaced) {
  WriteWholeFile(ini, "[DESKpost]\nPath=/x/\n");
  ASSERT_EQ(chmod(ini.c_str(), 0200), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(dir.Path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(ini.c_str(), 65534, 65534), 0);
  }
  auto nobody = [&] {
    if (!BecomeNobody()) return 2;
    if (ProfileGetString(ini, "DESKpost", "Path", "default", 78) != "default") return 3;
    return ProfileWriteString(ini, "DESKpost", "Name", "Ann") ? 4 : 0;
  };
  EXPECT_EQ(InChild(nobody), 0);
  ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nPath=/x/\n");
}

// The disk fills while the new text is written: the write fails and the old
// file stays, with no scratch file beside it.
TEST_F(Profile, ARewriteTheDiskCannotTakeFailsAndKeepsTheFile) {
  WriteWholeFile(ini, "[DESKpost]\nPath=/x/\n");
  EXPECT_EQ(WithFileSizeLimit(
                100,
                [&] {
                  return ProfileWriteString(ini, "DESKpost", "Name", std::string(200, 'n')) ? 0 : 1;
                }),
            1);
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nPath=/x/\n");
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(Profile, ADirectoryInPlaceOfTheFileOrAnOversizedFileReadsAsDefaultsAndIsKept) {
  const std::string folder = dir.File("folder.ini"), big = dir.File("big.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string before = "[DESKpost]\nPath=/x/\n" + std::string(kMaxProfileBytes, ';');
  WriteWholeFile(big, before);
  for (const std::string& ini : {folder, big}) {
    EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default") << ini;
    EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Path", "/y/")) << ini;
  }
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_EQ(ReadWholeFile(big).size(), before.size());
}

TEST_F(Profile, ARewriteKeepsThePermissionsAndFollowsASymbolicLink) {
  const std::string real = dir.File("real.ini"), link = dir.File("DPDESK.INI");
  WriteWholeFile(real, "[DESKpost]\nPath=/x/\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(ProfileWriteString(link, "DESKpost", "Path", "/y/"));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadWholeFile(real), "[DESKpost]\nPath=/y/\n");
  EXPECT_EQ(FilesInDir(), 2);  // no temporary file is left beside it
}

TEST_F(Profile, DeletingAKeyRemovesOnlyItsLine) {
  WriteWholeFile(ini, "[DESKpost]\nPath=/x/\nName=Ann\n; end\n");
  EXPECT_TRUE(ProfileDeleteKey(ini, "DESKpost", "path"));
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nName=Ann\n; end\n");
  EXPECT_TRUE(ProfileDeleteKey(ini, "DESKpost", "Missing"));
  EXPECT_TRUE(ProfileDeleteKey(dir.File("none.ini"), "DESKpost", "Path"));
  EXPECT_FALSE(FileExists(dir.File("none.ini")));
  // In memory, removing tells whether the key was there.
  ProfileText text("[DESKpost]\nPath=/x/\n");
  EXPECT_TRUE(text.Remove("deskpost", "PATH"));
  EXPECT_FALSE(text.Remove("DESKpost", "Path"));
  EXPECT_EQ(text.Text(), "[DESKpost]\n");
}

TEST_F(Profile, TwoProgramsWritingAtOnceLoseNoKey) {
  WriteWholeFile(ini, "[DESKpost]\n");
  auto key = [](int program, int i) {
    return "K" + std::to_string(program) + "_" + std::to_string(i);
  };
  pid_t programs[2];
  for (int c = 0; c < 2; ++c) {
    programs[c] = StartChild([&] {
      bool ok = true;
      for (int i = 0; i < 40; ++i) ok = ProfileWriteInt(ini, "DESKpost", key(c, i), i) && ok;
      return ok ? 0 : 1;
    });
  }
  for (pid_t program : programs) EXPECT_EQ(ChildExit(program), 0);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 40; ++i) EXPECT_EQ(ProfileGetInt(ini, "DESKpost", key(c, i), -1), i);
}

// A program started with its standard input closed holds the profile's lock
// on descriptor 0; it lets go of it like any other, or its next write would
// wait for itself.
TEST_F(Profile, AProgramWithoutStandardInputWritesAgain) {
  auto withoutInput = [&] {
    close(0);
    alarm(10);  // ends a child stuck on its own lock
    const bool ok =
        ProfileWriteInt(ini, "DESKpost", "A", 1) && ProfileWriteInt(ini, "DESKpost", "B", 2);
    return ok ? 0 : 1;
  };
  EXPECT_EQ(InChild(withoutInput), 0);
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nA=1\nB=2\n");
}

TEST_F(Profile, TheIniFileComesFromTheCommandLineOrTheConfigDirectory) {
  ScopedEnv xdg("XDG_CONFIG_HOME", "/home/ann/.cfg");
  EXPECT_EQ(IniFilePath(""), "/home/ann/.cfg/deskpost/DPDESK.INI");
  EXPECT_EQ(IniFilePath("   "), "/home/ann/.cfg/deskpost/DPDESK.INI");
  EXPECT_EQ(IniFilePath(" RECEPT.INI "), "/home/ann/.cfg/deskpost/RECEPT.INI");
  EXPECT_EQ(IniFilePath("/etc/dp/front.ini"), "/etc/dp/front.ini");
  EXPECT_EQ(IniFilePath("sub/front.ini"), "sub/front.ini");
  // A relative or missing XDG_CONFIG_HOME falls back to HOME.
  ScopedEnv home("HOME", "/home/bob");
  {
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(ConfigDirectory(), "/home/bob/.config/deskpost/");
  }
  ScopedEnv none("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(IniFilePath(""), "/home/bob/.config/deskpost/DPDESK.INI");
}

}  // namespace
