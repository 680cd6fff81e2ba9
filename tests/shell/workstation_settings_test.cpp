// The workstation's INI keys: read with their ranges and defaults, odd
// values left at the default, and the keys written back at the end.
#include "shell/workstation_settings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "data/office/profile.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace {

class WorkstationSettingsTest : public ::testing::Test {
 protected:
  void WriteIni(const std::string& text) { WriteWholeFile(ini, text); }
  void WriteCfg(const std::string& text) { WriteWholeFile(dir.File("DPDESK.CFG"), text); }
  int32_t PollTicks() { return WorkstationPollTicks(dir.Path(), ReadWorkstationSettings(ini)); }

  TempDir dir;
  std::string ini = dir.File("DPDESK.INI");
};

// Every setting in one line, to compare whole settings.
std::string Text(const WorkstationSettings& s) {
  std::ostringstream o;
  o << "mode " << s.initMode << " shape " << s.floatShape << " at " << s.initX << "," << s.initY
    << " top " << s.alwaysOnTop << " sounds " << s.urgentSound << "|" << s.messageSound << "|"
    << s.alarmSound << " delete " << s.nameDelete << s.phoneDelete << s.schedDelete << s.todoDelete
    << " shading " << s.noShading << " tapi " << s.useTapi << " poll " << s.pollTime.value_or(-1)
    << " items ";
  for (bool shown : s.toolbarShown) o << shown;
  for (const auto& w : s.windows) o << " " << (w ? FormatWindowState(*w) : "-");
  return o.str();
}

TEST_F(WorkstationSettingsTest, AMissingFileGivesEveryDefault) {
  EXPECT_EQ(Text(ReadWorkstationSettings(ini)),
            "mode 1 shape 1 at -1,-1 top 0 sounds || delete 1111 shading 0 tapi 0 poll -1 items "
            "11111 - - - - - -");
  EXPECT_EQ(PollTicks(), kDefaultPollTicks);
}

TEST_F(WorkstationSettingsTest, ValuesInTheirRangesAreTaken) {
  WriteIni(
      "[DESKpost]\nInitMode=2\nFloat=0\nInitX=0\nInitY=9999\nAlwaysOnTop=1\n"
      "NameDelete=0\nPhoneDelete=0\nSchedDelete=0\nTodoDelete=0\nNoShading=7\nUseTAPI=1\n"
      "MainWnd=2,10,20,300,400,0\nTodoState=0,1,2,3,4,5\n"
      "[Sounds]\nUrgent=C:\\SOUNDS\\SIREN.WAV\nMessage=ding.wav\nAlarm=bell.wav\n"
      "[ToolBar]\nTakeButton=0\nTodoButton=0\n");
  EXPECT_EQ(Text(ReadWorkstationSettings(ini)),
            "mode 2 shape 0 at 0,9999 top 1 sounds C:\\SOUNDS\\SIREN.WAV|ding.wav|bell.wav "
            "delete 0000 shading 1 tapi 1 poll -1 items 01110 2,10,20,300,400,0 - - - - "
            "0,1,2,3,4,5");
}

TEST_F(WorkstationSettingsTest, OddValuesLeaveTheDefaults) {
  WriteIni(
      "[DESKpost]\nInitMode=3\nFloat=-1\nInitX=10000\nInitY=abc\nAlwaysOnTop=2\n"
      "NameDelete=no\nPhoneDelete=99999999999999999999999\nNoShading=yes\nUseTAPI=\n"
      "MainWnd=1,2,3\nViewState=0,2000,0,2100,100,0\n"
      "[ToolBar]\nTakeButton=off\nInboxButton=\nPhoneListButton=00\n");
  // Only a zero hides an item.
  WorkstationSettings want;
  want.toolbarShown = {true, true, false, true, true};
  EXPECT_EQ(Text(ReadWorkstationSettings(ini)), Text(want));
}

