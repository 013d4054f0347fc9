// The whole program under a private X display, for what the recorded replays cannot see: real
// pixels, real sound (OpenAL Soft's wave-file driver writes what the player would hear), the
// mouse, full screen, the exit status, and the start without a data folder.
// The program runs in a folder of its own and is driven with xdotool as a player drives it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

using kxtest::WaitFor;

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// A grabbed rectangle of the screen: the game's window, addressed in window coordinates.
struct Screen {
  std::string rgb;
  int w = 0, h = 0;
  bool Load(const std::string& ppmPath) {
    std::string bytes = kxtest::ReadFile(ppmPath);
    int max = 0, used = 0;
    w = h = 0;
    sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used);
    rgb = used > 0 ? bytes.substr(used + 1) : "";
    return w > 0 && h > 0 && max == 255 && rgb.size() >= static_cast<size_t>(w) * h * 3;
  }
  // Black outside the picture.
  Rgb At(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return Rgb();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&rgb[(size_t(y) * w + x) * 3]);
    return Rgb{p[0], p[1], p[2]};
  }
};
typedef std::function<bool(const Screen&)> ScreenTest;

bool Greenish(Rgb c) { return c.g > c.r + 40 && c.g > c.b + 40; }
// Dark arena and the green health bar at the top. The bar shrinks towards its left end, which
// stays while any health is left.
bool PlayShown(const Screen& s) {
  Rgb corner = s.At(5, 470);
  return std::max({corner.r, corner.g, corner.b}) < 40 && Greenish(s.At(225, 36));
}
// The orange body of the pause menu at rest in the middle of the screen (where it comes to rest
// varies by a few steps of its slide).
bool PauseShown(const Screen& s) {
  for (Rgb c : {s.At(200, 230), s.At(440, 230), s.At(250, 290)})
    if (c.r <= 140 || c.g <= 60 || c.g >= 140 || c.b >= 60) return false;
  return true;
}

// What the wave driver has written so far. Positions are frames since the device opened; the
// driver mixes in real time, so the file's length is also the game's sound clock. The driver
// writes its header first (16-bit mono, as configured below); the data chunk's length stays
// unwritten while it runs, so the data runs to the end of the file.
class Sound {
 public:
  explicit Sound(std::string path) : path_(std::move(path)) {}
  // Reads what is written: the frames until now, -1 before the header is there.
  long Now() {
    std::string b = kxtest::ReadFile(path_);
    size_t data = b.size() < 44 ? std::string::npos : b.find("data", 36);
    if (data == std::string::npos || b[22] != 1 || b[34] != 16) return -1;  // mono, 16-bit
    memcpy(&rate_, &b[24], 4);
    data_ = b.substr(data + 8);
    return static_cast<long>(data_.size() / 2);
  }
  // The loudest sample (full scale 1) between two positions of what was last read.
  float Peak(long from, long to) {
    int peak = 0;
    for (long i = std::max(from, 0L); i < std::min(to, static_cast<long>(data_.size() / 2)); ++i) {
      int16_t v;
      memcpy(&v, &data_[2 * i], 2);
      peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    return peak / 32768.0f;
  }
  // Waits for something audible written after `from`.
  bool HeardSince(long from) {
    return WaitFor([&] { return Peak(from, Now()) > 0.02f; });
  }
  // Waits for half a second after `from` without a break: every tenth of it audible (the tune).
  bool TunePlaysSince(long from) {
    return WaitFor([&] {
      long to = Now(), at = to - rate_ / 2;
      for (; at >= from && at + rate_ / 10 <= to; at += rate_ / 10) {
        if (Peak(at, at + rate_ / 10) <= 0.01f) return false;
      }
      return to - rate_ / 2 >= from;
    });
  }

 private:
  std::string path_, data_;
  int rate_ = 0;
};

// The program's run, killed if still running when the test ends (the child goes before the
// display and the folder).
class Game {
 public:
  const std::string kBin = KX_BINARY_DIR;
  kxtest::TempDir dir{"kx_e2e"};
  std::vector<int> geometry = {0, 0, 0, 0};
  Sound sound{dir.path + "/out.wav"};
  // whole: the folder links the real data and the sound goes to a file; otherwise there is
  // neither data nor a sound device.
  explicit Game(bool whole = true) : whole_(whole) {
    if (whole) std::filesystem::create_directory_symlink(KX_SOURCE_DIR "/data", dir.path + "/data");
    kxtest::WriteFile(dir.path + "/alsoft.conf",
                      std::string("[general]\ndrivers=") + (whole ? "wave" : "no-such-driver") +
                          "\nchannels=mono\nsample-type=int16\n[wave]\nfile=" + dir.path +
                          "/out.wav\n");
  }
  std::string Output() const { return kxtest::ReadFile(dir.path + "/out.txt"); }

