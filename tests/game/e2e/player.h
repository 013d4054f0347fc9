// The whole game played under a private X display: the program runs in a folder of its own that
// links the real data, is driven with xdotool as a player drives it, is watched through screen
// grabs and is heard through OpenAL Soft's wave-file driver.
#pragma once
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace e2e {

using kxtest::WaitFor;

struct Rgb {
  int r = 0, g = 0, b = 0;
};
typedef std::function<bool(Rgb)> ColourTest;

// A grabbed rectangle of the screen: the game's window, addressed in window coordinates.
class Screen {
 public:
  bool Load(const std::string& ppmPath) {
    std::string bytes = kxtest::ReadFile(ppmPath);
    int w = 0, h = 0, max = 0, used = 0;
    sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used);
    size_t size = static_cast<size_t>(w) * h * 3;
    if (w <= 0 || h <= 0 || max != 255 || bytes.size() < used + 1 + size) return false;
    rgb_ = bytes.substr(used + 1, size);
    w_ = w;
    h_ = h;
    return true;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }
  // Black outside the picture.
  Rgb At(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return Rgb();
    const char* p = &rgb_[(static_cast<size_t>(y) * w_ + x) * 3];
    return Rgb{static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]),
               static_cast<unsigned char>(p[2])};
  }
  // Which pixels of a rectangle pass a colour test, row by row; and how many.
  std::vector<bool> Mask(int x, int y, int w, int h, const ColourTest& test) const {
    std::vector<bool> mask;
    for (int j = y; j < y + h; ++j) {
      for (int i = x; i < x + w; ++i) mask.push_back(test(At(i, j)));
    }
    return mask;
  }
  int Count(int x, int y, int w, int h, const ColourTest& test) const {
    std::vector<bool> mask = Mask(x, y, w, h, test);
    return static_cast<int>(std::count(mask.begin(), mask.end(), true));
  }

 private:
  std::string rgb_;
  int w_ = 0, h_ = 0;
};

