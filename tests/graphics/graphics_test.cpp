// The graphics module on a real window: drawing through the context and the render device
// (frame reset, matrix stack, scissor, images placed by handle, rotated, scaled and mirrored,
// shapes, blending, texel sampling, batching seen through the OpenGL seam, the state filter's
// pixel identity), and surfaces and images (premultiplication, the size limits of image files,
// textures after the window opens again, the power-of-two retry, frame layouts, border flags,
// handles and the whole-surface flag). The window lives on a private display;
// picture files go to a folder removed when the program ends.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <utility>

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
typedef std::vector<std::array<int, 3>> DrawCalls;
typedef std::vector<std::pair<int, int>> Pairs;

// While alive, records what passes the seam (and still forwards it to the driver).
struct GlRecorder {
  DrawCalls draws;
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
      return std::exchange(refused, false) ? GL_INVALID_VALUE : Driver().GetError();
    };
  }
  ~GlRecorder() { kx_graphics_gl = Driver(), rec = nullptr; }
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

// A 2x2 picture: red, green / blue, white.
std::string CheckerPng() {
  return WritePng("checker.png", 2, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
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

// The checker drawn as an image and as surface parts, and shapes, each where it was sent.
TEST_F(DrawTest, ImagesShapesAndSurfacePartsLandWhereTheyAreSent) {
  c_Image* image = kx_graphics_LoadImage(String(CheckerPng().c_str()), 1, 1);  // handle (1, 1)
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
  gxtkSurface* surface = image->m_surface;
  d->DrawSurface2(surface, 0, 0, 1, 0, 1, 1);  // the green texel alone
  const float quad[16] = {100, 200, 0, 0, 120, 200, 2, 0, 120, 220, 2, 1, 100, 220, 0, 1};
  d->DrawPoly2(Array<float>(quad, 16), surface, 0, 1);  // the bottom row, stretched
  kx_graphics_Translate(10, 0);
  kx_graphics_Scale(2, 3);
  kx_graphics_DrawRect(1, 1, 1, 1);
  d->EndRender();
  const int r = 0xFF0000, g = 0xFF00, b = 0xFF, w = 0xFFFFFF;
  // The images' corner pixels clockwise from the top left, and just outside: no rotation and
  // unit scale draw as DrawImage does; a positive angle turns counter-clockwise; mirrored about
  // the handle at twice the size; frames that are not there draw nothing.
  EXPECT_EQ(Misses({{99, 99, r}, {100, 99, g}, {100, 100, w}, {99, 100, b}, {98, 99, 0},
                    {199, 99, r}, {200, 99, g}, {200, 100, w}, {199, 100, b}, {299, 99, g},
                    {300, 99, w}, {300, 100, b}, {299, 100, r}, {398, 98, g}, {401, 98, r},
                    {401, 101, b}, {398, 101, w}, {397, 100, 0}, {499, 299, 0}, {500, 300, 0}}),
            "");
  // The ellipse's box (490, 95, 20, 10) with its corner empty; the line and the point at pixel
  // centres; the surface parts; the rectangle under the translated, scaled matrix.
  EXPECT_EQ(Misses({{500, 100, w}, {491, 100, w}, {500, 96, w}, {489, 100, 0}, {500, 94, 0},
                    {510, 100, 0}, {491, 96, 0}, {600, 50, w}, {601, 50, 0}, {400, 300, w},
                    {0, 0, g}, {1, 0, 0}, {105, 210, b}, {115, 210, w}, {12, 3, w}, {11, 3, 0}}),
            "");
}

// Ovals are fans of as many vertices as their size asks for, so only equal ones batch.
TEST_F(DrawTest, BatchesFlushWhenFullOrOnKindOrTextureOrOvalSizeButNotOnMatrixChanges) {
  gxtkSurface* surface = Load(CheckerPng());
  GlRecorder gl;
  for (int i = 0; i < 300; ++i) d->DrawRect(i, 0, 1, 1);
  EXPECT_EQ(gl.draws.size(), 1u) << "a full batch goes at once";
  d->DrawSurface(surface, 10, 10);
  d->SetMatrix(0, -1, 1, 0, 50, 50);
  d->DrawSurface(surface, 10, 10);
  d->DrawLine(0, 0, 5, 5);
  d->DrawLine(0, 5, 5, 0);
  // Dropped by the clear.
  d->DrawRect(0, 0, 640, 480);
  d->Cls(0, 0, 255);
  d->EndRender();
  d = NewFrame();
  // 21 x 10: 10 (half to even) + 5 gives 12 (rounding half up would give 16); 102 x 61:
  // 51 + 30 (half to even) = 81, down to a multiple of 4.
  const float sizes[][2] = {{10, 10}, {21, 10}, {100, 60}, {102, 61}, {3000, 3000}};
  for (const auto& size : sizes) d->DrawOval(0, 0, size[0], size[1]);
  d->SetMatrix(0, 2, -2, 0, 0, 0);  // a quarter turn at twice the size
  d->DrawOval(0, 0, 100, 60);
  d->EndRender();
  // Six indices a quad: 256 rectangles fill a batch, 44 follow, then two surfaces, then lines;
  // then each oval's fan, its first vertex and vertex count.
  const int quads = GL_TRIANGLES, lines = GL_LINES, fan = GL_TRIANGLE_FAN;
  EXPECT_EQ(gl.draws, (DrawCalls{{quads, 0, 1536}, {quads, 0, 264}, {quads, 0, 12}, {lines, 0, 4},
                                 {fan, 0, 12}, {fan, 12, 12}, {fan, 0, 80}, {fan, 80, 80},
                                 {fan, 0, 1024}, {fan, 0, 160}}));
}

// Over blue: orange-ish at half alpha, then an added colour.
TEST_F(DrawTest, PremultipliedAndAdditiveBlending) {
  d->Cls(0, 0, 255);
  d->SetColor(255, 128, 64), d->SetAlpha(0.5f);
  EXPECT_EQ(d->colorARGB, 0x7F20407Fu) << "premultiplied and truncated, not rounded";
  d->DrawRect(0, 0, 10, 10);
  d->SetBlend(1), d->SetColor(100, 50, 0), d->SetAlpha(1);
  d->DrawRect(20, 0, 10, 10);
  d->EndRender();
  const unsigned int half = Rgb(d, 5, 5);  // 0x7F40A0, give or take one per channel
  for (int shift : {16, 8, 0}) EXPECT_NEAR(half >> shift & 255, 0x7F40A0u >> shift & 255, 1);
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

// Two frames each way of a seeded mix of rectangles and textured quads in which most state
// requests repeat the previous one, as in play (the second frame starts with the first one's
// scissor and blend still set). Every kind of shape batches alike, so two kinds stand for all.
TEST_F(DrawTest, StateFilterKeepsFramesPixelIdenticalWithFewerDrawCalls) {
  const int boxes[][4] = {{0, 0, 640, 480}, {10, 20, 300, 200}, {200, 100, 400, 300}};
  std::vector<int> pictures[2];
  size_t draws[2];
  for (int filter : {0, 1}) {
    std::mt19937 rng(1234);
    auto next = [&rng](unsigned range) { return static_cast<int>(rng() % range); };
    GlRecorder recorder;
    Array<int> pixels(640 * 480);
    int blend = 0, box = 0, shape = 0;
    for (int frame = 0; frame < 2; ++frame) {
      d = NewFrame();
      d->filterState = filter;
      gxtkSurface* checker = Load(CheckerPng());
      for (int i = 0; i < 400; ++i) {
        if (next(8) == 0) blend = next(3) == 0;
        if (next(16) == 0) box = next(3);
        if (next(8) == 0) shape = next(2);
        const float size = 4 + next(40), turn = next(360) * 0.0174533f;
        d->SetAlpha(next(100) / 99.0f);
        d->SetColor(next(256), next(256), next(256));
        d->SetBlend(blend);
        d->SetScissor(boxes[box][0], boxes[box][1], boxes[box][2], boxes[box][3]);
        d->SetMatrix(std::cos(turn), -std::sin(turn), std::sin(turn), std::cos(turn), next(600),
                     next(440));
        if (shape == 0) d->DrawRect(0, 0, size, size / 2);
        if (shape == 1) d->DrawSurface2(checker, 0, 0, 0, 0, 2, 2);
      }
      d->EndRender();
      d->ReadPixels(pixels, 0, 0, 640, 480, 0, 640);
    }
    draws[filter] = recorder.draws.size();
    pictures[filter].assign(pixels.Data(), pixels.Data() + pixels.Length());
  }
  EXPECT_TRUE(pictures[1] == pictures[0]) << "the pictures differ";
  EXPECT_LT(draws[1] * 2, draws[0]);
}

std::vector<int> Bytes(const gxtkSurface* s, int n) {
  return s ? std::vector<int>(s->data, s->data + n) : std::vector<int>();
}

// Pixels written after loading are premultiplied the same way and reach the texture; a texture
// size the driver refuses is retried at powers of two, of which only the image's corner is
// sampled.
TEST_F(GxtkSurfaceTest, ColourIsPremultipliedAndRefusedTextureSizesAreRetriedAtPowersOfTwo) {
  EXPECT_EQ(Bytes(Load(WritePng("rgba.png", 1, 1, 4, {200, 100, 50, 128})), 4),
            (std::vector<int>{100, 50, 25, 128}));
  gxtkSurface* grey = Load(WritePng("grey_alpha.png", 1, 1, 2, {200, 128}));
  EXPECT_EQ(Bytes(grey, 2), (std::vector<int>{100, 128}));
  EXPECT_EQ(grey->format, GL_LUMINANCE_ALPHA);
  gxtkSurface* made = d->CreateSurface(1, 1);
  Array<int> argb(1);
  argb[0] = static_cast<int>(0x80FF6400u);
  d->WritePixels2(made, argb, 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(Bytes(made, 4), (std::vector<int>{128, 50, 0, 128}));
  d->DrawSurface(made, 7, 7);
  std::vector<unsigned char> green(50 * 20 * 3);
  for (size_t i = 1; i < green.size(); i += 3) green[i] = 255;
  GlRecorder gl;
  gl.refuseOddSizes = true;
  gxtkSurface* odd = Load(WritePng("odd.png", 50, 20, 3, green));
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(gl.texSizes, (Pairs{{50, 20}, {64, 32}}));
  EXPECT_EQ(std::make_pair(odd->uscale, odd->vscale), std::make_pair(1.0f / 64, 1.0f / 32));
  d->DrawSurface(odd, 10, 10);
  d->EndRender();
  EXPECT_EQ(Misses({{7, 7, 0x803200}, {59, 29, 0xFF00}, {60, 30, 0}}), "");
}

// Refused before anything is decoded: a picture wider than the side limit, a header claiming
// 16000 x 16000 (within that limit, but 768 MB), and a file that is not there.
TEST_F(GxtkSurfaceTest, ImageFilesOfImplausibleSizesGiveNull) {
  const std::vector<unsigned char> black(16385);
  const std::string wide = WritePng("wide.png", 2, 2, 3, black);
  std::string bytes = kxtest::ReadFile(wide);
  bytes.replace(16, 8, std::string("\x00\x00\x3E\x80\x00\x00\x3E\x80", 8));
  kxtest::WriteFile(wide, bytes);
  for (const std::string& file :
       {WritePng("long.png", 16385, 1, 1, black), wide, Scratch() + "/absent.png"}) {
    EXPECT_EQ(Load(file), nullptr) << file;
    EXPECT_EQ(kx_graphics_LoadImage(String(file.c_str()), 1, 0), nullptr) << file;
  }
}

// Every opening makes a new OpenGL context: a surface makes its texture again there from the
// pixels it kept, and one discarded there leaves the new context's names alone.
TEST_F(GxtkSurfaceTest, AfterTheWindowOpensAgainTexturesAreMadeAgain) {
  gxtkSurface* old = Load(CheckerPng());
  gxtkSurface* kept = Load(CheckerPng());
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

// A surface held in memory only: layouts need no texture.
gxtkSurface* MemorySurface(int width, int height) {
  gxtkSurface* surface = new gxtkSurface;
  surface->width = width, surface->height = height;
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

Pairs CornersOf(c_Image* image) {
  Pairs corners;
  for (int i = 0; i < image->m_frames.Length(); ++i) {
    corners.push_back({image->m_frames[i]->m_x, image->m_frames[i]->m_y});
  }
  return corners;
}

TEST(ImageFramesTest, FramesBordersHandlesAndTheWholeSurfaceFlag) {
  c_Image* both = Row(20, 10, 2, 1 | 2 | 4);
  EXPECT_EQ(CornersOf(both), (Pairs{{1, 1}, {11, 1}}));
  // Width, height, handle x and flags.
  EXPECT_EQ((std::vector<float>{float(both->m_width), float(both->m_height), both->m_tx,
                                float(both->m_flags)}),
            (std::vector<float>{8, 8, 4, 6}));
  c_Image* centred = Row(64, 32, 1, 1);
  EXPECT_EQ(std::make_pair(centred->m_flags, centred->m_ty), std::make_pair(65536, 16.0f));
  EXPECT_EQ(Row(64, 32, 1, 2)->m_flags, 2) << "a bordered frame does not cover the surface";
  EXPECT_EQ(Row(64, 32, 2, 0)->m_flags, 0);
  EXPECT_EQ(CornersOf(Grid(30, 20, 6)),
            (Pairs{{0, 0}, {30, 0}, {60, 0}, {0, 20}, {30, 20}, {60, 20}}));
  EXPECT_EQ(CornersOf(Grid(10, 10, 3, 10, 50, 5, 25, 20)), (Pairs{{60, 5}, {50, 15}, {60, 15}}));
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

}  // namespace
