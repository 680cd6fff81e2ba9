// Flag files: the value carried by the file's size, setting and clearing
// bits, and one workstation raising another's flag.
#include "data/office/flags.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/data/office/startup_fixture.h"

namespace {

class FlagTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    ASSERT_EQ(OpenDataDirectory(dir.Path()), 1) << FormatAppError();
  }
  std::string Flag(int32_t user) { return FlagFilePath(dir.Path(), user); }
  int64_t SizeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
  }
};

TEST_F(FlagTest, TheValueIsTheFileSizePlusOneAndALargerFileMeansNewMessages) {
  EXPECT_EQ(GetFlagValue(Flag(7)), 0);
  const struct {
    size_t size;
    int value;
  } cases[] = {{0, 1}, {3, 4}, {254, 255}, {255, 1}, {100000, 1}};
  for (const auto& c : cases) {
    WriteTextFile(Flag(7), std::string(c.size, 'x'));
    EXPECT_EQ(GetFlagValue(Flag(7)), c.value) << c.size;
  }
  // Setting the urgent bit on it gives the ordinary 2-byte file.
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, true, 7), 1);
  EXPECT_EQ(SizeOf(Flag(7)), 2);
  EXPECT_EQ(GetFlagValue(Flag(7)), 3);
}

TEST_F(FlagTest, AnEmptyFileIsBitOneSettingTwoMakesTwoBytesClearingOneDeletesIt) {
  WriteTextFile(Flag(5), "");
  EXPECT_EQ(GetFlagValue(Flag(5)), kFlagNewMessage);
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, true, 5), 1);
  EXPECT_EQ(SizeOf(Flag(5)), 2);
  EXPECT_EQ(GetFlagValue(Flag(5)), 3);
  EXPECT_EQ(ReadWholeFile(Flag(5)), std::string(2, '\0'));
  ASSERT_EQ(SetFlag(kFlagNewMessage, false, 5), 1);
  EXPECT_FALSE(FileExists(Flag(5)));
  EXPECT_EQ(GetFlagValue(Flag(5)), 0);
}

TEST_F(FlagTest, ClearingTheUrgentBitAloneKeepsNewMessages) {
  ASSERT_EQ(SetFlag(kFlagNewMessage, true, 5), 1);
  EXPECT_EQ(SizeOf(Flag(5)), 0);
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, true, 5), 1);
  ASSERT_EQ(SetFlag(kFlagScheduleChanged, true, 5), 1);
  EXPECT_EQ(GetFlagValue(Flag(5)), 7);
  EXPECT_EQ(SizeOf(Flag(5)), 6);
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, false, 5), 1);
  EXPECT_EQ(GetFlagValue(Flag(5)), 5);
  ASSERT_EQ(SetFlag(kFlagNewMessage, false, 5), 1);
  EXPECT_EQ(GetFlagValue(Flag(5)), kFlagScheduleChanged);
  ASSERT_EQ(SetFlag(kFlagScheduleChanged, false, 5), 1);
  EXPECT_FALSE(FileExists(Flag(5)));
  // Clearing what is not set leaves no file behind.
  ASSERT_EQ(SetFlag(kFlagNewMessage, false, 5), 1);
  EXPECT_FALSE(FileExists(Flag(5)));
}

TEST_F(FlagTest, AFailedExaminationIsRememberedUntilTheFileIsBack) {
  EXPECT_EQ(GetFlagValue(Flag(9)), 0);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNotFound);
  EXPECT_EQ(GetFlagValue(Flag(9)), 0);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNotFound);
  WriteTextFile(Flag(9), "");
  EXPECT_EQ(GetFlagValue(Flag(9)), 1);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNone);
  // Another user's file does not disturb what is known of this one.
  EXPECT_EQ(GetFlagValue(Flag(10)), 0);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNone);
}

TEST_F(FlagTest, AFlagFileThatCannotBeWrittenIsAnOpenError) {
  ASSERT_EQ(mkdir(Flag(11).c_str(), 0700), 0);
  // A directory in its place has a size; what matters is that the write
  // fails under the file's name.
  EXPECT_EQ(SetFlag(kFlagNewMessage, true, 11), 0);
  EXPECT_EQ(AppErrorName(), Flag(11));
  EXPECT_EQ(AppErrorCode(), kAppOpenError);
}

TEST_F(FlagTest, OneWorkstationRaisesAnothersFlagAndTheOtherClearsIt) {
  CloseDataDirectory();
  AddName("Alice");
  int32_t bob = AddName("Bob");
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t alice = fork();
  ASSERT_GE(alice, 0);
  if (alice == 0) {
    close(go[1]);
    char c;
    if (read(go[0], &c, 1) != 1) _exit(3);
    if (!StartUser(dir.Path(), "Alice")) _exit(1);
    bool ok = SetFlag(kFlagNewMessage, true, bob) && SetFlag(kFlagScheduleChanged, true, bob);
    StopUser();
    _exit(ok ? 0 : 2);
  }
  close(go[0]);
  ASSERT_EQ(StartUser(dir.Path(), "Bob"), 1) << FormatAppError();
  const std::string own = CurrentUser().flagPath;
  EXPECT_EQ(GetFlagValue(own), 0);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  close(go[1]);
  int status = 0;
  waitpid(alice, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(GetFlagValue(own), kFlagNewMessage | kFlagScheduleChanged);
  // Bob opens his new messages: bits 1 and 2 go, the schedule bit stays.
  ASSERT_EQ(SetFlag(kFlagNewMessage, false, CurrentUser().number), 1);
  EXPECT_EQ(GetFlagValue(own), kFlagScheduleChanged);
  ASSERT_EQ(SetFlag(kFlagScheduleChanged, false, CurrentUser().number), 1);
  EXPECT_FALSE(FileExists(own));
}

}  // namespace
