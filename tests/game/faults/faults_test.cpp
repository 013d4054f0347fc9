// The game against a hostile world, on the windowless stand-in host: a state file that cannot
// be replaced, a state file of garbage, windows of strange sizes. (A pad pulled out lets go of
// its buttons in the input test.)
#include <fenv.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/game_fixture.h"
#include "tests/support/process.h"

namespace gametest {
namespace {

class FaultTest : public GameTest {
 protected:
  // Runs the test inside a private folder that sees the real data; returns the folder.
  std::string UseFiles() {
    dir_ = std::make_unique<kxtest::TempDir>("kx_faults");
    std::filesystem::create_directory_symlink(KX_SOURCE_DIR "/data", dir_->path + "/data");
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_->path);
    host->onDisk = true;
    return dir_->path;
  }
  void TearDown() override {
    if (dir_) std::filesystem::current_path(old_);
    dir_.reset();
    GameTest::TearDown();
  }
  // From the menu into a running game with the action key; the menu may still be sliding in
  // after a game, so it gets a few presses.
  bool StartGame() {
    for (int press = 0; press < 5 && app->m_gameState != 10; ++press) {
      Hit(13);
      for (int i = 0; i < 30 && app->m_gameState != 10; ++i) Update();
    }
    return app->m_gameState == 10;
  }

  // Menu, a game steered into the wall and the pause menu, in a window of the given size with
  // division by zero and invalid operations (infinity or NaN made into an integer, among them)
  // trapping, so the first one ends the process with a signal at its source.
  void PlayInOddWindow(int width, int height) {
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    Resize(width, height);
    bool finite = true;  // whatever the window, the drawing handed to the device is finite
    auto frames = [&](int n) {
      for (int i = 0; i < n; ++i) {
        Update();
        graphics->calls.clear();
        Render();
        for (const DrawCall& c : graphics->calls)
          for (float v : {c.x, c.y, c.w, c.h, c.ix, c.iy, c.jx, c.jy, c.tx, c.ty})
            finite = finite && std::isfinite(v);
      }
    };
    frames(40);
    input->p_MouseEvent(KxEventMouseMove, 0, 3, 2);
    bool playing = StartGame();
    KeyDown(39);
    frames(60);
    KeyUp(39);
    Hit(27);
    frames(20);
    fedisableexcept(FE_ALL_EXCEPT);
    std::fprintf(stderr, finite ? "finite" : "not finite");
    std::exit(playing && finite ? 0 : 1);
  }

 private:
  std::filesystem::path old_;
  std::unique_ptr<kxtest::TempDir> dir_;
};

TEST_F(FaultTest, AStateFileThatCannotBeReplacedStaysIntactAndPlayGoesOn) {
  std::string dir = UseFiles();
  // A saved state with a top score of 1000 on Easy, sealed by the game itself.
  Create();
  app->m_highScores[0] = 1000;
  app->p_Save();
  const std::string saved = kxtest::ReadFile(dir + "/.vantorstate");
  kx_app__app = nullptr;
  host->saves.clear();
  // The new state is written beside the old one first; a folder in its place stops that even
  // for root, who could write into a read-only folder.
  std::filesystem::create_directory(dir + "/.vantorstate.tmp");
  Create();
  LoadAll();
  ASSERT_EQ(app->m_highScores[0], 1000);
  ASSERT_TRUE(StartGame());
  app->m_difficulty = 1;
  app->m_score = 1500;
  // Lost: the return to the menu records the score.
  app->m_arena[arena::kHealth] = 0;
  for (int i = 0; i < 300 && app->m_gameState != 1; ++i) Update();
  ASSERT_GE(host->saves.size(), 1u);
  for (int result : host->saves) EXPECT_LT(result, 0);
  EXPECT_EQ(kxtest::ReadFile(dir + "/.vantorstate"), saved);
  // The scores live on in the game even though the disk refused them.
  EXPECT_EQ(Values(app->m_gameState, app->m_highScores[0], app->m_highScores[1]),
            Values(1, 1500, 1000));
  EXPECT_TRUE(StartGame());
}

TEST_F(FaultTest, TenMebibytesOfGarbageGiveTheDefaults) {
  std::string dir = UseFiles();
  // Random bytes are the fuzz target's; millions of fields are what could make a load slow.
  std::string pipes;
  while (pipes.size() < 10 << 20) pipes += "12|";
  ASSERT_TRUE(kxtest::WriteFile(dir + "/.vantorstate", pipes));
  kx_app__app = nullptr;
  // A load that hangs or grows with the square of the size runs into the test's time limit.
  Create();
  EXPECT_EQ(app->m_settings[5], 1);
  for (int i = 0; i < app->m_highScores.Length(); ++i) ASSERT_EQ(app->m_highScores[i], 0) << i;
  for (int i = 0; i < app->m_badges.Length(); ++i) ASSERT_FALSE(app->m_badges[i]) << i;
}

TEST_F(FaultTest, StrangeWindowSizesNeverTurnADivisionByZeroIntoNumbers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Create();
  LoadAll();
  for (const auto& size : {std::make_pair(1, 1), std::make_pair(640, 0), std::make_pair(4000, 100),
                           std::make_pair(480, 900)}) {
    EXPECT_EXIT(PlayInOddWindow(size.first, size.second), testing::ExitedWithCode(0), "^finite")
        << size.first << "x" << size.second;
  }
}

}  // namespace
}  // namespace gametest
