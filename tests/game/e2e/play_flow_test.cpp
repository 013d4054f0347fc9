// A game on Easy played with the keys: started from the menu, steered, paused, resumed, paused
// again and quit; the banner, the menu, and the score recorded in the Easy tables. The tune
// plays through the game and stops with it. Easy, because its first foe comes only after six
// seconds of play: on Hard an idle craft is dead within eight, less than a slow machine can
// take to get through the steps.
#include <gtest/gtest.h>

#include "tests/game/e2e/player.h"

namespace {

using e2e::Rgb;
using e2e::Screen;

bool Magenta(Rgb c) { return c.r > 180 && c.b > 180 && c.g < 120; }
bool BrightYellow(Rgb c) { return c.r > 220 && c.g > 220 && c.b < 160; }

// The craft starts in the middle of the arena; steered right it leaves for the right.
bool CraftInMiddle(const Screen& s) { return s.Count(290, 210, 60, 60, Magenta) >= 10; }
bool CraftMovedRight(const Screen& s) {
  return s.Count(290, 210, 60, 60, Magenta) < 5 && s.Count(350, 190, 290, 100, Magenta) >= 10;
}

// The highlight frames the quit button at the left end of the pause menu, not resume.
bool QuitSelected(const Screen& s) {
  return e2e::PauseShown(s) && s.Count(120, 116, 120, 120, BrightYellow) > 40 &&
         s.Count(270, 200, 100, 80, BrightYellow) < 10;
}

// The banner's yellow bar grows from the left edge across the shaded arena.
bool BannerShown(const Screen& s) {
  return s.Count(0, 210, 200, 12, [](Rgb c) { return c.r > 90 && c.g > 90 && c.b < 60; }) > 1000;
}

// The description under the dial, white on the menu.
std::vector<bool> Description(const Screen& s) { return s.Mask(240, 425, 260, 40, e2e::White); }

TEST(PlayerFlows, EasyGameIsSteeredPausedResumedQuitAndRecorded) {
  e2e::Game game;
  // Seeded tables: every difficulty different, so a score recorded in the wrong one shows.
  e2e::SavedState seeded;
  seeded.Setting(5) = 1;
  for (int k = 0; k < 3; ++k) {
    for (int r = 0; r < 10; ++r) {
      seeded.Top(k, r) = (k + 1) * 1000 - 100 * r;
      seeded.Last(k, r) = (k + 1) * 100 + r;
    }
  }
  seeded.Seal();
  ASSERT_TRUE(kxtest::WriteFile(game.Dir() + "/.vantorstate", seeded.Text()));
  Screen menu;
  ASSERT_TRUE(game.LaunchToMenu(&menu));
  e2e::Sound& sound = game.Audio();

  std::vector<bool> normal = Description(menu);
  ASSERT_TRUE(game.Press("Up", [&](const Screen& s) {
    return e2e::MenuShown(s) && Description(s) != normal;
  }, "the dial turning to Easy", "menu_easy"));
  ASSERT_TRUE(game.Press("Return", e2e::PlayShown, "the start", "play"));
  long playing = sound.Now();
  ASSERT_TRUE(game.WaitScreen(CraftInMiddle, 20));
  ASSERT_TRUE(game.HoldUntil("Right", CraftMovedRight, "play_steered"));
  EXPECT_TRUE(sound.Continuous(playing, sound.Now())) << "the tune during play";

  ASSERT_TRUE(game.Press("Escape", e2e::PauseShown, "the pause", "pause"));
  ASSERT_TRUE(game.Press("Return", [](const Screen& s) { return !e2e::PauseShown(s); },
                         "the resume"));
  ASSERT_TRUE(game.WaitScreen(e2e::PlayShown, 20));
  ASSERT_TRUE(game.HoldUntil("Escape", e2e::PauseShown));
  ASSERT_TRUE(game.Press("Left", QuitSelected, "the move to quit", "pause_quit"));
  ASSERT_TRUE(game.Press("Return", BannerShown, "the quit", "banner"));
  ASSERT_TRUE(game.WaitScreen(e2e::MenuShown, 30, "menu_again"));
  // The return sound ends within two seconds; the tune has stopped with the game.
  long back = sound.Now() + 2 * sound.Rate();
  long end = back + sound.Rate() / 2;
  ASSERT_TRUE(e2e::WaitFor([&] { return sound.Now() >= end; }, 15));
  EXPECT_TRUE(sound.Quiet(back, end)) << "the menu after the game";

  e2e::SavedState state;
  ASSERT_TRUE(state.Parse(kxtest::ReadFile(game.Dir() + "/.vantorstate")));
  EXPECT_TRUE(state.ChecksumsValid());
  long long score = state.Last(0, 0);
  EXPECT_GE(score, 0);
  EXPECT_EQ(score % 5, 0);
  // The score in front of the Easy last list, and in the top list where it ranks.
  int rank = 0;
  while (rank < 10 && seeded.Top(0, rank) >= score) ++rank;
  for (int r = 0; r < 10; ++r) {
    EXPECT_EQ(state.Last(0, r), r > 0 ? seeded.Last(0, r - 1) : score) << r;
    long long top = r < rank ? seeded.Top(0, r) : r == rank ? score : seeded.Top(0, r - 1);
    EXPECT_EQ(state.Top(0, r), top) << r;
    for (int k = 1; k < 3; ++k) {
      EXPECT_EQ(state.Top(k, r), seeded.Top(k, r));
      EXPECT_EQ(state.Last(k, r), seeded.Last(k, r));
    }
  }
  EXPECT_TRUE(game.Close());
}

}  // namespace
