// F11 takes the game to full screen at the desktop's size and back to its 640x480 window; the
// game goes on in both; the window's close button ends it normally.
#include <gtest/gtest.h>

#include "tests/game/e2e/player.h"

namespace {

TEST(PlayerFlows, F11TogglesFullScreenAndTheCloseButtonEndsTheGame) {
  e2e::Game game;
  ASSERT_TRUE(game.LaunchToMenu());
  auto windowIs = [&](std::vector<int> geometry) {
    return e2e::WaitFor([&] { return game.FindWindow() && game.Geometry() == geometry; }, 20);
  };
  ASSERT_TRUE(game.Tap("F11"));
  ASSERT_TRUE(windowIs({0, 0, 1280, 1024})) << ::testing::PrintToString(game.Geometry());
  ASSERT_TRUE(game.Focus());
  ASSERT_TRUE(game.WaitScreen(e2e::MenuShown, 60, "fullscreen"));
  // The keys still reach the game, and its sound still plays.
  ASSERT_TRUE(game.Press("Left", [](const e2e::Screen& s) {
    return e2e::ScoreListShown(s) && !e2e::MenuShown(s);
  }, "the move to the cog in full screen"));

  ASSERT_TRUE(game.Tap("F11"));
  ASSERT_TRUE(windowIs({320, 272, 640, 480})) << ::testing::PrintToString(game.Geometry());
  ASSERT_TRUE(game.Focus());
  ASSERT_TRUE(game.WaitScreen(e2e::ScoreListShown, 60, "windowed"));
  ASSERT_TRUE(game.Press("Right", e2e::MenuShown, "the move back to the dial"));
  EXPECT_TRUE(game.Close());
}

}  // namespace
