// One frame of play driven directly: foes hitting the craft, lightning striking foes, the points
// it scores, and pausing. Where posts bolt the craft shows in the replays' lightning kills.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

using namespace arena;

class PlayFrameTest : public PlayTest {
 protected:
  // An Easy game with no spawning, the craft at rest in the middle, so each case places what
  // it needs.
  void SetUp() override {
    PlayTest::SetUp();
    Restart();
  }
  void Restart() {
    StartGame(1);
    Arena(kFoeCountdown) = Arena(kPostCountdown) = 1e6f;
  }
  void PlaceFoe(int i, float x, float y) {
    float* f = Foe(i);
    f[kFoeKind] = 1, f[kFoeX] = x, f[kFoeY] = y, f[kFoeVX] = f[kFoeVY] = 0;
  }
  float* PlacePost(int k, float x, float y, float life) {
    float* p = Post(k);
    p[kPostLife] = p[kPostFullLife] = life, p[kPostX] = x, p[kPostY] = y;
    return p;
  }
};

TEST_F(PlayFrameTest, AFoeHurtsWithinSixteenUnitsOnEachAxisUnlessShielded) {
  OnlyCue(2);
  // the foe's offset from the craft -> whether it hurts: a box, so a corner at 15.9 hurts
  const struct {
    float dx, dy;
    bool hurts;
  } cases[] = {{15.9f, 0, true},  {16, 0, false},        {0, -15.9f, true},
               {0, -16, false},   {-15.9f, 15.9f, true}, {-15.9f, 16, false}};
  for (const auto& c : cases) {
    Restart();
    audio->log.clear();
    PlaceFoe(0, 320 + c.dx, 240 + c.dy);
    app->p_Game();
    // foe gone, health, shield, cue 2 played
    EXPECT_EQ(Values(Foe(0)[0] == 0, Arena(kHealth), Arena(kShield), audio->Count("play")),
              c.hurts ? Values(1, 7, 150, 1) : Values(0, 10, 0, 0))
        << c.dx << "," << c.dy;
  }
  Arena(kShield) = 10;
  PlaceFoe(1, 320, 240);
  app->p_Game();
  // The shield lets it pass.
  EXPECT_EQ(Values(Foe(1)[0] > 0, Arena(kHealth), app->m_gameOver), Values(1, 10, 0));
  // The last touch kills the craft and stops the tune (that the craft is no longer drawn then
  // shows at the end of every recorded game).
  Arena(kShield) = 0, Arena(kHealth) = 1, app->m_musicOn = 1;
  app->p_Game();
  EXPECT_EQ(Values(Arena(kHealth), audio->Count("stopmusic"), app->m_musicOn, app->m_gameOver),
            Values(-2, 1, 0, 1));
}

TEST_F(PlayFrameTest, ABoltJointStrikesFoesWithinEightUnitsOnEachAxis) {
  // A post 88 units to the left or above: joint 8 lands on the craft, and the joints before and
  // after it stay more than 8 units away across the bolt.
  const struct {
    float postX, postY, dx, dy;
    bool struck;
  } cases[] = {{232, 240, 0, 7.9f, true},  {232, 240, 0, 8, false},
               {232, 240, 0, -7.9f, true}, {232, 240, 0, -8, false},
               {320, 152, 7.9f, 0, true},  {320, 152, 8, 0, false}};
  for (const auto& c : cases) {
    Restart();
    Arena(kShield) = 1000;  // foes touching the craft pass
    PlacePost(0, c.postX, c.postY, 500);
    PlaceFoe(0, 320 + c.dx, 240 + c.dy);
    app->p_Game();
    EXPECT_EQ(Values(app->m_score, Foe(0)[0] == 0), Values(c.struck ? 5 : 0, c.struck))
        << c.postX << ": " << c.dx << "," << c.dy;
  }
}

TEST_F(PlayFrameTest, ThePauseKeyAndIconPauseOnlyInPlayAndForAFreshPress) {
  app->m_imageInfo[97 * 3] = app->m_imageInfo[97 * 3 + 1] = 32;
  app->m_imageScale = 1;
  app->m_touchX[0] = app->m_touchY[0] = 16;
  // by the icon (else the key), HUD hidden, key lock, pointer lock, game over -> whether it
  // pauses, the key lock and pointer lock after: the press that paused is used up
  const int cases[][8] = {{0, 0, 1, 0, 0, 0, 1, 0},  {0, 1, 0, 0, 0, 1, 1, 0},
                          {1, 0, 0, 0, 1, 0, 0, 0},  {1, 0, 0, 1, 0, 0, 0, 1},
                          {1, 0, 0, -1, 0, 0, 0, -1}, {1, 0, 0, 0, 0, 1, 0, 1}};
  for (const auto& c : cases) {
    c[0] ? KeyUp(27) : KeyDown(27);
    app->m_pointerCount = c[0];
    app->m_hideHud = c[1];
    app->m_keyLock = c[2];
    app->m_pointerLock = c[3];
    app->m_gameOver = c[4];
    app->m_paused = 0;
    app->p_InGame();
    EXPECT_EQ(Values(app->m_paused, app->m_keyLock, app->m_pointerLock), Values(c[5], c[6], c[7]))
        << c[0] << c[1] << c[2] << c[3] << c[4];
  }
  EXPECT_EQ(Values(app->m_pauseMenu, app->m_menuIntro), Values(1, -32));
}

}  // namespace
}  // namespace gametest
