// The particle pool, and the game-over banner's words and places. The HUD, the banner's timing
// and its hand-back to the menu, and Quit in the pause menu ending a game as losing it does,
// show in the recorded replays (the HUD over empty and full tables, Quit in icade_quit_game).
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

TEST_F(PlayTest, PoolSizesOutsideTheirRangeAreIgnoredAndAFullPoolStillScores) {
  app->p_ResetParticles(250);
  app->p_ResetParticles(-5);
  for (int i = 0; i < 251; ++i) app->p_ThrowParticle(10, 10, 3, kx_Skarblit_NoArg, kx_Skarblit_NoArg);
  EXPECT_EQ(app->p_FreeParticle(), -1);
  app->p_Gimme(15, 50, 50);  // no room for its number
  EXPECT_EQ(app->m_score, 15);
  for (int i = 0; i <= 250; ++i) ASSERT_EQ(app->m_sparks[i * 10], 1) << i;
  app->m_sparks[7 * 10] = app->m_sparks[9 * 10] = 0;
  EXPECT_EQ(app->p_FreeParticle(), 90);
}

TEST_F(PlayTest, TheBannerSaysGameOverAndTheNewPlace) {
  UseFont();
  StartGame(2);
  app->m_score = 50;
  app->m_gameOver = 1;
  for (int i = 0; i < 20; ++i) app->p_GameOver();  // the bars have stopped
  // Over empty tables, none, one or ten of them 100: first place, second, no place and so no
  // announcement. Where the words stand shows at the end of every recorded game.
  const std::pair<int, const char*> cases[] = {
      {0, "GAMEOVERNewHighscore1st!"}, {1, "GAMEOVERNewHighscore2nd"}, {10, "GAMEOVER"}};
  for (const auto& c : cases) {
    for (int r = 0; r < c.first; ++r) app->m_highScores[10 + r] = 100;
    app->m_drawCount = 0;
    app->p_GameOver();
    EXPECT_EQ(DrawnText(), c.second) << c.first;
  }
}

}  // namespace
}  // namespace gametest
