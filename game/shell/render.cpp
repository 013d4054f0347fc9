// The render callback: frame-rate measure, the clearing rectangle, the virtual screen fitted to
// the window, and the replay of the draw-command list through the graphics context.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "graphics/gl.h"
#include "graphics/graphics.h"
#include "host/glfwgame.h"

// Frames per second from the time since the previous call, and its running average.
void c_MyApp::MeasureRate(int& lastMs, int& fps, int& fpsAvg) {
  int now = kx_app_Millisecs();
  if (now > lastMs) fps = 1000 / (now - lastMs);
  fpsAvg = (fpsAvg * 9 + fps) / 10;
  lastMs = kx_app_Millisecs();
}

void c_MyApp::FitVirtualScreen(float width, float height) {
  // A minimised window reports no size; keep the last fit rather than divide by zero.
  if (width <= 0 || height <= 0) return;
  float o = kx_Skarblit_overscan;
  float f = height > width ? 1.5f : 1.0f;
  float sx = (width - 2 * o) / (kx_Skarblit_rawscrw * f);
  float sy = (height - 2 * o) / (kx_Skarblit_rawscrh * f);
  float s;
  if (sx >= sy) {
    m_scaleX = m_scaleY = sx;
    s = width / (kx_Skarblit_rawscrw * f);
  } else {
    m_scaleX = m_scaleY = sy;
    s = height / (kx_Skarblit_rawscrh * f);
  }
  kx_Skarblit_jscrw = width / s;
  kx_Skarblit_jscrh = height / s;
  m_landscape = kx_Skarblit_jscrh <= kx_Skarblit_jscrw ? 1 : 0;
}

void c_MyApp::ReplayDrawList(float ox, float oy) {
  const float* list = m_drawList.Data();
  for (int i = 0; i < m_drawCount - 14; i += kRecordSize) {
    const float* r = list + i;
    kx_graphics_SetAlpha(r[7]);
    kx_graphics_SetColor(r[10], r[11], r[12]);
    kx_graphics_SetBlend(r[13] == 3.0f ? 1 : 0);
    float x = r[1] * m_scaleX + ox;
    float y = r[2] * m_scaleY + oy;
    if (r[0] == -3717.0f) {
      kx_graphics_DrawRect(x, y, r[4] * m_scaleX, r[5] * m_scaleY);
    } else if (r[0] == -3716.0f) {
      kx_graphics_DrawEllipse(x, y, r[4] * m_scaleX, r[5] * m_scaleY);
    } else if (r[0] == -3715.0f) {
      kx_graphics_DrawLine(x, y, r[4] * m_scaleX + ox, r[5] * m_scaleY + oy);
    } else if (r[0] > -1.0f) {
      int slot = static_cast<int>(r[0]);
      c_Image* image = slot < m_images.Length() ? m_images[slot] : nullptr;
      if (image) {
        kx_graphics_DrawImage2(image, x, y, r[3], r[4] * m_scaleX * m_imageScale,
                               r[5] * m_scaleY * m_imageScale, static_cast<int>(r[6]));
      }
    }
  }
}

// The wall-clock time at which the first menu frame is on the screen: after its swap, once the
// driver has finished drawing it.
static void LogMenuSwapped() {
  kx_host_swapped = nullptr;
  kx_graphics_gl.Finish();
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  char line[64];
  std::snprintf(line, sizeof line, "menu_swapped_unix_us=%lld",
                static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
  kxPrint(String(line));
}

// With SKARBLIT_LOG_MENU_SHOWN set, the moment the first frame drawn from the main menu's
// update reaches the screen is logged once, so that the start-up can be timed from outside.
// The menu's intro counter starts at -32 and moves in every menu update, so once it has moved
// the list being replayed is the menu's.
static void LogFirstMenuFrame(const c_MyApp* app) {
  static bool pending = std::getenv("SKARBLIT_LOG_MENU_SHOWN") != nullptr;
  if (!pending || app->m_gameState != 1 || app->m_menuIntro <= -32) return;
  pending = false;
  kx_host_swapped = LogMenuSwapped;
}

int c_MyApp::p_OnRender() {
  MeasureRate(m_renderMs, m_renderFps, m_renderFpsAvg);
  int devWidth = kx_app_DeviceWidth();
  int devHeight = kx_app_DeviceHeight();
  float w = static_cast<float>(devWidth);
  float h = static_cast<float>(devHeight);
  // Without a frame in progress (the device could not draw) only the bookkeeping runs.
  bool drawing = kx_graphics_renderDevice != nullptr;
  if (drawing) {
    kx_graphics_SetColor(m_clsRed, m_clsGreen, m_clsBlue);
    kx_graphics_SetAlpha(m_clsAlpha);
    kx_graphics_DrawRect(-1, -1, w + 2, h + 2);
    kx_graphics_SetColor(255, 255, 255);
    kx_graphics_SetAlpha(1);
  }
  if (devWidth != m_lastDevWidth || devHeight != m_lastDevHeight) {
    m_loading = 1;
    m_lastDevWidth = devWidth;
    m_lastDevHeight = devHeight;
  }
  FitVirtualScreen(w, h);
  if (!drawing) return 0;
  float o = kx_Skarblit_overscan;
  if (m_drawCount > 14) ReplayDrawList(o, w > 0 ? o * h / w : 0);
  LogFirstMenuFrame(this);
  kx_graphics_SetAlpha(0.5f);
  kx_graphics_SetColor(255, 255, 255);
  return 0;
}
