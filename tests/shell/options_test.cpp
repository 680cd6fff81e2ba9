// The options' rules without the dialog: the workstation's keys as a
// hand-edited file gives them and as they are written back, the modem
// port list with its "TAPI" choice, and what a chosen name makes of the
// default phone list and schedule.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <string>

#include "data/office/profile.h"
#include "storage/records/name.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace nm = records::name;

namespace {

class OptionsTest : public ::testing::Test {
 protected:
  void WriteIni(const std::string& keys) {
    WriteWholeFile(
        ini, "[DESKpost]\nPath=/office/\nName=BOB\n" + keys + "\n[Sounds]\nUrgent=siren.wav\n");
  }
  TempDir dir;
  std::string ini = dir.File("DPDESK.INI");
};

// The six keys in one line.
std::string Text(const WorkstationOptions& o) {
  return std::to_string(o.initMode) + " " + std::to_string(o.useTapi) + " '" + o.defaultSchedule +
         "' " + std::to_string(o.presetStart) + "-" + std::to_string(o.presetEnd) + " " +
         std::to_string(o.schedSendUpdate);
}

TEST_F(OptionsTest, TheWorkstationKeysAreReadByTheirRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "1 0 '' 8-17 1"},
      {"InitMode=0\nUseTAPI=1\nSchedSendUpdate=0", "0 1 '' 8-17 0"},
      {"InitMode=3", "1 0 '' 8-17 1"},
      {"InitMode=-1", "1 0 '' 8-17 1"},
      {"PresetStart=30", "1 0 '' 8-17 1"},
      {"PresetStart=30\nInitMode=2", "2 0 '' 8-17 1"},
      {"PresetStart=-4\nPresetEnd=12", "1 0 '' 8-12 1"},
      {"PresetStart=8\nPresetEnd=5", "1 0 '' 8-8 1"},
      {"PresetStart=23\nPresetEnd=23", "1 0 '' 23-23 1"},
      {"PresetStart=0\nPresetEnd=30", "1 0 '' 0-23 1"},
      {"DefaultSchedule=* - ALL", "1 0 '* COMMON' 8-17 1"},
      {"DefaultSchedule=ANNE", "1 0 'ANNE' 8-17 1"},
      {"DefaultSchedule=ABCDEFGHIJKLMNOPQRSTUVWXYZ", "1 0 'ABCDEFGHIJKLMNOPQRS' 8-17 1"},
  };
  for (const auto& [keys, read] : cases) {
    WriteIni(keys);
    EXPECT_EQ(Text(ReadWorkstationOptions(ini)), read) << keys;
  }
}

TEST_F(OptionsTest, WrittenKeysReadBackAndLeaveTheOthers) {
  WriteIni("NameDelete=0");
  WriteWorkstationOptions(ini, {2, true, "* COMMON", 6, 21, false});
  EXPECT_EQ(Text(ReadWorkstationOptions(ini)), "2 1 '* COMMON' 6-21 0");
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

}  // namespace
