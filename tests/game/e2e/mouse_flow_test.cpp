// The game played with the mouse: the play button starts a game, the pause icon pauses it.
#include <gtest/gtest.h>

#include "tests/game/e2e/player.h"

namespace {

using e2e::Game;

TEST(PlayerFlows, MouseStartsAGameWithThePlayButtonAndPausesItWithTheIcon) {
  Game game;
  ASSERT_TRUE(game.LaunchToMenu());
  e2e::Sound& sound = game.Audio();

  long from = sound.Now();
  ASSERT_TRUE(game.ClickUntil(570, 432, e2e::PlayShown, 20, "mouse_play"));
  long playing = sound.Now();
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the start";
  long tune = sound.Settle();
  EXPECT_TRUE(sound.Continuous(playing, tune)) << "the tune";

  from = sound.Now();
  ASSERT_TRUE(game.ClickUntil(16, 16, e2e::PauseShown, 20, "mouse_pause"));
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the pause";
  ASSERT_TRUE(game.CloseWindow());
  EXPECT_EQ(game.Wait(15), 0);
}

}  // namespace
