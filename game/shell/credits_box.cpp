// The credits box: tiles fly in from every side to frame the roll of credit lines, with four
// disc plaques in the corners showing display diagnostics. Also the badge notices that slide in
// from the left edge, and the badge table they name.
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/myapp.h"

namespace {

int Clamp255(float v) {
  int t = static_cast<int>(v);
  return t < 0 ? 0 : (t > 255 ? 255 : t);
}

// Index of a tile relative to the middle one, skipping 0 so that no tile stays put.
int Spread(int i, int count) {
  int k = i - count / 2;
  return k <= 0 ? k - 1 : k;
}

}  // namespace

void c_MyApp::p_CreditBox() {
  const float W = kx_Skarblit_jscrw;
  const float H = kx_Skarblit_jscrh;
  const int s = m_creditsSlide;
  const float e = static_cast<float>(30 - s);
  const float a = s / 30.0f;
  // Everything fades in and out with the slide: each colour below keeps this alpha.
  p_ResetDraw();
  p_Alpha(a);
  m_creditsFly = 30 - s;

  const float c = kx_math_Max2(W, H) / 12;
  const int n = static_cast<int>(W / c);
  const int m = static_cast<int>(H / c);
  const float ox = W / 2 - n * c / 2;
  const float oy = H / 2 - m * c / 2;
  const float t = s < 20 ? (s / 20.0f) * c : c;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= m; ++j) {
      const int ki = Spread(i, n);
      const int kj = Spread(j, m);
      const float x = ox + i * c + e * ki * kx_math_Abs(ki) - t / 2;
      const float y = oy + j * c + e * kj * kx_math_Abs(kj) - t / 2;
      DrawCreditTile(i, j, n, m, x, y, t);
    }

  p_SetCol(255, 255, 255);
  p_DrawImg(91, W / 2, H / 2 - 24 * e, 0);
  RollCredits(W, H, e, a);

  p_SetCol(255, 255, 255, a);
  p_SetSize(0.4f);
  p_DrawImg(98, W / 2, oy + (m - 1) * c + 4 * e, 0);
  p_SetSize(1);
  DrawCreditPlaques(ox, oy, c, n, m, e, t, a);

  if (m_pointerCount > 0 && m_pointerLock == 0) {
    CloseCredits();
  } else if (m_keyLock == 0 &&
             (p_PlayKeyAll(15, 1) != 0 || p_PlayKeyAll(10, 1) != 0 || p_PlayKeyAll(11, 1) != 0)) {
    CloseCredits();
  }
  p_ResetDraw();
}

// One tile of the frame: black on the border, white inside, with the border's coloured inlays and
// the grey inner tiles (a joined bar in the second-last row).
void c_MyApp::DrawCreditTile(int i, int j, int n, int m, float x, float y, float t) {
  const bool border = i == 0 || j == 0 || i == n || j == m;
  const bool corner = (i == 0 || i == n) && (j == 0 || j == m);
  if (border) p_SetCol(0, 0, 0);
  else p_SetCol(255, 255, 255);
  p_Rect(x, y, t + 1, t + 1);
  if (border && !corner) {
    const float p = 512.0f / (n - 2) * (i - 1);
    const float q = 512.0f / (m - 2) * (j - 1);
    if (j == 0) {
      p_SetCol(Clamp255(p), Clamp255(512 - p), 0);
    } else if (i == 0) {
      p_SetCol(0, Clamp255(512 - q), Clamp255(q));
    } else if (i == n) {
      p_SetCol(Clamp255(512 - q), 0, Clamp255(q));
    } else {
      int g = Clamp255(255.0f / (n - 2) * (i - 1));
      p_SetCol(g, g, g);
    }
    if (j == 0 || j == m) p_Rect(x + 8, y, t - 16, t);
    else p_Rect(x, y + 8, t, t - 16);
  } else if (!border) {
    p_SetCol(128, 128, 128);
    if (j == m - 1 && i > 3 && i < n - 2) p_Rect(x - 6, y + 2, i == n - 3 ? t + 4 : t + 24, t - 4);
    else p_Rect(x + 2, y + 2, t - 4, t - 4);
  }
}

