// The loading screen recorded while the asset loader works: two trails of dots chasing round a
// yellow disc, an orange band and the logo.
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "runtime/kxmath.h"

// Eleven dots fading in along the circle of radius r, the brightest at startAngle + 160 degrees.
static void Trail(c_MyApp* app, float grey, float startAngle, float r) {
  const double kRad = 3.14159265358979323846 / 180.0;
  float cx = kx_Skarblit_jscrw / 2;
  float cy = kx_Skarblit_jscrh / 2;
  for (int i = 0; i <= 10; ++i) {
    double t = (startAngle + 16 * i) * kRad;
    app->p_SetCol(grey, grey, grey, i / 10.0f);
    app->p_Oval(cx + static_cast<float>(kx_math_Sin(t)) * 0.25f * r,
                cy - static_cast<float>(kx_math_Cos(t)) * 0.25f * r, 8, 8);
  }
}

void c_MyApp::p_WaitStart(int mode) {
  // Only the loading screen exists; the start screen of other modes is not part of this game.
  if (mode != 1) return;
  float w = kx_Skarblit_jscrw;
  float h = kx_Skarblit_jscrh;
  float r = static_cast<float>(static_cast<int>(w < h ? w : h));
  p_CLS2D(40, 40, 80, 1);
  m_spinAngle += 16;
  Trail(this, 250, static_cast<float>(m_spinAngle + 180), r);
  p_SetCol(255, 255, 0, 0.8f);
  p_Oval(w / 2, h / 2, 0.3f * r, 0.3f * r);
  p_SetCol(250, 160, 60, 0.7f);
  p_Rect(0, 0.4f * h, w, 0.2f * h);
  p_SetCol(255, 255, 255, 1);
  p_DrawImg(93, w / 2, 0.48f * h, 0);
  Trail(this, 50, static_cast<float>(m_spinAngle), r);
}
