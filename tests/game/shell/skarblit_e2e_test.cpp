// The whole program on a private X display: the loading screen, the artwork loaded behind it,
// and, suspended on losing the focus, the corrected default state stored.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <csignal>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kBin = KX_BINARY_DIR;
const std::string kTool = kBin + "/kx_game_xtool";

using kxtest::WaitFor;

// A screenshot of the 640x480 window, which sits centred on the 1280x1024 screen.
class Shot {
 public:
  Shot(kxtest::Xvfb& xvfb, const std::string& path) {
    if (xvfb.Tool({kTool, "grab", path, "320", "272", "640", "480"}).status != 0) return;
    int channels = 0;
    pixels_ = stbi_load(path.c_str(), &w_, &h_, &channels, 3);
  }
  ~Shot() { stbi_image_free(pixels_); }
  bool Ok() const { return pixels_ && w_ == 640 && h_ == 480; }
  // (r << 16) | (g << 8) | b at window coordinates.
  unsigned int At(int x, int y) const {
    const unsigned char* p = pixels_ + (y * w_ + x) * 3;
    return (p[0] << 16) | (p[1] << 8) | p[2];
  }
  bool Loading() const {
    return Ok() && At(5, 5) == 0x282850u && At(5, 240) != 0x282850u && At(320, 100) != 0x282850u;
  }

 private:
  unsigned char* pixels_ = nullptr;
  int w_ = 0, h_ = 0;
};

// The state string of the first save after a start without a state file.
std::string CorrectedDefaults() {
  std::string s;
  for (int i = 0; i < 98; ++i) {
    int v = 0;
    if (i == 5 || i == 14) v = 1;
    if (i == 10 || i == 11) v = 64;
    if (i == 12) v = 10;
    if (i == 25) v = 1483;
    s += std::to_string(v) + "|";
  }
  return s;
}

TEST(SkarblitProgram, ShowsTheLoadingScreenAndSavesTheCorrectedDefaultsWhenSuspended) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not come up";
  // A working directory of its own, so the state file of the tree is left alone.
  std::string dir = kxtest::MakeTempDir("kx_skarblit");
  std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data", dir + "/data");
  kxtest::Child game;
  ASSERT_TRUE(game.Start({kBin + "/skarblit"}, {"DISPLAY=" + xvfb.Display()}, dir + "/out.txt",
                         dir + "/err.txt", dir));
  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        kxtest::ProcessResult found =
            xvfb.Tool({"/usr/bin/xdotool", "search", "--name", "^Skarblit$"});
        window = found.status == 0 ? found.out.substr(0, found.out.find('\n')) : "";
        return !window.empty();
      },
      10));
  // Without a window manager nothing gives the new window the focus, and without it the game
  // stays suspended.
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});

  // The loading screen lasts about half a second, so the game is held still for each look:
  // its backdrop, the orange band across the middle and the yellow disc.
  // The picture is kept in the build tree to look at.
  bool sawLoading = false;
  for (int look = 0; look < 100 && !sawLoading; ++look) {
    game.Kill(SIGSTOP);
    sawLoading = Shot(xvfb, dir + "/look.ppm").Loading();
    if (sawLoading) xvfb.Tool({kTool, "shot", kBin + "/tests/game_e2e_loading.png"});
    game.Kill(SIGCONT);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(sawLoading);

  // Loaded: the loading screen, whose corner always shows its backdrop, gives way to the menu.
  EXPECT_TRUE(WaitFor(
      [&] {
        Shot shot(xvfb, dir + "/look.ppm");
        return shot.Ok() && shot.At(5, 5) != 0x282850u;
      },
      10));
  // Only a save from the suspension below counts.
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::filesystem::remove(dir + "/.vantorstate");

  kxtest::Child thief;
  ASSERT_TRUE(thief.Start({kTool, "steal"}, {"DISPLAY=" + xvfb.Display()}));
  EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(dir + "/.vantorstate"); }, 5));
  EXPECT_EQ(kxtest::ReadFile(dir + "/.vantorstate"), CorrectedDefaults());
  thief.Kill(15);
  thief.Wait(5);
  xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window});

  ASSERT_EQ(xvfb.Tool({kTool, "close", window}).status, 0);
  EXPECT_EQ(game.Wait(10), 0) << kxtest::ReadFile(dir + "/out.txt")
                              << kxtest::ReadFile(dir + "/err.txt");
  std::filesystem::remove_all(dir);
}

}  // namespace
