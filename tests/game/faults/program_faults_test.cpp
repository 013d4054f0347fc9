// The whole program on a private X display when its surroundings are missing: no data folder,
// no sound device. Each time it starts, plays a game and ends with status 0 when closed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kBin = KX_BINARY_DIR;

bool WaitFor(const std::function<bool()>& done, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

class ProgramFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not come up";
    dir = kxtest::MakeTempDir("kx_program_faults");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Starts the game in `dir`, presses the action key in the menu and lets it play for a
  // while, then closes the window; returns the exit status.
  int StartPlayAndClose(const std::vector<std::string>& env) {
    std::vector<std::string> all = env;
    all.push_back("DISPLAY=" + xvfb.Display());
    kxtest::Child game;
    if (!game.Start({kBin + "/skarblit"}, all, dir + "/out.txt", dir + "/err.txt", dir)) return -2;
    std::string window;
    bool shown = WaitFor(
        [&] {
          kxtest::ProcessResult found =
              xvfb.Tool({"/usr/bin/xdotool", "search", "--name", "^Skarblit$"});
          window = found.status == 0 ? found.out.substr(0, found.out.find('\n')) : "";
          return !window.empty();
        },
        10);
    EXPECT_TRUE(shown);
    if (!shown) return -3;
    // The window is centred on the screen; the pointer over it gives it the keyboard.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    xvfb.Tool({"/usr/bin/xdotool", "mousemove", "640", "512", "key", "Return"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    xvfb.Tool({"/usr/bin/xdotool", "keydown", "Right", "sleep", "1", "keyup", "Right"});
    EXPECT_TRUE(game.Running());
    if (xvfb.Tool({kBin + "/kx_game_xtool", "close", window}).status != 0) return -4;
    return game.Wait(10);
  }
  std::string Output() { return kxtest::ReadFile(dir + "/out.txt"); }

  kxtest::Xvfb xvfb;
  std::string dir;
};

TEST_F(ProgramFaultTest, WithoutADataFolderItStillPlaysAndEndsCleanly) {
  EXPECT_EQ(StartPlayAndClose({}), 0) << Output();
  EXPECT_EQ(Output().find("Runtime Error"), std::string::npos) << Output();
}

TEST_F(ProgramFaultTest, WithoutASoundDeviceItStillPlaysAndEndsCleanly) {
  std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data", dir + "/data");
  ASSERT_TRUE(kxtest::WriteFile(dir + "/alsoft.conf", "[general]\ndrivers=no-such-driver\n"));
  EXPECT_EQ(StartPlayAndClose({"ALSOFT_CONF=" + dir + "/alsoft.conf",
                               "ALSOFT_DRIVERS=no-such-driver"}),
            0)
      << Output();
  EXPECT_NE(Output().find("OpenAl error"), std::string::npos) << Output();
  EXPECT_EQ(Output().find("Runtime Error"), std::string::npos) << Output();
}

}  // namespace
