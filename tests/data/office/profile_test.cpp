// The INI file: reading with Windows' private-profile rules, and writing one
// key without disturbing anything else in the file.
#include "data/office/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_.c_str(), old_.c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(Profile, SectionsAndKeysMatchWithoutRegardToCase) {
  TempDir dir;
  std::string ini = dir.File("DPDESK.INI");
  WriteFile(ini, "[deskPOST]\npath=/srv/office/\nNAME=Alice\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "", 78), "/srv/office/");
  EXPECT_EQ(ProfileGetString(ini, "DESKPOST", "name", "", 19), "Alice");
}

TEST(Profile, MissingFileGivesTheDefaultsAndStaysMissing) {
  TempDir dir;
  std::string ini = dir.File("none.ini");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "fallback", 78), "fallback");
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "InitMode", 1), 1);
  EXPECT_FALSE(ProfileFind(ini, "DESKpost", "Path"));
  EXPECT_FALSE(FileExists(ini));
}

TEST(Profile, ValuesAreCutToTheLengthAskedFor) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Name", "", 19), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Other", "0123456789", 4), "0123");
}

TEST(Profile, BlanksAroundAndOnePairOfQuotesAreRemoved) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini,
            "[DESKpost]\n  Path  =  /srv/x/  \nName=\"Bob Smith\"\nInitials='AB\"\n"
            "Quoted=\"\"x\"\"\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "", 78), "/srv/x/");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Name", "", 78), "Bob Smith");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Initials", "", 78), "'AB\"");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Quoted", "", 78), "\"x\"");
}

TEST(Profile, AnEmptyValueIsPresentAndNotTheDefault) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nPath=\nInitMode=\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "");
  // An integer needs digits: an empty value keeps the default.
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "InitMode", 1), 1);
}

TEST(Profile, CommentsOtherSectionsAndLinesBeforeAnySectionDoNotMatch) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini,
            "Path=/before/\n[DESKpost]\n;Path=/commented/\n  ; Name=x\n[Sounds]\nUrgent=y\n"
            "[DESKpost\nName=z\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "none", 78), "none");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Name", "none", 78), "none");
  // "[DESKpost" without its bracket is not a section header.
  EXPECT_EQ(ProfileGetString(ini, "Sounds", "Name", "none", 78), "z");
}

TEST(Profile, TheFirstOfTwoEqualKeysIsReadAndWritten) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nName=first\n[deskpost]\nname=second\nOnlyHere=2\n");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Name", "", 78), "first");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "OnlyHere", "", 78), "2");
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "NAME", "changed"));
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nName=changed\n[deskpost]\nname=second\nOnlyHere=2\n");
}

TEST(Profile, ValuesEndAtANulByte) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, std::string("[DESKpost]\nName=Ann\0junk\n", 25));
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Name", "", 78), "Ann");
}

TEST(Profile, IntegersReadLikeThePlatformsProfileCalls) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini,
            "[DESKpost]\nA= 42 \nB=-7\nC=12abc\nD=abc\nE=99999999999999999999\n"
            "F=-99999999999999999999\nG=+5\n");
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "A", 0), 42);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "B", 0), -7);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "C", 0), 12);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "D", 5), 0);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "E", 0), INT_MAX);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "F", 0), INT_MIN);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "G", 0), 5);
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "Missing", -1), -1);
}

TEST(Profile, WritingAKeyKeepsEveryOtherByteOfTheFile) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  const std::string longLine = "Note=" + std::string(100000, 'x');
  const std::string junk("\x01\xff\xfe\x80garbage\x7f", 13);
  const std::string before = "; written by hand\r\n\r\n[DESKpost]\r\nPath = /srv/old/ ; keep\r\n" +
                             longLine + "\r\n" + junk + "\r\nUnknownKey=1\r\n\r\n; sounds\r\n" +
                             "[Sounds]\nUrgent=bell.wav\n[ToolBar]\r\nTakeButton=0";
  WriteFile(ini, before);
  ASSERT_TRUE(ProfileWriteString(ini, "deskpost", "PATH", "/srv/new/"));
  std::string expected = before;
  expected.replace(expected.find("Path = /srv/old/ ; keep"), 23, "Path=/srv/new/");
  EXPECT_EQ(ReadWholeFile(ini), expected);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Note", "", 200000), longLine.substr(5));
}

TEST(Profile, AFileOfBinaryJunkReadsAsDefaultsAndIsKeptWhenAKeyIsAdded) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 65536; ++i) {
    x = x * 1103515245u + 12345u;
    char c = char(x >> 24);
    junk += c == '\n' || c == '[' ? 'j' : c;
  }
  WriteFile(ini, junk);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default");
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "Path", "/x/"));
  const std::string after = ReadWholeFile(ini);
  EXPECT_EQ(after.substr(0, junk.size()), junk);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "/x/");
}

TEST(Profile, ANewKeyGoesAfterTheLastSettingOfItsSection) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nPath=/x/\n\n; the sounds\n[Sounds]\nUrgent=a.wav\n");
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "Name", "Ann"));
  EXPECT_EQ(ReadWholeFile(ini),
            "[DESKpost]\nPath=/x/\nName=Ann\n\n; the sounds\n[Sounds]\nUrgent=a.wav\n");
}

