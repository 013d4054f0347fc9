// The graphics module on a real window: drawing through the context and the render device
// (frame reset, matrix stack, scissor, images placed by handle, rotated, scaled and mirrored,
// shapes, blending, texel sampling, batching seen through the OpenGL seam, the state filter's
// pixel identity), and surfaces and images (premultiplication, the size limits of image files,
// textures after the window opens again, the power-of-two retry, frame layouts, border flags,
// handles, the whole-surface flag and the default font). The window lives on a private display;
// picture files go to a folder removed when the program ends.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "graphics/gl.h"
#include "graphics/graphics.h"
#include "host/glfwgame.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

// Opens the window again (a new OpenGL context), as the full-screen toggle does.
void ReopenWindow() {
  KxGlfwGame::_glfwGame->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
}

// Starts Xvfb and opens the 640x480 window through the host, once per program (both go when
// its tests have run); false when the display could not be started.
bool OpenWindow() {
  return kxtest::SharedDisplay(
      [] {
        if (!glfw2::Real()->Init()) return false;
        KxGame::_game = KxGlfwGame::_glfwGame = new KxGlfwGame;
        kx_graphics_Init();
        ReopenWindow();
        return true;
      },
      [] { glfw2::Real()->Terminate(); });
}

// A new device with its frame and the context's frame begun, cleared to black.
gxtkGraphics* NewFrame() {
  gxtkGraphics* device = new gxtkGraphics;
  kx_graphics_SetGraphicsDevice(device);
  device->BeginRender();
  kx_graphics_BeginRender();
  device->Cls(0, 0, 0);
  return device;
}

// A draw call: its mode, first vertex (0 starts a new batch for array draws) and count
// (vertices, or indices for the indexed quad draws).
typedef std::array<int, 3> DrawCall;
typedef std::vector<std::pair<int, int>> Pairs;

// While alive, records what passes the seam (and still forwards it to the driver).
struct GlRecorder {
  std::vector<DrawCall> draws;
  std::vector<GLuint> deleted;
  Pairs texSizes;
  // Texture allocations of a width that is not a power of two then fail with GL_INVALID_VALUE.
  bool refuseOddSizes = false;

  static inline GlRecorder* rec = nullptr;
  static inline bool refused = false;  // the last allocation, until GetError tells it
  static const KxGlApi& Driver() { return kx_graphics_DriverGl(); }

  GlRecorder() {
    rec = this;
    KxGlApi& gl = kx_graphics_gl;
    gl.DrawArrays = [](GLenum mode, GLint first, GLsizei count) {
      rec->draws.push_back({static_cast<int>(mode), first, count});
      Driver().DrawArrays(mode, first, count);
    };
    gl.DrawElements = [](GLenum mode, GLsizei count, GLenum type, const void* indices) {
      rec->draws.push_back({static_cast<int>(mode), 0, count});
      Driver().DrawElements(mode, count, type, indices);
    };
    gl.DeleteTextures = [](GLsizei n, const GLuint* names) {
      rec->deleted.insert(rec->deleted.end(), names, names + n);
      Driver().DeleteTextures(n, names);
    };
    gl.TexImage2D = [](GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h,
                       GLint border, GLenum format, GLenum type, const void* pixels) {
      rec->texSizes.push_back({w, h});
      refused = rec->refuseOddSizes && (w & (w - 1)) != 0;
      if (refused) return;
      Driver().TexImage2D(target, level, internal, w, h, border, format, type, pixels);
    };
    gl.GetError = []() -> GLenum {
      if (!refused) return Driver().GetError();
      return refused = false, GL_INVALID_VALUE;
    };
  }
  ~GlRecorder() { kx_graphics_gl = Driver(), rec = nullptr; }
  // Each draw's {first, count}.
  Pairs Spans() const {
    Pairs spans;
    for (const DrawCall& call : draws) spans.push_back({call[1], call[2]});
    return spans;
  }
};

