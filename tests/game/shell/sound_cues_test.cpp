// Sound cues on the 24-position channel ring, and the sound modes gating effects and the tune.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class SoundCuesTest : public CreatedTest<false> {
 protected:
  void SetUp() override {
    CreatedTest::SetUp();
    gc_assign(app->m_sounds[5], (new c_Sound)->m_new(new gxtkSample));
    audio->log.clear();
  }
};

TEST_F(SoundCuesTest, CuesCycleTheRingAndEmptySlotsStillTakeTheirTurn) {
  app->m_settings[5] = 1;
  for (int i = 0; i < 25; ++i) app->p_PlaySFX(5, 1.5f, 0.5f, -1);
  EXPECT_EQ(audio->Count("play"), 25);
  std::vector<std::string> expected = {"stop 1 0", "play 1 0", "rate 1 1.5", "volume 1 0.5",
                                       "pan 1 -1"};
  EXPECT_EQ(std::vector<std::string>(audio->log.begin(), audio->log.begin() + 5), expected);
  // The 24th cue wraps to position 0, the 25th cuts off the first.
  EXPECT_EQ(audio->log[23 * 5] + "," + audio->log[24 * 5], "stop 0 0,stop 1 0");
  EXPECT_EQ(app->m_sfxCursor, 1);
  // Slot 42 is empty: the ring moves on and the channel is stopped and set, with defaults.
  audio->log.clear();
  app->p_PlaySFX(42, 0.8f);
  EXPECT_EQ(audio->log, (std::vector<std::string>{"stop 2 0", "rate 2 0.8", "volume 2 1",
                                                  "pan 2 0"}));
  app->p_PlaySFX(1000, 1);  // no such slot at all
  EXPECT_EQ(app->m_sfxCursor, 3);
}

TEST_F(SoundCuesTest, SoundModesGateEffectsAndTheTune) {
  // Music only; effects only, where a new tune only stops the running one; off. A silenced
  // cue takes no turn on the ring.
  struct Case {
    int mode;
    std::vector<std::string> tune;
    int plays;
  } cases[] = {
      {3, {"music vantor://data/sfx/Playful.ogg 1"}, 0}, {2, {"stopmusic"}, 1}, {0, {}, 0}};
  for (const Case& c : cases) {
    app->m_settings[5] = c.mode;
    audio->log.clear();
    app->p_PlayTune(String("Playful"), 1);
    EXPECT_EQ(audio->log, c.tune) << c.mode;
    EXPECT_EQ(app->m_musicOn, c.mode == 3) << c.mode;
    app->p_PlaySFX(5, 1);
    EXPECT_EQ(audio->Count("play"), c.plays) << c.mode;
    EXPECT_EQ(app->m_sfxCursor, c.mode == 3 ? 0 : 1) << c.mode;
  }
}

}  // namespace
}  // namespace gametest