// The roll: lines drift up, faster while up or down is held, and fade away from the middle (and
// with the box, alpha a). Indices run modulo 49, so the last line ("End") never shows.
void c_MyApp::RollCredits(float W, float H, float e, float a) {
  const int L = 49;
  m_rollOffset -= 0.3f;
  if (p_PlayKeyAll(0, 1) != 0 || p_PlayKeyAll(8, 1) != 0) m_rollOffset -= 1.5f;
  if (m_rollOffset < -16) {
    m_rollOffset += 16;
    m_rollFirst += 1;
  }
  for (int j = -3; j <= 4; ++j) {
    int index = (m_rollFirst + j) % L;
    if (index < 0) index += L;
    float fade = std::fabs((16 * j + m_rollOffset) / 40) - 0.3f;
    fade = fade < 0 ? 0 : (fade > 1 ? 1 : fade);
    p_SetCol(255, 255, 255, a * (1 - fade));
    p_Text(W / 2 + 24, H / 2 - 24 * e + 16 * j + m_rollOffset, kx_Skarblit_CreditText[index], 0.8f,
           0.8f, 0);
  }
}

void c_MyApp::CreditPlaque(float x, float y, float t, float a, int innerR, int innerG, int innerB) {
  p_SetCol(255, 255, 255, a);
  p_Oval(x, y, t, t);
  p_SetCol(innerR, innerG, innerB, a);
  p_Oval(x, y, t - 3, t - 3);
  p_SetCol(255, 255, 255, a);
}

// Three numbers stacked on a plaque's centre, 16 units apart.
void c_MyApp::CreditNumbers(float x, float y, int top, int middle, int bottom) {
  p_Text(x, y - 16, String(top), 0.8f, 0.8f, 0);
  p_Text(x, y, String(middle), 0.8f, 0.8f, 0);
  p_Text(x, y + 16, String(bottom), 0.8f, 0.8f, 0);
}

void c_MyApp::DrawCreditPlaques(float ox, float oy, float c, int n, int m, float e, float t,
                                float a) {
  const float left = ox + 1.5f * c - 6 * e;
  const float right = ox + (n - 1.5f) * c + 6 * e;
  const float top = oy + 1.5f * c - 3 * e;
  const float bottom = oy + (m - 1.5f) * c + 3 * e;

  CreditPlaque(left, top, t, a, 128, 128, 128);
  CreditNumbers(left, top, kx_app_DeviceWidth(), kx_app_DeviceHeight(), m_updateFpsAvg);
  CreditPlaque(right, top, t, a, 128, 128, 128);
  CreditNumbers(right, top, static_cast<int>(kx_Skarblit_jscrw),
                static_cast<int>(kx_Skarblit_jscrh), m_renderFpsAvg);
  CreditPlaque(left, bottom, t, a, 128, 128, 128);
  p_DrawImg(95, left, bottom, 12);
  if (kx_Skarblit_J_On_Able == 1) CreditPlaque(right, bottom, t, a, 96, 160, 96);
  else CreditPlaque(right, bottom, t, a, 128, 128, 128);
  p_SetSize(0.3f);
  p_DrawImg(93, right, bottom, 0);
  p_SetSize(1);
}

void c_MyApp::CloseCredits() {
  m_creditsOpen = 0;
  p_PlaySFX(99, 1);
  m_keyLock = 1;
  m_pointerLock = 1;
}

void c_MyApp::p_ShowBadges() {
  const float w = 160;
  const float H = kx_Skarblit_jscrh;
  p_ResetDraw();
  for (int k = 0; k <= 12; ++k) {
    int T = m_noticeTime[k];
    if (T < 1) continue;
    T += 1;
    float x = 16.0f * T - w;
    if (T > 240 - w / 16) x = 16.0f * (240 - T) - w;
    if (x > 0) x = 0;
    m_noticeTime[k] = T > 240 ? 0 : T;
    const float y = H - 34.0f * (k + 1);
    p_SetCol(0, 0, 80, 0.8f);
    p_Rect(x, y, 160, 32);
    p_SetCol(255, 255, 255, 1);
    p_Text(x + 16, y + 4, p_BadgeName(m_noticeBadge[k]), 0, 0, 0);
    if (m_noticeBadge[k] < 64) {
      p_SetSize(0.5f);
      p_DrawImg(80, w - 16 + x, y + 16, static_cast<float>(m_noticeBadge[k]));
      p_SetSize(1);
    }
  }
}

String c_MyApp::p_BadgeID(int n) {
  if (n == 0) return String("Test Badge|This is a Test Badge which has no purpose.");
  return String();
}

String c_MyApp::p_BadgeName(int n) {
  String id = p_BadgeID(n);
  int bar = id.Find(String("|"));
  return bar < 0 ? id : id.Slice(0, bar);
}