  // Starts the program on a private display and waits for its window, which it then focuses
  // as a window manager would, and for the sound device to open.
  bool Launch() {
    if (!xvfb_.Start(1280, 1024) || xvfb_.Tool({kBin + "/kx_game_xtool", "norepeat"}).status)
      return false;
    std::vector<std::string> env = {"DISPLAY=" + xvfb_.Display(),
                                    "ALSOFT_CONF=" + dir.path + "/alsoft.conf"};
    return child_.Start({kBin + "/skarblit"}, env, dir.path + "/out.txt", dir.path + "/err.txt",
                        dir.path) &&
           Focus() && (!whole_ || WaitFor([&] { return sound.Now() >= 0; }));
  }
  bool Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/xdotool");
    return xvfb_.Tool(args).status == 0;
  }
  // The window, found by its title, and its place and size on the screen.
  bool FindWindow() {
    kxtest::ProcessResult found = xvfb_.Tool(
        {"/usr/bin/xdotool", "search", "--name", "^Skarblit$", "getwindowgeometry", "--shell"});
    long g[5] = {0, -1, -1, 0, 0};
    const char* keys[5] = {"WINDOW=%ld", "X=%ld", "Y=%ld", "WIDTH=%ld", "HEIGHT=%ld"};
    std::stringstream lines(found.out);
    for (std::string line; std::getline(lines, line);)
      for (int i = 0; i < 5; ++i) sscanf(line.c_str(), keys[i], &g[i]);
    if (found.status != 0 || g[0] <= 0 || g[1] < 0 || g[2] < 0 || g[3] <= 0) return false;
    window_ = std::to_string(g[0]);
    geometry = {int(g[1]), int(g[2]), int(g[3]), int(g[4])};
    return true;
  }
  // Without a window manager nobody hands a new window the focus, and the game stays suspended.
  // A reopened window may still be replacing the old one when it is first found, so look it up
  // again until focusing it succeeds.
  bool Focus() {
    return WaitFor([&] { return FindWindow() && Xdo({"windowfocus", "--sync", window_}); });
  }
  // The menu at rest, by the same probe as the shell tests'.
  bool MenuShown() {
    const std::string at[2] = {std::to_string(geometry[0]), std::to_string(geometry[1])};
    return xvfb_.Tool({kBin + "/kx_game_xtool", "menu", at[0], at[1]}).status == 0;
  }
  // Grabs the window until the test passes (once only, with no deadline).
  bool WaitScreen(const ScreenTest& test, double seconds = kxtest::kHangSeconds) {
    Screen screen;
    const std::string grab = dir.path + "/grab.ppm";
    std::vector<std::string> argv = {kBin + "/kx_game_xtool", "grab", grab};
    for (int v : geometry) argv.push_back(std::to_string(v));
    return WaitFor(
        [&] { return xvfb_.Tool(argv).status == 0 && screen.Load(grab) && test(screen); },
        seconds);
  }
  // Holds the key until the game shows it has seen it (key repeat is off: one press).
  bool PressUntil(const std::string& key, const std::function<bool()>& seen,
                  double seconds = kxtest::kHangSeconds) {
    bool passed = Xdo({"keydown", key}) && WaitFor(seen, seconds);
    return Xdo({"keyup", key}) && passed;
  }
  // Presses the left button at window coordinates, keeps it down until the screen passes, and
  // expects the press to be heard.
  bool ClickUntil(int x, int y, const ScreenTest& test, const char* what) {
    long from = sound.Now();
    std::string at[2] = {std::to_string(geometry[0] + x), std::to_string(geometry[1] + y)};
    bool passed = Xdo({"mousemove", at[0], at[1], "mousedown", "1"}) && WaitScreen(test);
    passed = Xdo({"mouseup", "1"}) && passed;
    EXPECT_TRUE(passed && sound.HeardSince(from)) << what;
    return passed;
  }
  // What the desktop matches the window to its menu entry by: its class, and an icon.
  std::string Identity() {
    return xvfb_.Tool({"/usr/bin/xprop", "-id", window_, "-notype", "WM_CLASS"}).out +
           xvfb_.Tool({"/usr/bin/xprop", "-id", window_, "-notype", "-len", "8", "_NET_WM_ICON"}).out;
  }
  // Asks the window to close, as its close button does, and expects a clean end.
  bool Close() {
    return !window_.empty() &&
           xvfb_.Tool({kBin + "/kx_game_xtool", "close", window_}).status == 0 && child_.Wait() == 0;
  }

