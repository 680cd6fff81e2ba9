// The floating toolbar's buttons, shapes, shrinking and placement, its
// titles, and the system menu's changes to the settings.
#include "shell/toolbar_layout.h"

#include <gtest/gtest.h>

namespace {

using Shown = std::array<bool, kToolbarItemCount>;
constexpr Shown kAll = {true, true, true, true, true};

TEST(ToolbarLayout, ShownItemsTakeTheButtonsInOrderWithTheirCommandsAsIds) {
  ToolbarLayout t = LayOutToolbar(kShapeHorizontal, {false, true, false, true, true}, 40, 40);
  ASSERT_EQ(t.buttons.size(), 4u);
  EXPECT_EQ(t.buttons[0].controlId, kCmdFull);
  EXPECT_EQ(t.buttons[0].label, "&FULL");
  EXPECT_EQ(t.buttons[1].resourceId, 400);
  EXPECT_EQ(t.buttons[1].controlId, 252);
  EXPECT_EQ(t.buttons[1].label, "&View messages");
  EXPECT_EQ(t.buttons[2].resourceId, 401);
  EXPECT_EQ(t.buttons[2].controlId, 254);
  EXPECT_EQ(t.buttons[3].resourceId, 402);
  EXPECT_EQ(t.buttons[3].controlId, 255);
  EXPECT_EQ(t.buttons[3].label, "To-&do list");
}

TEST(ToolbarLayout, HorizontalAndVerticalShrinkByOneButtonPerHiddenItem) {
  ToolbarLayout h = LayOutToolbar(kShapeHorizontal, kAll, 40, 40);
  EXPECT_EQ(h.width, 240);
  EXPECT_EQ(h.height, 40);
  EXPECT_TRUE(h.minimiseBox);
  EXPECT_EQ(h.buttons[5].x, 200);
  h = LayOutToolbar(kShapeHorizontal, {true, false, false, true, false}, 40, 40);
  EXPECT_EQ(h.width, 120);

  ToolbarLayout v = LayOutToolbar(kShapeVertical, {true, true, true, false, false}, 40, 40);
  EXPECT_EQ(v.width, 40);
  EXPECT_EQ(v.height, 160);
  EXPECT_EQ(v.buttons[3].y, 120);
  EXPECT_FALSE(v.minimiseBox);
}

TEST(ToolbarLayout, SquareIsThreeColumnsOfTwoRowsWithFiveItems) {
  ToolbarLayout s = LayOutToolbar(kShapeSquare, kAll, 50, 30);
  EXPECT_EQ(s.width, 150);
  EXPECT_EQ(s.height, 60);
  EXPECT_TRUE(s.minimiseBox);
  std::vector<std::pair<int, int>> at;
  for (const auto& b : s.buttons) at.push_back({b.x, b.y});
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{
                    {0, 0}, {50, 0}, {0, 30}, {50, 30}, {100, 0}, {100, 30}}));
}

TEST(ToolbarLayout, ASquareWithOneItemIsOneColumnNarrowerAndOneRowLower) {
  ToolbarLayout s = LayOutToolbar(kShapeSquare, {false, false, true, false, false}, 50, 30);
  EXPECT_EQ(s.width, 100);
  EXPECT_EQ(s.height, 30);
  EXPECT_FALSE(s.minimiseBox);
  ASSERT_EQ(s.buttons.size(), 2u);
  EXPECT_EQ(s.buttons[1].x, 50);
  EXPECT_EQ(s.buttons[1].y, 0);
  // Three items: two columns, both rows.
  s = LayOutToolbar(kShapeSquare, {true, true, true, false, false}, 50, 30);
  EXPECT_EQ(s.width, 100);
  EXPECT_EQ(s.height, 60);
}

TEST(ToolbarPlacement, AStoredPositionOnTheScreenIsKept) {
  EXPECT_EQ(PlaceToolbar(100, 200, 240, 40, 1024, 768), (ScreenPoint{100, 200}));
  EXPECT_EQ(PlaceToolbar(784, 728, 240, 40, 1024, 768), (ScreenPoint{784, 728}));
}

TEST(ToolbarPlacement, BeyondTheScreenOrNotSetGoesToTheRightEdgeAndTheTop) {
  EXPECT_EQ(PlaceToolbar(5000, 5000, 240, 40, 1024, 768), (ScreenPoint{784, 0}));
  EXPECT_EQ(PlaceToolbar(-1, -1, 240, 40, 1024, 768), (ScreenPoint{784, 0}));
  // Partly off the screen counts as beyond: the toolbar must stay reachable.
  EXPECT_EQ(PlaceToolbar(1000, 760, 240, 40, 1024, 768), (ScreenPoint{784, 0}));
}

TEST(ToolbarTitles, AnotherIniFileNamesTheUser) {
  EXPECT_EQ(ToolbarTitle("/home/a/.config/deskpost/DPDESK.INI", "ALICE"), "DP");
  EXPECT_EQ(ToolbarTitle("/home/a/.config/deskpost/dpdesk.ini", "ALICE"), "DP");
  EXPECT_EQ(ToolbarTitle("/home/a/.config/deskpost/BOB.INI", "BOB"), "BOB");
  EXPECT_EQ(MainTitle("DPDESK.INI", "ALICE"), "DESKpost");
  EXPECT_EQ(MainTitle("/tmp/second.ini", "BOB"), "DESKpost for BOB");
}

TEST(ToolbarSystemMenu, ShapesAndItemsRebuildAtOnceOrAfterARestore) {
  WorkstationSettings s;
  SystemMenuChange c = ApplySystemMenu(s, kMenuVertical, false);
  EXPECT_TRUE(c.handled && c.rebuild && !c.deferred);
  EXPECT_EQ(s.floatShape, kShapeVertical);

  c = ApplySystemMenu(s, kMenuSquare, true);
  EXPECT_TRUE(c.deferred && !c.rebuild);
  EXPECT_EQ(s.floatShape, kShapeSquare);

  c = ApplySystemMenu(s, 624, false);
  EXPECT_TRUE(c.rebuild);
  EXPECT_FALSE(s.toolbarShown[2]);
  ApplySystemMenu(s, 624, false);
  EXPECT_TRUE(s.toolbarShown[2]);

  c = ApplySystemMenu(s, kMenuAlwaysOnTop, false);
  EXPECT_TRUE(c.topMostChanged && !c.rebuild);
  EXPECT_TRUE(s.alwaysOnTop);
  ApplySystemMenu(s, kMenuAlwaysOnTop, false);
  EXPECT_FALSE(s.alwaysOnTop);

  EXPECT_FALSE(ApplySystemMenu(s, 627, false).handled);
  EXPECT_FALSE(ApplySystemMenu(s, 5, false).handled);
}

}  // namespace
