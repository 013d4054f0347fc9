// The state string: layout, checksums, block-by-block fallback and score recording.
#include <string>

#include "tests/game/shell/shell_fixture.h"

namespace shelltest {
namespace {

// n numbers: the given ones at their positions, 0 elsewhere, each followed by "|".
std::string StateOf(std::initializer_list<std::pair<int, long long>> values, int n = 98) {
  std::vector<long long> v(n, 0);
  for (const auto& p : values) v[p.first] = p.second;
  std::string s;
  for (long long x : v) s += std::to_string(x) + "|";
  return s;
}

class SaveDataTest : public ShellTest {
 protected:
  // Creates the game with the given state string and returns what p_Load printed.
  std::string CreateWith(const std::string& state) {
    host->stored = String::FromUtf8(state);
    testing::internal::CaptureStdout();
    Create();
    return testing::internal::GetCapturedStdout();
  }
  std::string Saved() {
    app->p_Save();
    return host->stored.ToUtf8();
  }
};

TEST_F(SaveDataTest, FirstStartSavesCorrectedDefaultsAndDefaultsRoundTrip) {
  std::string out = CreateWith("");
  EXPECT_EQ(out, "");
  // Slots 10 and 11 become 64, 12 becomes 10, 14 becomes 1: CS = 5 + 640 + 704 + 120 + 14.
  EXPECT_EQ(Saved(), StateOf({{5, 1}, {10, 64}, {11, 64}, {12, 10}, {14, 1}, {25, 1483}}));
  EXPECT_EQ(kx_Skarblit_overscan, 0.0f);

  kx_app__app = nullptr;
  out = CreateWith(StateOf({{5, 1}, {25, 5}}));
  EXPECT_EQ(out,
            "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
            "Highscore 2 Loaded\n");
}

TEST_F(SaveDataTest, DamagedSettingsFallBackAloneWhileBadgesAndScoresLoad) {
  std::string out = CreateWith(StateOf({{3, 7}, {5, 2}, {25, 10}, {26, 6}, {34, 6},
                                        {35, 500}, {36, 400}, {55, 4 * 500 + 3 * 400}}));
  EXPECT_NE(out.find("Settings Checksum Invalid\n"), std::string::npos);
  EXPECT_NE(out.find("Badges Loaded\n"), std::string::npos);
  EXPECT_NE(out.find("Highscore 0 Loaded\n"), std::string::npos);
  EXPECT_EQ(app->m_settings[3], 0);
  EXPECT_EQ(app->m_settings[5], 1);
  EXPECT_EQ(app->m_settings[10], 64);
  EXPECT_TRUE(app->m_badges[1] && app->m_badges[2] && !app->m_badges[0]);
  EXPECT_EQ(app->m_highScores[0], 500);
  EXPECT_EQ(app->m_highScores[30], 400);
}

TEST_F(SaveDataTest, SlotZeroHasNoWeightAndSmallSettingsAreCorrected) {
  std::string out = CreateWith(StateOf({{0, 99}, {5, 2}, {10, 100}, {12, 8}, {25, 1106}}));
  EXPECT_NE(out.find("Settings Loaded"), std::string::npos);
  EXPECT_EQ(app->m_settings[0], 99);
  EXPECT_EQ(app->m_settings[10], 100);
  EXPECT_EQ(app->m_settings[12], 8);

  kx_app__app = nullptr;
  CreateWith(StateOf({{12, 7}, {25, 84}}));
  EXPECT_EQ(app->m_settings[12], 10);
}

TEST_F(SaveDataTest, ShortStringsSkipWholeBlocksAndKeepTheirDefaults) {
  // Exactly 25 tokens: no settings block, but the corrections still apply.
  std::string out = CreateWith(StateOf({{5, 3}}, 24) + "0");
  EXPECT_EQ(out.find("Settings"), std::string::npos);
  EXPECT_EQ(app->m_settings[5], 1);
  EXPECT_EQ(app->m_settings[11], 64);
  EXPECT_EQ(app->m_settings[14], 1);

  // Cut inside group 1: group 0 loads, groups 1 and 2 keep their zeros and say nothing.
  kx_app__app = nullptr;
  std::string full = StateOf({{5, 1}, {25, 5}, {35, 300}, {55, 1200}, {56, 256}, {57, 13}});
  std::string cut = full.substr(0, full.find("|13|") + 4);
  out = CreateWith(cut);
  EXPECT_NE(out.find("Highscore 0 Loaded"), std::string::npos);
  EXPECT_EQ(out.find("Highscore 1"), std::string::npos);
  EXPECT_EQ(app->m_highScores[0], 300);
  EXPECT_EQ(app->m_highScores[10], 0);

  // Tokens after the last group change nothing.
  kx_app__app = nullptr;
  out = CreateWith(StateOf({{5, 1}, {25, 5}}) + "17|x|");
  EXPECT_EQ(out.find("Invalid"), std::string::npos);
}

TEST_F(SaveDataTest, DamagedScoreGroupFallsBackAlone) {
  std::string out = CreateWith(StateOf({{5, 1}, {25, 5}, {35, 900}, {55, 3600}, {56, 800},
                                        {76, 4 * 800 + 1}}));
  EXPECT_NE(out.find("Highscore 0 Loaded"), std::string::npos);
  EXPECT_NE(out.find("Highscore 1 Checksum Invalid"), std::string::npos);
  EXPECT_NE(out.find("Highscore 2 Loaded"), std::string::npos);
  EXPECT_EQ(app->m_highScores[0], 900);
  EXPECT_EQ(app->m_highScores[10], 0);
}

TEST_F(SaveDataTest, BadgeWordWithBitThirtyOneIsNegativeAndReadsBack) {
  CreateWith("");
  app->m_badges[31] = true;
  std::string saved = Saved();
  Array<String> tokens = String::FromUtf8(saved).Split(String("|"));
  EXPECT_EQ(tokens[26].ToUtf8(), "-2147483648");  // badge word 0
  EXPECT_EQ(tokens[34].ToUtf8(), "-2147483648");  // badge checksum
  kx_app__app = nullptr;
  std::string out = CreateWith(saved);
  EXPECT_NE(out.find("Badges Loaded"), std::string::npos);
  EXPECT_TRUE(app->m_badges[31]);
  EXPECT_FALSE(app->m_badges[30]);
}

TEST_F(SaveDataTest, RecordingScores) {
  CreateWith("");
  app->m_difficulty = 1;
  app->m_score = 500;
  app->p_LoadMenu();
  EXPECT_EQ(app->m_highScores[0], 500);
  EXPECT_EQ(app->m_highScores[30], 500);
  EXPECT_NE(host->stored.ToUtf8().find("|500|500|0|0|"), std::string::npos);
  EXPECT_EQ(host->stored.Split(String("|"))[55].ToInt(), 3500);
  app->m_difficulty = 2;
  app->p_LoadMenu();
  EXPECT_EQ(host->stored.Split(String("|"))[76].ToInt(), 4000);

  // A tie goes below the equal entry; the last list always takes the score.
  for (int r = 0; r < 10; ++r) app->m_highScores[20 + r] = 500 - 100 * r;  // 500 .. -400
  app->m_difficulty = 3;
  app->m_score = 400;
  app->p_LoadMenu();
  EXPECT_EQ(app->m_highScores[21], 400);
  EXPECT_EQ(app->m_highScores[22], 400);
  EXPECT_EQ(app->m_highScores[23], 300);
  app->m_score = -400;
  app->p_LoadMenu();
  EXPECT_EQ(app->m_highScores[29], -300);
  EXPECT_EQ(app->m_highScores[50], -400);
  EXPECT_EQ(app->m_highScores[51], 400);
}

}  // namespace
}  // namespace shelltest
