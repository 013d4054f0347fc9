#include "tests/game/e2e/player.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace e2e {

namespace {

const std::string kBin = KX_BINARY_DIR;
const std::string kTool = kBin + "/kx_game_xtool";
const std::string kXdotool = "/usr/bin/xdotool";

long FileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

unsigned Le(const std::string& b, size_t at, int bytes) {
  unsigned v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

}  // namespace

bool Screen::Load(const std::string& ppmPath) {
  std::string bytes = kxtest::ReadFile(ppmPath);
  int w = 0, h = 0, max = 0, used = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used) != 3 || max != 255) return false;
  size_t start = static_cast<size_t>(used) + 1;
  size_t size = static_cast<size_t>(w) * h * 3;
  if (w <= 0 || h <= 0 || bytes.size() < start + size) return false;
  rgb_.assign(bytes.begin() + start, bytes.begin() + start + size);
  w_ = w;
  h_ = h;
  return true;
}

Rgb Screen::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return Rgb();
  const unsigned char* p = &rgb_[(static_cast<size_t>(y) * w_ + x) * 3];
  return Rgb{p[0], p[1], p[2]};
}

std::vector<bool> Screen::Mask(int x, int y, int w, int h,
                               const std::function<bool(Rgb)>& test) const {
  std::vector<bool> mask;
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) mask.push_back(test(At(i, j)));
  }
  return mask;
}

int Screen::Count(int x, int y, int w, int h, const std::function<bool(Rgb)>& test) const {
  int n = 0;
  for (bool b : Mask(x, y, w, h, test)) n += b ? 1 : 0;
  return n;
}

// The fmt chunk of a plain, float or extensible wave header; the data chunk's length stays
// unwritten while the driver runs, so the data simply runs to the end of the file.
bool Sound::ReadHeader() {
  if (dataOffset_ >= 0) return true;
  std::string b = kxtest::ReadFile(path_);
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  for (size_t at = 12; at + 8 <= b.size();) {
    std::string id = b.substr(at, 4);
    size_t len = Le(b, at + 4, 4);
    if (id == "data") {
      dataOffset_ = static_cast<long>(at + 8);
      break;
    }
    if (id == "fmt ") {
      if (at + 8 + 16 > b.size()) return false;
      unsigned tag = Le(b, at + 8, 2);
      channels_ = static_cast<int>(Le(b, at + 10, 2));
      rate_ = static_cast<int>(Le(b, at + 12, 4));
      bytes_ = static_cast<int>(Le(b, at + 22, 2)) / 8;
      if (tag == 0xFFFE && at + 8 + 26 <= b.size()) tag = Le(b, at + 8 + 24, 2);
      float_ = tag == 3;
    }
    at += 8 + len;
  }
  bool known = channels_ > 0 && rate_ > 0 && ((float_ && bytes_ == 4) || (!float_ && bytes_ == 2));
  if (!known) dataOffset_ = -1;
  return dataOffset_ >= 0;
}

long Sound::Now() {
  if (!ReadHeader()) return -1;
  return (FileSize(path_) - dataOffset_) / (channels_ * bytes_);
}

float Sound::Peak(long from, long to) {
  if (dataOffset_ < 0 || Now() < to) return -1;
  std::ifstream in(path_, std::ios::binary);
  long frame = channels_ * bytes_;
  from = from < 0 ? 0 : from;
  std::string data(static_cast<size_t>((to - from) * frame), '\0');
  in.seekg(dataOffset_ + from * frame);
  in.read(&data[0], static_cast<std::streamsize>(data.size()));
  float peak = 0;
  for (size_t at = 0; at + bytes_ <= data.size(); at += bytes_) {
    float v;
    if (float_) {
      memcpy(&v, &data[at], 4);
    } else {
      v = static_cast<short>(Le(data, at, 2)) / 32768.0f;
    }
    peak = std::fabs(v) > peak ? std::fabs(v) : peak;
  }
  return peak;
}

long Sound::Settle() {
  long to = Now() + rate_ / 2;
  WaitFor([&] { return Now() >= to; }, 15);
  return to;
}

bool Sound::Quiet(long from, long to) {
  float peak = Peak(from, to);
  return peak >= 0 && peak < 0.005f;
}

bool Sound::Continuous(long from, long to) {
  long step = rate_ / 10;
  for (long at = from; at + step <= to; at += step) {
    if (Peak(at, at + step) <= 0.01f) return false;
  }
  return true;
}

