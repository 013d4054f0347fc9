// The generator, a new game per difficulty, and the spawner's timing, placement and posts.
#include <cmath>
#include <set>

#include "tests/game/play/play_fixture.h"

namespace playtest {
namespace {

using namespace arena;

TEST(Generator, FollowsTheCongruentialSequenceFromItsSeed) {
  kx_random_Seed = 1234;
  EXPECT_FLOAT_EQ(kx_random_Rnd(), 0.7143076658f);
  EXPECT_FLOAT_EQ(kx_random_Rnd(), 0.2070130706f);
  EXPECT_EQ(static_cast<unsigned int>(kx_random_Seed), 889114580u);
  EXPECT_FLOAT_EQ(kx_random_Rnd2(10, 20), 17.495418f);
}

TEST_F(PlayTest, RandCoversBothEndsOfItsRange) {
  kx_random_Seed = 1234;
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(app->p_Rand(-2, 3));
  EXPECT_EQ(seen, (std::set<int>{-2, -1, 0, 1, 2, 3}));
  for (int i = 0; i < 200; ++i) EXPECT_EQ(app->p_Rand2(0), 0);
}

TEST_F(PlayTest, NewGameTimersAndPostLifeFollowTheDifficulty) {
  // difficulty, first foe countdown, interval, post life; 7 plays as Easy
  const float cases[][4] = {{1, 360, 250, 600}, {2, 200, 150, 500}, {3, 0, 50, 350},
                            {7, 360, 250, 600}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    Arena(300) = 5;
    Foe(250)[0] = 2;
    app->m_score = 99;
    StartGame(static_cast<int>(c[0]));
    EXPECT_EQ(app->m_gameState, 10);
    EXPECT_EQ(app->m_score, 0);
    EXPECT_EQ(Arena(300), 0);
    EXPECT_EQ(Foe(250)[0], 0);
    EXPECT_EQ(Arena(kHealth), 10);
    EXPECT_EQ(Arena(kCraftX), 320);
    EXPECT_EQ(Arena(kCraftY), 240);
    EXPECT_EQ(Arena(kFoeCountdown), c[1]);
    EXPECT_EQ(Arena(kFoeInterval), c[2]);
    app->p_Trundle();  // the post countdown starts at 0: a post on the first frame
    EXPECT_EQ(Post(9)[kPostLife], c[3]);
    EXPECT_EQ(Post(9)[kPostFullLife], c[3]);
    EXPECT_EQ(Post(9)[kPostFlash], 40);
    EXPECT_GE(Arena(kPostCountdown), 300);
    EXPECT_LE(Arena(kPostCountdown), 450);
  }
}

TEST_F(PlayTest, FoeIntervalsShrinkByTenThenFourDownToFifteen) {
  StartGame(1);
  Arena(kPostCountdown) = 1e6f;
  std::vector<float> intervals;
  for (int i = 0; i < 60; ++i) {
    Arena(kFoeCountdown) = 0;
    app->p_Trundle();
    intervals.push_back(Arena(kFoeCountdown));
  }
  EXPECT_EQ(intervals[0], 250);
  EXPECT_EQ(intervals[1], 240);
  EXPECT_EQ(intervals[10], 150);
  EXPECT_EQ(intervals[11], 146);
  EXPECT_EQ(intervals[12], 142);
  EXPECT_EQ(intervals.back(), 15);
  for (float start : {156.0f, 154.0f, 16.0f}) {
    Arena(kFoeInterval) = start;
    Arena(kFoeCountdown) = 0;
    app->p_Trundle();
    EXPECT_EQ(Arena(kFoeInterval), start == 156 ? 146 : start == 154 ? 150 : 15);
  }
  // Every foe starts off-screen, far from the craft on both axes.
  for (int i = 0; i <= kLastFoe; ++i) {
    const float* f = Foe(i);
    if (f[0] == 0) continue;
    EXPECT_TRUE(f[1] < 0 || f[2] < 0 || f[1] > 640 || f[2] > 480);
    EXPECT_GE(std::fabs(f[1] - 320), 180);
    EXPECT_GE(std::fabs(f[2] - 240), 180);
    EXPECT_GE(f[0], 1);
    EXPECT_LE(f[0], 4);
  }
}

TEST_F(PlayTest, AFullFoeTableKeepsTheCountdownFallingUntilARecordFrees) {
  StartGame(3);
  Arena(kPostCountdown) = 1e6f;
  for (int i = 0; i <= kLastFoe; ++i) Foe(i)[0] = 1;
  for (int i = 0; i < 3; ++i) app->p_Trundle();
  EXPECT_EQ(Arena(kFoeCountdown), -3);
  EXPECT_EQ(Arena(kFoeInterval), 50);
  Foe(17)[0] = 0;
  Foe(3)[0] = 0;
  app->p_Trundle();
  EXPECT_EQ(Arena(kFoeCountdown), 50);
  EXPECT_GT(Foe(17)[0], 0);  // the highest free record is taken
  EXPECT_EQ(Foe(3)[0], 0);
}

TEST_F(PlayTest, TenLivePostsOnlyReloadThePostCountdown) {
  StartGame(2);
  Arena(kFoeCountdown) = 1e6f;
  for (int k = 0; k < kPostCount; ++k) Post(k)[kPostLife] = 7;
  app->p_Trundle();
  EXPECT_GE(Arena(kPostCountdown), 300);
  for (int k = 0; k < kPostCount; ++k) EXPECT_EQ(Post(k)[kPostLife], 7);
}

TEST_F(PlayTest, AScreenWithNoPlaceForAFoeDoesNotHangTheSpawner) {
  StartGame(3);
  Arena(kPostCountdown) = 1e6f;
  // 100 units high: no point off-screen is 180 units above or below the craft.
  kx_Skarblit_jscrw = 2000;
  kx_Skarblit_jscrh = 100;
  Arena(kCraftX) = 1000;
  Arena(kCraftY) = 50;
  app->p_Trundle();
  app->p_Trundle();
  EXPECT_EQ(LiveFoes(), 0);
  EXPECT_EQ(Arena(kFoeCountdown), -2);  // the foe waits
  kx_Skarblit_jscrw = 640;
  kx_Skarblit_jscrh = 480;
  Arena(kCraftX) = 320;
  Arena(kCraftY) = 240;
  app->p_Trundle();
  EXPECT_EQ(LiveFoes(), 1);
}

}  // namespace
}  // namespace playtest
