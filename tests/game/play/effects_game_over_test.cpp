// Backdrop fade, stars, the preallocated pools, the game-over banner's timing and the ordinal places.
#include "tests/game/play/play_fixture.h"

namespace playtest {
namespace {

TEST_F(PlayTest, BackdropEasesAThirtiethATurnAndKeepsTargetsForLowChannels) {
  app->m_bgRed = app->m_bgGreen = app->m_bgBlue = 0;
  app->p_DoBG(0, 0, 90, 0.5f);
  EXPECT_FLOAT_EQ(app->m_clsBlue, 3);
  EXPECT_FLOAT_EQ(app->m_clsAlpha, 0.5f);
  EXPECT_EQ(app->m_drawCount, 0);
  app->p_DoBG(-999, -999, -123, 1);
  EXPECT_FLOAT_EQ(app->m_clsBlue, 3 + 87.0f / 30);
  app->p_DoBG(-122, -999, -999, 1);  // -122 is still a colour
  EXPECT_EQ(app->m_bgTargetRed, -122);
}

TEST_F(PlayTest, StarsResetWithinTheirBoundsAndWrapRenewed) {
  app->p_ResetStars(10);
  app->p_ResetStars(0);
  app->p_ResetStars(600);
  EXPECT_EQ(app->m_starCount, 10);
  float* star = app->m_stars.Data() + 3 * 10;
  star[1] = -15;
  star[2] = 100;
  star[3] = 0.5f;
  app->m_drawCount = 0;
  app->p_DoStars(-4, 0);
  EXPECT_FLOAT_EQ(star[1], -17 + 672);  // to the right edge
  EXPECT_NE(star[2], 100);
  EXPECT_GE(star[3], 0.2f);
  EXPECT_LT(star[3], 0.8f);
  EXPECT_EQ(CountRecords(96), 11);
}

TEST_F(PlayTest, PoolSizesOutsideTheirRangeAreIgnoredAndAFullPoolStillScores) {
  app->p_ResetParticles(250);
  app->p_ResetParticles(-5);
  for (int i = 0; i < 251; ++i) app->p_ThrowParticle(10, 10, 3, kx_Skarblit_NoArg, kx_Skarblit_NoArg);
  EXPECT_EQ(app->p_FreeParticle(), -1);
  app->p_Gimme(15, 50, 50);  // no room for its number
  EXPECT_EQ(app->m_score, 15);
  for (int i = 0; i <= 250; ++i) EXPECT_EQ(app->m_sparks[i * 10], 1);
  app->m_sparks[7 * 10] = app->m_sparks[9 * 10] = 0;
  EXPECT_EQ(app->p_FreeParticle(), 90);
}

TEST_F(PlayTest, BannerHandsBackToTheMenuAfterNinetyFramesThenFadesByTwo) {
  StartGame(2);
  app->m_musicOn = 1;
  app->m_gameOver = 1;
  for (int i = 0; i < 89; ++i) app->p_GameOver();
  // The pause key is spent while the banner shows.
  EXPECT_EQ(Values(app->m_gameState, app->m_keyLock), Values(10, 1));
  app->p_GameOver();
  EXPECT_EQ(Values(app->m_gameState, app->m_gameOverTimer, app->m_musicOn), Values(2, 73, 0));
  app->m_gameState = 1;
  app->p_GameOver();
  EXPECT_EQ(app->m_gameOverTimer, 71);
  for (int i = 0; i < 40; ++i) app->p_GameOver();
  EXPECT_EQ(app->m_gameOverTimer, 0);
}

TEST_F(PlayTest, PlacesCountFromTheTopOfTheDifficultysTable) {
  EXPECT_EQ(app->p_Nth(0), String());
  EXPECT_EQ(app->p_Nth(11), String());
  app->m_difficulty = 3;
  app->m_score = 0;
  EXPECT_EQ(app->p_MyNth(), String("1st!"));  // an empty table
  for (int r = 0; r < 10; ++r) app->m_highScores[20 + r] = 1000 - 100 * r;
  const std::pair<int, const char*> cases[] = {{100, "10th"}, {850, "3rd"}, {99, ""}};
  for (const auto& c : cases) {
    app->m_score = c.first;
    EXPECT_EQ(app->p_MyNth(), String(c.second)) << c.first;
  }
  EXPECT_EQ(app->m_myPlace, 0);
}

}  // namespace
}  // namespace playtest
