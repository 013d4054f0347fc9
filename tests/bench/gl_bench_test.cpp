// skarblit-bench --gl on a private display: every figure is printed, and the shot is the heaviest
// frame filling the window.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

TEST(GlBench, PrintsEveryFigureAndTheShotShowsTheScene) {
  kxtest::Xvfb xvfb;
  ASSERT_TRUE(xvfb.Start()) << "Xvfb did not come up";
  const std::string dir = kxtest::MakeTempDir("kx_glbench");
  const std::string shot = dir + "/shot.png";
  kxtest::ProcessResult run =
      kxtest::RunProcess({std::string(KX_BINARY_DIR) + "/skarblit-bench", "--gl", "--frames=3",
                          "--shot", shot},
                         "", true, 300, {"DISPLAY=" + xvfb.Display()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;

  // Each figure is printed as name=value on a line of its own.
  auto figure = [&](const std::string& name) {
    const size_t at = ("\n" + run.out).find("\n" + name + "=");
    return at == std::string::npos ? 0.0 : std::atof(run.out.c_str() + at + name.size() + 1);
  };
  for (const std::string suffix : {"", "_unfiltered"}) {
    for (const std::string name : {"gl_frame_ms", "gl_frame_cpu_ms", "gl_frame_main_thread_cpu_ms",
                                   "gl_fps", "gl_draw_calls", "gl_vertices"}) {
      EXPECT_GT(figure(name + suffix), 0) << name + suffix << " missing in\n" << run.out;
    }
  }
  // The same scene both ways; only the filtered frames skip the repeated state.
  EXPECT_EQ(figure("gl_vertices"), figure("gl_vertices_unfiltered"));
  EXPECT_LT(figure("gl_draw_calls"), figure("gl_draw_calls_unfiltered"));

  int w = 0, h = 0, channels = 0;
  unsigned char* rgb = stbi_load(shot.c_str(), &w, &h, &channels, 3);
  ASSERT_NE(rgb, nullptr) << "no shot";
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  // Foes, sparks and lightning from their artwork, blended over the backdrop, cover the whole
  // arena in thousands of shades in every part of the window. A frame drawn small or shifted
  // leaves flat parts; a blank one, or sprites drawn without their textures, has few shades.
  std::string flat;
  for (int cell = 0; cell < 16; ++cell) {
    std::set<int> shades;
    for (int y = cell / 4 * 120; y < cell / 4 * 120 + 120; ++y) {
      for (int x = cell % 4 * 160; x < cell % 4 * 160 + 160; ++x) {
        const unsigned char* p = rgb + (y * w + x) * 3;
        shades.insert(p[0] << 16 | p[1] << 8 | p[2]);
      }
    }
    if (shades.size() < 1000) flat += std::to_string(cell) + " ";
  }
  EXPECT_EQ(flat, "") << "cells of the 4x4 grid with few shades";
  stbi_image_free(rgb);
  std::filesystem::remove_all(dir);
}

}  // namespace
