// The options' rules without the dialog: the workstation's keys as a
// hand-edited file gives them and as they are written back, the modem
// port list with its "TAPI" choice, and what a chosen name makes of the
// default phone list and schedule.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "data/office/profile.h"
#include "storage/records/name.h"
#include "tests/support/temp_dir.h"

namespace nm = records::name;

namespace {

class OptionsTest : public ::testing::Test {
 protected:
  void WriteIni(const std::string& keys) {
    std::ofstream out(ini, std::ios::binary | std::ios::trunc);
    out << "[DESKpost]\nPath=/office/\nName=BOB\n" << keys << "\n[Sounds]\nUrgent=siren.wav\n";
  }
  TempDir dir;
  std::string ini = dir.File("DPDESK.INI");
};

struct IniCase {
  const char* keys;
  int initMode;
  bool useTapi;
  const char* schedule;
  int start;
  int end;
  bool sendUpdate;
};

TEST_F(OptionsTest, TheWorkstationKeysAreReadByTheirRules) {
  const IniCase cases[] = {
      {"", 1, false, "", 8, 17, true},
      {"InitMode=0\nUseTAPI=1\nSchedSendUpdate=0", 0, true, "", 8, 17, false},
      {"InitMode=3", 1, false, "", 8, 17, true},
      {"InitMode=-1", 1, false, "", 8, 17, true},
      {"PresetStart=30", 1, false, "", 8, 17, true},
      {"PresetStart=30\nInitMode=2", 2, false, "", 8, 17, true},
      {"PresetStart=-4\nPresetEnd=12", 1, false, "", 8, 12, true},
      {"PresetStart=8\nPresetEnd=5", 1, false, "", 8, 8, true},
      {"PresetStart=23\nPresetEnd=23", 1, false, "", 23, 23, true},
      {"PresetStart=0\nPresetEnd=30", 1, false, "", 0, 23, true},
      {"DefaultSchedule=* - ALL", 1, false, "* COMMON", 8, 17, true},
      {"DefaultSchedule=ANNE", 1, false, "ANNE", 8, 17, true},
      {"DefaultSchedule=ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1, false, "ABCDEFGHIJKLMNOPQRS", 8, 17, true},
  };
  for (const IniCase& c : cases) {
    WriteIni(c.keys);
    const WorkstationOptions o = ReadWorkstationOptions(ini);
    EXPECT_EQ(o.initMode, c.initMode) << c.keys;
    EXPECT_EQ(o.useTapi, c.useTapi) << c.keys;
    EXPECT_EQ(o.defaultSchedule, c.schedule) << c.keys;
    EXPECT_EQ(o.presetStart, c.start) << c.keys;
    EXPECT_EQ(o.presetEnd, c.end) << c.keys;
    EXPECT_EQ(o.schedSendUpdate, c.sendUpdate) << c.keys;
  }
}

TEST_F(OptionsTest, WrittenKeysReadBackAndLeaveTheOthers) {
  WriteIni("NameDelete=0");
  WorkstationOptions o;
  o.initMode = 2;
  o.useTapi = true;
  o.defaultSchedule = "* COMMON";
  o.presetStart = 6;
  o.presetEnd = 21;
  o.schedSendUpdate = false;
  WriteWorkstationOptions(ini, o);
  const WorkstationOptions back = ReadWorkstationOptions(ini);
  EXPECT_EQ(back.initMode, 2);
  EXPECT_TRUE(back.useTapi);
  EXPECT_EQ(back.defaultSchedule, "* COMMON");
  EXPECT_EQ(back.presetStart, 6);
  EXPECT_EQ(back.presetEnd, 21);
  EXPECT_FALSE(back.schedSendUpdate);
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "PresetEnd", "", 10), "21");
  EXPECT_EQ(ProfileGetString(ini, "DESKpost", "UseTAPI", "", 10), "1");
  EXPECT_EQ(ProfileGetInt(ini, "DESKpost", "NameDelete", 1), 0);
  EXPECT_EQ(ProfileGetString(ini, "Sounds", "Urgent", "", 79), "siren.wav");
}

