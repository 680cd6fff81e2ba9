// Window state records: the "%d,%d,%d,%d,%d,%d" text kept per window, what
// restoring does with it and what closing stores.
#include "shell/window_state.h"

#include <gtest/gtest.h>

namespace {

// Six numbers split at commas or blanks; five are enough, the spare then 0.
TEST(WindowStateRecord, ReadsSixOrFiveNumbersSplitAtCommasOrBlanks) {
  EXPECT_EQ(ParseWindowState("2,10,20,300,400,7"), (WindowStateRecord{2, {10, 20, 300, 400}, 7}));
  EXPECT_EQ(ParseWindowState("0, 10 20,,300 400 9"), (WindowStateRecord{0, {10, 20, 300, 400}, 9}));
  EXPECT_EQ(ParseWindowState("0,-4,-4,800,600"), (WindowStateRecord{0, {-4, -4, 800, 600}, 0}));
}

TEST(WindowStateRecord, ShortOrGarbledOrOffScreenRecordsAreIgnored) {
  // Left must be below 1025 and top below 769.
  for (const char* text :
       {"", "0,1,2,3", "0,a,2,3,4", "0,1x,2,3,4", "0,1,2,3,99999999999",
        "0,1,2,3,999999999999999999999999", "0,1025,0,1200,300", "0,0,769,300,900"})
    EXPECT_FALSE(ParseWindowState(text)) << text;
  EXPECT_TRUE(ParseWindowState("0,1024,768,1200,900"));
}

TEST(WindowStateRecord, RestoringMovesOnlyWithABottomEdgeAndMaximisesOnStateTwo) {
  WindowRestore restore = RestoreWindow({0, {10, 20, 300, 400}, 0});
  EXPECT_TRUE(restore.move);
  EXPECT_EQ(restore.rect, (WindowRect{10, 20, 300, 400}));
  EXPECT_FALSE(restore.maximise);

  restore = RestoreWindow({2, {0, 0, 0, 0}, 0});
  EXPECT_FALSE(restore.move);
  EXPECT_TRUE(restore.maximise);
}

TEST(WindowStateRecord, AMaximisedWindowKeepsTheRectangleItWillBeRestoredTo) {
  WindowStateRecord r{0, {10, 20, 300, 400}, 5};
  SaveWindowState(r, true, false, {0, 0, 1024, 768});
  EXPECT_EQ(r, (WindowStateRecord{2, {10, 20, 300, 400}, 5}));
  // Restored again and moved: the new rectangle is stored with state 0.
  SaveWindowState(r, false, false, {50, 60, 350, 460});
  EXPECT_EQ(r, (WindowStateRecord{0, {50, 60, 350, 460}, 5}));
  // A minimised window's rectangle is the icon's and is not stored.
  SaveWindowState(r, false, true, {-32000, -32000, -31840, -31970});
  EXPECT_EQ(r, (WindowStateRecord{0, {50, 60, 350, 460}, 5}));
}

}  // namespace
