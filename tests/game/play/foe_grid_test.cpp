// The lightning's foe lookup must find, in record order, exactly the foes a test of every foe
// would find, wherever they are: on cell borders, off the screen, far outside the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/play/foe_grid.h"

namespace {

using namespace arena;

// The foes within 8 units of (x, y), from the grid's candidates or from every record.
std::vector<int> Hits(FoeGrid* grid, const std::vector<float>& foes, float x, float y) {
  std::vector<int> hits;
  auto test = [&](int i) {
    const float* foe = &foes[i * kRecord];
    bool within = !(std::fabs(foe[kFoeX] - x) >= 8 || std::fabs(foe[kFoeY] - y) >= 8);
    if (foe[kFoeKind] > 0 && within) hits.push_back(i);
  };
  if (grid) {
    grid->Candidates(foes.data(), x, y, test);
  } else {
    for (int i = 0; i <= kLastFoe; ++i) test(i);
  }
  return hits;
}

TEST(FoeGridTest, FindsWhatTestingEveryFoeFindsInRecordOrder) {
  unsigned seed = 7;
  auto next = [&](float low, float high) {
    seed = seed * 1664525u + 1013904223u;
    return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  std::vector<float> foes((kLastFoe + 1) * kRecord, 0.0f);
  FoeGrid grid;
  // Each round moves every foe; the grid is told so, as after the foes' moves in a frame.
  for (int round = 0; round < 20; ++round) {
    // Positions crowd a few cell borders and spread far beyond the grid; a quarter are dead.
    for (int i = 0; i <= kLastFoe; ++i) {
      float* foe = &foes[i * kRecord];
      foe[kFoeKind] = i % 4 == 0 ? 0.0f : 1.0f;
      const bool border = i % 3 == 0;
      foe[kFoeX] = border ? 32.0f * std::floor(next(-10, 40)) + next(-1, 1) : next(-3000, 3000);
      foe[kFoeY] = border ? 32.0f * std::floor(next(-10, 35)) + next(-1, 1) : next(-400, 900);
    }
    grid.Invalidate();
    for (int q = 0; q < 200; ++q) {
      // Half the points sit near a foe, so there is something to find.
      const float* near = &foes[static_cast<int>(next(0, kLastFoe)) * kRecord];
      const float x = q % 2 ? near[kFoeX] + next(-9, 9) : next(-4000, 4000);
      const float y = q % 2 ? near[kFoeY] + next(-9, 9) : next(-600, 1200);
      ASSERT_EQ(Hits(&grid, foes, x, y), Hits(nullptr, foes, x, y)) << x << "," << y;
    }
  }
}

}  // namespace