// The colour at (x, y) (y down) as 0xRRGGBB, read back through the device.
unsigned int Rgb(gxtkGraphics* device, int x, int y) {
  Array<int> pixel(1);
  device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
  return static_cast<unsigned int>(pixel[0]) & 0xFFFFFF;
}

// A folder of the program's own, removed when it ends.
const std::string& Scratch() {
  static const kxtest::TempDir dir("kxgraphics");
  return dir.path;
}

// Writes a PNG of `channels` bytes per pixel into the scratch folder; returns the path.
std::string WritePng(const std::string& name, int width, int height, int channels,
                     const std::vector<unsigned char>& pixels) {
  const std::string path = Scratch() + "/" + name;
  stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
  return path;
}

// A 2x2 surface loaded from a picture: red, green / blue, white.
gxtkSurface* Checker(gxtkGraphics* device) {
  const std::vector<unsigned char> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  return device->LoadSurface(String(WritePng("checker.png", 2, 2, 3, rgb).c_str()));
}

// The window open and a fresh frame begun on `d`.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindow()) << "no private X display";
    d = NewFrame();
  }
  // The spots of `want`, each {x, y, 0xRRGGBB}, that read back otherwise, as "x,y=rrggbb ";
  // empty when all match.
  std::string Misses(std::initializer_list<std::array<int, 3>> want) {
    std::string misses;
    char text[32];
    for (const auto& spot : want) {
      const unsigned int rgb = Rgb(d, spot[0], spot[1]);
      snprintf(text, sizeof text, "%d,%d=%06x ", spot[0], spot[1], rgb);
      if (rgb != static_cast<unsigned int>(spot[2])) misses += text;
    }
    return misses;
  }
  // The colours r pixels diagonally out from (x, y), clockwise from the top left, as letters.
  std::string Around(int x, int y, int r = 8) {
    const unsigned int colours[] = {0xFF0000, 0xFF00, 0xFF, 0xFFFFFF};
    std::string seen;
    for (const auto& s : {std::array<int, 2>{-r, -r}, {r, -r}, {r, r}, {-r, r}}) {
      seen += "rgbw."[std::find(colours, colours + 4, Rgb(d, x + s[0], y + s[1])) - colours];
    }
    return seen;
  }
  std::vector<GLint> ScissorBox() {
    std::vector<GLint> box(4);
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    return box;
  }
  std::vector<float> Matrix() {
    c_GraphicsContext* c = kx_graphics_context;
    return {c->m_ix, c->m_iy, c->m_jx, c->m_jy, c->m_tx, c->m_ty};
  }
  gxtkSurface* Load(const std::string& path) { return d->LoadSurface(String(path.c_str())); }
  gxtkGraphics* d = nullptr;
};
typedef WindowTest DrawTest;
typedef WindowTest GxtkSurfaceTest;

