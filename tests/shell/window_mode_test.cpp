// Moving between the full application and the floating toolbar, starting
// in each mode, closing, and the top-most state on size changes.
#include "shell/window_mode.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(WindowMode, TheStartModeDecidesHowTheWindowShows) {
  WorkstationSettings s;
  EXPECT_TRUE(StartShowFor(s).floating);
  s.initMode = kStartFullScreen;
  StartShow show = StartShowFor(s);
  EXPECT_TRUE(show.maximised && !show.floating && !show.minimised);
  s.initMode = kStartIcon;
  s.alwaysOnTop = true;
  show = StartShowFor(s);
  EXPECT_TRUE(show.minimised && show.topMost && !show.floating);
}

TEST(WindowMode, AMaximisedWindowComesBackMaximisedOverItsOldRectangle) {
  WorkstationSettings s;
  WindowMode mode;
  // Without a stored rectangle the full window is not moved.
  EnterFloating(mode, s, true, false, {0, 0, 1024, 768});
  EXPECT_FALSE(LeaveFloating(mode, s, {0, 0}).rect);
  s.windows[kMainWindowState] = WindowStateRecord{0, {10, 10, 500, 400}, 0};
  EnterFloating(mode, s, true, false, {0, 0, 1024, 768});
  EXPECT_TRUE(mode.floating);
  EXPECT_EQ(s.windows[kMainWindowState]->rect, (WindowRect{10, 10, 500, 400}));

  FullShow full = LeaveFloating(mode, s, {700, 20});
  EXPECT_FALSE(mode.floating);
  EXPECT_TRUE(full.maximise);
  EXPECT_EQ(full.rect, (WindowRect{10, 10, 500, 400}));
  EXPECT_EQ(s.initX, 700);
  EXPECT_EQ(s.initY, 20);
}

TEST(WindowMode, ANormalWindowKeepsItsPlacementForTheWayBack) {
  WorkstationSettings s;
  WindowMode mode;
  EnterFloating(mode, s, false, false, {30, 40, 630, 540});
  ASSERT_TRUE(s.windows[kMainWindowState]);
  EXPECT_EQ(*s.windows[kMainWindowState], (WindowStateRecord{0, {30, 40, 630, 540}, 0}));
  FullShow full = LeaveFloating(mode, s, {0, 0});
  EXPECT_FALSE(full.maximise);
  EXPECT_EQ(full.rect, (WindowRect{30, 40, 630, 540}));
}

TEST(WindowMode, ClosingKeepsTheToolbarPositionOrTheFullPlacementAndWritesThem) {
  TempDir dir;
  const std::string ini = dir.File("DPDESK.INI");
  WorkstationSettings s;
  WindowMode mode;
  mode.floating = true;
  SaveOnClose(mode, s, {812, 33}, false, false, {});
  ASSERT_TRUE(WriteWindowSettings(ini, s));
  WorkstationSettings back = ReadWorkstationSettings(ini);
  EXPECT_EQ(back.initX, 812);
  EXPECT_EQ(back.initY, 33);

  mode.floating = false;
  SaveOnClose(mode, back, {0, 0}, true, false, {0, 0, 1024, 768});
  ASSERT_TRUE(WriteWindowSettings(ini, back));
  EXPECT_EQ(ReadWorkstationSettings(ini).windows[kMainWindowState],
            (WindowStateRecord{2, {0, 0, 0, 0}, 0}));
}

TEST(WindowMode, MinimisingKeepsAlwaysOnTopAndTheFullApplicationIsNeverOnTop) {
  WindowMode floating{.floating = true};
  WindowMode full;
  EXPECT_EQ(TopMostAfter(SizeChange::kMinimised, floating, true), true);
  EXPECT_EQ(TopMostAfter(SizeChange::kMinimised, full, false), std::nullopt);
  EXPECT_EQ(TopMostAfter(SizeChange::kMaximised, full, true), false);
  EXPECT_EQ(TopMostAfter(SizeChange::kRestored, full, true), false);
  EXPECT_EQ(TopMostAfter(SizeChange::kRestored, floating, true), std::nullopt);
}

}  // namespace
