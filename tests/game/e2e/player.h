// The whole game played under a private X display: the program runs in a folder of its own that
// links the real data, is driven with xdotool as a player drives it, is watched through screen
// grabs and is heard through OpenAL Soft's wave-file driver.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace e2e {

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// A grabbed rectangle of the screen: the game's window, addressed in window coordinates.
class Screen {
 public:
  bool Load(const std::string& ppmPath);
  int Width() const { return w_; }
  int Height() const { return h_; }
  // Black outside the picture.
  Rgb At(int x, int y) const;
  // How many pixels of a rectangle pass a colour test.
  int Count(int x, int y, int w, int h, const std::function<bool(Rgb)>& test) const;
  // Which pixels of a rectangle pass a colour test, row by row.
  std::vector<bool> Mask(int x, int y, int w, int h, const std::function<bool(Rgb)>& test) const;

 private:
  std::vector<unsigned char> rgb_;
  int w_ = 0, h_ = 0;
};

// What the wave driver has written so far. Positions are frames since the device opened; the
// driver mixes in real time, so the file's length is also the game's sound clock.
class Sound {
 public:
  explicit Sound(std::string path) : path_(std::move(path)) {}
  int Rate() const { return rate_; }
  // Frames written until now; -1 before the header is there.
  long Now();
  // Waits until the sound is written half a second past now and returns that position: the end
  // of the span in which a cue of a press that has shown its effect begins. Anything the game
  // plays later lies beyond it.
  long Settle();
  // The loudest sample (full scale 1) between two written positions; -1 when not written.
  float Peak(long from, long to);
  bool Heard(long from, long to) { return Peak(from, to) > 0.02f; }
  bool Quiet(long from, long to);
  // Sound without a break: every tenth of a second of the span is audible (the tune plays).
  bool Continuous(long from, long to);

 private:
  bool ReadHeader();
  std::string path_;
  int rate_ = 0, channels_ = 0, bytes_ = 0;
  bool float_ = false;
  long dataOffset_ = -1;
};

// One state string: 25 settings and their checksum, 8 badge words and theirs, then the top and
// last scores of the three difficulties, each group with its checksum.
struct SavedState {
  std::vector<long long> numbers;
  bool Parse(const std::string& text);
  bool ChecksumsValid() const;
  long long Setting(int slot) const { return numbers[slot]; }
  long long Top(int group, int rank) const { return numbers[35 + 21 * group + 2 * rank]; }
  long long Last(int group, int rank) const { return numbers[36 + 21 * group + 2 * rank]; }
  // A well-formed string from settings slot 5 and the score tables (top[k][r], last[k][r]).
  static std::string Build(int soundMode, const int top[3][10], const int last[3][10]);
};

typedef std::function<bool(const Screen&)> ScreenTest;

class Game {
 public:
  Game();
  ~Game();
  const std::string& Dir() const { return dir_; }
  // Starts the program, on a private display started the first time, and waits for its window,
  // which it then focuses as a window manager would.
  bool Launch();
  // Launches and waits for the menu at rest.
  bool LaunchToMenu(Screen* menu = nullptr);
  bool Running() { return child_.Running(); }
  // Status of the ended program, -1 when it did not end in time.
  int Wait(double seconds) { return child_.Wait(seconds); }
  std::string Output() const;
  Sound& Audio() { return sound_; }

  // The window, found by its title; its geometry on the screen.
  bool FindWindow(int* x = nullptr, int* y = nullptr, int* w = nullptr, int* h = nullptr);
  bool Focus();
  // Grabs the window; the screen keeps its last grab, also for keeping under a name.
  bool Grab(Screen& out);
  // Grabs until the test passes; the passing grab is kept as <build>/tests/e2e_<name>.ppm.
  bool WaitScreen(const ScreenTest& test, double seconds, const std::string& name = "",
                  Screen* last = nullptr);
  // Holds a key (an xdotool key name) until the screen passes the test, so that at least one
  // update sees it held; then releases it.
  bool HoldUntil(const std::string& key, const ScreenTest& test, double seconds = 20,
                 const std::string& name = "");
  // A short press, for keys the game counts as hits rather than reads as held: held longer,
  // the key's repeats would count as more hits.
  bool Tap(const std::string& key);
  // Presses the left button at window coordinates and keeps it down until the screen passes.
  bool ClickUntil(int x, int y, const ScreenTest& test, double seconds = 20,
                  const std::string& name = "");
  // Asks the window to close, as its close button does.
  bool CloseWindow();

 private:
  bool Xdo(const std::vector<std::string>& args);
  kxtest::Xvfb xvfb_;
  bool displayUp_ = false;
  kxtest::Child child_;
  std::string dir_, window_, grabPath_;
  int winX_ = 0, winY_ = 0, winW_ = 0, winH_ = 0;
  Sound sound_;
};

using kxtest::WaitFor;

// Colour tests shared by the flows.
bool Greenish(Rgb c);
bool Brownish(Rgb c);  // the options box's panel
bool Orangeish(Rgb c);  // the pause menu's body
bool White(Rgb c);

// The screens, windowed or full screen.
bool MenuShown(const Screen& s);       // at rest with the dial focused: the play button glows
bool ScoreListShown(const Screen& s);  // whatever is focused
bool OptionsShown(const Screen& s);
bool PlayShown(const Screen& s);
bool PauseShown(const Screen& s);

}  // namespace e2e