TEST_F(DrawTest, PopsRestoreTheMatrixAndBeginRenderResetsWhatTheLastFrameLeft) {
  kx_graphics_Rotate(30);
  const std::vector<float> before = Matrix();
  for (int i = 0; i < 40; ++i) kx_graphics_PushMatrix(), kx_graphics_Scale(1.01f, 0.99f);
  for (int i = 0; i < 41; ++i) kx_graphics_PopMatrix();  // the last one unmatched: ignored
  EXPECT_EQ(Matrix(), before);
  // Colour, alpha, blend, scissor and a pushed matrix left behind.
  kx_graphics_SetColor(10, 20, 30), kx_graphics_SetAlpha(0.25f), kx_graphics_SetBlend(1);
  kx_graphics_SetScissor(5, 5, 10, 10), kx_graphics_PushMatrix();
  kx_graphics_EndRender();
  EXPECT_EQ(kx_graphics_renderDevice, nullptr);
  d->BeginRender();
  kx_graphics_BeginRender();
  EXPECT_EQ(kx_graphics_renderDevice, d);
  GLint dst = 0;
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ((std::vector<long long>{d->colorARGB, kx_graphics_context->m_matrixSp, dst,
                                    glIsEnabled(GL_SCISSOR_TEST)}),
            (std::vector<long long>{0xFFFFFFFF, 0, GL_ONE_MINUS_SRC_ALPHA, 0}));
  EXPECT_EQ(Matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
}

TEST_F(DrawTest, ImagesArePlacedByHandleRotatedScaledAndMirrored) {
  // 32x32 in four quadrants, red, green / blue, white, with its handle in the middle.
  std::vector<unsigned char> rgb(32 * 32 * 3);
  const unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (int i = 0; i < 32 * 32 * 3; ++i) rgb[i] = colours[i / 3 / 512 * 2 + i / 3 % 32 / 16][i % 3];
  const std::string file = WritePng("quadrants.png", 32, 32, 3, rgb);
  c_Image* image = kx_graphics_LoadImage(String(file.c_str()), 1, 1);
  ASSERT_NE(image, nullptr);
  kx_graphics_DrawImage(image, 100, 100, 0);
  kx_graphics_DrawImage2(image, 200, 100, 0, 1, 1, 0);
  kx_graphics_DrawImage2(image, 300, 100, 90, 1, 1, 0);
  kx_graphics_DrawImage2(image, 400, 100, 0, -2, 2, 0);
  kx_graphics_DrawImage2(image, 500, 300, 0, 1, 1, 1);  // no such frame: nothing drawn
  kx_graphics_DrawImage(image, 500, 300, -1);
  kx_graphics_DrawEllipse(500, 100, 10, 5);
  kx_graphics_DrawLine(600.5f, 0, 600.5f, 100);
  d->DrawPoint(400.5f, 300.5f);
  kx_graphics_Translate(10, 0);
  kx_graphics_Scale(2, 3);
  kx_graphics_DrawRect(1, 1, 1, 1);
  d->EndRender();
  // No rotation and unit scale draw as DrawImage does; a positive angle turns counter-clockwise;
  // mirrored about the handle at twice the size; frames that are not there draw nothing.
  EXPECT_EQ(Around(100, 100) + Around(200, 100) + Around(300, 100) + Around(400, 100, 24) +
                Around(500, 300),
            "rgwb" "rgwb" "gwbr" "grbw" "....");
  // The first image's corner; the mirrored one's edge; the ellipse's box (490, 95, 20, 10)
  // with its corner empty; the line and the point at pixel centres; the rectangle under the
  // translated, scaled matrix.
  EXPECT_EQ(Misses({{84, 84, 0xFF0000}, {83, 84, 0}, {367, 100, 0}, {500, 100, 0xFFFFFF},
                    {491, 100, 0xFFFFFF}, {500, 96, 0xFFFFFF}, {489, 100, 0}, {500, 94, 0},
                    {510, 100, 0}, {491, 96, 0}, {600, 50, 0xFFFFFF}, {601, 50, 0},
                    {400, 300, 0xFFFFFF}, {12, 3, 0xFFFFFF}, {11, 3, 0}}),
            "");
}

TEST_F(DrawTest, BatchesFlushWhenFullOrOnKindOrTextureButNotOnMatrixChanges) {
  gxtkSurface* surface = Checker(d);
  GlRecorder gl;
  for (int i = 0; i < 300; ++i) d->DrawRect(i, 0, 1, 1);
  EXPECT_EQ(gl.draws.size(), 1u) << "a full batch goes at once";
  d->DrawSurface(surface, 10, 10);
  d->SetMatrix(0, -1, 1, 0, 50, 50);
  d->DrawSurface(surface, 10, 10);
  d->DrawLine(0, 0, 5, 5);
  d->DrawLine(0, 5, 5, 0);
  d->EndRender();
  // Six indices a quad: 256 rectangles fill a batch, 44 follow, then two surfaces, then lines.
  EXPECT_EQ(gl.Spans(), (Pairs{{0, 1536}, {0, 264}, {0, 12}, {0, 4}}));
  EXPECT_EQ(gl.draws[3][0], GL_LINES);
  gl.draws.clear();
  d = NewFrame();
  d->DrawRect(0, 0, 640, 480);
  d->Cls(0, 0, 255);
  d->EndRender();
  EXPECT_TRUE(gl.draws.empty()) << "clearing drops what was pending";
  EXPECT_EQ(Rgb(d, 320, 240), 0x0000FFu);
}

TEST_F(DrawTest, OvalSegmentsFollowTheSizeAndOnlyEqualOnesShareABatch) {
  GlRecorder gl;
  // 21 x 10: 10 (half to even) + 5 gives 12 (rounding half up would give 16); 102 x 61:
  // 51 + 30 (half to even) = 81, down to a multiple of 4.
  const float sizes[][2] = {{10, 10}, {21, 10}, {100, 60}, {102, 61}, {3000, 3000}};
  for (const auto& size : sizes) d->DrawOval(0, 0, size[0], size[1]);
  d->SetMatrix(0, 2, -2, 0, 0, 0);  // a quarter turn at twice the size
  d->DrawOval(0, 0, 100, 60);
  d->EndRender();
  // Each fan's first vertex and vertex count.
  EXPECT_EQ(gl.Spans(),
            (Pairs{{0, 12}, {12, 12}, {0, 80}, {80, 80}, {0, 1024}, {0, 160}}));
  EXPECT_EQ(gl.draws[0][0], GL_TRIANGLE_FAN);
}

TEST_F(DrawTest, PremultipliedAndAdditiveBlending) {
  d->Cls(0, 0, 255);
  d->SetColor(255, 128, 0), d->SetAlpha(0.5f);
  EXPECT_EQ(d->colorARGB, 0x7F00407Fu) << "premultiplied and truncated, not rounded";
  d->DrawRect(0, 0, 10, 10);
  d->SetBlend(1), d->SetColor(100, 50, 0), d->SetAlpha(1);
  d->DrawRect(20, 0, 10, 10);
  d->EndRender();
  const unsigned int half = Rgb(d, 5, 5);  // 0x7F4080, give or take one per channel
  for (int shift : {16, 8, 0}) EXPECT_NEAR(half >> shift & 255, 0x7F4080u >> shift & 255, 1);
  EXPECT_EQ(Rgb(d, 25, 5), 0x6432FFu);
}

TEST_F(DrawTest, ScissorRoundsHalvesToEvenAndClipsDrawingAndClearing) {
  kx_graphics_SetScissor(0.5f, 1.5f, 100, 100);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{0, 378, 100, 100}));
  kx_graphics_SetScissor(2.5f, 0, 99.5f, 100.5f);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{2, 380, 100, 100}));
  d->SetScissor(10, 20, 100, 50);
  EXPECT_EQ(ScissorBox(), (std::vector<GLint>{10, 410, 100, 50}));
  d->Cls(0, 255, 0), d->SetColor(255, 0, 0), d->DrawRect(0, 0, 60, 480);
  // The whole window is "scissoring off", but only while the window is that size.
  for (int width : {640, 320, 640}) {
    d->width = width;
    d->SetScissor(0, 0, 640, 480);
    EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), width != 640) << width;
  }
  d->EndRender();
  EXPECT_EQ(Misses({{5, 40, 0}, {15, 25, 0xFF0000}, {80, 25, 0xFF00}, {80, 75, 0}}), "");
}

