// The generator's writers: the PNG writer keeps every pixel within a level of what cairo drew,
// and WAV files hold the samples clipped to sixteen bits. (Frames, levels and the shape of
// every sound are checked on the committed files the generator wrote.)
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/support/process.h"
#include "tests/tools/wav_reader.h"
#include "tools/gen/png.h"
#include "tools/gen/synth.h"

namespace {

TEST(GeneratorPng, PixelsSurviveTheRoundTripWithinOneLevel) {
  const int w = 64, h = 48;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  // Gradients in colour and alpha exercise every filter and the faint-colour rounding.
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w, h);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 0.2, 0.1, 0);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 0.3, 0.9, 0.4, 0.5);
  cairo_pattern_add_color_stop_rgba(p, 1, 0.1, 0.3, 1, 1);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  std::string dir = kxtest::MakeTempDir("png");
  ASSERT_TRUE(gen::WritePng(s, dir + "/t.png"));
  int rw = 0, rh = 0, n = 0;
  unsigned char* back = stbi_load((dir + "/t.png").c_str(), &rw, &rh, &n, 4);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(rw, w);
  ASSERT_EQ(rh, h);
  EXPECT_EQ(n, 4);
  const unsigned char* src = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  int worst = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint32_t px = *reinterpret_cast<const uint32_t*>(src + y * stride + x * 4);
      const unsigned char* o = back + (y * w + x) * 4;
      int a = static_cast<int>(px >> 24);
      ASSERT_EQ(o[3], a) << x << "," << y;
      // Premultiplied again, as the game's loader does, each channel is within one level.
      for (int c = 0; c < 3; c++) {
        int drawn = static_cast<int>((px >> (16 - 8 * c)) & 0xff);
        worst = std::max(worst, std::abs(o[c] * a / 255 - drawn));
      }
    }
  EXPECT_LE(worst, 1);
  stbi_image_free(back);
  EXPECT_FALSE(gen::WritePng(s, dir + "/no/such/dir.png"));
  cairo_surface_destroy(s);
  kxtest::RunProcess({"/bin/rm", "-rf", dir});
}

TEST(GeneratorSynth, WavFilesHoldTheSamplesClippedToSixteenBits) {
  std::string dir = kxtest::MakeTempDir("wav");
  gen::Buffer b = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f, 0.25f};
  ASSERT_TRUE(gen::WriteWav(dir + "/t.wav", b, 2));
  // The header's format fields are checked on every committed effect the generator wrote.
  kxtest::Wav w;
  ASSERT_TRUE(kxtest::ReadWav(dir + "/t.wav", &w));
  EXPECT_EQ(w.channels, 2);
  EXPECT_EQ(w.rate, gen::kRate);
  std::vector<short> expect = {0, 16384, -16384, 32767, -32767, 8192};
  EXPECT_EQ(w.samples, expect);
  EXPECT_FALSE(gen::WriteWav(dir + "/no/such/dir.wav", b, 1));
  kxtest::RunProcess({"/bin/rm", "-rf", dir});
}

}  // namespace