TEST_F(WorkstationSettingsTest, InitModeOfManyDigitsIsNotCutIntoARangeValue) {
  // "12" cut to its first character would read as full screen.
  WriteIni("[DESKpost]\nInitMode=12\nInitX=12345\n[Sounds]\nAlarm=" + std::string(100, 'a') + "\n");
  WorkstationSettings s = ReadWorkstationSettings(ini);
  EXPECT_EQ(s.initMode, kStartFloating);
  EXPECT_EQ(s.initX, -1);
  EXPECT_EQ(s.alarmSound, std::string(79, 'a'));  // a sound file name is cut to 79 characters
}

TEST_F(WorkstationSettingsTest, KeysWrittenAtTheEndReadBackAndLeaveTheRestOfTheFile) {
  WriteIni(
      "; this workstation\n[DESKpost]\nPath=/office/\nName=ALICE\nNameDelete=0\n"
      "[Sounds]\nMessage=ding.wav\n");
  WorkstationSettings s = ReadWorkstationSettings(ini);
  s.initX = 812;
  s.initY = 0;
  s.floatShape = kShapeVertical;
  s.alwaysOnTop = true;
  s.toolbarShown = {true, false, true, false, true};
  s.windows[kMainWindowState] = WindowStateRecord{0, {5, 6, 700, 500}, 0};
  s.windows[kSchedWindowState] = WindowStateRecord{2, {0, 0, 0, 0}, 3};
  ASSERT_TRUE(WriteToolbarItems(ini, s));
  ASSERT_TRUE(WriteWindowSettings(ini, s));

  // What was read (NameDelete, the sounds) and what was changed.
  EXPECT_EQ(Text(ReadWorkstationSettings(ini)), Text(s));

  EXPECT_EQ(ProfileGetString(ini, kToolBarSection, "InboxButton", "", 10), "0");
  EXPECT_EQ(ProfileGetString(ini, kMainSection, "SchedState", "", 80), "2,0,0,0,0,3");
  // Records never set are not written.
  EXPECT_FALSE(ProfileFind(ini, kMainSection, "ViewState"));
  std::string text = ReadWholeFile(ini);
  EXPECT_EQ(text.rfind("; this workstation\n[DESKpost]\nPath=/office/\nName=ALICE\n", 0), 0u);
}

TEST_F(WorkstationSettingsTest, AToolbarPositionNotSetIsWrittenAsMinusOneAndStaysNotSet) {
  WorkstationSettings s;
  ASSERT_TRUE(WriteWindowSettings(ini, s));
  EXPECT_EQ(ProfileGetString(ini, kMainSection, "InitX", "", 10), "-1");
  EXPECT_EQ(ReadWorkstationSettings(ini).initX, -1);
}

// DPDESK.CFG's POLLTIME in seconds, and the workstation's PollTime winning
// over it: 0 or a workstation's 1 turn polling off, the office's 1 leaves the
// default, and a workstation's value out of range or not a number leaves the
// office's standing.
TEST_F(WorkstationSettingsTest, ThePollTimeComesFromTheOfficeFileAndTheWorkstation) {
  struct Case {
    const char* cfg;
    const char* pollTime;
    int32_t ticks;
  };
  for (const Case& c :
       std::initializer_list<Case>{{"", "1", 0},
                                   {"POLLTIME=0\n", nullptr, 0},
                                   {"NETBIOS=1\nPOLLTIME=1\n", nullptr, kDefaultPollTicks},
                                   {"POLLTIME=60\n", nullptr, 30},
                                   {"POLLTIME=60\n", "10", 5},
                                   {"POLLTIME=60\n", "100001", 30},
                                   {"POLLTIME=60\n", "ten", 30},
                                   {"POLLTIME=60\n", "-2", 30}}) {
    WriteCfg(c.cfg);
    WriteIni(c.pollTime ? std::string("[DESKpost]\nPollTime=") + c.pollTime + "\n" : "");
    EXPECT_EQ(PollTicks(), c.ticks) << c.cfg << " PollTime=" << (c.pollTime ? c.pollTime : "");
  }
}

}  // namespace
