// The asset loader: its 29 steps, the resolution chosen by the window, the logo sound played
// once per run, and missing files.
#include "tests/support/game_fixture.h"

namespace gametest {
namespace {

class LoaderTest : public GameTest {
 protected:
  // Runs the loader's step `step` alone.
  void Step(int step) {
    app->m_loading = step;
    app->p_Loader();
  }
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

TEST_F(LoaderTest, ResolutionFollowsTheWindow) {
  struct Case {
    int w, h, scale, menuCell;
  } cases[] = {{630, 630, 1, 256}, {640, 480, 2, 512}, {1280, 720, 4, 1024}};
  for (const Case& c : cases) {
    kx_app__app = nullptr;
    Resize(c.w, c.h);
    Create();
    Step(11);
    Step(13);
    // The font keeps its metrics.
    EXPECT_EQ(Values(app->m_assetScale, app->m_imageScale * c.scale, app->m_images[99]->m_width,
                     app->m_images[90]->m_width),
              Values(c.scale, 1, c.menuCell, 16 * c.scale))
        << c.w;
    EXPECT_EQ((std::vector<std::vector<int>>{Info(99), Info(90), Info(96)}),
              (std::vector<std::vector<int>>{
                  {c.menuCell, c.menuCell, 4}, {7, 10, 128}, {8 * c.scale, 8 * c.scale, 256}}));
  }
}

}  // namespace
}  // namespace gametest