TEST(OptionsRules, ThePortListHoldsTheStoredPortOrTapi) {
  struct Case {
    uint8_t stored;
    bool tapi;
    int shown;
  } cases[] = {{0, false, 0}, {3, false, 3}, {4, false, 0}, {2, true, 4}, {9, false, 0}};
  for (const Case& c : cases) {
    NameRecord r;
    SetFieldByte(r.bytes, nm::kModemPort, c.stored);
    EXPECT_EQ(PortChoice(r, c.tapi), c.shown) << int(c.stored) << c.tapi;
  }
}

TEST(OptionsRules, ChoosingAPortOrTapi) {
  struct Case {
    uint8_t stored;
    bool tapiBefore;
    int choice;
    uint8_t port;
    bool tapi;
  } cases[] = {
      {2, false, kPortChoiceTapi, 2, true},  // TAPI keeps the stored port
      {2, true, 0, 0, false},                // a port takes TAPI away
      {1, true, 3, 3, false},
      {1, false, 7, 1, false},  // not a choice: nothing changes
      {1, true, -1, 1, true},
  };
  for (const Case& c : cases) {
    NameRecord r;
    SetFieldByte(r.bytes, nm::kModemPort, c.stored);
    bool tapi = c.tapiBefore;
    ApplyPortChoice(c.choice, &r, &tapi);
    EXPECT_EQ(FieldByte(r.bytes, nm::kModemPort), c.port) << c.choice;
    EXPECT_EQ(tapi, c.tapi) << c.choice;
  }
}

TEST(OptionsRules, AChosenNameGivesTheDefaultListAndSchedule) {
  struct Case {
    const char* picked;
    int32_t number;
    const char* list;
    int32_t listNumber;
    const char* schedule;
  } cases[] = {
      {"ANNE", 7, "ANNE", 7, "ANNE"},
      {"* - ALL", -2, "COMMON", 0, "* COMMON"},
      {"*SALES", 12, "COMMON", 0, "* COMMON"},
      {"", 0, "COMMON", 0, ""},
  };
  for (const Case& c : cases) {
    NameRecord r;
    SetDefaultPhoneList(&r, c.picked, c.number);
    EXPECT_EQ(FieldText(r.bytes, nm::kPhoneListName), c.list) << c.picked;
    EXPECT_EQ(FieldI32(r.bytes, nm::kPhoneListNumber), c.listNumber) << c.picked;
    EXPECT_EQ(DefaultScheduleFromPick(c.picked), c.schedule) << c.picked;
  }
  EXPECT_EQ(DefaultScheduleShown("* - ALL"), "* COMMON");
  EXPECT_EQ(DefaultScheduleShown("* COMMON"), "* COMMON");
  EXPECT_EQ(DefaultScheduleShown("CAROL"), "CAROL");
}

TEST(OptionsRules, TheStartHourMayNotBeLaterThanTheEnd) {
  EXPECT_EQ(PresetHoursProblem(9, 8), "Start time cannot be later than end time.");
  EXPECT_EQ(PresetHoursProblem(23, 0), "Start time cannot be later than end time.");
  EXPECT_EQ(PresetHoursProblem(8, 8), "");
  EXPECT_EQ(PresetHoursProblem(0, 23), "");
}

TEST(OptionsRules, TheListsHoldTheirTexts) {
  EXPECT_STREQ(kSoundChoices[0], "One time");
  EXPECT_STREQ(kSoundChoices[6], "Every hour");
  EXPECT_STREQ(kPresetHourTexts[0], "12:00am");
  EXPECT_STREQ(kPresetHourTexts[11], "11:00am");
  EXPECT_STREQ(kPresetHourTexts[12], "12:00pm");
  EXPECT_STREQ(kPresetHourTexts[23], "11:00pm");
  EXPECT_STREQ(kPortChoices[kPortChoiceTapi], "TAPI");
}

}  // namespace
