#include "game/blank_app.h"

c_BlankApp* c_BlankApp::m_new() {
  c_App::m_new();
  return this;
}

int c_BlankApp::p_OnCreate() {
  kx_app_SetUpdateRate(60);
  return 0;
}

// Only a frame the device can draw is cleared.
int c_BlankApp::p_OnRender() {
  if (kx_graphics_renderDevice) kx_graphics_renderDevice->Cls(0, 0, 0);
  return 0;
}
