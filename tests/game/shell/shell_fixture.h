// A windowless stand-in world for the game object: a scripted windowing library with its own
// clock, a host that keeps the state string in memory, and render and audio devices that
// record what they are asked to do. Each test gets a freshly created c_MyApp.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "audio/audio.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "graphics/graphics.h"
#include "host/glfwgame.h"
#include "input/input.h"

namespace shelltest {

class FakeGlfw : public glfw2::Api {
 public:
  int width = 640, height = 480;
  int desktopWidth = 1920, desktopHeight = 1080;
  double time = 0;
  int opened = 0;
  std::vector<std::vector<int>> opens;  // width, height, r, g, b, a, depth, stencil, mode

  int Init() override { return 1; }
  void Terminate() override {}
  int OpenWindow(int w, int h, int r, int g, int b, int a, int d, int s, int mode) override {
    opens.push_back({w, h, r, g, b, a, d, s, mode});
    width = w;
    height = h;
    opened = 1;
    return 1;
  }
  void OpenWindowHint(int, int) override {}
  void CloseWindow() override { opened = 0; }
  void SetWindowTitle(const char*) override {}
  void SetWindowPos(int, int) override {}
  void GetWindowSize(int* w, int* h) override {
    *w = width;
    *h = height;
  }
  int GetWindowParam(int param) override { return param == glfw2::OPENED ? opened : 1; }
  void SwapBuffers() override {}
  void SwapInterval(int) override {}
  void PollEvents() override {}
  void WaitEvents() override {}
  int GetKey(int) override { return 0; }
  void GetMousePos(int* x, int* y) override { *x = *y = 0; }
  void Enable(int) override {}
  void Disable(int) override {}
  void SetKeyCallback(glfw2::KeyFun) override {}
  void SetCharCallback(glfw2::CharFun) override {}
  void SetMouseButtonCallback(glfw2::MouseButtonFun) override {}
  void SetMousePosCallback(glfw2::MousePosFun) override {}
  void SetWindowCloseCallback(glfw2::WindowCloseFun) override {}
  int GetJoystickParam(int, int) override { return 0; }
  int GetJoystickPos(int, float*, int) override { return 0; }
  int GetJoystickButtons(int, unsigned char*, int) override { return 0; }
  int GetVideoModes(glfw2::VidMode*, int) override { return 0; }
  void GetDesktopMode(glfw2::VidMode* mode) override {
    *mode = glfw2::VidMode{desktopWidth, desktopHeight, 8, 8, 8};
  }
  double GetTime() override { return time; }
  void Sleep(double) override {}
};

// Keeps the state in memory and can pretend asset files are missing.
class TestHost : public KxGlfwGame {
 public:
  String stored;
  int saves = 0;
  bool abortOnSave = false;
  std::set<std::string> missing;  // file-path suffixes that fail to load

  void MarkStarted() { started = true; }
  int SaveState(String state) override {
    if (abortOnSave) std::abort();
    stored = state;
    ++saves;
    return 0;
  }
  String LoadState() override { return stored; }
  bool IsMissing(const String& path) const;
  unsigned char* LoadImageData(String path, int* w, int* h, int* d) override;
};

struct DrawCall {
  char kind;  // 'r' rectangle, 'o' oval, 'l' line, 's' surface
  float x, y, w, h;
  float red, green, blue, alpha;
  int blend;
  float ix, iy, jx, jy, tx, ty;  // device matrix at the time of the call
  int srcx, srcy;
};

class FakeGraphics : public gxtkGraphics {
 public:
  std::vector<DrawCall> calls;
  float red = 0, green = 0, blue = 0, alpha = 0;
  int blend = 0;
  float m[6] = {1, 0, 0, 1, 0, 0};

  void SetAlpha(float a) override { alpha = a; }
  void SetColor(float r, float g, float b) override {
    red = r;
    green = g;
    blue = b;
  }
  void SetBlend(int b) override { blend = b; }
  void SetScissor(int, int, int, int) override {}
  void SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override {
    float v[6] = {ix, iy, jx, jy, tx, ty};
    for (int i = 0; i < 6; ++i) m[i] = v[i];
  }
  void DrawRect(float x, float y, float w, float h) override { Record('r', x, y, w, h, 0, 0); }
  void DrawOval(float x, float y, float w, float h) override { Record('o', x, y, w, h, 0, 0); }
  void DrawLine(float x1, float y1, float x2, float y2) override {
    Record('l', x1, y1, x2, y2, 0, 0);
  }
  void DrawSurface(gxtkSurface* s, float x, float y) override {
    Record('s', x, y, static_cast<float>(s->width), static_cast<float>(s->height), 0, 0);
  }
  void DrawSurface2(gxtkSurface*, float x, float y, int sx, int sy, int sw, int sh) override {
    Record('s', x, y, static_cast<float>(sw), static_cast<float>(sh), sx, sy);
  }
  void Record(char kind, float x, float y, float w, float h, int sx, int sy) {
    calls.push_back({kind, x, y, w, h, red, green, blue, alpha, blend, m[0], m[1], m[2], m[3],
                     m[4], m[5], sx, sy});
  }
};

// Records the device calls as short strings ("stop 3", "play 3 96", "rate 3 1.5", "music ...").
class FakeAudio : public gxtkAudio {
 public:
  std::vector<std::string> log;

  gxtkSample* LoadSample(String path) override;
  int PlaySample(gxtkSample* sample, int channel, int flags) override;
  int StopChannel(int channel) override;
  int SetVolume(int channel, float volume) override;
  int SetPan(int channel, float pan) override;
  int SetRate(int channel, float rate) override;
  int PlayMusic(String path, int flags) override;
  int StopMusic() override;
  int PauseMusic() override;
  int ResumeMusic() override;
  int Suspend() override { return 0; }
  int Resume() override { return 0; }
  // How many log entries start with the given text.
  int Count(const std::string& prefix) const;
};

class ShellTest : public ::testing::Test {
 protected:
  FakeGlfw glfw;
  TestHost* host = nullptr;
  FakeGraphics* graphics = nullptr;
  FakeAudio* audio = nullptr;
  c_InputDevice* input = nullptr;
  c_MyApp* app = nullptr;

  void SetUp() override;
  void TearDown() override;
  // Creates the game object and runs its creation, as the delegate's start does.
  void Create();
  // One update through the host (input bracket and a collector step included).
  void Update();
  // One render through the graphics context into the recording device.
  void Render();
  // Runs the loader to its end with one update per step; returns the number of updates.
  int LoadAll();
  void KeyDown(int code) { input->p_KeyEvent(KxEventKeyDown, code); }
  void KeyUp(int code) { input->p_KeyEvent(KxEventKeyUp, code); }
  void TypeChar(int c) { input->p_KeyEvent(KxEventKeyChar, c); }
  void Resize(int w, int h) {
    glfw.width = w;
    glfw.height = h;
  }
  // The records of the draw list, each as its 15 floats.
  std::vector<std::vector<float>> Records() const;
};

}  // namespace shelltest