TEST(Profile, ANewSectionIsAddedAtTheEndInTheFilesLineEnding) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\r\nPath=/x/");
  ASSERT_TRUE(ProfileWriteString(ini, "ToolBar", "TodoButton", "0"));
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "Name", "Ann"));
  EXPECT_EQ(ReadWholeFile(ini),
            "[DESKpost]\r\nPath=/x/\r\nName=Ann\r\n[ToolBar]\r\nTodoButton=0\r\n");
}

TEST(Profile, AKeyInASectionWithoutSettingsFollowsItsHeader) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\n[Sounds]\nAlarm=x\n");
  ASSERT_TRUE(ProfileWriteInt(ini, "DESKpost", "InitX", -1));
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nInitX=-1\n[Sounds]\nAlarm=x\n");
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "InitX", 0), -1);
}

TEST(Profile, WritingMakesTheFileAndItsDirectory) {
  TempDir dir;
  std::string ini = dir.File("config/deskpost/DPDESK.INI");
  ASSERT_TRUE(ProfileWriteString(ini, "DESKpost", "Path", "/srv/office/"));
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nPath=/srv/office/\n");
}

TEST(Profile, TextThatWouldNotReadBackIsRefusedAndTheFileLeftAlone) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  const std::string before = "[DESKpost]\nPath=/x/\n";
  WriteFile(ini, before);
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Path", "/a/\n[Evil]\nk=v"));
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Path", std::string("a\0b", 3)));
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Pa=th", "x"));
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", ";Path", "x"));
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", " Path", "x"));
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "", "x"));
  EXPECT_FALSE(ProfileWriteString(ini, "DESK]post", "Path", "x"));
  EXPECT_FALSE(ProfileWriteString(ini, "", "Path", "x"));
  EXPECT_EQ(ReadWholeFile(ini), before);
}

TEST(Profile, AFileThatCannotBeReadIsNeverReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nPath=/x/\n");
  ASSERT_EQ(chmod(ini.c_str(), 0200), 0);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default");
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Name", "Ann"));
  ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nPath=/x/\n");
}

TEST(Profile, ADirectoryInPlaceOfTheFileIsNeverReplaced) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  ASSERT_EQ(mkdir(ini.c_str(), 0700), 0);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default");
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Path", "/y/"));
  EXPECT_TRUE(DirectoryExists(ini));
}

TEST(Profile, AnOversizedFileReadsAsDefaultsAndIsKept) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  const std::string before = "[DESKpost]\nPath=/x/\n" + std::string(kMaxProfileBytes, ';');
  WriteFile(ini, before);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "Path", "default", 78), "default");
  EXPECT_FALSE(ProfileWriteString(ini, "DESKpost", "Path", "/y/"));
  EXPECT_EQ(ReadWholeFile(ini).size(), before.size());
}

TEST(Profile, ARewriteKeepsThePermissionsAndFollowsASymbolicLink) {
  TempDir dir;
  std::string real = dir.File("real.ini");
  std::string link = dir.File("DPDESK.INI");
  WriteFile(real, "[DESKpost]\nPath=/x/\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(ProfileWriteString(link, "DESKpost", "Path", "/y/"));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadWholeFile(real), "[DESKpost]\nPath=/y/\n");
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST(Profile, DeletingAKeyRemovesOnlyItsLine) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\nPath=/x/\nName=Ann\n; end\n");
  EXPECT_TRUE(ProfileDeleteKey(ini, "DESKpost", "path"));
  EXPECT_EQ(ReadWholeFile(ini), "[DESKpost]\nName=Ann\n; end\n");
  EXPECT_TRUE(ProfileDeleteKey(ini, "DESKpost", "Missing"));
  EXPECT_TRUE(ProfileDeleteKey(dir.File("none.ini"), "DESKpost", "Path"));
  EXPECT_FALSE(FileExists(dir.File("none.ini")));
}

TEST(Profile, TwoProgramsWritingAtOnceLoseNoKey) {
  TempDir dir;
  std::string ini = dir.File("a.ini");
  WriteFile(ini, "[DESKpost]\n");
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      bool ok = true;
      for (int i = 0; i < 40; ++i) {
        ok = ProfileWriteInt(ini, "DESKpost", "K" + std::to_string(c) + "_" + std::to_string(i),
                             i) &&
             ok;
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 40; ++i) {
      EXPECT_EQ(
          ProfileGetInt(ini, "DESKpost", "K" + std::to_string(c) + "_" + std::to_string(i), -1), i);
    }
  }
}

TEST(Profile, TheIniFileComesFromTheCommandLineOrTheConfigDirectory) {
  ScopedEnv xdg("XDG_CONFIG_HOME", "/home/ann/.cfg");
  EXPECT_EQ(IniFilePath(""), "/home/ann/.cfg/deskpost/DPDESK.INI");
  EXPECT_EQ(IniFilePath("   "), "/home/ann/.cfg/deskpost/DPDESK.INI");
  EXPECT_EQ(IniFilePath(" RECEPT.INI "), "/home/ann/.cfg/deskpost/RECEPT.INI");
  EXPECT_EQ(IniFilePath("/etc/dp/front.ini"), "/etc/dp/front.ini");
  EXPECT_EQ(IniFilePath("sub/front.ini"), "sub/front.ini");
}

TEST(Profile, ARelativeOrMissingXdgConfigHomeFallsBackToHome) {
  ScopedEnv home("HOME", "/home/bob");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(ConfigDirectory(), "/home/bob/.config/deskpost/");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(IniFilePath(""), "/home/bob/.config/deskpost/DPDESK.INI");
}

}  // namespace