inline unsigned Le(const std::string& b, size_t at, int bytes) {
  unsigned v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

// What the wave driver has written so far. Positions are frames since the device opened; the
// driver mixes in real time, so the file's length is also the game's sound clock.
class Sound {
 public:
  explicit Sound(std::string path = "") : path_(std::move(path)) {}
  int Rate() const { return rate_; }
  // Frames written until now; -1 before the header is there.
  long Now() {
    if (!ReadHeader()) return -1;
    std::error_code ignored;
    long size = static_cast<long>(std::filesystem::file_size(path_, ignored));
    return (size - dataOffset_) / (channels_ * bytes_);
  }
  // Waits until the sound is written half a second past now and returns that position: the end
  // of the span in which a cue of a press that has shown its effect begins. Anything the game
  // plays later lies beyond it.
  long Settle() {
    long to = Now() + rate_ / 2;
    WaitFor([&] { return Now() >= to; }, 15);
    return to;
  }
  // The loudest sample (full scale 1) between two written positions; -1 when not written.
  float Peak(long from, long to) {
    if (dataOffset_ < 0 || Now() < to) return -1;
    std::ifstream in(path_, std::ios::binary);
    long frame = channels_ * bytes_;
    from = std::max(from, 0L);
    std::string data(static_cast<size_t>((to - from) * frame), '\0');
    in.seekg(dataOffset_ + from * frame);
    in.read(&data[0], static_cast<std::streamsize>(data.size()));
    float peak = 0;
    for (size_t at = 0; at + bytes_ <= data.size(); at += bytes_) {
      float v = static_cast<short>(Le(data, at, 2)) / 32768.0f;
      if (bytes_ == 4) memcpy(&v, &data[at], 4);
      peak = std::max(peak, std::fabs(v));
    }
    return peak;
  }
  bool Heard(long from, long to) { return Peak(from, to) > 0.02f; }
  bool Quiet(long from, long to) { return Peak(from, to) >= 0 && Peak(from, to) < 0.005f; }
  // Sound without a break: every tenth of a second of the span is audible (the tune plays).
  bool Continuous(long from, long to) {
    for (long at = from; at + rate_ / 10 <= to; at += rate_ / 10) {
      if (Peak(at, at + rate_ / 10) <= 0.01f) return false;
    }
    return true;
  }

 private:
  // The wave driver writes its fmt chunk first, with 16-bit integer or 32-bit float samples.
  // The data chunk's length stays unwritten while it runs: the data runs to the end of the file.
  bool ReadHeader() {
    if (dataOffset_ >= 0) return true;
    std::string b = kxtest::ReadFile(path_);
    size_t data = b.size() < 44 ? std::string::npos : b.find("data", 36);
    if (data == std::string::npos || b.compare(0, 4, "RIFF") || b.compare(12, 4, "fmt "))
      return false;
    channels_ = static_cast<int>(Le(b, 22, 2));
    rate_ = static_cast<int>(Le(b, 24, 4));
    bytes_ = static_cast<int>(Le(b, 34, 2)) / 8;
    if (channels_ <= 0 || rate_ <= 0 || (bytes_ != 2 && bytes_ != 4)) return false;
    dataOffset_ = static_cast<long>(data + 8);
    return true;
  }
  std::string path_;
  int rate_ = 0, channels_ = 0, bytes_ = 0;
  long dataOffset_ = -1;
};

// One state string: 25 settings and their checksum, 8 badge words and theirs, then the top and
// last scores of the three difficulties, each group with its checksum.
struct SavedState {
  std::vector<long long> numbers = std::vector<long long>(98, 0);
  long long& Setting(int slot) { return numbers[slot]; }
  long long& Top(int group, int rank) { return numbers[35 + 21 * group + 2 * rank]; }
  long long& Last(int group, int rank) { return numbers[36 + 21 * group + 2 * rank]; }

  bool Parse(const std::string& text) {
    numbers.clear();
    std::stringstream in(text);
    for (std::string token; std::getline(in, token, '|');) {
      char* end = nullptr;
      numbers.push_back(strtoll(token.c_str(), &end, 10));
      if (token.empty() || *end != '\0') return false;
    }
    return numbers.size() == 98 && text.back() == '|';
  }
  // Puts every checksum in its place. The sums wrap as 32-bit integers do; a score group's
  // weighs top rank r by r + 4 and last rank r by r + k + 3.
  void Seal() {
    auto wrap = [](long long v) -> long long {
      return static_cast<int32_t>(static_cast<uint32_t>(v));
    };
    long long settings = 0, badges = 0;
    for (int i = 0; i < 25; ++i) settings += i * numbers[i];
    for (int g = 26; g < 34; ++g) badges += numbers[g];
    numbers[25] = wrap(settings);
    numbers[34] = wrap(badges);
    for (int k = 0; k < 3; ++k) {
      long long sum = 0;
      for (int r = 0; r < 10; ++r) sum += (r + 4) * Top(k, r) + (r + k + 3) * Last(k, r);
      numbers[55 + 21 * k] = wrap(sum);
    }
  }
  // The checksums are valid when sealing leaves them as they are.
  bool ChecksumsValid() const {
    SavedState sealed = *this;
    if (numbers.size() == 98) sealed.Seal();
    return numbers.size() == 98 && sealed.numbers == numbers;
  }
  std::string Text() const {
    std::string s;
    for (long long v : numbers) s += std::to_string(v) + "|";
    return s;
  }
};

inline bool Greenish(Rgb c) { return c.g > c.r + 40 && c.g > c.b + 40; }
inline bool Brownish(Rgb c) { return c.r > 100 && c.g > 40 && c.g < 100 && c.b < 60; }  // options
inline bool White(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }

// The screens, windowed or full screen. The menu at rest with the dial focused: the play button,
// 70 units in from the right and 48 up from the bottom (640-wide units scaled to the window),
// glows.
inline bool MenuShown(const Screen& s) {
  int k = s.Width() / 640;
  return s.Count((640 - 90) * k, s.Height() - 63 * k, 30 * k, 30 * k, Greenish) > 600 * k * k;
}
// Whatever is focused: the top list's title, in its colour, at the top of the side panel.
inline bool ScoreListShown(const Screen& s) {
  int k = s.Width() / 640;
  return s.Count(500 * k, 40 * k, 140 * k, 60 * k, [](Rgb c) {
           return c.r > 200 && c.g > 150 && c.g < 230 && c.b < 140;
         }) > 30;
}
// The box's brown panel on both sides of its rows.
inline bool OptionsShown(const Screen& s) {
  return Brownish(s.At(60, 400)) && Brownish(s.At(300, 460)) && Brownish(s.At(570, 300));
}
// Dark arena, the green health bar at the top, no menu. The bar shrinks towards its left end,
// which stays while any health is left: foes may have hit the craft by the time a slow machine
// looks.
inline bool PlayShown(const Screen& s) {
  Rgb corner = s.At(5, 470);
  return corner.r < 40 && corner.g < 40 && corner.b < 40 && Greenish(s.At(225, 36)) &&
         !MenuShown(s);
}
// The orange body of the pause menu at rest in the middle of the screen.
inline bool PauseShown(const Screen& s) {
  auto orange = [&](int x, int y) {
    Rgb c = s.At(x, y);
    return c.r > 140 && c.g > 60 && c.g < 140 && c.b < 60;
  };
  return orange(200, 270) && orange(440, 270) && orange(250, 205);
}

typedef std::function<bool(const Screen&)> ScreenTest;

class Game {
 public:
  // withData: the folder links the real data. driver: OpenAL Soft's output ("wave" is heard).
  explicit Game(bool withData = true, const std::string& driver = "wave")
      : driver_(driver), dir_(kxtest::MakeTempDir("kx_e2e")) {
    if (withData) {
      std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data",
                                                dir_ + "/data");
    }
    kxtest::WriteFile(dir_ + "/alsoft.conf",
                      "[general]\ndrivers=" + driver + "\n[wave]\nfile=" + dir_ + "/out.wav\n");
  }
  ~Game() {
    child_.Kill(9);
    child_.Wait(5);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& Dir() const { return dir_; }
  bool Running() { return child_.Running(); }
  std::string Output() const { return kxtest::ReadFile(dir_ + "/out.txt"); }
  Sound& Audio() { return sound_; }
  std::vector<int> Geometry() const { return {winX_, winY_, winW_, winH_}; }

  // Starts the program, on a private display started the first time, and waits for its window,
  // which it then focuses as a window manager would.
  bool Launch() {
    if (!displayUp_ && !(displayUp_ = xvfb_.Start(1280, 1024))) {
      ADD_FAILURE() << "Xvfb did not come up";
      return false;
    }
    // A new device writes a new file; the old one must not be read as its start.
    std::filesystem::remove(dir_ + "/out.wav");
    sound_ = Sound(dir_ + "/out.wav");
    window_.clear();
    std::vector<std::string> env = {"DISPLAY=" + xvfb_.Display(),
                                    "ALSOFT_CONF=" + dir_ + "/alsoft.conf"};
    if (driver_ != "wave") env.push_back("ALSOFT_DRIVERS=" + driver_);
    return child_.Start({kBin + "/skarblit"}, env, dir_ + "/out.txt", dir_ + "/err.txt", dir_) &&
           WaitFor([&] { return FindWindow(); }, 20) && Focus() &&
           (driver_ != "wave" || WaitFor([&] { return sound_.Now() >= 0; }, 10));
  }
  // Launches and waits for the menu at rest.
  bool LaunchToMenu(Screen* menu = nullptr) {
    return Launch() && WaitScreen(MenuShown, 60, "", menu);
  }
  bool Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/xdotool");
    return xvfb_.Tool(args, 20).status == 0;
  }
  // The window, found by its title, and its place and size on the screen.
  bool FindWindow() {
    kxtest::ProcessResult found = xvfb_.Tool(
        {"/usr/bin/xdotool", "search", "--name", "^Skarblit$", "getwindowgeometry", "--shell"});
    long g[5] = {0, -1, -1, 0, 0};
    const char* keys[5] = {"WINDOW=%ld", "X=%ld", "Y=%ld", "WIDTH=%ld", "HEIGHT=%ld"};
    std::stringstream lines(found.out);
    for (std::string line; std::getline(lines, line);) {
      for (int i = 0; i < 5; ++i) sscanf(line.c_str(), keys[i], &g[i]);
    }
    if (found.status != 0 || g[0] <= 0 || g[1] < 0 || g[2] < 0 || g[3] <= 0 || g[4] <= 0)
      return false;
    window_ = std::to_string(g[0]);
    winX_ = static_cast<int>(g[1]);
    winY_ = static_cast<int>(g[2]);
    winW_ = static_cast<int>(g[3]);
    winH_ = static_cast<int>(g[4]);
    return true;
  }
  // Without a window manager nobody hands a new window the focus, and the game stays suspended.
  // A reopened window may still be replacing the old one when it is first found, so look it up
  // again until focusing it succeeds.
  bool Focus() {
    return WaitFor([&] { return FindWindow() && Xdo({"windowfocus", "--sync", window_}); }, 20);
  }
  // Grabs until the test passes; the passing grab is kept as <build>/tests/e2e_<name>.ppm.
  bool WaitScreen(const ScreenTest& test, double seconds, const std::string& name = "",
                  Screen* last = nullptr) {
    Screen screen;
    const std::string grab = dir_ + "/grab.ppm";
    std::vector<std::string> argv = {kBin + "/kx_game_xtool", "grab", grab};
    for (int v : Geometry()) argv.push_back(std::to_string(v));
    bool passed = WaitFor(
        [&] { return xvfb_.Tool(argv).status == 0 && screen.Load(grab) && test(screen); },
        seconds);
    if (passed && !name.empty()) {
      std::error_code ignored;
      std::filesystem::copy_file(grab, kBin + "/tests/e2e_" + name + ".ppm",
                                 std::filesystem::copy_options::overwrite_existing, ignored);
    }
    if (last) *last = screen;
    return passed;
  }
  // Holds a key (an xdotool key name) until the screen passes the test, so that at least one
  // update sees it held; then releases it.
  bool HoldUntil(const std::string& key, const ScreenTest& test, const std::string& name = "") {
    return Hold({"keydown", key}, {"keyup", key}, test, name);
  }
  // HoldUntil, and the press must be heard (the cue named `what`).
  bool Press(const std::string& key, const ScreenTest& test, const std::string& what,
             const std::string& name = "") {
    long from = sound_.Now();
    if (!HoldUntil(key, test, name)) return false;
    EXPECT_TRUE(sound_.Heard(from, sound_.Settle())) << what;
    return true;
  }
  // A short press, for keys the game counts as hits rather than reads as held: held longer,
  // the key's repeats would count as more hits.
  bool Tap(const std::string& key) { return Xdo({"keydown", key, "sleep", "0.15", "keyup", key}); }
  // Presses the left button at window coordinates and keeps it down until the screen passes.
  bool ClickUntil(int x, int y, const ScreenTest& test, const std::string& name = "") {
    std::vector<std::string> down = {"mousemove", std::to_string(winX_ + x),
                                     std::to_string(winY_ + y), "mousedown", "1"};
    return Hold(down, {"mouseup", "1"}, test, name);
  }
  // Asks the window to close, as its close button does, and expects a clean end.
  bool Close() {
    return !window_.empty() &&
           xvfb_.Tool({kBin + "/kx_game_xtool", "close", window_}).status == 0 &&
           child_.Wait(15) == 0;
  }

 private:
  bool Hold(const std::vector<std::string>& down, const std::vector<std::string>& up,
            const ScreenTest& test, const std::string& name) {
    if (!Xdo(down)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    bool passed = WaitScreen(test, 20, name);
    return Xdo(up) && passed;
  }
  const std::string kBin = KX_BINARY_DIR;
  kxtest::Xvfb xvfb_;
  bool displayUp_ = false;
  kxtest::Child child_;
  std::string driver_, dir_, window_;
  int winX_ = 0, winY_ = 0, winW_ = 0, winH_ = 0;
  Sound sound_;
};

}  // namespace e2e
