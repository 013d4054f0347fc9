// Backdrop fade, stars, particles, the game-over banner's timing and the ordinal places.
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

TEST_F(PlayTest, AFullParticlePoolStillScoresButShowsNoNumber) {
  app->p_ResetParticles(250);
  for (int i = 0; i < 251; ++i) app->p_ThrowParticle(10, 10, 3, kx_Skarblit_NoArg, kx_Skarblit_NoArg);
  EXPECT_EQ(app->p_FreeParticle(), -1);
  app->p_Gimme(15, 50, 50);
  EXPECT_EQ(app->m_score, 15);
  for (int i = 0; i <= 250; ++i) EXPECT_EQ(app->m_sparks[i * 10], 1);
  app->m_sparks[7 * 10] = 0;
  app->m_sparks[9 * 10] = 0;
  EXPECT_EQ(app->p_FreeParticle(), 90);
}

TEST_F(PlayTest, ParticlesFallFadeAndNumbersStayUpright) {
  app->p_ResetParticles(-5);
  app->p_AddParticle(2, 0, 0, 1, 0, 7, 1, 0);
  app->p_AddParticle(99, 100, 100, 0, -0.25f, 15, 3, 0);
  float* debris = app->m_sparks.Data() + 250 * 10;
  float* number = app->m_sparks.Data() + 249 * 10;
  app->m_drawCount = 0;
  app->p_DoParticles();
  EXPECT_FLOAT_EQ(debris[3], 0.95f);
  EXPECT_FLOAT_EQ(debris[4], 0.2f);
  EXPECT_FLOAT_EQ(number[2], 99.75f);
  for (const auto& r : Records()) {
    if (r[0] == 96) {
      EXPECT_EQ(r[10], 255);  // red palette entry
      EXPECT_FLOAT_EQ(r[11], 25.5f);
    } else {
      EXPECT_EQ(r[3], 0);  // glyphs of the number are not rotated
      EXPECT_FLOAT_EQ(r[12], 25.5f);  // yellow
    }
  }
  for (int i = 0; i < 100; ++i) app->p_DoParticles();
  EXPECT_EQ(number[0], 0);
}

TEST_F(PlayTest, PaletteScalesByLevelAndClamps) {
  app->p_Ink(7, 1);
  EXPECT_FLOAT_EQ(app->m_red, 127.5f);
  app->p_Ink(42, 2);
  EXPECT_FLOAT_EQ(app->m_green, 153);
  app->p_Ink(9, 3);
  EXPECT_EQ(app->m_blue, 255);
  app->p_Ink(1, -1);
  EXPECT_EQ(app->m_red, 0);
}

TEST_F(PlayTest, BannerHandsBackToTheMenuAfterNinetyFramesThenFadesByTwo) {
  StartGame(2);
  app->m_musicOn = 1;
  app->m_gameOver = 1;
  for (int i = 0; i < 89; ++i) app->p_GameOver();
  EXPECT_EQ(app->m_gameState, 10);
  EXPECT_EQ(app->m_gameOverTimer, 89);
  EXPECT_EQ(app->m_keyLock, 1);  // the pause key is spent while the banner shows
  app->p_GameOver();
  EXPECT_EQ(app->m_gameState, 2);
  EXPECT_EQ(app->m_gameOverTimer, 73);
  EXPECT_EQ(app->m_musicOn, 0);
  app->m_gameState = 1;
  app->p_GameOver();
  EXPECT_EQ(app->m_gameOverTimer, 71);
  for (int i = 0; i < 40; ++i) app->p_GameOver();
  EXPECT_EQ(app->m_gameOverTimer, 0);
}

TEST_F(PlayTest, PlacesCountFromTheTopOfTheDifficultysTable) {
  EXPECT_EQ(app->p_Nth(0), String());
  EXPECT_EQ(app->p_Nth(3), String("3rd"));
  EXPECT_EQ(app->p_Nth(10), String("10th"));
  EXPECT_EQ(app->p_Nth(11), String());
  app->m_difficulty = 3;
  app->m_score = 0;
  EXPECT_EQ(app->p_MyNth(), String("1st!"));  // an empty table
  for (int r = 0; r < 10; ++r) app->m_highScores[20 + r] = 1000 - 100 * r;
  app->m_score = 100;
  EXPECT_EQ(app->p_MyNth(), String("10th"));
  EXPECT_EQ(app->m_myPlace, 10);
  app->m_score = 850;
  EXPECT_EQ(app->p_MyNth(), String("3rd"));
  app->m_score = 99;
  EXPECT_EQ(app->p_MyNth(), String());
  EXPECT_EQ(app->m_myPlace, 0);
}

}  // namespace
}  // namespace playtest
