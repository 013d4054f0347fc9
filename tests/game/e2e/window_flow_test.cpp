// F11 takes the game to full screen at the desktop's size and back to its 640x480 window; the
// game goes on in both; the window's close button ends it normally.
#include <gtest/gtest.h>

#include "tests/game/e2e/player.h"

namespace {

using e2e::Game;
using e2e::Screen;

TEST(PlayerFlows, F11TogglesFullScreenAndTheCloseButtonEndsTheGame) {
  Game game;
  ASSERT_TRUE(game.LaunchToMenu());
  e2e::Sound& sound = game.Audio();

  int x = -1, y = -1, w = 0, h = 0;
  auto windowIs = [&](int wx, int wy, int ww, int wh) {
    return game.FindWindow(&x, &y, &w, &h) && x == wx && y == wy && w == ww && h == wh;
  };
  ASSERT_TRUE(game.Tap("F11"));
  ASSERT_TRUE(e2e::WaitFor([&] { return windowIs(0, 0, 1280, 1024); }, 20))
      << "window at " << x << "," << y << " " << w << "x" << h;
  ASSERT_TRUE(game.Focus());
  ASSERT_TRUE(game.WaitScreen(e2e::MenuShown, 60, "fullscreen"));
  // The keys still reach the game, and its sound still plays.
  long from = sound.Now();
  ASSERT_TRUE(game.HoldUntil("Left", [](const Screen& s) {
    return e2e::ScoreListShown(s) && !e2e::MenuShown(s);
  }));
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the move to the cog in full screen";

  ASSERT_TRUE(game.Tap("F11"));
  ASSERT_TRUE(e2e::WaitFor([&] { return windowIs(320, 272, 640, 480); }, 20))
      << "window at " << x << "," << y << " " << w << "x" << h;
  ASSERT_TRUE(game.Focus());
  ASSERT_TRUE(game.WaitScreen(e2e::ScoreListShown, 60, "windowed"));
  from = sound.Now();
  ASSERT_TRUE(game.HoldUntil("Right", e2e::MenuShown));
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the move back to the dial";

  ASSERT_TRUE(game.CloseWindow());
  EXPECT_EQ(game.Wait(15), 0);
  EXPECT_FALSE(game.Running());
}

}  // namespace
