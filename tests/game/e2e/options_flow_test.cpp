// A player's first start: the logo sound while loading, the menu, the options box reached with
// the keys, the sound mode set to effects only; the next start reads it back and shows it. (The
// loading screen shows for a moment only, which a slow machine can miss; the pixel replay tests
// check it.)
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/game/e2e/player.h"

namespace {

using e2e::Game;
using e2e::Rgb;
using e2e::Screen;

// The focus has left the dial: the play button no longer glows and the description is gone.
bool CogFocused(const Screen& s) {
  return e2e::ScoreListShown(s) && !e2e::MenuShown(s) && !e2e::OptionsShown(s) &&
         s.Count(240, 425, 260, 40, e2e::White) == 0;
}

// The sound row's touch area, highlighted when it is the selected row.
bool SoundRowSelected(const Screen& s) {
  Rgb c = s.At(90, 140);
  return e2e::OptionsShown(s) && c.g > 100 && c.b > 100;
}

// The white letters of the sound row's label.
std::vector<bool> SoundLabel(const Screen& s) { return s.Mask(96, 126, 420, 28, e2e::White); }

// Left to the cog, Enter opens the options box, Down to the sound row: the box at rest with the
// row selected. Each press must be heard.
void OpenSoundRow(Game& game, Screen* shown) {
  ASSERT_TRUE(game.Press("Left", CogFocused, "the move to the cog"));
  ASSERT_TRUE(game.Press("Return", e2e::OptionsShown, "the options box opening", "options"));
  ASSERT_TRUE(game.Press("Down", SoundRowSelected, "the move to the sound row"));
  ASSERT_TRUE(game.WaitScreen(SoundRowSelected, 30, "", shown));
}

TEST(PlayerFlows, FirstStartKeepsTheSoundModeChosenInTheOptionsBox) {
  Game game;
  ASSERT_FALSE(std::filesystem::exists(game.Dir() + "/.vantorstate"));
  ASSERT_TRUE(game.Launch());
  e2e::Sound& sound = game.Audio();
  ASSERT_TRUE(game.WaitScreen(e2e::MenuShown, 60, "menu"));
  EXPECT_TRUE(sound.Heard(0, sound.Now())) << "the logo sound while loading";

  Screen before, after;
  ASSERT_NO_FATAL_FAILURE(OpenSoundRow(game, &before));
  std::vector<bool> musicLabel = SoundLabel(before);
  ASSERT_TRUE(game.Press("Return", [&](const Screen& s) {
    return SoundRowSelected(s) && SoundLabel(s) != musicLabel;
  }, "the sound row's click", "options_sfx"));
  ASSERT_TRUE(game.WaitScreen(SoundRowSelected, 30, "", &after));
  std::vector<bool> sfxLabel = SoundLabel(after);
  // "Sound : SFX" is "Sound : SFX + Music" cut short: fewer lit pixels, none new.
  int lit = 0, added = 0, lost = 0;
  for (size_t i = 0; i < sfxLabel.size(); ++i) {
    lit += sfxLabel[i];
    added += sfxLabel[i] && !musicLabel[i];
    lost += musicLabel[i] && !sfxLabel[i];
  }
  EXPECT_GT(lit, 100);
  EXPECT_EQ(added, 0);
  EXPECT_GT(lost, 100);

  ASSERT_TRUE(game.Press("Escape", [](const Screen& s) {
    return !e2e::Brownish(s.At(60, 400)) && !e2e::Brownish(s.At(300, 460)) &&
           e2e::ScoreListShown(s);
  }, "the options box closing"));
  e2e::SavedState state;
  ASSERT_TRUE(e2e::WaitFor(
      [&] { return state.Parse(kxtest::ReadFile(game.Dir() + "/.vantorstate")); }, 30));
  EXPECT_TRUE(state.ChecksumsValid());
  EXPECT_EQ(state.Setting(5), 2);
  EXPECT_EQ(game.Output(), "");
  ASSERT_TRUE(game.Close());

  // The second start reads every block back and offers effects only.
  ASSERT_TRUE(game.LaunchToMenu());
  EXPECT_EQ(game.Output(),
            "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
            "Highscore 2 Loaded\n");
  Screen again;
  ASSERT_NO_FATAL_FAILURE(OpenSoundRow(game, &again));
  EXPECT_TRUE(SoundLabel(again) == sfxLabel) << "the label differs from \"Sound : SFX\"";
  EXPECT_TRUE(game.Close());
}

}  // namespace
