// Long play on the windowless stand-in host: an autopilot goes from the menu into games, steers
// about, pauses now and then and loses, over and over, while the managed heap and the resident
// memory are sampled. The short run is part of the suite; the hour (216,000 updates) is run by
// tools/soak.sh under the sanitizers and plotted.
#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "game/play/arena.h"
#include "tests/game/shell/shell_fixture.h"

namespace shelltest {
namespace {

// The managed heap (gc_alloced_bytes: the live objects and the garbage not yet swept), the same
// after a full collection, and the process's resident pages; in MiB.
const char* const kFigures[3] = {"managed heap (gc_alloced_bytes), MiB",
                                 "managed heap after a full collection, MiB",
                                 "resident memory, MiB"};
struct Sample {
  int update;
  double mib[3];
};

// A white picture with lines and text in stb's bitmap font, for the chart of a long run.
struct Canvas {
  int w = 900, h = 780;
  std::vector<unsigned char> rgb = std::vector<unsigned char>(900 * 780 * 3, 255);

  void Fill(int x0, int y0, int x1, int y1, unsigned colour) {
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y) {
      for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
        for (int c = 0; c < 3; ++c) rgb[(y * w + x) * 3 + c] = (colour >> (16 - 8 * c)) & 255;
      }
    }
  }
  // A line of the given thickness, stamped along its length.
  void Line(double x0, double y0, double x1, double y1, int thick, unsigned colour) {
    int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
      int x = static_cast<int>(std::lround(x0 + (x1 - x0) * i / steps)) - thick / 2;
      int y = static_cast<int>(std::lround(y0 + (y1 - y0) * i / steps)) - thick / 2;
      Fill(x, y, x + thick, y + thick, colour);
    }
  }
  // Black text at twice the font's size.
  void Text(int x, int y, std::string text) {
    static float quads[4000 * 4 * 4];
    int n = stb_easy_font_print(0, 0, &text[0], nullptr, quads, sizeof quads);
    for (const float* v = quads; v < quads + n * 16; v += 16) {  // four vertices of x, y, z, colour
      Fill(x + 2 * static_cast<int>(v[0]), y + 2 * static_cast<int>(v[1]),
           x + 2 * static_cast<int>(v[8]), y + 2 * static_cast<int>(v[9]), 0);
    }
  }
};

// One panel per figure over the minutes of play, each from 0 to a quarter above its largest.
bool WritePlot(const std::string& path, const std::vector<Sample>& samples) {
  Canvas c;
  const double minutes = samples.empty() ? 1 : samples.back().update / 3600.0;
  for (int f = 0; f < 3; ++f) {
    double top = 0.01;
    for (const Sample& s : samples) top = std::max(top, s.mib[f] * 1.25);
    const int y = 260 * f + 230;
    auto px = [&](size_t i) { return 90 + 780 * samples[i].update / 3600.0 / minutes; };
    auto py = [&](size_t i) { return y - 170 * samples[i].mib[f] / top; };
    char label[200];
    std::snprintf(label, sizeof label, "%s: 0 to %.2f over %.0f minutes", kFigures[f], top,
                  minutes);
    c.Text(90, y - 210, label);
    c.Line(90, y - 170, 90, y, 2, 0);
    c.Line(90, y, 870, y, 2, 0);
    for (size_t i = 1; i < samples.size(); ++i) {
      c.Line(px(i - 1), py(i - 1), px(i), py(i), 3, 0x1f5fbf);
    }
  }
  return stbi_write_png(path.c_str(), c.w, c.h, 3, c.rgb.data(), c.w * 3) != 0;
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
    const bool turn = phase == 0 || (phase > 60 && u % 40 == 0);
    if (app->m_gameState == 1) {
      // A key still held from the game would keep the menu's key lock.
      for (int key : directions) KeyUp(key);
      gameUpdates_ = 0;
      if (u % 20 == 0) KeyDown(13);
    } else if (app->m_gameState == 10) {
      if (gameUpdates_++ == 0) ++games;
      for (int key : directions) {
        if (turn) KeyUp(key);
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
      if (u % every != 0) continue;
      Sample s{u, {gc_alloced_bytes / 1048576.0, 0, 0}};
      // The collector finishes a cycle only after 8 MiB of new allocation, so growth of the
      // live heap shows only after a full collection: the current cycle and one more.
      gc_finish_cycle();
      gc_finish_cycle();
      s.mib[1] = gc_alloced_bytes / 1048576.0;
      long pages = 0, resident = 0;
      std::ifstream("/proc/self/statm") >> pages >> resident;
      s.mib[2] = resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
      samples.push_back(s);
    }
    return samples;
  }

  // No figure grows after the first quarter: the largest of the rest stays within its slack of
  // the largest seen up to then.
  static void ExpectFlat(const std::vector<Sample>& samples, double heapSlack, double rssSlack) {
    for (int f = 0; f < 3; ++f) {
      double early = 0, late = 0;
      for (size_t i = 0; i < samples.size(); ++i) {
        double& peak = i <= samples.size() / 4 ? early : late;
        peak = std::max(peak, samples[i].mib[f]);
      }
      EXPECT_LE(late, early + (f == 2 ? rssSlack : heapSlack)) << kFigures[f];
    }
  }

  int games = 0;

 private:
  int gameUpdates_ = 0;
};

TEST_F(SoakTest, TenThousandUpdatesKeepTheHeapFlat) {
  ExpectFlat(Play(10000, 500), 0.05, 16.0);
  EXPECT_GT(games, 1);
}

// An hour at 60 updates a second; tools/soak.sh runs it and names the plot's file.
TEST_F(SoakTest, DISABLED_AnHourOfPlay) {
  std::vector<Sample> samples = Play(216000, 3600);
  std::printf("minute heap_mib live_mib resident_mib\n");
  for (const Sample& s : samples) {
    std::printf("%6d %8.3f %8.3f %12.1f\n", s.update / 3600, s.mib[0], s.mib[1], s.mib[2]);
  }
  const char* plot = std::getenv("KX_SOAK_PLOT");
  EXPECT_TRUE(!plot || WritePlot(plot, samples));
  ExpectFlat(samples, 0.05, 32.0);
  std::printf("games played: %d\n", games);
}

}  // namespace
}  // namespace shelltest
