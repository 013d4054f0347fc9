// The draw-command list: updates append fixed 15-float records in virtual-screen units; the
// render replays them (render.cpp). Appending never allocates.
#include "game/shell/myapp.h"

void c_MyApp::p_ResetDraw() {
  m_sizeX = 1;
  m_sizeY = 1;
  m_rotation = 0;
  m_red = 255;
  m_green = 255;
  m_blue = 255;
  m_alpha = 1;
  m_blend = 1;
}

void c_MyApp::p_CLS2D(float r, float g, float b, float a) {
  if (r > kx_Skarblit_NoArg) {
    m_clsRed = r;
    m_clsGreen = g;
    m_clsBlue = b;
    m_clsAlpha = a;
  }
  p_ResetDraw();
  m_drawCount = 0;
}

void c_MyApp::p_SetCol(float r, float g, float b, float a) {
  m_red = r;
  m_green = g;
  m_blue = b;
  if (a > kx_Skarblit_NoArg) m_alpha = a;
}

void c_MyApp::p_Alpha(float a) { m_alpha = a; }

void c_MyApp::p_SetRot(float angle) { m_rotation = -angle; }

void c_MyApp::p_SetSize(float sx, float sy) {
  m_sizeX = sx;
  m_sizeY = sy > kx_Skarblit_NoArg ? sy : sx;
}

void c_MyApp::AddRecord(float kind, float x, float y, float s4, float s5, float frame) {
  if (m_drawCount > kDrawBound) return;
  float* r = m_drawList.Data() + m_drawCount;
  r[0] = kind;
  r[1] = x;
  r[2] = y;
  r[3] = m_rotation;
  r[4] = s4;
  r[5] = s5;
  r[6] = frame;
  r[7] = m_alpha;
  r[10] = m_red;
  r[11] = m_green;
  r[12] = m_blue;
  r[13] = static_cast<float>(m_blend);
  m_drawCount += kRecordSize;
}

void c_MyApp::p_Rect(float x, float y, float w, float h) { AddRecord(-3717.0f, x, y, w, h, 0); }

void c_MyApp::p_Oval(float x, float y, float rx, float ry) { AddRecord(-3716.0f, x, y, rx, ry, 0); }

void c_MyApp::p_Line(float x1, float y1, float x2, float y2) {
  AddRecord(-3715.0f, x1, y1, x2, y2, 0);
}

void c_MyApp::p_DrawImg(int slot, float x, float y, float frame) {
  AddRecord(static_cast<float>(slot), x, y, m_sizeX, m_sizeY, frame);
}
