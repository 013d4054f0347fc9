// skarblit-bench --gl on a private display: the same scene filtered and unfiltered, and the
// shot of its last frame.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdlib>
#include <set>
#include <string>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

TEST(GlBench, FiltersTheSameSceneIntoFewerDrawCallsAndShootsTheWholeFrame) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start()) << "Xvfb did not come up";
  kxtest::TempDir dir("kx_glbench");
  const std::string shot = dir.path + "/shot.png";
  kxtest::ProcessResult run = kxtest::RunProcess(
      {std::string(KX_BINARY_DIR) + "/skarblit-bench", "--gl", "--frames=3", "--shot", shot}, "",
      true, 240, {"DISPLAY=" + xvfb.Display()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  // Each figure is printed as name=value on a line of its own.
  auto figure = [&](const std::string& name) {
    const size_t at = ("\n" + run.out).find("\n" + name + "=");
    EXPECT_NE(at, std::string::npos) << name << " missing in\n" << run.out;
    return at == std::string::npos ? -1 : std::atof(run.out.c_str() + at + name.size() + 1);
  };
  EXPECT_EQ(figure("gl_vertices"), figure("gl_vertices_unfiltered"));
  EXPECT_LT(figure("gl_draw_calls"), figure("gl_draw_calls_unfiltered"));
  // The window's size, and the scene's artwork in it: a blank frame, or sprites drawn without
  // their textures, has few shades.
  int w = 0, h = 0, channels = 0;
  unsigned char* rgb = stbi_load(shot.c_str(), &w, &h, &channels, 3);
  ASSERT_NE(rgb, nullptr) << "no shot";
  EXPECT_EQ(w * 1000 + h, 640480);
  std::set<int> shades;
  for (int i = 0; i < 3 * w * h; i += 3) shades.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
  EXPECT_GT(shades.size(), 1000u);
  stbi_image_free(rgb);
}

}  // namespace
