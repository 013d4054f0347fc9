// The backdrop colour fading between screens, the drifting star field and the particle pool
// (sparks, debris and floating score numbers). All pools are preallocated; adding to a full
// pool does nothing.
#include <cmath>

#include "game/play/arena.h"
#include "runtime/kxmath.h"

using namespace arena;

namespace {

// Particle record slots.
const int kKind = 0;
const int kX = 1;
const int kY = 2;
const int kVX = 3;
const int kVY = 4;
const int kAngle = 5;
const int kSpin = 6;
const int kLife = 7;
const int kColour = 8;
const int kValue = 9;
const int kNumberKind = 99;

// Star record slots.
const int kStarFrame = 0;
const int kStarX = 1;
const int kStarY = 2;
const int kStarDepth = 3;

const float kNoArg = kx_Skarblit_NoArg;
const double kRad = 3.14159265358979323846 / 180.0;

// A count of 1 to 499 replaces the current one; the count in force is returned.
int ResizedCount(int n, int& count) {
  if (n >= 1 && n <= 499) count = n;
  return count;
}

float Frame256() { return std::floor(kx_random_Rnd() * 255.99f); }

// New height (or x, when the star wrapped vertically), depth and frame, in that order.
void RenewStar(float* star, int axis, float span) {
  star[axis] = kx_random_Rnd() * (span + 16) - 8;
  star[kStarDepth] = Rnd(0.2f, 0.8f);
  star[kStarFrame] = Frame256();
}

// Floating scores are a few small values redrawn every frame, so their texts are made once.
String NumberText(int value) {
  static String made[100];
  if (value < 0 || value >= 100) return String(value);
  if (made[value].Length() == 0) made[value] = String(value);
  return made[value];
}

}  // namespace

void c_MyApp::p_DoBG(int r, int g, int b, float alpha) {
  if (r >= -122) m_bgTargetRed = static_cast<float>(r);
  if (g >= -122) m_bgTargetGreen = static_cast<float>(g);
  if (b >= -122) m_bgTargetBlue = static_cast<float>(b);
  m_drawCount = 0;
  m_bgRed -= (m_bgRed - m_bgTargetRed) / 30;
  m_bgGreen -= (m_bgGreen - m_bgTargetGreen) / 30;
  m_bgBlue -= (m_bgBlue - m_bgTargetBlue) / 30;
  m_clsRed = m_bgRed;
  m_clsGreen = m_bgGreen;
  m_clsBlue = m_bgBlue;
  m_clsAlpha = alpha;
  p_ResetDraw();
}

void c_MyApp::p_ResetStars(int n) {
  if (ResizedCount(n, m_starCount) < 0) return;
  for (int i = 0; i <= m_starCount; ++i) {
    float* star = m_stars.Data() + i * kRecord;
    star[kStarFrame] = Frame256();
    star[kStarX] = kx_random_Rnd() * (kx_Skarblit_jscrw + 16) - 8;
    star[kStarY] = kx_random_Rnd() * (kx_Skarblit_jscrh + 16) - 8;
    star[kStarDepth] = Rnd(0.2f, 0.8f);
    kx_random_Rnd();
    kx_random_Rnd();
  }
}

void c_MyApp::p_DoStars(float dx, float dy) {
  float w = kx_Skarblit_jscrw;
  float h = kx_Skarblit_jscrh;
  float margin = kx_Skarblit_overscan + 16;
  float spanW = w + 2 * kx_Skarblit_overscan + 32;
  float spanH = h + 2 * kx_Skarblit_overscan + 32;
  p_ResetDraw();
  for (int i = 0; i <= m_starCount; ++i) {
    float* star = m_stars.Data() + i * kRecord;
    star[kStarX] += dx * star[kStarDepth];
    star[kStarY] += dy * star[kStarDepth];
    if (star[kStarX] < -margin) {
      star[kStarX] += spanW;
      RenewStar(star, kStarY, h);
    }
    if (star[kStarX] > w + margin) {
      star[kStarX] -= spanW;
      RenewStar(star, kStarY, h);
    }
    if (star[kStarY] < -margin) {
      star[kStarY] += spanH;
      RenewStar(star, kStarX, w);
    }
    if (star[kStarY] > h + margin) {
      star[kStarY] -= spanH;
      RenewStar(star, kStarX, w);
    }
    m_alpha = star[kStarDepth];
    p_DrawImg(96, star[kStarX], star[kStarY], star[kStarFrame]);
  }
  p_ResetDraw();
}