TEST_F(DrawTest, SurfaceRectanglesAndTexturedPolygonsSampleTheRightTexels) {
  gxtkSurface* surface = Checker(d);
  d->DrawSurface2(surface, 0, 0, 1, 0, 1, 1);  // the green texel alone
  const float quad[16] = {100, 100, 0, 0, 120, 100, 2, 0, 120, 120, 2, 1, 100, 120, 0, 1};
  d->DrawPoly2(Array<float>(quad, 16), surface, 0, 1);  // the bottom row, stretched
  d->EndRender();
  EXPECT_EQ(Misses({{0, 0, 0xFF00}, {1, 0, 0}, {105, 110, 0xFF}, {115, 110, 0xFFFFFF}}), "");
}

TEST_F(DrawTest, PixelTransfersBeyondTheirArraysOrSurfacesAreRefused) {
  Array<int> small(4);
  gxtkSurface* surface = d->CreateSurface(4, 4);
  // Width, height, offset and pitch of rows that leave the four-int array or overlap.
  const int refused[][4] = {{4, 4, 0, 4}, {2, 2, 0, 1}, {2, 1 << 20, 0, 0}, {-1, 1, 0, 4},
                            {1, -1, 0, 4}, {1, 1, -1, 1}, {1, 1, 4, 1}};
  for (const auto& r : refused) {
    for (int i = 0; i < 4; ++i) small[i] = 7;
    d->ReadPixels(small, 0, 0, r[0], r[1], r[2], r[3]);
    d->WritePixels2(surface, small, 0, 0, r[0], r[1], r[2], r[3]);
    EXPECT_EQ(small[0] + small[1] + small[2] + small[3], 28) << r[0] << "x" << r[1];
  }
  d->WritePixels2(surface, small, 3, 3, 2, 2, 0, 2);
  EXPECT_EQ(surface->data, nullptr);
  // Two rows of two fill the array exactly.
  d->ReadPixels(small, 0, 0, 2, 2, 0, 2);
  EXPECT_EQ(small[3], static_cast<int>(0xFF000000u));
}

