// The particle pool, the HUD, and the game-over banner's words, places and timing.
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
  const int fading = app->m_gameOverTimer;
  for (int i = 0; i < 40; ++i) app->p_GameOver();
  EXPECT_EQ(Values(fading, app->m_gameOverTimer), Values(71, 0));
}

// Quit in the pause menu ends the game as losing it does: the banner, then the menu, which
// records the score in the difficulty's group of the stored state.
TEST_F(PlayTest, ThePauseMenusQuitEndsTheGameAndRecordsItsScore) {
  StartGame(2);
  Arena(arena::kFoeCountdown) = Arena(arena::kPostCountdown) = 1e6f;  // nothing scores meanwhile
  app->m_score = 700;
  Hit(27);  // pause
  for (int i = 0; i < 20; ++i) Update();
  ASSERT_EQ(Values(app->m_paused, app->m_pauseMenu, app->m_pauseSel), Values(1, 1, 0));
  Hit(38);  // up to Quit
  Update();
  Hit(13);
  for (int i = 0; i < 300 && app->m_gameState != 1; ++i) Update();
  // The Normal group's top score, stored at field 56 and in the game.
  EXPECT_EQ(Values(app->m_gameState, app->m_highScores[10], host->Field(56).ToInt()),
            Values(1, 700, 700));
}

TEST_F(PlayTest, TheHudShowsTheScoreAndTheNextOneToBeatWithItsPlace) {
  UseFont();
  StartGame(3);
  // score -> the score and the line over it (spaces unseen): on an empty table, then on
  // 1000 .. 100, where a score below the table has no place to name
  const std::pair<int, const char*> cases[] = {{0, "000000001st@285.5,10"},
                                               {0, "00000100@295.5,10"},
                                               {450, "000005006th@285.5,10"},
                                               {1000, "000010001st@285.5,10"}};
  for (const auto& c : cases) {
    if (&c == &cases[1]) for (int r = 0; r < 10; ++r) app->m_highScores[20 + r] = 1000 - 100 * r;
    app->m_score = app->m_shownScore = c.first;
    Update();
    char score[32];
    std::snprintf(score, sizeof score, "%08d@278,28", c.first);
    EXPECT_EQ(Texts(), (std::vector<std::string>{c.second, score})) << c.first;
  }
}

TEST_F(PlayTest, TheBannerSaysGameOverAndTheNewPlaceWhereItsBarsStop) {
  UseFont();
  StartGame(2);
  app->m_score = 50;
  app->m_gameOver = 1;
  for (int i = 0; i < 20; ++i) app->p_GameOver();  // the bars stop at 0.45 of the height
  app->m_drawCount = 0;
  app->p_GameOver();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"GAME@194,216", "OVER@388,264",
                                                "NewHighscore@232,326", "1st!@386,346"}));
  // Second place; no place, no announcement.
  for (int tops : {1, 10}) {
    for (int r = 0; r < tops; ++r) app->m_highScores[10 + r] = 100;
    app->m_drawCount = 0;
    app->p_GameOver();
    const std::vector<std::string> second{"GAME@194,216", "OVER@388,264",
                                          "NewHighscore@235,326", "2nd@389,346"};
    const std::vector<std::string> none{"GAME@194,216", "OVER@388,264"};
    EXPECT_EQ(Texts(), tops == 1 ? second : none);
  }
}

}  // namespace
}  // namespace gametest
