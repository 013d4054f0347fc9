// A new game per difficulty, and the spawner's limits. Its steady timing and placement show in
// every game the recorded replays play.

#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

using namespace arena;

TEST_F(PlayTest, EachDifficultyStartsCleanWithItsFoeTimingAndPostLife) {
  // difficulty, first foe countdown, foe interval, post life; an unknown one plays as Easy
  const int cases[][4] = {
      {1, 360, 250, 600}, {2, 200, 150, 500}, {3, 0, 50, 350}, {7, 360, 250, 600}};
  for (const auto& c : cases) {
    Arena(300) = 5;
    Foe(250)[0] = 2;
    app->m_score = 99;
    StartGame(c[0]);
    // state, score, a cleared arena entry and foe, health, craft, foe timing
    EXPECT_EQ(Values(app->m_gameState, app->m_score, Arena(300), Foe(250)[0], Arena(kHealth),
                     Arena(kCraftX), Arena(kCraftY), Arena(kFoeCountdown), Arena(kFoeInterval)),
              Values(10, 0, 0, 0, 10, 320, 240, c[1], c[2]))
        << c[0];
    Arena(kFoeCountdown) = 1e6f;
    app->p_Trundle();  // the post countdown starts at 0: a post on the first frame
    EXPECT_EQ(Values(Post(9)[kPostLife], Post(9)[kPostFullLife],
                     Arena(kPostCountdown) >= 300 && Arena(kPostCountdown) <= 450),
              Values(c[3], c[3], 1))
        << c[0];
  }
}

TEST_F(PlayTest, AScreenWithNoPlaceForAFoeDoesNotHangTheSpawner) {
  StartGame(3);
  Arena(kPostCountdown) = 1e6f;
  // 100 units high: no point off-screen is 180 units above or below the craft.
  kx_Skarblit_jscrw = 2000, kx_Skarblit_jscrh = 100;
  Arena(kCraftX) = 1000, Arena(kCraftY) = 50;
  app->p_Trundle();
  app->p_Trundle();
  EXPECT_EQ(Values(LiveFoes(), Arena(kFoeCountdown)), Values(0, -2));  // the foe waits
  kx_Skarblit_jscrw = 640, kx_Skarblit_jscrh = 480;
  Arena(kCraftX) = 320, Arena(kCraftY) = 240;
  app->p_Trundle();
  EXPECT_EQ(LiveFoes(), 1);
}

}  // namespace
}  // namespace gametest
