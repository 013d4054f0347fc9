// Long play on the windowless stand-in host: an autopilot goes from the menu into games, steers
// about, pauses now and then and loses, over and over, while the managed heap and the resident
// memory are sampled. The short run is part of the suite; the hour (216,000 updates) is run by
// tools/soak.sh under the sanitizers.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

// Under AddressSanitizer freed blocks wait in its quarantine (256 MiB) before reuse, so the
// resident memory grows by design; its leak check guards the native heap there instead.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KX_SOAK_ASAN)
constexpr int kFiguresChecked = 2;
#else
constexpr int kFiguresChecked = 3;
#endif

// The managed heap (gc_alloced_bytes: the live objects and the garbage not yet swept), the same
// after a full collection, and the process's resident pages; in MiB.
const char* const kFigures[3] = {"managed heap (gc_alloced_bytes), MiB",
                                 "managed heap after a full collection, MiB", "resident memory, MiB"};
using Sample = std::array<double, 3>;

class SoakTest : public CreatedTest<true> {
 protected:
  // One update of the autopilot, then a render. In play it takes a new heading every 40
  // updates, and every 1000 it lets go of everything, pauses, and resumes 30 updates later;
  // no game lasts longer than two minutes.
  void Step(int u) {
    const int directions[] = {37, 38, 39, 40}, phase = u % 1000;
    const bool turn = phase == 0 || (phase > 60 && u % 40 == 0);
    if (app->m_gameState == 1) {
      // A key still held from the game would keep the menu's key lock.
      for (int key : directions) KeyUp(key);
      gameUpdates_ = 0;
      if (u % 20 == 0) KeyDown(13);
    } else if (app->m_gameState == 10) {
      games += gameUpdates_++ == 0;
      for (int key : directions) if (turn) KeyUp(key);
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
      if (u % every != 0) continue;
      Sample s = {gc_alloced_bytes / 1048576.0, 0, 0};
      // The collector finishes a cycle only after 8 MiB of new allocation, so growth of the
      // live heap shows only after a full collection: the current cycle and one more.
      gc_finish_cycle();
      gc_finish_cycle();
      s[1] = gc_alloced_bytes / 1048576.0;
      long pages = 0, resident = 0;
      std::ifstream("/proc/self/statm") >> pages >> resident;
      s[2] = resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
      samples.push_back(s);
    }
    return samples;
  }

  // No figure grows after the first quarter: the largest of the rest stays within its slack of
  // the largest seen up to then.
  static void ExpectFlat(const std::vector<Sample>& samples, double heapSlack, double rssSlack) {
    for (int f = 0; f < kFiguresChecked; ++f) {
      double peak[2] = {0, 0};  // early, late
      for (size_t i = 0; i < samples.size(); ++i) {
        double& p = peak[i > samples.size() / 4];
        p = std::max(p, samples[i][f]);
      }
      EXPECT_LE(peak[1], peak[0] + (f == 2 ? rssSlack : heapSlack)) << kFigures[f];
    }
  }

  int games = 0;

 private:
  int gameUpdates_ = 0;
};

// 10,000 updates in the suite; tools/soak.sh sets KX_SOAK_HOUR for the hour at 60 updates a
// second, sampled once a minute, and keeps the samples printed.
TEST_F(SoakTest, LongPlayKeepsTheHeapFlat) {
  const bool hour = std::getenv("KX_SOAK_HOUR") != nullptr;
  std::vector<Sample> samples = hour ? Play(216000, 3600) : Play(10000, 500);
  if (hour) {
    std::printf("minute heap_mib live_mib resident_mib\n");
    for (size_t i = 0; i < samples.size(); ++i) {
      std::printf("%6zu %8.3f %8.3f %12.1f\n", i + 1, samples[i][0], samples[i][1], samples[i][2]);
    }
  }
  ExpectFlat(samples, 0.05, hour ? 32.0 : 16.0);
  EXPECT_GT(games, 1);
  std::printf("games played: %d\n", games);
}

}  // namespace
}  // namespace gametest
