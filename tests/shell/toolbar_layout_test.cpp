// The floating toolbar's buttons, shapes, shrinking and placement, its
// titles, and the system menu's changes to the settings.
#include "shell/toolbar_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Shown = std::array<bool, kToolbarItemCount>;
constexpr Shown kAll = {true, true, true, true, true};

// Each button as "resource id/control id label at x,y".
std::vector<std::string> Buttons(const ToolbarLayout& t) {
  std::vector<std::string> shown;
  for (const auto& b : t.buttons) {
    shown.push_back(std::to_string(b.resourceId) + "/" + std::to_string(b.controlId) + " " +
                    b.label + " at " + std::to_string(b.x) + "," + std::to_string(b.y));
  }
  return shown;
}

TEST(ToolbarLayout, ShownItemsTakeTheButtonsInOrderWithTheirCommandsAsIds) {
  EXPECT_EQ(
      Buttons(LayOutToolbar(kShapeHorizontal, {false, true, false, true, true}, 40, 40)),
      (std::vector<std::string>{"218/218 &FULL at 0,0", "400/252 &View messages at 40,0",
                                "401/254 &Scheduler at 80,0", "402/255 To-&do list at 120,0"}));
}

// Horizontal and vertical shrink by one button per hidden item; the square
// is three columns of two rows with five items, and one column narrower
// and one row lower with one. The size, the minimise box and the last
// button's place.
TEST(ToolbarLayout, EachShapeShrinksWithTheHiddenItems) {
  const struct {
    ToolbarShape shape;
    Shown shown;
    int w, h;
    const char* laidOut;
  } cases[] = {
      {kShapeHorizontal, kAll, 40, 40, "240x40 box, last at 200,0"},
      {kShapeHorizontal, {true, false, false, true, false}, 40, 40, "120x40 box, last at 80,0"},
      {kShapeVertical, {true, true, true, false, false}, 40, 40, "40x160, last at 0,120"},
      {kShapeSquare, kAll, 50, 30, "150x60 box, last at 100,30"},
      {kShapeSquare, {false, false, true, false, false}, 50, 30, "100x30, last at 50,0"},
      {kShapeSquare, {true, true, true, false, false}, 50, 30, "100x60, last at 50,30"},
  };
  for (const auto& c : cases) {
    const ToolbarLayout t = LayOutToolbar(c.shape, c.shown, c.w, c.h);
    EXPECT_EQ(std::to_string(t.width) + "x" + std::to_string(t.height) +
                  (t.minimiseBox ? " box" : "") + ", last at " +
                  std::to_string(t.buttons.back().x) + "," + std::to_string(t.buttons.back().y),
              c.laidOut);
  }
  // The square fills its columns top to bottom.
  EXPECT_EQ(
      Buttons(LayOutToolbar(kShapeSquare, kAll, 50, 30)),
      (std::vector<std::string>{"218/218 &FULL at 0,0", "400/251 &Take a message at 50,0",
                                "401/252 &View messages at 0,30", "402/253 Phone&List at 50,30",
                                "403/254 &Scheduler at 100,0", "404/255 To-&do list at 100,30"}));
}

// A stored position on the screen is kept; one beyond it or not set goes
// to the right edge and the top.
TEST(ToolbarPlacement, OnTheScreenIsKeptElseTheRightEdgeAndTheTop) {
  EXPECT_EQ(PlaceToolbar(100, 200, 240, 40, 1024, 768), (ScreenPoint{100, 200}));
  EXPECT_EQ(PlaceToolbar(784, 728, 240, 40, 1024, 768), (ScreenPoint{784, 728}));
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