 private:
  kxtest::Xvfb xvfb_;
  kxtest::Child child_;
  std::string window_;
  bool whole_;
};

TEST(Player, SeesHearsSwitchesFullScreenClicksAndCloses) {
  Game game;
  ASSERT_TRUE(game.Launch());
  ASSERT_TRUE(WaitFor([&] { return game.MenuShown(); }));
  EXPECT_GT(game.sound.Peak(0, game.sound.Now()), 0.02f) << "the logo sound while loading";
  // Another game started without a display: in the same folder, where this one holds the
  // state, and in a folder of its own, where the windowing library cannot start.
  const kxtest::TempDir elsewhere("kx_e2e_nodisplay");
  for (const auto& [folder, said] : {std::make_pair(game.dir.path, "Skarblit is already running here\n1"),
                                     std::make_pair(elsewhere.path, "glfwInit failed\n255")}) {
    kxtest::ProcessResult second = kxtest::RunProcess({game.kBin + "/skarblit"}, "", true,
                                                      kxtest::kHangSeconds, {"DISPLAY="}, folder);
    EXPECT_EQ(second.out + std::to_string(second.status), said);
  }

  // Full screen at the desktop's size and back to the centred 640x480 window, the menu intact,
  // every window with the game's class and icon. A new window gets its icon just after it shows.
  const std::string identity = "WM_CLASS = \"skarblit\", \"Skarblit\"\n_NET_WM_ICON = \tIcon (16 x 16):";
  auto identified = [&] { return game.Identity().compare(0, identity.size(), identity) == 0; };
  EXPECT_TRUE(WaitFor(identified)) << game.Identity();
  for (std::vector<int> geometry : {std::vector<int>{0, 0, 1280, 1024}, {320, 272, 640, 480}}) {
    EXPECT_TRUE(game.PressUntil("F11", [&] { return game.FindWindow() && game.geometry == geometry; }))
        << ::testing::PrintToString(game.geometry);
    EXPECT_TRUE(WaitFor(identified)) << game.Identity();
    ASSERT_TRUE(game.Focus());
  }
  ASSERT_TRUE(WaitFor([&] { return game.MenuShown(); }));
  auto playing = [&](const Screen& s) { return PlayShown(s) && !game.MenuShown(); };
  ASSERT_TRUE(game.ClickUntil(570, 432, playing, "the start"));
  EXPECT_TRUE(game.sound.TunePlaysSince(game.sound.Now())) << "the tune";
  ASSERT_TRUE(game.ClickUntil(16, 16, PauseShown, "the pause"));
  EXPECT_TRUE(game.Close()) << game.Output();
}

// Without its data or a sound device the program still reaches play and ends with status 0.
TEST(Player, WithoutItsDataOrASoundDeviceItStillPlaysAndEndsCleanly) {
  Game game(false);
  ASSERT_TRUE(game.Launch());
  // The action key starts a game from the menu: its health bar shows, with no art around it.
  // The menu takes no key until it is up, which nothing on the screen tells: press again until.
  auto playing = [&] {
    return game.WaitScreen([&](const Screen& s) { return Greenish(s.At(225, 36)) && !game.MenuShown(); },
                           0);
  };
  ASSERT_TRUE(WaitFor([&] { return game.PressUntil("Return", playing, 2); }));
  EXPECT_TRUE(game.Close()) << game.Output();
  const std::string out = game.Output();
  EXPECT_EQ(out.find("Runtime Error"), std::string::npos) << out;
  EXPECT_NE(out.find("OpenAl error"), std::string::npos) << out;
}

}  // namespace
