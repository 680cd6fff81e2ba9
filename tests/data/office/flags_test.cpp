// Flag files: the value carried by the file's size, setting and clearing
// bits, and one workstation raising another's flag.
#include "data/office/flags.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tests/data/office/startup_fixture.h"

namespace {

class FlagTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    ASSERT_EQ(OpenDataDirectory(dir.Path()), 1) << FormatAppError();
  }
  std::string Flag(int32_t user) { return FlagFilePath(dir.Path(), user); }
};

TEST_F(FlagTest, TheValueIsTheFileSizePlusOneAndALargerFileMeansNewMessages) {
  EXPECT_EQ(GetFlagValue(Flag(7)), 0);
  const struct {
    size_t size;
    int value;
  } cases[] = {{0, 1}, {3, 4}, {254, 255}, {255, 1}, {100000, 1}};
  for (const auto& c : cases) {
    WriteWholeFile(Flag(7), std::string(c.size, 'x'));
    EXPECT_EQ(GetFlagValue(Flag(7)), c.value) << c.size;
  }
  // Setting the urgent bit on it gives the ordinary 2-byte file.
  ASSERT_EQ(SetFlag(kFlagUrgentMessage, true, 7), 1);
  EXPECT_EQ(ReadWholeFile(Flag(7)), std::string(2, '\0'));
  EXPECT_EQ(GetFlagValue(Flag(7)), 3);
}

// Each change leaves a file of zeros one byte shorter than the value, or
// none; clearing new messages clears the urgent bit too.
TEST_F(FlagTest, SettingAndClearingBitsLeavesAFileAsLongAsTheValueLessOne) {
  const struct {
    int bit;
    bool set;
    int value;
  } steps[] = {
      {kFlagNewMessage, true, 1},      {kFlagUrgentMessage, true, 3},
      {kFlagScheduleChanged, true, 7}, {kFlagUrgentMessage, false, 5},
      {kFlagNewMessage, false, 4},     {kFlagScheduleChanged, false, 0},
      {kFlagNewMessage, false, 0},     {kFlagNewMessage, true, 1},
      {kFlagUrgentMessage, true, 3},   {kFlagNewMessage, false, 0},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::to_string(s.bit) + (s.set ? " set" : " cleared"));
    ASSERT_EQ(SetFlag(s.bit, s.set, 5), 1);
    EXPECT_EQ(GetFlagValue(Flag(5)), s.value);
    EXPECT_EQ(FileExists(Flag(5)), s.value != 0);
    EXPECT_EQ(ReadWholeFile(Flag(5)), std::string(std::max(s.value - 1, 0), '\0'));
  }
}

TEST_F(FlagTest, AFailedExaminationIsRememberedUntilTheFileIsBack) {
  EXPECT_EQ(GetFlagValue(Flag(9)), 0);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNotFound);
  EXPECT_EQ(GetFlagValue(Flag(9)), 0);
  EXPECT_EQ(FlagFailure(Flag(9)), SystemReason::kNotFound);
  WriteWholeFile(Flag(9), "");
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
  ASSERT_EQ(InChild([&] {
              if (!StartUser(dir.Path(), "Alice")) return 1;
              bool ok =
                  SetFlag(kFlagNewMessage, true, bob) && SetFlag(kFlagScheduleChanged, true, bob);
              StopUser();
              return ok ? 0 : 2;
            }),
            0);
  ASSERT_EQ(StartUser(dir.Path(), "Bob"), 1) << FormatAppError();
  const std::string own = CurrentUser().flagPath;
  EXPECT_EQ(GetFlagValue(own), kFlagNewMessage | kFlagScheduleChanged);
  // Bob opens his new messages: bits 1 and 2 go, the schedule bit stays.
  ASSERT_EQ(SetFlag(kFlagNewMessage, false, CurrentUser().number), 1);
  EXPECT_EQ(GetFlagValue(own), kFlagScheduleChanged);
  ASSERT_EQ(SetFlag(kFlagScheduleChanged, false, CurrentUser().number), 1);
  EXPECT_FALSE(FileExists(own));
}

}  // namespace
