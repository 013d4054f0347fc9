// Skipping blend and scissor requests that change nothing must not change a single pixel: the
// same recorded frames are drawn with the filter on and off and read back byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/graphics/harness.h"

namespace {

// One replayed draw: state as the draw list's replay sets it per record, then the shape.
struct Op {
  float r, g, b, alpha;
  int blend;
  int scissor;  // index into kBoxes
  int shape;    // 0 rectangle, 1 image, 2 line, 3 oval
  float x, y, size, turn;
};

const int kBoxes[][4] = {{0, 0, 640, 480}, {10, 20, 300, 200}, {200, 100, 400, 300}};

// A deterministic mix in which most state requests repeat the previous one, as in play.
std::vector<Op> Record(unsigned seed, int count) {
  auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
  };
  std::vector<Op> ops;
  int blend = 0, scissor = 0, shape = 0;
  for (int i = 0; i < count; ++i) {
    if (next(8) == 0) blend = next(3) == 0 ? 1 : 0;
    if (next(16) == 0) scissor = next(3);
    if (next(8) == 0) shape = next(4);
    ops.push_back({static_cast<float>(next(256)), static_cast<float>(next(256)),
                   static_cast<float>(next(256)), next(100) / 99.0f, blend, scissor, shape,
                   static_cast<float>(next(600)), static_cast<float>(next(440)),
                   static_cast<float>(4 + next(40)), next(360) * 0.017453292f});
  }
  return ops;
}

// Draws two frames (the second starts with the first one's scissor and blend still set) and
// returns the last frame's pixels and the number of draw calls of both.
std::vector<int> Render(bool filter, const std::vector<Op>& ops, int* draws) {
  gfxtest::GlRecorder recorder;
  std::vector<int> pixels;
  for (int frame = 0; frame < 2; ++frame) {
    gxtkGraphics* d = gfxtest::NewFrame();
    d->filterState = filter;
    gxtkSurface* checker = gfxtest::Checker(d);
    for (size_t i = frame; i < ops.size(); i += 2) {
      const Op& op = ops[i];
      const int* box = kBoxes[op.scissor];
      d->SetAlpha(op.alpha);
      d->SetColor(op.r, op.g, op.b);
      d->SetBlend(op.blend);
      d->SetScissor(box[0], box[1], box[2], box[3]);
      d->SetMatrix(std::cos(op.turn), -std::sin(op.turn), std::sin(op.turn), std::cos(op.turn),
                   op.x, op.y);
      switch (op.shape) {
        case 0: d->DrawRect(0, 0, op.size, op.size / 2); break;
        case 1: d->DrawSurface2(checker, 0, 0, 0, 0, 2, 2); break;
        case 2: d->DrawLine(0, 0, op.size, op.size); break;
        default: d->DrawOval(0, 0, op.size, op.size); break;
      }
    }
    d->EndRender();
    if (frame == 1) {
      Array<int> read(640 * 480);
      d->ReadPixels(read, 0, 0, 640, 480, 0, 640);
      pixels.assign(read.Data(), read.Data() + read.Length());
    }
  }
  *draws = static_cast<int>(recorder.draws.size());
  return pixels;
}

TEST(StateFilterTest, FilteredFramesArePixelIdenticalWithFewerDrawCalls) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  const std::vector<Op> ops = Record(1234, 800);
  int unfilteredDraws = 0, filteredDraws = 0;
  const std::vector<int> unfiltered = Render(false, ops, &unfilteredDraws);
  const std::vector<int> filtered = Render(true, ops, &filteredDraws);
  ASSERT_EQ(unfiltered.size(), filtered.size());
  size_t differing = 0;
  for (size_t i = 0; i < filtered.size(); ++i) differing += unfiltered[i] != filtered[i];
  EXPECT_EQ(differing, 0u);
  EXPECT_LT(filteredDraws * 2, unfilteredDraws);
}

TEST(StateFilterTest, SameScissorRequestAfterAResizeStillClips) {
  ASSERT_TRUE(gfxtest::OpenWindow()) << "no private X display";
  gxtkGraphics* d = gfxtest::NewFrame();
  d->SetScissor(0, 0, 640, 480);
  // The window reported smaller: the same request is now a real box, not "scissoring off".
  d->width = 320;
  d->height = 240;
  d->SetScissor(0, 0, 640, 480);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  d->width = 640;
  d->height = 480;
  d->SetScissor(0, 0, 640, 480);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  d->EndRender();
}

}  // namespace
