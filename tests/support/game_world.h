// A windowless stand-in world for the game object, with no test framework in it so the
// benchmark can use it too: a scripted windowing library with its own clock, a host that keeps
// the state string in memory, and render and audio devices that record what they are asked to
// do. Start() readies the world; each Create() makes a fresh c_MyApp.
#pragma once
#include <string>
#include <vector>

#include "app/app.h"
#include "audio/audio.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "graphics/graphics.h"
#include "host/glfwgame.h"
#include "input/input.h"
#include "tests/host/fake_glfw.h"

namespace gametest {

// Keeps the state in memory, or in the real file beside the program as the desktop host does,
// and can pretend asset files are missing.
class TestHost : public KxGlfwGame {
 public:
  String stored;
  bool onDisk = false;
  std::vector<int> saves;  // what each save returned
  std::string missing;  // a part of the file paths that fail to load; none when empty

  void MarkStarted() { started = true; }
  void ClearQuit() { quitting = false; }
  int SaveState(String state) override {
    saves.push_back(onDisk ? KxGame::SaveState(state) : 0);
    if (!onDisk) stored = state;
    return saves.back();
  }
  String LoadState() override { return onDisk ? KxGame::LoadState() : stored; }
  unsigned char* LoadImageData(String path, int* w, int* h, int* d) override;
  // The stored state's field i.
  String Field(int i) { return stored.Split(String("|"))[i]; }
};

struct DrawCall {
  char kind;  // 'r' rectangle, 'o' oval, 'l' line, 's' surface
  float x, y, w, h;
  float red, alpha;
  int blend;
  float ix, iy, jx, jy, tx, ty;  // device matrix at the time of the call
};

class FakeGraphics : public gxtkGraphics {
 public:
  std::vector<DrawCall> calls;
  int blend = 0;

  // Colour, alpha and matrix are the base's own state; these two would reach for OpenGL.
  void SetBlend(int mode) override { blend = mode; }
  void SetScissor(int, int, int, int) override {}
  void DrawRect(float x, float y, float w, float h) override { Record('r', x, y, w, h); }
  void DrawOval(float x, float y, float w, float h) override { Record('o', x, y, w, h); }
  void DrawLine(float x1, float y1, float x2, float y2) override { Record('l', x1, y1, x2, y2); }
  void DrawSurface(gxtkSurface* s, float x, float y) override {
    Record('s', x, y, static_cast<float>(s->width), static_cast<float>(s->height));
  }
  void DrawSurface2(gxtkSurface*, float x, float y, int, int, int sw, int sh) override {
    Record('s', x, y, static_cast<float>(sw), static_cast<float>(sh));
  }
  void Record(char kind, float x, float y, float w, float h) {
    calls.push_back({kind, x, y, w, h, r, alpha, blend, ix, iy, jx, jy, tx, ty});
  }
};

// Records the device calls as short strings ("stop 3 0", "play 3 96", "rate 3 1.5", "music ...").
class FakeAudio : public gxtkAudio {
 public:
  std::vector<std::string> log;

  gxtkSample* LoadSample(String path) override;
  int PlaySample(gxtkSample*, int channel, int flags) override {
    return Log("play", channel, static_cast<float>(flags));
  }
  int StopChannel(int channel) override { return Log("stop", channel, 0); }
  int SetVolume(int channel, float volume) override { return Log("volume", channel, volume); }
  int SetPan(int channel, float pan) override { return Log("pan", channel, pan); }
  int SetRate(int channel, float rate) override { return Log("rate", channel, rate); }
  int PlayMusic(String path, int flags) override;
  int StopMusic() override { return Log("stopmusic"); }
  int PauseMusic() override { return Log("pausemusic"); }
  int ResumeMusic() override { return Log("resumemusic"); }
  // How many log entries start with the given text.
  int Count(const std::string& prefix) const;

 private:
  int Log(const std::string& entry) { return log.push_back(entry), 0; }
  int Log(const char* what, int channel, float value);
};

class GameWorld {
 public:
  kxtest::FakeGlfw glfw;  // 640x480 window on a 1280x1024 desktop, the clock at 0
  TestHost* host = nullptr;
  FakeGraphics* graphics = nullptr;
  FakeAudio* audio = nullptr;
  c_InputDevice* input = nullptr;
  c_MyApp* app = nullptr;

  void Start();
  void Stop();
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
  // A key held across one update, released after it.
  void Hit(int code) { KeyDown(code), Update(), KeyUp(code); }
  void Resize(int w, int h) { glfw.width = w, glfw.height = h; }
  // The records of the draw list, each as its 15 floats.
  std::vector<std::vector<float>> Records() const;
  // The font in slot 90 with a 7-unit advance and 10-unit lines, without loading the artwork.
  void UseFont();
  // The characters the font's records draw, in the order drawn; spaces are not drawn.
  std::string DrawnText() const;
};

}  // namespace gametest
