// The name picker's rules without its window: what each mode lists and
// shows, the tag set of 100 name numbers, and typed group names.
#include "data/office/name_picking.h"

#include <gtest/gtest.h>

namespace {

// A set whose every slot holds a number from 1000 on.
void FillSet(int32_t* set) {
  for (int i = 0; i < kTagSetSize; ++i) set[i] = 1000 + i;
}

}  // namespace

TEST(PickModes, PeopleOnlyLeavesOutEveryGroupAndEverybody) {
  EXPECT_TRUE(PickModeLists(kPickPeople, "Adams"));
  EXPECT_FALSE(PickModeLists(kPickPeople, "*Sales"));
  EXPECT_FALSE(PickModeLists(kPickPeople, "* - ALL"));
}

TEST(PickModes, ModesOneAndThreeLeaveOutOnlyEverybodyInAnyCase) {
  for (int mode : {kPickAllButEverybody, kPickOwner}) {
    EXPECT_TRUE(PickModeLists(mode, "*Sales"));
    EXPECT_FALSE(PickModeLists(mode, "* - all"));
  }
  for (int mode : {kPickEverything, kPickOwnerOrCommon})
    EXPECT_TRUE(PickModeLists(mode, "* - ALL"));
  // A mode out of range lists people only.
  EXPECT_FALSE(PickModeLists(9, "*Sales"));
  EXPECT_FALSE(PickModeLists(-1, "* - ALL"));
  EXPECT_EQ(PickModeKind(9), 0);
}

TEST(PickModes, OwnersSeeEverybodyAsCommonAndModeThreeSeesEveryGroupSo) {
  EXPECT_EQ(PickDisplayName(kPickOwnerOrCommon, "* - ALL"), "* COMMON");
  EXPECT_EQ(PickDisplayName(kPickOwnerOrCommon, "*Sales"), "*Sales");
  EXPECT_EQ(PickDisplayName(kPickOwner, "*Sales"), "* COMMON");
  EXPECT_EQ(PickDisplayName(kPickOwner, "Adams"), "Adams");
  EXPECT_EQ(PickDisplayName(kPickEverything, "* - ALL"), "* - ALL");
}

TEST(NameSearch, BeginsWithIgnoresLetterCaseAndNeedsTheWholeText) {
  EXPECT_TRUE(NameBeginsWith("Baker, Tom", "bak"));
  EXPECT_TRUE(NameBeginsWith("Baker", ""));
  EXPECT_FALSE(NameBeginsWith("Bak", "Baker"));
  EXPECT_FALSE(NameBeginsWith("Carter", "Bak"));
}

TEST(TagSet, TaggingTakesTheFirstFreeSlotAndTaggingAgainFreesIt) {
  int32_t set[kTagSetSize] = {};
  set[0] = 7;
  EXPECT_EQ(ToggleNameTag(set, 9), TagChange::kTagged);
  EXPECT_EQ(set[1], 9);
  EXPECT_EQ(ToggleNameTag(set, 7), TagChange::kUntagged);
  EXPECT_EQ(set[0], 0);
  EXPECT_EQ(ToggleNameTag(set, 11), TagChange::kTagged);
  EXPECT_EQ(set[0], 11);
  EXPECT_EQ(TagSetCount(set), 2);
}

TEST(TagSet, TheHundredAndFirstNameIsRefusedAndTheSetIsUnchanged) {
  int32_t set[kTagSetSize];
  FillSet(set);
  int32_t before[kTagSetSize];
  std::copy(set, set + kTagSetSize, before);
  EXPECT_EQ(ToggleNameTag(set, 5), TagChange::kSetFull);
  EXPECT_TRUE(std::equal(set, set + kTagSetSize, before));
  // Untagging still works in a full set.
  EXPECT_EQ(ToggleNameTag(set, 1000), TagChange::kUntagged);
}

TEST(TagSet, AGroupIsTaggedWithItsMembersAndNoMemberTwice) {
  int32_t set[kTagSetSize] = {};
  set[0] = 2;  // a member tagged already
  EXPECT_EQ(ToggleGroupTag(set, 50, {1, 2, 3}), TagChange::kTagged);
  EXPECT_EQ(TagSetCount(set), 4);
  for (int32_t n : {50, 1, 2, 3}) EXPECT_TRUE(TagSetContains(set, n)) << n;
  EXPECT_EQ(ToggleGroupTag(set, 50, {1, 2, 3}), TagChange::kUntagged);
  EXPECT_EQ(TagSetCount(set), 0);
}

TEST(TagSet, AFullSetRefusesTheGroupItselfAndCutsItsMembers) {
  int32_t set[kTagSetSize];
  FillSet(set);
  EXPECT_EQ(ToggleGroupTag(set, 50, {1}), TagChange::kSetFull);
  EXPECT_FALSE(TagSetContains(set, 50));
  EXPECT_FALSE(TagSetContains(set, 1));
  // Members stop at the full set after the group is tagged.
  FillSet(set);
  set[97] = set[98] = set[99] = 0;  // room for the group and two members
  EXPECT_EQ(ToggleGroupTag(set, 50, {1, 2, 3, 4}), TagChange::kMembersCut);
  EXPECT_TRUE(TagSetContains(set, 50));
  EXPECT_TRUE(TagSetContains(set, 1));
  EXPECT_TRUE(TagSetContains(set, 2));
  EXPECT_FALSE(TagSetContains(set, 3));
  EXPECT_FALSE(TagSetContains(set, 4));
}

TEST(TagSet, ZeroIsNeverANameNumber) {
  int32_t set[kTagSetSize] = {};
  EXPECT_FALSE(TagSetContains(set, 0));
  EXPECT_EQ(ToggleGroupTag(set, 50, {0, 4}), TagChange::kTagged);
  EXPECT_EQ(TagSetNumbers(set), (std::vector<int32_t>{50, 4}));
}

TEST(GroupNames, ATypedTextGetsOneAsteriskAndIsCutToNineteen) {
  EXPECT_EQ(GroupNameFromText("Sales"), "*Sales");
  EXPECT_EQ(GroupNameFromText("*Sales"), "*Sales");
  EXPECT_EQ(GroupNameFromText("ABCDEFGHIJKLMNOPQRS"), "*ABCDEFGHIJKLMNOPQR");
  // The edited text is the name without its asterisk.
  EXPECT_EQ(GroupNameText("*Sales"), "Sales");
  EXPECT_EQ(GroupNameText(GroupNameFromText(GroupNameText("*Sales"))), "Sales");
}
