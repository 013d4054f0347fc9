// The application framework: the base class a program derives its application from, the game
// delegate that sits between the host and the application (it owns the devices and calls the
// application's callbacks), display modes, and the application-level module functions.
#pragma once
#include "audio/audio.h"
#include "graphics/graphics.h"
#include "host/game.h"
#include "input/input.h"
#include "runtime/runtime.h"

class c_App : public Object {
 public:
  c_App* m_new();
  virtual int p_OnCreate();
  virtual int p_OnSuspend();
  virtual int p_OnResume();
  virtual int p_OnUpdate();
  virtual int p_OnRender();
  // Called by the framework but not meant to be overridden here.
  int p_OnResize();
  int p_OnLoading();
  int p_OnClose();
  int p_OnBack();
};

class c_GameDelegate : public KxGameDelegate {
 public:
  gxtkGraphics* m_graphics = nullptr;
  gxtkAudio* m_audio = nullptr;
  c_InputDevice* m_input = nullptr;

  c_GameDelegate* m_new();
  void mark() override;

  void StartGame() override;
  void SuspendGame() override;
  void ResumeGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void KeyEvent(int event, int data) override;
  void MouseEvent(int event, int data, float x, float y) override;
  void TouchEvent(int event, int data, float x, float y) override;
  void MotionEvent(int event, int data, float x, float y, float z) override;
  void DiscardGraphics() override;
};

class c_DisplayMode : public Object {
 public:
  int m_width;
  int m_height;

  c_DisplayMode* m_new(int width, int height);
  c_DisplayMode* m_new2();
};

extern c_App* kx_app__app;
extern c_GameDelegate* kx_app__delegate;
extern KxGame* kx_app__game;
extern int kx_app__devWidth;
extern int kx_app__devHeight;
extern Array<c_DisplayMode*> kx_app__displayModes;
extern c_DisplayMode* kx_app__desktopMode;
extern int kx_app__updateRate;

// The module's share of global initialisation: initial values, and the managed globals as roots.
void kx_app_Init();
void kx_app_SetUpdateRate(int hertz);
int kx_app_Millisecs();
int kx_app_DeviceWidth();
int kx_app_DeviceHeight();
void kx_app_ValidateDeviceWindow(bool notifyApp);
void kx_app_EnumDisplayModes();
[[noreturn]] void kx_app_EndApp();
void kx_app_SaveState(const String& state);
String kx_app_LoadState();
