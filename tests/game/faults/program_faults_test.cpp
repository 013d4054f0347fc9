// The whole program on a private X display when its surroundings are missing: no data folder,
// no sound device. Each time it starts, plays a game and ends with status 0 when closed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/game/e2e/player.h"

namespace {

// Presses the action key in the menu, steers for a second and closes the window.
void PlayAndClose(e2e::Game& game) {
  ASSERT_TRUE(game.Launch());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(game.Tap("Return"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(game.Xdo({"keydown", "Right", "sleep", "1", "keyup", "Right"}));
  EXPECT_TRUE(game.Running());
  EXPECT_TRUE(game.Close()) << game.Output();
  EXPECT_EQ(game.Output().find("Runtime Error"), std::string::npos) << game.Output();
}

TEST(ProgramFaultTest, WithoutADataFolderItStillPlaysAndEndsCleanly) {
  e2e::Game game(false);
  PlayAndClose(game);
}

TEST(ProgramFaultTest, WithoutASoundDeviceItStillPlaysAndEndsCleanly) {
  e2e::Game game(true, "no-such-driver");
  PlayAndClose(game);
  EXPECT_NE(game.Output().find("OpenAl error"), std::string::npos) << game.Output();
}

}  // namespace
