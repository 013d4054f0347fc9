// The asset loader: its 29 steps, the logo sound played once per run, and missing files. The
// resolution chosen by the window shows in the recordings, made at 640x480 and at full screen.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class LoaderTest : public GameTest {
 protected:
  std::vector<int> Info(int slot) {
    const int* info = app->m_imageInfo.Data() + slot * 3;
    return {info, info + 3};
  }
};

TEST_F(LoaderTest, TwentyNineStepsFillEverySlotPlayTheLogoOnceAndGoPastAMissingFile) {
  Create();
  EXPECT_EQ(LoadAll(), 29);
  for (int slot : {1, 80, 85, 90, 91, 93, 94, 95, 96, 97, 98, 99}) EXPECT_TRUE(app->m_images[slot]);
  for (int cue : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 95, 96, 98, 99})
    EXPECT_TRUE(app->m_sounds[cue]) << cue;
  // The loading screen was recorded by the last step: clear colour (40, 40, 80).
  EXPECT_EQ(Values(app->m_loading, app->m_font, app->m_clsBlue, audio->Count("play")),
            Values(0, 90, 80, 1));
  // Loaded again with a picture gone: its slot is emptied rather than left with the earlier
  // picture, and loading goes on.
  host->missing = "/gfx-hd.png";
  app->p_Reload();
  EXPECT_EQ(LoadAll(), 29);
  EXPECT_EQ(Values(app->m_images[1] == nullptr, app->m_sounds[13] != nullptr, audio->Count("play")),
            Values(1, 1, 1));
  EXPECT_EQ(Info(1), (std::vector<int>{64, 64, 64}));
}

}  // namespace
}  // namespace gametest
