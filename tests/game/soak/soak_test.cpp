// Long play on the windowless stand-in host: an autopilot goes from the menu into games, steers
// about, pauses now and then and loses, over and over, while the managed heap and the resident
// memory are sampled. The short run is part of the suite; the hour (216,000 updates) is run by
// tools/soak.sh under the sanitizers and plotted.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "game/play/arena.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/game/soak/plot.h"

namespace shelltest {
namespace {

struct Sample {
  int update;
  double heapMiB;      // gc_alloced_bytes: the live objects and the garbage not yet swept
  double liveMiB;      // gc_alloced_bytes after a full collection
  double residentMiB;  // the process's resident pages
};

double MiB(double bytes) { return bytes / (1 << 20); }

double ResidentMiB() {
  long pages = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

class SoakTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Create();
    LoadAll();
  }

  // One update of the autopilot, then a render. In play it takes a new heading every 40
  // updates, and every 1000 it lets go of everything, pauses, and resumes 30 updates later;
  // no game lasts longer than two minutes.
  void Step(int u) {
    const int directions[] = {37, 38, 39, 40};
    const int phase = u % 1000;
    if (app->m_gameState == 1) {
      // A key still held from the game would keep the menu's key lock.
      for (int key : directions) KeyUp(key);
      gameUpdates_ = 0;
      if (u % 20 == 0) KeyDown(13);
    } else if (app->m_gameState == 10) {
      if (gameUpdates_++ == 0) ++games;
      if (phase == 0 || (phase > 60 && u % 40 == 0)) {
        for (int key : directions) KeyUp(key);
      }
      if (phase == 0) KeyDown(27);
      if (phase == 30) KeyDown(13);
      if (phase > 60 && u % 40 == 0) KeyDown(directions[(u / 40 * 7) % 4]);
      if (gameUpdates_ > 7200) app->m_arena[arena::kHealth] = 0;
    }
    Update();
    KeyUp(13);
    KeyUp(27);
    Render();
    graphics->calls.clear();
    audio->log.clear();
  }

  std::vector<Sample> Play(int updates, int every) {
    std::vector<Sample> samples;
    for (int u = 1; u <= updates; ++u) {
      Step(u);
      if (u % every == 0) {
        Sample sample{u, MiB(gc_alloced_bytes), 0, ResidentMiB()};
        // The collector finishes a cycle only after 8 MiB of new allocation, so growth of the
        // live heap shows only after a full collection: the current cycle and one more.
        gc_finish_cycle();
        gc_finish_cycle();
        sample.liveMiB = MiB(gc_alloced_bytes);
        samples.push_back(sample);
      }
    }
    return samples;
  }

  // No figure grows after the first quarter: the largest of the rest stays within its slack of
  // the largest seen up to then.
  static void ExpectFlat(const std::vector<Sample>& samples, double heapSlack, double rssSlack) {
    size_t warm = samples.size() / 4;
    Sample early{0, 0, 0, 0}, late{0, 0, 0, 0};
    for (size_t i = 0; i < samples.size(); ++i) {
      Sample& peak = i <= warm ? early : late;
      peak.heapMiB = std::max(peak.heapMiB, samples[i].heapMiB);
      peak.liveMiB = std::max(peak.liveMiB, samples[i].liveMiB);
      peak.residentMiB = std::max(peak.residentMiB, samples[i].residentMiB);
    }
    EXPECT_LE(late.heapMiB, early.heapMiB + heapSlack);
    EXPECT_LE(late.liveMiB, early.liveMiB + heapSlack);
    EXPECT_LE(late.residentMiB, early.residentMiB + rssSlack);
  }

  int games = 0;

 private:
  int gameUpdates_ = 0;
};

TEST_F(SoakTest, TenThousandUpdatesKeepTheHeapFlat) {
  std::vector<Sample> samples = Play(10000, 500);
  ExpectFlat(samples, 0.05, 16.0);
  EXPECT_GT(games, 1);
}

// An hour at 60 updates a second; tools/soak.sh runs it and names the plot's file.
TEST_F(SoakTest, DISABLED_AnHourOfPlay) {
  std::vector<Sample> samples = Play(216000, 3600);
  const char* plot = std::getenv("KX_SOAK_PLOT");
  std::vector<double> minutes;
  soak::Series heap{"managed heap (gc_alloced_bytes), MiB", {}};
  soak::Series live{"managed heap after a full collection, MiB", {}};
  soak::Series rss{"resident memory, MiB", {}};
  std::printf("minute heap_mib live_mib resident_mib\n");
  for (const Sample& s : samples) {
    minutes.push_back(s.update / 3600.0);
    heap.values.push_back(s.heapMiB);
    live.values.push_back(s.liveMiB);
    rss.values.push_back(s.residentMiB);
    std::printf("%6.0f %8.3f %8.3f %12.1f\n", minutes.back(), s.heapMiB, s.liveMiB,
                s.residentMiB);
  }
  if (plot) {
    EXPECT_TRUE(soak::WritePlot(plot, "minutes of play", minutes, {heap, live, rss}));
  }
  ExpectFlat(samples, 0.05, 32.0);
  std::printf("games played: %d\n", games);
}

}  // namespace
}  // namespace shelltest
