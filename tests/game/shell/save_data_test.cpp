// The state string: layout, checksums, block-by-block fallback and a score's place. What the
// first start and each finished game save shows in the recorded replays, which hash every save.
#include <algorithm>
#include <string>

#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

// n numbers: the given ones at their positions, 0 elsewhere, each followed by "|".
std::string StateOf(std::initializer_list<std::pair<int, long long>> values, int n = 98) {
  std::vector<long long> v(n, 0);
  for (const auto& p : values) v[p.first] = p.second;
  std::string s;
  for (long long x : v) s += std::to_string(x) + "|";
  return s;
}

bool Printed(const std::string& out, const char* line) { return out.find(line) != std::string::npos; }

class SaveDataTest : public GameTest {
 protected:
  // Creates a fresh game with the given state string and returns what p_Load printed.
  std::string CreateWith(const std::string& state) {
    kx_app__app = nullptr;
    host->stored = String::FromUtf8(state);
    return StdoutOf([&] { Create(); });
  }
  std::string Saved() {
    app->p_Save();
    return host->stored.ToUtf8();
  }
  int Setting(int i) { return app->m_settings[i]; }
};

TEST_F(SaveDataTest, EachDamagedBlockFallsBackAlone) {
  std::string out = CreateWith(StateOf({{3, 7}, {5, 2}, {25, 10}, {26, 6}, {34, 6},
                                        {35, 500}, {36, 400}, {55, 3200}}));
  EXPECT_TRUE(Printed(out, "Settings Checksum Invalid\nBadges Loaded\nHighscore 0 Loaded\n"));
  EXPECT_EQ(Values(Setting(3), Setting(5), Setting(10)), Values(0, 1, 64));
  EXPECT_EQ(Values(app->m_badges[0], app->m_badges[1], app->m_badges[2], app->m_highScores[0],
                   app->m_highScores[30]),
            Values(0, 1, 1, 500, 400));
  out = CreateWith(StateOf({{5, 1}, {25, 5}, {35, 900}, {55, 3600}, {56, 800}, {76, 3201}}));
  EXPECT_TRUE(Printed(out, "Highscore 0 Loaded\nHighscore 1 Checksum Invalid\nHighscore 2 Loaded"));
  EXPECT_EQ(Values(app->m_highScores[0], app->m_highScores[10]), Values(900, 0));
  // Slot 0 has no weight in the checksum; settings under their floor are corrected.
  EXPECT_TRUE(Printed(CreateWith(StateOf({{0, 99}, {5, 2}, {10, 100}, {12, 8}, {25, 1106}})),
                      "Settings Loaded"));
  EXPECT_EQ(Values(Setting(0), Setting(10), Setting(12)), Values(99, 100, 8));
  CreateWith(StateOf({{12, 7}, {25, 84}}));
  EXPECT_EQ(app->m_settings[12], 10);
}

TEST_F(SaveDataTest, ShortStringsSkipWholeBlocksAndKeepTheirDefaults) {
  // Exactly 25 tokens: no settings block, but the corrections still apply.
  EXPECT_FALSE(Printed(CreateWith(StateOf({{5, 3}}, 24) + "0"), "Settings"));
  EXPECT_EQ(Values(Setting(5), Setting(11), Setting(14)), Values(1, 64, 1));
  // Cut inside group 1: group 0 loads, groups 1 and 2 keep their zeros and say nothing.
  std::string full = StateOf({{5, 1}, {25, 5}, {35, 300}, {55, 1200}, {56, 256}, {57, 13}});
  std::string out = CreateWith(full.substr(0, full.find("|13|") + 4));
  EXPECT_TRUE(Printed(out, "Highscore 0 Loaded"));
  EXPECT_FALSE(Printed(out, "Highscore 1"));
  EXPECT_EQ(Values(app->m_highScores[0], app->m_highScores[10]), Values(300, 0));
  // Tokens after the last group change nothing.
  EXPECT_FALSE(Printed(CreateWith(StateOf({{5, 1}, {25, 5}}) + "17|x|"), "Invalid"));
}

TEST_F(SaveDataTest, BadgeWordWithBitThirtyOneIsNegativeAndReadsBack) {
  CreateWith("");
  app->m_badges[31] = true;
  std::string saved = Saved();
  // Badge word 0 and the badge checksum.
  EXPECT_EQ(host->Field(26).ToUtf8() + host->Field(34).ToUtf8(), "-2147483648-2147483648");
  EXPECT_TRUE(Printed(CreateWith(saved), "Badges Loaded"));
  EXPECT_EQ(Values(app->m_badges[31], app->m_badges[30]), Values(1, 0));
}

// The banner announces the place the table then gives the score: below an equal entry, and
// none for a score that beats no entry (0 on an empty table).
TEST_F(SaveDataTest, TheBannersPlaceIsTheTablesPlace) {
  const struct {
    int top0, score, place;
    const char* banner;
  } rows[] = {{0, 0, 0, ""}, {0, 10, 1, "1st!"}, {500, 500, 2, "2nd"}, {500, 499, 2, "2nd"},
              {500, 501, 1, "1st!"}};
  for (const auto& row : rows) {
    CreateWith("");
    app->m_difficulty = 2;
    app->m_highScores[10] = row.top0;
    app->m_score = row.score;
    EXPECT_EQ(app->p_MyNth().ToUtf8(), row.banner) << row.top0 << " " << row.score;
    EXPECT_EQ(app->m_myPlace, row.place);
    app->p_LoadMenu();
    EXPECT_EQ(app->m_highScores[10 + std::max(row.place - 1, 0)], row.place ? row.score : row.top0);
  }
}

// Slots 6 and 7 keep the iCade mode and full screen; a state without them starts as before.
TEST_F(SaveDataTest, TheICadeModeAndFullScreenAreKeptAcrossARestart) {
  CreateWith(StateOf({{5, 1}, {25, 5}}));
  EXPECT_EQ(Values(kx_Skarblit_iCadeControls, glfw.opens), Values(0, 0)) << "no window asked for";
  CreateWith(StateOf({{5, 1}, {6, 1}, {7, 1}, {25, 18}}));
  EXPECT_EQ(Values(kx_Skarblit_iCadeControls, app->m_fullscreen, glfw.mode),
            Values(1, 1, glfw2::FULLSCREEN));
  // A suspension lets the iCade's keyboard go; the resumption brings the mode back.
  app->p_OnSuspend();
  app->p_OnResume();
  EXPECT_EQ(kx_Skarblit_iCadeControls, 1);
  // Left windowed when the options box closes, the game starts windowed next time.
  app->p_FullscreenFlip();
  app->CloseOptionBox();
  EXPECT_EQ(Values(host->Field(7).ToInt(), host->Field(6).ToInt()), Values(0, 1));
}

}  // namespace
}  // namespace gametest
