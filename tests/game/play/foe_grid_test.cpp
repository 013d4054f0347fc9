// The lightning's foe lookup must find, in record order, exactly the foes a test of every foe
// would find, wherever they are: on cell borders, off the screen, far outside the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "game/play/foe_grid.h"

namespace {

using namespace arena;

bool Within(const float* foe, float x, float y) {
  return foe[kFoeKind] > 0 && !(std::fabs(foe[kFoeX] - x) >= 8 || std::fabs(foe[kFoeY] - y) >= 8);
}

std::vector<int> Reference(const std::vector<float>& foes, float x, float y) {
  std::vector<int> hits;
  for (int i = 0; i <= kLastFoe; ++i) {
    if (Within(&foes[i * kRecord], x, y)) hits.push_back(i);
  }
  return hits;
}

std::vector<int> Looked(FoeGrid& grid, const std::vector<float>& foes, float x, float y) {
  std::vector<int> hits;
  grid.Candidates(foes.data(), x, y, [&](int i) {
    if (Within(&foes[i * kRecord], x, y)) hits.push_back(i);
  });
  return hits;
}

class FoeGridTest : public ::testing::Test {
 protected:
  unsigned seed = 7;
  std::vector<float> foes = std::vector<float>((kLastFoe + 1) * kRecord, 0.0f);

  float Next(float low, float high) {
    seed = seed * 1664525u + 1013904223u;
    return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
  }
  // Positions crowd a few cell borders and spread far beyond the grid; a quarter are dead.
  void Scatter() {
    for (int i = 0; i <= kLastFoe; ++i) {
      float* foe = &foes[i * kRecord];
      foe[kFoeKind] = i % 4 == 0 ? 0.0f : 1.0f;
      const bool border = i % 3 == 0;
      foe[kFoeX] = border ? 32.0f * std::floor(Next(-10, 40)) + Next(-1, 1) : Next(-3000, 3000);
      foe[kFoeY] = border ? 32.0f * std::floor(Next(-10, 35)) + Next(-1, 1) : Next(-400, 900);
    }
  }
};

TEST_F(FoeGridTest, FindsWhatTestingEveryFoeFindsInRecordOrder) {
  for (int round = 0; round < 20; ++round) {
    Scatter();
    FoeGrid grid;
    for (int q = 0; q < 200; ++q) {
      // Half the points sit near a foe, so there is something to find.
      const float* near = &foes[static_cast<int>(Next(0, kLastFoe)) * kRecord];
      const float x = q % 2 ? near[kFoeX] + Next(-9, 9) : Next(-4000, 4000);
      const float y = q % 2 ? near[kFoeY] + Next(-9, 9) : Next(-600, 1200);
      ASSERT_EQ(Looked(grid, foes, x, y), Reference(foes, x, y)) << x << "," << y;
    }
  }
}

TEST_F(FoeGridTest, MovedFoesAreSeenAfterInvalidateAndOddNumbersFallBackToEveryFoe) {
  Scatter();
  FoeGrid grid;
  foes[kFoeKind] = 1;
  foes[kFoeX] = foes[kFoeY] = 100;
  EXPECT_EQ(Looked(grid, foes, 100, 100), Reference(foes, 100, 100));
  foes[kFoeX] = foes[kFoeY] = 500;
  grid.Invalidate();
  EXPECT_EQ(Looked(grid, foes, 500, 500), Reference(foes, 500, 500));

  // A point that is not a number meets every live foe, as the plain comparisons do.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Looked(grid, foes, nan, 0).size(), Reference(foes, nan, 0).size());
  foes[7 * kRecord + kFoeKind] = 1;
  foes[7 * kRecord + kFoeX] = nan;
  grid.Invalidate();
  for (float y : {0.0f, 300.0f, foes[7 * kRecord + kFoeY]}) {
    EXPECT_EQ(Looked(grid, foes, 250, y), Reference(foes, 250, y));
  }
}

}  // namespace