// Two frames of a seeded mix in which most state requests repeat the previous one, as in play
// (the second frame starts with the first one's scissor and blend still set): the last
// frame's pixels, and the draw calls of both in `draws`.
std::vector<int> Render(bool filter, int* draws) {
  const int boxes[][4] = {{0, 0, 640, 480}, {10, 20, 300, 200}, {200, 100, 400, 300}};
  std::mt19937 rng(1234);
  auto next = [&rng](int range) { return static_cast<int>(rng() % static_cast<unsigned>(range)); };
  GlRecorder recorder;
  Array<int> pixels(640 * 480);
  int blend = 0, box = 0, shape = 0;
  for (int frame = 0; frame < 2; ++frame) {
    gxtkGraphics* d = NewFrame();
    d->filterState = filter;
    gxtkSurface* checker = Checker(d);
    for (int i = 0; i < 400; ++i) {
      if (next(8) == 0) blend = next(3) == 0;
      if (next(16) == 0) box = next(3);
      if (next(8) == 0) shape = next(4);
      const float size = 4 + next(40), turn = next(360) * 0.0174533f;
      d->SetAlpha(next(100) / 99.0f);
      d->SetColor(next(256), next(256), next(256));
      d->SetBlend(blend);
      d->SetScissor(boxes[box][0], boxes[box][1], boxes[box][2], boxes[box][3]);
      d->SetMatrix(std::cos(turn), -std::sin(turn), std::sin(turn), std::cos(turn), next(600),
                   next(440));
      if (shape == 0) d->DrawRect(0, 0, size, size / 2);
      if (shape == 1) d->DrawSurface2(checker, 0, 0, 0, 0, 2, 2);
      if (shape == 2) d->DrawLine(0, 0, size, size);
      if (shape == 3) d->DrawOval(0, 0, size, size);
    }
    d->EndRender();
    d->ReadPixels(pixels, 0, 0, 640, 480, 0, 640);
  }
  *draws = static_cast<int>(recorder.draws.size());
  return std::vector<int>(pixels.Data(), pixels.Data() + pixels.Length());
}

TEST_F(DrawTest, StateFilterKeepsFramesPixelIdenticalWithFewerDrawCalls) {
  int unfilteredDraws = 0, filteredDraws = 0;
  const std::vector<int> unfiltered = Render(false, &unfilteredDraws);
  EXPECT_TRUE(Render(true, &filteredDraws) == unfiltered) << "the pictures differ";
  EXPECT_LT(filteredDraws * 2, unfilteredDraws);
}

std::vector<int> Bytes(const gxtkSurface* s, int n) {
  return s ? std::vector<int>(s->data, s->data + n) : std::vector<int>();
}