bool SavedState::Parse(const std::string& text) {
  numbers.clear();
  std::stringstream in(text);
  for (std::string token; std::getline(in, token, '|');) {
    char* end = nullptr;
    long long v = strtoll(token.c_str(), &end, 10);
    if (token.empty() || *end != '\0') return false;
    numbers.push_back(v);
  }
  return numbers.size() == 98 && !text.empty() && text.back() == '|';
}

// The sums wrap as 32-bit integers do.
static long long Wrap(long long v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

bool SavedState::ChecksumsValid() const {
  if (numbers.size() != 98) return false;
  long long cs = 0, cb = 0;
  for (int i = 0; i < 25; ++i) cs += i * numbers[i];
  for (int g = 0; g < 8; ++g) cb += numbers[26 + g];
  bool ok = Wrap(cs) == numbers[25] && Wrap(cb) == numbers[34];
  for (int k = 0; k < 3; ++k) {
    long long ch = 0;
    for (int r = 0; r < 10; ++r) ch += (r + 4) * Top(k, r) + (r + k + 3) * Last(k, r);
    ok = ok && Wrap(ch) == numbers[55 + 21 * k];
  }
  return ok;
}

std::string SavedState::Build(int soundMode, const int top[3][10], const int last[3][10]) {
  std::string s;
  for (int i = 0; i < 25; ++i) s += std::to_string(i == 5 ? soundMode : 0) + "|";
  s += std::to_string(5 * soundMode) + "|";
  for (int g = 0; g <= 8; ++g) s += "0|";
  for (int k = 0; k < 3; ++k) {
    long long ch = 0;
    for (int r = 0; r < 10; ++r) {
      s += std::to_string(top[k][r]) + "|" + std::to_string(last[k][r]) + "|";
      ch += (r + 4) * top[k][r] + (r + k + 3) * last[k][r];
    }
    s += std::to_string(ch) + "|";
  }
  return s;
}

Game::Game() : sound_("") {
  dir_ = kxtest::MakeTempDir("kx_e2e");
  std::filesystem::create_directory_symlink(std::string(KX_SOURCE_DIR) + "/data", dir_ + "/data");
  kxtest::WriteFile(dir_ + "/alsoft.conf",
                    "[general]\ndrivers=wave\n[wave]\nfile=" + dir_ + "/out.wav\n");
  grabPath_ = dir_ + "/grab.ppm";
}

Game::~Game() {
  if (child_.Running()) {
    child_.Kill(9);
    child_.Wait(5);
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

bool Game::Launch() {
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
  if (!child_.Start({kBin + "/skarblit"}, env, dir_ + "/out.txt", dir_ + "/err.txt", dir_))
    return false;
  return WaitFor([&] { return FindWindow(); }, 20) && Focus() &&
         WaitFor([&] { return sound_.Now() >= 0; }, 10);
}

bool Game::LaunchToMenu(Screen* menu) {
  return Launch() && WaitScreen(MenuShown, 60, "", menu);
}

std::string Game::Output() const { return kxtest::ReadFile(dir_ + "/out.txt"); }

bool Game::Xdo(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kXdotool};
  argv.insert(argv.end(), args.begin(), args.end());
  return xvfb_.Tool(argv, 20).status == 0;
}

bool Game::FindWindow(int* x, int* y, int* w, int* h) {
  kxtest::ProcessResult found = xvfb_.Tool({kXdotool, "search", "--name", "^Skarblit$"});
  std::string id = found.out.substr(0, found.out.find('\n'));
  if (found.status != 0 || id.empty()) return false;
  kxtest::ProcessResult geometry = xvfb_.Tool({kXdotool, "getwindowgeometry", "--shell", id});
  int gx = -1, gy = -1, gw = 0, gh = 0;
  std::stringstream lines(geometry.out);
  for (std::string line; std::getline(lines, line);) {
    sscanf(line.c_str(), "X=%d", &gx);
    sscanf(line.c_str(), "Y=%d", &gy);
    sscanf(line.c_str(), "WIDTH=%d", &gw);
    sscanf(line.c_str(), "HEIGHT=%d", &gh);
  }
  if (geometry.status != 0 || gw <= 0 || gh <= 0 || gx < 0 || gy < 0) return false;
  window_ = id;
  winX_ = gx;
  winY_ = gy;
  winW_ = gw;
  winH_ = gh;
  if (x) *x = gx;
  if (y) *y = gy;
  if (w) *w = gw;
  if (h) *h = gh;
  return true;
}

// Without a window manager nobody hands a new window the focus, and the game stays suspended.
// A reopened window may still be replacing the old one when it is first found, so look it up
// again until focusing it succeeds.
bool Game::Focus() {
  return WaitFor([&] { return FindWindow() && Xdo({"windowfocus", "--sync", window_}); }, 20);
}

bool Game::Grab(Screen& out) {
  kxtest::ProcessResult r =
      xvfb_.Tool({kTool, "grab", grabPath_, std::to_string(winX_), std::to_string(winY_),
                  std::to_string(winW_), std::to_string(winH_)});
  return r.status == 0 && out.Load(grabPath_);
}

bool Game::WaitScreen(const ScreenTest& test, double seconds, const std::string& name,
                      Screen* last) {
  Screen screen;
  bool passed = WaitFor([&] { return Grab(screen) && test(screen); }, seconds);
  if (passed && !name.empty()) {
    std::error_code ignored;
    std::filesystem::copy_file(grabPath_, kBin + "/tests/e2e_" + name + ".ppm",
                               std::filesystem::copy_options::overwrite_existing, ignored);
  }
  if (last) *last = screen;
  return passed;
}

bool Game::Tap(const std::string& key) {
  return Xdo({"keydown", key, "sleep", "0.15", "keyup", key});
}

bool Game::HoldUntil(const std::string& key, const ScreenTest& test, double seconds,
                     const std::string& name) {
  if (!Xdo({"keydown", key})) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  bool passed = WaitScreen(test, seconds, name);
  return Xdo({"keyup", key}) && passed;
}

bool Game::ClickUntil(int x, int y, const ScreenTest& test, double seconds,
                      const std::string& name) {
  if (!Xdo({"mousemove", std::to_string(winX_ + x), std::to_string(winY_ + y), "mousedown", "1"}))
    return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  bool passed = WaitScreen(test, seconds, name);
  return Xdo({"mouseup", "1"}) && passed;
}

bool Game::CloseWindow() {
  return !window_.empty() && xvfb_.Tool({kTool, "close", window_}).status == 0;
}

bool Greenish(Rgb c) { return c.g > c.r + 40 && c.g > c.b + 40; }
bool Brownish(Rgb c) { return c.r > 100 && c.g > 40 && c.g < 100 && c.b < 60; }
bool Orangeish(Rgb c) { return c.r > 140 && c.g > 60 && c.g < 140 && c.b < 60; }
bool White(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }

// Pixels passing a test in a box given in 640-wide window units, scaled to the window.
static int CountScaled(const Screen& s, int x, int y, int w, int h,
                       const std::function<bool(Rgb)>& test) {
  int k = s.Width() / 640;
  return s.Count(x * k, y * k, w * k, h * k, test);
}

// The play button sits 70 units in from the right and 48 up from the bottom.
bool MenuShown(const Screen& s) {
  int k = s.Width() / 640;
  int bottom = s.Height() / k;
  return CountScaled(s, 640 - 90, bottom - 63, 30, 30, Greenish) > 600 * k * k;
}

// The top list's title, in its colour, at the top of the side panel.
bool ScoreListShown(const Screen& s) {
  return CountScaled(s, 500, 40, 140, 60, [](Rgb c) {
           return c.r > 200 && c.g > 150 && c.g < 230 && c.b < 140;
         }) > 30;
}

// The box's brown panel on both sides of its rows.
bool OptionsShown(const Screen& s) {
  return Brownish(s.At(60, 400)) && Brownish(s.At(300, 460)) && Brownish(s.At(570, 300));
}

// Dark arena, the full green health bar at the top, no menu.
bool PlayShown(const Screen& s) {
  Rgb corner = s.At(5, 470);
  return corner.r < 40 && corner.g < 40 && corner.b < 40 && Greenish(s.At(320, 36)) &&
         !MenuShown(s);
}

// The orange body of the pause menu at rest in the middle of the screen.
bool PauseShown(const Screen& s) {
  return Orangeish(s.At(200, 270)) && Orangeish(s.At(440, 270)) && Orangeish(s.At(250, 205));
}

}  // namespace e2e