int c_MyApp::p_FreeParticle() {
  // Scanned through a plain pointer: with a full pool every new spark reads the whole pool.
  const float* sparks = m_sparks.Data();
  for (int i = m_sparkCount; i >= 0; --i) {
    if (sparks[i * kRecord + kKind] == 0) return i * kRecord;
  }
  return -1;
}

void c_MyApp::p_AddParticle(int kind, float x, float y, float vx, float vy, float value,
                            int colour, float extraLife) {
  int at = p_FreeParticle();
  if (at < 0) return;
  float* p = m_sparks.Data() + at;
  p[kKind] = static_cast<float>(kind);
  p[kX] = x;
  p[kY] = y;
  p[kVX] = vx;
  p[kVY] = vy;
  p[kAngle] = std::floor(kx_random_Rnd() * 360.99f);
  p[kSpin] = kx_random_Rnd() * 14 - 7;
  p[kLife] = extraLife + 1;
  p[kColour] = static_cast<float>(colour);
  p[kValue] = value;
}

void c_MyApp::p_ThrowParticle(float x, float y, int colour, float angle, float speed) {
  p_ThrowParticle2(x, y, 1, colour, angle, speed);
}

void c_MyApp::p_ThrowParticle2(float x, float y, int kind, int colour, float angle,
                               float speed) {
  int at = p_FreeParticle();
  if (at < 0) return;
  if (angle == kNoArg) angle = kx_random_Rnd() * 360;
  if (speed == kNoArg) speed = Rnd(3, 8);
  float* p = m_sparks.Data() + at;
  p[kKind] = static_cast<float>(kind);
  p[kX] = x;
  p[kY] = y;
  p[kVX] = speed * static_cast<float>(kx_math_Sin(angle * kRad));
  p[kVY] = -speed * static_cast<float>(kx_math_Cos(angle * kRad));
  p[kAngle] = kx_random_Rnd() * 360;
  p[kSpin] = kx_random_Rnd() * 16 - 8;
  p[kLife] = Rnd(0.7f, 1.3f);
  p[kColour] = static_cast<float>(colour);
  p[kValue] = Frame256();
}

void c_MyApp::p_DoParticles() {
  p_ResetDraw();
  for (int i = 0; i <= m_sparkCount; ++i) {
    float* p = m_sparks.Data() + i * kRecord;
    int kind = static_cast<int>(p[kKind]);
    if (kind <= 0) continue;
    p[kX] += p[kVX];
    p[kY] += p[kVY];
    p[kAngle] += p[kSpin];
    m_rotation = kind == kNumberKind ? 0 : -p[kAngle];
    if (kind == 2) {
      p[kVX] *= 0.95f;
      p[kVY] += 0.2f;
    }
    m_alpha = p[kLife] < 1 ? p[kLife] : 1;
    p_Ink(static_cast<int>(p[kColour]), 1);
    m_sizeX = m_sizeY = 1;
    if (kind <= 9) {
      p_DrawImg(96, p[kX], p[kY], p[kValue]);
    } else if (kind == kNumberKind) {
      p_Text(p[kX], p[kY], NumberText(static_cast<int>(std::round(p[kValue]))), 1, 1, 0);
    }
    p[kLife] -= 0.01f;
    if (p[kLife] < 0) p[kKind] = 0;
  }
  p_ResetDraw();
}

void c_MyApp::p_ResetParticles(int n) {
  if (ResizedCount(n, m_sparkCount) < 0) return;
  for (int i = 0; i <= m_sparkCount; ++i) m_sparks[i * kRecord + kKind] = 0;
}

void c_MyApp::p_Gimme(int points, float x, float y) {
  m_score += points;
  p_AddParticle(kNumberKind, x, y, 0, -0.25f, static_cast<float>(points), 3, 0);
}

void c_MyApp::p_Ink(int colour, int level) {
  // Channel factors of the palette; index 0 is the grey of any unknown colour.
  static const float kPalette[10][3] = {
      {0.3f, 0.3f, 0.3f}, {1, 0.1f, 0.1f}, {1, 0.5f, 0.1f}, {1, 1, 0.1f}, {0.1f, 1, 0.1f},
      {0.1f, 1, 1},       {0.1f, 0.1f, 1}, {0.5f, 0.1f, 1}, {1, 0.1f, 0.5f}, {1, 1, 1}};
  const float* f = kPalette[(colour >= 1 && colour <= 9) ? colour : 0];
  float c[3];
  for (int i = 0; i < 3; ++i) {
    float v = f[i] * static_cast<float>(level) * 255;
    c[i] = v < 0 ? 0 : v > 255 ? 255 : v;
  }
  p_SetCol(c[0], c[1], c[2]);
}
