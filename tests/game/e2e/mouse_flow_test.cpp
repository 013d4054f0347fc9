// The game played with the mouse: the play button starts a game, the pause icon pauses it.
#include <gtest/gtest.h>

#include "tests/game/e2e/player.h"

namespace {

TEST(PlayerFlows, MouseStartsAGameWithThePlayButtonAndPausesItWithTheIcon) {
  e2e::Game game;
  ASSERT_TRUE(game.LaunchToMenu());
  e2e::Sound& sound = game.Audio();

  long from = sound.Now();
  ASSERT_TRUE(game.ClickUntil(570, 432, e2e::PlayShown, "mouse_play"));
  long playing = sound.Now();
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the start";
  EXPECT_TRUE(sound.Continuous(playing, sound.Settle())) << "the tune";

  from = sound.Now();
  ASSERT_TRUE(game.ClickUntil(16, 16, e2e::PauseShown, "mouse_pause"));
  EXPECT_TRUE(sound.Heard(from, sound.Settle())) << "the pause";
  EXPECT_TRUE(game.Close());
}

}  // namespace
