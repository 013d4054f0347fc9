// The generator's building blocks: the PNG writer keeps every pixel within a level of what
// cairo drew, sheets put each frame in its own cell, the synthesizer's oscillators run at the
// asked frequency, and finished effects are zero-mean, silent at the start and at their peak.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/support/process.h"
#include "tests/tools/wav_reader.h"
#include "tools/gen/canvas.h"
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

TEST(GeneratorSheet, EachFrameIsDrawnInItsOwnCellAtEveryScale) {
  // Frame i paints a square of half-size i + 1 about the frame centre.
  gen::Sheet sheet{"t", 16, 8, 3, 2, [](cairo_t* cr, int i) {
                     cairo_rectangle(cr, -(i + 1), -(i + 1), 2 * (i + 1), 2 * (i + 1));
                     cairo_set_source_rgb(cr, 1, 1, 1);
                     cairo_fill(cr);
                   }, true};
  for (int scale : {1, 2, 4}) {
    cairo_surface_t* s = gen::RenderSheet(sheet, scale);
    ASSERT_EQ(cairo_image_surface_get_width(s), 48 * scale);
    ASSERT_EQ(cairo_image_surface_get_height(s), 16 * scale);
    const unsigned char* d = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    auto alpha = [&](int x, int y) { return d[y * stride + x * 4 + 3]; };
    for (int i = 0; i < 6; i++) {
      int cx = (i % 3) * 16 * scale + 8 * scale, cy = (i / 3) * 8 * scale + 4 * scale;
      EXPECT_EQ(alpha(cx, cy), 255) << "frame " << i << " at " << scale;
      // Frames are clipped to their cells: the corner of every cell stays clear.
      EXPECT_EQ(alpha(cx - 8 * scale, cy - 4 * scale), 0) << "frame " << i << " at " << scale;
    }
    cairo_surface_destroy(s);
  }
}

// Counts rising zero crossings of one second of an oscillator.
template <typename F>
int Cycles(F wave) {
  double prev = wave();
  int n = 0;
  for (int i = 1; i < gen::kRate; i++) {
    double v = wave();
    if (prev < 0 && v >= 0) n++;
    prev = v;
  }
  return n;
}

TEST(GeneratorSynth, OscillatorsRunAtTheirFrequency) {
  gen::Osc a, b, c, d;
  EXPECT_NEAR(Cycles([&] { return a.Sine(441); }), 441, 1);
  EXPECT_NEAR(Cycles([&] { return b.Square(220, 0.25); }), 220, 1);
  EXPECT_NEAR(Cycles([&] { return c.Saw(1000); }), 1000, 1);
  EXPECT_NEAR(Cycles([&] { return d.Tri(55); }), 55, 1);
  EXPECT_NEAR(gen::NoteHz(69), 440, 1e-9);
  EXPECT_NEAR(gen::NoteHz(81), 880, 1e-9);
}

TEST(GeneratorSynth, FinishedSoundsAreCenteredSilentAtTheStartAndAtTheirPeak) {
  gen::Buffer b(gen::kRate / 2);
  gen::Osc o;
  for (float& s : b) s = static_cast<float>(0.4 + 0.9 * o.Square(300));  // offset and loud
  gen::Finish(b, 0.7);
  double mean = 0, peak = 0;
  for (float s : b) {
    mean += s;
    peak = std::max(peak, static_cast<double>(std::fabs(s)));
  }
  EXPECT_NEAR(mean / b.size(), 0, 0.005);
  EXPECT_NEAR(peak, 0.7, 1e-6);
  EXPECT_EQ(b.front(), 0.0f);
  EXPECT_EQ(b.back(), 0.0f);
  gen::Buffer empty;
  gen::Finish(empty, 0.7);
  EXPECT_TRUE(empty.empty());
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

// Same seed, same sequence is what the determinism test of the whole generator shows.
TEST(GeneratorRng, DrawsStayInRangeAndSeedZeroDoesNotStick) {
  gen::Rng a(7), zero(0);
  double first = zero.Next();
  bool moves = false;
  for (int i = 0; i < 1000; i++) {
    double x = a.Next(), z = zero.Next();
    EXPECT_TRUE(x >= 0 && x < 1 && z >= 0 && z < 1) << x << " " << z;
    moves = moves || z != first;
  }
  EXPECT_TRUE(moves);
}

}  // namespace
