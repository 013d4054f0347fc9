// The whole program on a private X display: suspended on losing the focus, it stores the
// corrected default state.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kBin = KX_BINARY_DIR;
const std::string kTool = kBin + "/kx_game_xtool";

TEST(SkarblitProgram, SavesTheCorrectedDefaultsWhenSuspended) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not come up";
  // A working directory of its own, so the state file of the tree is left alone.
  std::string dir = kxtest::MakeTempDir("kx_skarblit");
  std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data", dir + "/data");
  kxtest::Child game;
  ASSERT_TRUE(game.Start({kBin + "/skarblit"}, {"DISPLAY=" + xvfb.Display()}, dir + "/out.txt",
                         dir + "/err.txt", dir));
  std::string window;
  ASSERT_TRUE(kxtest::WaitFor(
      [&] {
        kxtest::ProcessResult found =
            xvfb.Tool({"/usr/bin/xdotool", "search", "--name", "^Skarblit$"});
        window = found.status == 0 ? found.out.substr(0, found.out.find('\n')) : "";
        return !window.empty();
      },
      10));
  // Without a window manager nothing gives the new window the focus, and without it the game
  // stays suspended. Only a save from the suspension below counts.
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::filesystem::remove(dir + "/.vantorstate");

  kxtest::Child thief;
  ASSERT_TRUE(thief.Start({kTool, "steal"}, {"DISPLAY=" + xvfb.Display()}));
  EXPECT_TRUE(kxtest::WaitFor([&] { return std::filesystem::exists(dir + "/.vantorstate"); }, 30));
  std::string expected;  // slots 5 and 14 become 1, 10 and 11 become 64, 12 becomes 10
  for (int i = 0; i < 98; ++i) {
    int v = i == 5 || i == 14 ? 1 : i == 10 || i == 11 ? 64 : i == 12 ? 10 : i == 25 ? 1483 : 0;
    expected += std::to_string(v) + "|";
  }
  EXPECT_EQ(kxtest::ReadFile(dir + "/.vantorstate"), expected);
  thief.Kill(15);
  thief.Wait(5);
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});

  ASSERT_EQ(xvfb.Tool({kTool, "close", window}).status, 0);
  EXPECT_EQ(game.Wait(10), 0) << kxtest::ReadFile(dir + "/out.txt")
                              << kxtest::ReadFile(dir + "/err.txt");
  std::filesystem::remove_all(dir);
}

}  // namespace
