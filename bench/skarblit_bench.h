// The game at its heaviest, driven on the windowless stand-in host of the game tests with the
// real render device, whose OpenGL calls are counted and dropped, and a silent audio device.
#pragma once
#include <vector>

#include "host/replay/format.h"
#include "tests/support/game_world.h"

namespace skarbench {

// System allocations (malloc family and operator new) made while counting is switched on.
extern bool allocCounting;
extern long long allocCount;

// What reached OpenGL since the last Reset (counted whether or not the driver executes it).
struct GlCounts {
  long long drawCalls = 0;
  long long vertices = 0;
  void Reset() { *this = GlCounts(); }
};
extern GlCounts glCounts;
// Points the OpenGL seam at functions that only count; with `execute`, at the driver, with
// the draw calls counted on their way to it.
void InstallCountingGl(bool execute = false);

// Everything the maximum-load frame depends on, so that each measured frame starts alike.
struct Snapshot {
  std::vector<float> arena, foes, sparks, stars;
  int score = 0, shownScore = 0, sfxCursor = 0, seed = 0;
  double time = 0;
};

class World : public gametest::GameWorld {
 public:
  // Builds the game, loads every asset and sets up the maximum-load scene.
  World();
  gxtkGraphics* device = nullptr;  // the real render device the game draws with

  // One frame as the host runs it: update, collector step, render, collector step; the two
  // steps' durations in processor time-stamp ticks go to stepTicks[0] and [1].
  void Frame(unsigned long long* stepTicks);
  void PlayUpdate();
  void Replay();
  // One full mark of the live heap right after a frame of play, the shortest of a few, in
  // time-stamp ticks.
  unsigned long long FullMarkTicks();

  void Save(Snapshot* s) const;
  void Restore(const Snapshot& s);
  Snapshot maxLoad;

 private:
  unsigned long long CollectorStep();
  // Hard game, 251 foes, ten posts within reach of the craft, a full particle pool, stars.
  void BuildMaxLoad();
};

double NowUs();
// Processor time of this thread: the machine may be shared, and time spent running other
// programs is not the game's cost.
double ThreadCpuUs();
double Median(std::vector<double> samples);

// A recorded run's entries, to be written again as the recording host writes them.
struct RecordedRun {
  std::vector<KxReplayEntry> entries;
  int frames = 0;
  String finalState;
  // False when the file cannot be read through to its end by this program.
  bool Load(const std::string& path);
  // Processor time of writing the whole run, per frame.
  double WriteUsPerFrame() const;
};

// The maximum-load frame drawn for real into a window (skarblit-bench --gl): prints its
// figures, and writes the last frame to `shotPath` unless that is empty. 0 on success.
int RunGl(int frames, const char* shotPath);

}  // namespace skarbench