TEST_F(GxtkSurfaceTest, ColourIsPremultipliedByAlphaAtLoad) {
  EXPECT_EQ(Bytes(Load(WritePng("rgba.png", 1, 1, 4, {200, 100, 50, 128})), 4),
            (std::vector<int>{100, 50, 25, 128}));
  gxtkSurface* grey = Load(WritePng("grey_alpha.png", 1, 1, 2, {200, 128}));
  EXPECT_EQ(Bytes(grey, 2), (std::vector<int>{100, 128}));
  EXPECT_EQ(grey->format, GL_LUMINANCE_ALPHA);
  // Pixels written later are premultiplied the same way and reach the texture.
  gxtkSurface* made = d->CreateSurface(1, 1);
  Array<int> argb(1);
  argb[0] = static_cast<int>(0x80FF6400u);
  d->WritePixels2(made, argb, 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(Bytes(made, 4), (std::vector<int>{128, 50, 0, 128}));
  d->DrawSurface(made, 7, 7);
  d->EndRender();
  EXPECT_EQ(Rgb(d, 7, 7), 0x803200u);
}

// Refused before anything is decoded: a picture wider than the side limit, a header claiming
// 16000 x 16000 (within that limit, but 768 MB), and a file that is not there.
TEST_F(GxtkSurfaceTest, ImageFilesOfImplausibleSizesGiveNull) {
  const std::string dir = Scratch();
  const std::vector<unsigned char> black(16385);
  WritePng("long.png", 16385, 1, 1, black);
  std::string wide = kxtest::ReadFile(WritePng("wide.png", 2, 2, 3, black));
  wide.replace(16, 8, std::string("\x00\x00\x3E\x80\x00\x00\x3E\x80", 8));
  kxtest::WriteFile(dir + "/wide.png", wide);
  for (const std::string file : {"/long.png", "/wide.png", "/absent.png"}) {
    EXPECT_EQ(Load(dir + file), nullptr) << file;
    EXPECT_EQ(kx_graphics_LoadImage(String((dir + file).c_str()), 1, 0), nullptr) << file;
  }
}

// Every opening makes a new OpenGL context: a surface makes its texture again there from the
// pixels it kept, and one discarded there leaves the new context's names alone.
TEST_F(GxtkSurfaceTest, AfterTheWindowOpensAgainTexturesAreMadeAgain) {
  gxtkSurface* old = Checker(d);
  gxtkSurface* kept = Checker(d);
  d->EndRender();
  ReopenWindow();
  d = NewFrame();
  GlRecorder gl;
  old->Discard();
  EXPECT_TRUE(gl.deleted.empty());
  // The checker ten times enlarged at (20, 20).
  d->SetMatrix(10, 0, 0, 10, 20, 20);
  d->DrawSurface(kept, 0, 0);
  d->EndRender();
  EXPECT_EQ(Misses({{25, 25, 0xFF0000}, {35, 25, 0xFF00}, {25, 35, 0xFF}, {35, 35, 0xFFFFFF}}), "");
}

TEST_F(GxtkSurfaceTest, RefusedTextureSizesAreRetriedAtPowersOfTwo) {
  std::vector<unsigned char> green(50 * 20 * 3);
  for (size_t i = 1; i < green.size(); i += 3) green[i] = 255;
  GlRecorder gl;
  gl.refuseOddSizes = true;
  gxtkSurface* surface = Load(WritePng("odd.png", 50, 20, 3, green));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(gl.texSizes, (Pairs{{50, 20}, {64, 32}}));
  EXPECT_EQ(std::make_pair(surface->uscale, surface->vscale), std::make_pair(1.0f / 64, 1.0f / 32));
  d->DrawSurface(surface, 10, 10);
  d->EndRender();
  // Only the image's corner of the texture is sampled.
  EXPECT_EQ(Misses({{59, 29, 0xFF00}, {60, 30, 0}}), "");
}

typedef Pairs Corners;

// A surface held in memory only: layouts need no texture.
gxtkSurface* MemorySurface(int width, int height) {
  gxtkSurface* surface = new gxtkSurface;
  surface->SetData(static_cast<unsigned char*>(calloc(static_cast<size_t>(width) * height, 4)),
                   width, height, 4);
  return surface;
}

c_Image* Row(int width, int height, int frames, int flags) {
  return (new c_Image)->m_new()->p_Init(MemorySurface(width, height), frames, flags);
}

// Frames of a 100x40 surface cut from the source box (srcx, srcy, srcw, srch), from (x, 0) on.
c_Image* Grid(int w, int h, int frames, int x = 0, int srcx = 0, int srcy = 0, int srcw = 100,
              int srch = 40) {
  return (new c_Image)
      ->m_new()
      ->p_Init2(MemorySurface(100, 40), x, 0, w, h, frames, 0, nullptr, srcx, srcy, srcw, srch);
}

Corners CornersOf(c_Image* image) {
  Corners corners;
  for (int i = 0; i < image->m_frames.Length(); ++i) {
    corners.push_back({image->m_frames[i]->m_x, image->m_frames[i]->m_y});
  }
  return corners;
}

TEST(ImageFramesTest, FramesBordersHandlesAndTheWholeSurfaceFlag) {
  c_Image* both = Row(20, 10, 2, 1 | 2 | 4);
  EXPECT_EQ(CornersOf(both), (Corners{{1, 1}, {11, 1}}));
  // Width, height, handle x and flags.
  EXPECT_EQ((std::vector<float>{float(both->m_width), float(both->m_height), both->m_tx,
                                float(both->m_flags)}),
            (std::vector<float>{8, 8, 4, 6}));
  c_Image* centred = Row(64, 32, 1, 1);
  EXPECT_EQ(std::make_pair(centred->m_flags, centred->m_ty), std::make_pair(65536, 16.0f));
  EXPECT_EQ(Row(64, 32, 1, 2)->m_flags, 2) << "a bordered frame does not cover the surface";
  EXPECT_EQ(Row(64, 32, 2, 0)->m_flags, 0);
  EXPECT_EQ(CornersOf(Grid(30, 20, 6)),
            (Corners{{0, 0}, {30, 0}, {60, 0}, {0, 20}, {30, 20}, {60, 20}}));
  EXPECT_EQ(CornersOf(Grid(10, 10, 3, 10, 50, 5, 25, 20)), (Corners{{60, 5}, {50, 15}, {60, 15}}));
}

// The error path reads debugger commands from standard input and reports on standard output;
// the child gets no input and reports where the death test looks.
void SevenFramesOfThirtyByTwenty() {
  if (!std::freopen("/dev/null", "r", stdin)) std::abort();
  dup2(2, 1);
  Grid(30, 20, 7);
}

TEST(ImageFramesDeathTest, FramesOutsideTheSurfaceAreARunTimeError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(SevenFramesOfThirtyByTwenty(), ::testing::ExitedWithCode(255),
              "Vantor Runtime Error : Image frame outside surface");
}

// Asked for with a folder without the font as the working directory, then with one whose data
// folder has it.
TEST_F(GxtkSurfaceTest, TheDefaultFontIsLoadedOnceAndMayBeMissing) {
  c_GraphicsContext* ctx = kx_graphics_context;
  gc_assign(ctx->m_defaultFont, nullptr);
  char home[4096];
  ASSERT_TRUE(getcwd(home, sizeof home));
  mkdir((Scratch() + "/data").c_str(), 0755);
  for (const bool there : {false, true}) {
    if (there) {
      WritePng("data/lumo_font.png", 960, 12, 1, std::vector<unsigned char>(11520));
    }
    ASSERT_EQ(chdir(Scratch().c_str()), 0);
    kx_graphics_SetFont(nullptr, 0);
    ASSERT_EQ(chdir(home), 0);
    EXPECT_EQ(ctx->m_defaultFont != nullptr, there);
  }
  c_Image* font = ctx->m_defaultFont;
  EXPECT_EQ(font->m_frames[95]->m_x, 951) << "96 frames of 8, each with a border";
  kx_graphics_SetFont(nullptr, 0);
  EXPECT_EQ(ctx->m_defaultFont, font) << "loaded only once";
}

}  // namespace
