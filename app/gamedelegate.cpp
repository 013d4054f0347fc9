// The game delegate: the host's view of the application. It creates the devices when the game
// starts, brackets every update and render, and routes input to the input device.
#include "app/app.h"

c_GameDelegate* c_GameDelegate::m_new() { return this; }

void c_GameDelegate::mark() {
  gc_mark_q(m_graphics);
  gc_mark_q(m_audio);
  gc_mark_q(m_input);
}

// The default font is loaded before the application's creation callback can draw text.
void c_GameDelegate::StartGame() {
  gc_assign(m_graphics, new gxtkGraphics);
  kx_graphics_SetGraphicsDevice(m_graphics);
  kx_graphics_SetFont(nullptr, 32);
  gc_assign(m_audio, new gxtkAudio);
  kx_audio_SetAudioDevice(m_audio);
  gc_assign(m_input, (new c_InputDevice)->m_new());
  kx_input_SetInputDevice(m_input);
  kx_app_ValidateDeviceWindow(false);
  kx_app_EnumDisplayModes();
  kx_app__app->p_OnCreate();
}

// Sound stops with the application and comes back before it resumes.
void c_GameDelegate::SuspendGame() {
  kx_app__app->p_OnSuspend();
  m_audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
  m_audio->Resume();
  kx_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
  kx_app_ValidateDeviceWindow(true);
  m_input->p_BeginUpdate();
  kx_app__app->p_OnUpdate();
  m_input->p_EndUpdate();
}

// The device answers 0 (nothing can be drawn), 1 (draw) or 2 (still loading). Without a
// drawable frame the application still renders, just without the context's frame set-up.
void c_GameDelegate::RenderGame() {
  kx_app_ValidateDeviceWindow(true);
  int mode = m_graphics->BeginRender();
  if (mode != 0) kx_graphics_BeginRender();
  if (mode == 2) {
    kx_app__app->p_OnLoading();
  } else {
    kx_app__app->p_OnRender();
  }
  if (mode != 0) kx_graphics_EndRender();
  m_graphics->EndRender();
}

// The close and back keys end the program once the input device has seen them.
void c_GameDelegate::KeyEvent(int event, int data) {
  m_input->p_KeyEvent(event, data);
  if (event != KxEventKeyDown) return;
  if (data == KxKeyClose) kx_app__app->p_OnClose();
  if (data == KxKeyBack) kx_app__app->p_OnBack();
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
  m_input->p_MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
  m_input->p_TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
  m_input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() { m_graphics->DiscardGraphics(); }
