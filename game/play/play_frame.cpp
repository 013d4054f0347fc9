// One frame of play: the craft, the foes homing in, the zap posts with their lightning, hits
// and points, particles and the HUD; then the pause request and the pause icon.
#include <cmath>

#include "app/app.h"
#include "audio/audio.h"
#include "game/play/arena.h"
#include "game/play/foe_grid.h"
#include "runtime/kxmath.h"

using namespace arena;

namespace {

const double kRad = 3.14159265358979323846 / 180.0;

float Sin(float degrees) { return static_cast<float>(kx_math_Sin(degrees * kRad)); }
float Cos(float degrees) { return static_cast<float>(kx_math_Cos(degrees * kRad)); }

bool CraftAlive(const c_MyApp* app) { return app->m_arena[kHealth] > 0; }

// One axis of the craft: move with last frame's velocity, accelerate, brake when the stick
// is near its centre, and bounce off the walls at half speed.
void MoveAxis(float& p, float& v, float steer, float size) {
  p += v * 0.4f;
  v += steer * 0.5f;
  v = v < -8 ? -8 : v > 8 ? 8 : v;
  if (std::fabs(steer) < 0.2f) {
    if (v > 0) {
      v = v > 0.4f ? v - 0.4f : 0;
    } else if (v < 0) {
      v = v < -0.4f ? v + 0.4f : 0;
    }
  }
  if (p < 32) {
    p = 32;
    v = std::fabs(v) * 0.5f;
  }
  if (p > size - 32) {
    p = size - 32;
    v = -std::fabs(v) * 0.5f;
  }
}

void DrawCraft(c_MyApp* app, int ms) {
  Array<float>& a = app->m_arena;
  if (!CraftAlive(app)) return;
  app->p_DrawImg(1, a[kCraftX], a[kCraftY], static_cast<float>(9 + (ms / 40) % 6));
  if (a[kShield] <= 0) return;
  a[kShield] -= 1;
  float grow = a[kShield] / 120;
  const float rings[3][2] = {{0.8f, -(ms * 0.125f)},
                             {1.0f, static_cast<float>(ms) / 5},
                             {1.2f, -(static_cast<float>(ms) / 3)}};
  for (const auto& ring : rings) {
    app->m_sizeX = app->m_sizeY = grow + ring[0];
    app->m_rotation = ring[1];
    app->p_DrawImg(1, a[kCraftX], a[kCraftY], 32);
  }
}

// Colour index 1 to 3 (red, orange, yellow), then speed: 16 fast sparks and 16 slow ones.
void BurstFromCraft(c_MyApp* app) {
  float x = app->m_arena[kCraftX];
  float y = app->m_arena[kCraftY];
  for (int j = 0; j < 16; ++j) {
    int colour = static_cast<int>(std::floor(kx_random_Rnd() * 2.99f + 1));
    app->p_ThrowParticle(x, y, colour, j * 22.5f, Rnd(6, 8));
    colour = static_cast<int>(std::floor(kx_random_Rnd() * 2.99f + 1));
    app->p_ThrowParticle(x, y, colour, j * 22.5f + 11.25f, Rnd(2, 4));
  }
}

void HitCraft(c_MyApp* app, float* foe) {
  Array<float>& a = app->m_arena;
  foe[kFoeKind] = 0;
  a[kHealth] -= 3;
  a[kShield] = 150;
  if (a[kHealth] > 0) {
    app->p_PlaySFX(2, 1);
  } else {
    app->p_PlaySFX(3, 1);
    kx_audio_StopMusic();
    app->m_musicOn = 0;
  }
  BurstFromCraft(app);
}

void MoveFoe(c_MyApp* app, float* foe) {
  Array<float>& a = app->m_arena;
  foe[kFoeX] += foe[kFoeVX];
  foe[kFoeY] += foe[kFoeVY];
  foe[kFoeHeading] = std::fmod(foe[kFoeHeading] + foe[kFoeTurn], 360.0f);
  foe[kFoePhase] = std::fmod(foe[kFoePhase] + foe[kFoeAnimSpeed], 4.0f);
  float cx = a[kCraftX];
  float cy = a[kCraftY];
  // Each of the four tests draws its push whether or not it applies, so every foe moves the
  // generator by four.
  float push = Rnd(0.02f, 0.07f);
  if (cx < foe[kFoeX]) foe[kFoeVX] -= push;
  push = Rnd(0.02f, 0.07f);
  if (cy < foe[kFoeY]) foe[kFoeVY] -= push;
  push = Rnd(0.02f, 0.07f);
  if (foe[kFoeX] < cx) foe[kFoeVX] += push;
  push = Rnd(0.02f, 0.07f);
  if (foe[kFoeY] < cy) foe[kFoeVY] += push;
  for (int axis : {kFoeVX, kFoeVY}) {
    foe[axis] = foe[axis] < -3 ? -3 : foe[axis] > 3 ? 3 : foe[axis];
  }
  float frame = foe[kFoeKind] * 4 + static_cast<float>(static_cast<int>(std::round(foe[kFoePhase])) % 4) + 12;
  app->m_rotation = -foe[kFoeHeading];
  app->m_sizeX = app->m_sizeY = 1;
  app->m_alpha = 0.95f;
  app->p_DrawImg(1, foe[kFoeX], foe[kFoeY], frame);
  app->m_sizeX = app->m_sizeY = 1.2f;
  app->m_alpha = 0.2f;
  app->p_DrawImg(1, foe[kFoeX], foe[kFoeY], frame);
  bool touching = std::fabs(foe[kFoeX] - cx) < 16 && std::fabs(foe[kFoeY] - cy) < 16;
  if (touching && CraftAlive(app) && a[kShield] < 1) HitCraft(app, foe);
}

// Foes do not move while the posts throw lightning, so one grid serves all the bolts of a frame.
FoeGrid foeGrid;

// Every live foe within 8 units of a bolt joint is destroyed for the given points.
void Strike(c_MyApp* app, float x, float y, int points) {
  foeGrid.Candidates(app->m_foes.Data(), x, y, [&](int i) {
    float* foe = app->m_foes.Data() + i * kRecord;
    if (foe[kFoeKind] <= 0) return;
    if (std::fabs(foe[kFoeX] - x) >= 8 || std::fabs(foe[kFoeY] - y) >= 8) return;
    foe[kFoeKind] = 0;
    app->m_score += points;
    app->p_AddParticle(99, foe[kFoeX], foe[kFoeY], 0, -0.25f, static_cast<float>(points), 3, 0);
    int cue = static_cast<int>(std::floor(kx_random_Rnd() * 6.99f + 4));
    app->p_PlaySFX(cue, Rnd(0.7f, 1.3f));
    for (int j = 0; j < 4; ++j) {
      int colour = static_cast<int>(std::floor(kx_random_Rnd() * 8.99f + 1));
      app->p_ThrowParticle(foe[kFoeX], foe[kFoeY], colour, j * 90.0f, Rnd(10, 15));
    }
  });
}

// Colour ranges of one bolt: for each of its three line pairs (outer, inner, core) the fixed
// channel value and the ranges of the two random ones, and the alpha range.
struct BoltLook {
  bool blueBolt;  // the blue bolt keeps red fixed; the orange one keeps blue fixed
  float fixed[3];
  float first[3][2];
  float second[3][2];
  float alpha[3][2];
};

const BoltLook kInnerLook = {true,
                             {0, 100, 180},
                             {{40, 120}, {100, 180}, {200, 220}},
                             {{200, 255}, {220, 255}, {240, 255}},
                             {{0.5f, 0.8f}, {0.7f, 0.9f}, {0.9f, 1.0f}}};
const BoltLook kOuterLook = {false,
                             {0, 100, 180},
                             {{200, 255}, {220, 255}, {240, 255}},
                             {{40, 120}, {100, 180}, {200, 220}},
                             {{0.5f, 0.8f}, {0.7f, 0.9f}, {0.9f, 1.0f}}};

void BoltLine(c_MyApp* app, const BoltLook& look, int tier, float x1, float y1, float x2,
              float y2) {
  float first = Rnd(look.first[tier][0], look.first[tier][1]);
  float second = Rnd(look.second[tier][0], look.second[tier][1]);
  float alpha = Rnd(look.alpha[tier][0], look.alpha[tier][1]);
  if (look.blueBolt) {
    app->p_SetCol(look.fixed[tier], first, second, alpha);
  } else {
    app->p_SetCol(first, second, look.fixed[tier], alpha);
  }
  app->p_Line(x1, y1, x2, y2);
}

// Five lines per segment: outer pair shifted by o1, inner pair by o2, and the core.
void DrawSegment(c_MyApp* app, const BoltLook& look, const float* from, const float* to,
                 const float* o1, const float* o2) {
  const float* shifts[2] = {o1, o2};
  for (int tier = 0; tier < 2; ++tier) {
    const float* o = shifts[tier];
    for (float sign : {1.0f, -1.0f}) {
      BoltLine(app, look, tier, from[0] + sign * o[0], from[1] + sign * o[1],
               to[0] + sign * o[0], to[1] + sign * o[1]);
    }
  }
  BoltLine(app, look, 2, from[0], from[1], to[0], to[1]);
}

// The bolt toward the craft (15 segments, joint 8 on the craft, 5 points a foe) and the one
// away from it (11 segments, 15 points a foe).
void Lightning(c_MyApp* app, float px, float py, float dx, float dy, float d) {
  // The arc tangent rounded to float first, as the float overload it stands for did.
  float a = static_cast<float>(static_cast<float>(kx_math_Atan2(-dx, dy)) / kRad);
  float len = d / 9;
  float o1[2] = {Sin(a + 90) * 1.2f, -Cos(a + 90) * 1.2f};
  float o2[2] = {Sin(a + 90) * 0.6f, -Cos(a + 90) * 0.6f};
  float from[2] = {px, py};
  for (int n = 0; n < 15; ++n) {
    float w = n < 9 ? 6.0f : 10.0f;
    float m = std::floor(kx_random_Rnd() * (2 * w + 0.99f) - w);
    float dir = a + 3 * m;
    float to[2] = {from[0] + len * Sin(dir), from[1] - len * Cos(dir)};
    if (n == 8) {
      to[0] = app->m_arena[kCraftX];
      to[1] = app->m_arena[kCraftY];
    }
    DrawSegment(app, kInnerLook, from, to, o1, o2);
    Strike(app, to[0], to[1], 5);
    from[0] = to[0];
    from[1] = to[1];
  }
  from[0] = px;
  from[1] = py;
  for (int n = 0; n < 11; ++n) {
    float m = std::floor(kx_random_Rnd() * 24.99f - 12);
    float dir = a + 180 + 3 * m;
    float to[2] = {from[0] + len * Sin(dir), from[1] - len * Cos(dir)};
    DrawSegment(app, kOuterLook, from, to, o1, o2);
    Strike(app, to[0], to[1], 15);
    from[0] = to[0];
    from[1] = to[1];
  }
}

void Crackle(c_MyApp* app, float* post) {
  if (post[kPostCrackle] == 0) {
    post[kPostCrackle] = 1;
    app->p_PlaySFX(11, Rnd(0.7f, 1.3f));
  }
  if (post[kPostCrackle] > 0) {
    post[kPostCrackle] += 1;
    if (post[kPostCrackle] > 20 && kx_random_Rnd() * 3 < 1) {
      post[kPostCrackle] = 1;
      int cue = app->p_Rand(12, 13);
      app->p_PlaySFX(cue, Rnd(0.7f, 1.3f), 0.5f, 0);
    }
  }
}

void DrawPost(c_MyApp* app, const float* post, float spin) {
  float life = post[kPostLife];
  float full = post[kPostFullLife];
  int stage = static_cast<int>(std::round(life * 8 / full));
  int frame = 7 - stage;
  frame = frame < 0 ? 0 : frame > 7 ? 7 : frame;
  app->p_ResetDraw();
  app->m_rotation = -spin;
  app->p_DrawImg(1, post[kPostX], post[kPostY], static_cast<float>(frame));
}

void RunPost(c_MyApp* app, float* post) {
  post[kPostLife] -= 1;
  float life = post[kPostLife];
  float full = post[kPostFullLife];
  float spin = (full - life) * 0.25f + post[kPostSpin];
  DrawPost(app, post, spin);
  if (post[kPostFlash] > 0) {
    app->m_sizeX = app->m_sizeY = post[kPostFlash] / 40;
    app->m_rotation = -(spin * 16);
    app->p_DrawImg(85, post[kPostX], post[kPostY], 2);
  }
  post[kPostFlash] -= 1;
  app->m_alpha = 0.15f;
  app->m_sizeX = app->m_sizeY = 0.75f;
  app->m_rotation = spin * 4;
  app->p_DrawImg(85, post[kPostX], post[kPostY], 3);
  app->m_alpha = 1;
  app->m_rotation = -(spin + life / (full * 0.125f) * 360);
  app->p_DrawImg(1, post[kPostX], post[kPostY], 8);

  float dx = post[kPostX] - app->m_arena[kCraftX];
  float dy = post[kPostY] - app->m_arena[kCraftY];
  float d = std::sqrt(dx * dx + dy * dy);
  if (d > 90) post[kPostCrackle] = 0;
  if (d > 4 && d < 90 && CraftAlive(app)) {
    Crackle(app, post);
    Lightning(app, post[kPostX], post[kPostY], dx, dy, d);
  }
}

// The HUD's two texts change only with their numbers, so each is built again only then.
struct HudText {
  int key[2] = {-1, -1};
  String text;
  bool Stale(int a, int b) {
    if (!text.Length() || key[0] != a || key[1] != b) {
      key[0] = a;
      key[1] = b;
      return true;
    }
    return false;
  }
};

void DrawHud(c_MyApp* app) {
  static const String kZero("0");
  static HudText scoreText, targetText;
  float w = kx_Skarblit_jscrw;
  float health = app->m_arena[kHealth];
  app->p_SetCol(255, 255, 255, 0.5f);
  app->p_Rect(w / 2 - 101, 31, 202, 10);
  app->p_SetCol(0, 0, 0, 0.3f);
  app->p_Rect(w / 2 - 100, 32, 200, 8);
  if (health > 0) {
    app->p_SetCol(0, 255, 0, 0.6f);
    app->p_Rect(w / 2 - 100, 32, health * 20, 8);
  }
  app->p_SetSize(2);
  app->p_SetCol(100, 255, 100, 0.8f);
  if (scoreText.Stale(app->m_shownScore, 0)) {
    scoreText.text = app->p_rstr(8, app->m_shownScore, kZero);
  }
  app->p_Text(w / 2, 28, scoreText.text, 1, 1, 0);
  app->p_SetSize(1);
  app->p_SetCol(255, 255, 100, 0.8f);
  const int* table = app->m_highScores.Data() + 10 * (Difficulty(app->m_difficulty) - 1);
  int place = 10;
  int target = table[9];
  for (int j = 9; j >= 1; --j) {
    if (table[j] < app->m_score || table[j] == 0) {
      place = j - 1;
      target = table[j - 1];
    }
  }
  if (targetText.Stale(target, place)) {
    targetText.text = app->p_rstr(8, target, kZero) + String(" ") + app->p_Nth(place + 1);
  }
  app->p_Text(w / 2, 10, targetText.text, 1, 1, 0);
}

}  // namespace

void c_MyApp::p_Game() {
  p_DoBG(0, 0, 0, 1.0f);
  p_ResetDraw();
  p_DoStars(-0.3f, 0);
  p_AnalogueControl();
  p_ResetDraw();
  MoveAxis(m_arena[kCraftX], m_arena[kCraftVX], m_steerX, kx_Skarblit_jscrw);
  MoveAxis(m_arena[kCraftY], m_arena[kCraftVY], m_steerY, kx_Skarblit_jscrh);
  DrawCraft(this, kx_app_Millisecs());
  p_Trundle();
  p_ResetDraw();
  kx_random_Seed = kx_app_Millisecs() / 70;
  for (int i = 0; i <= kLastFoe; ++i) {
    float* foe = m_foes.Data() + i * kRecord;
    if (foe[kFoeKind] > 0) MoveFoe(this, foe);
  }
  foeGrid.Invalidate();
  for (int k = 0; k < kPostCount; ++k) {
    kx_random_Rnd();  // spent whether or not the post exists; later draws depend on it
    float* post = m_arena.Data() + kPostBase + k * kRecord;
    if (post[kPostLife] > 0) RunPost(this, post);
  }
  if (m_arena[kHealth] < 1) m_gameOver = 1;
  p_DoParticles();
  int n = m_shownScore - (m_shownScore - m_score) / 6;
  m_shownScore = std::abs(n - m_score) > 5 ? n : m_score;
  if (m_hideHud == 0) DrawHud(this);
}

// Opens the pause menu with its first entry selected.
static void OpenPause(c_MyApp* app) {
  app->m_paused = 1;
  app->m_pauseMenu = 1;
  app->m_pauseSel = 0;
  app->p_PlaySFX(98, 1, 0.5f, 0);
}

void c_MyApp::p_InGame() {
  p_ResetDraw();
  m_menuIntro = -32;
  bool requested = p_PlayKeyAll(99, 1) != 0 || (kx_Skarblit_isOuya == 1 && p_PlayKeyAll(13, 1) != 0);
  if (requested && m_paused == 0 && m_keyLock == 0) {
    m_keyLock = 1;
    OpenPause(this);
  }
  if (m_hideHud == 0) {
    m_alpha = m_inputStyle == 2 ? 1 : 0.2f;
    p_DrawImg(97, 16, 16, 0);
    float hw = m_imageInfo[97 * 3] * m_imageScale * m_sizeX * 0.5f;
    float hh = m_imageInfo[97 * 3 + 1] * m_imageScale * m_sizeY * 0.5f;
    bool touched = false;
    for (int i = 0; i < m_touchX.Length(); ++i) {
      float tx = static_cast<float>(m_touchX[i]);
      float ty = static_cast<float>(m_touchY[i]);
      if (16 - hw < tx && tx < 16 + hw && 16 - hh < ty && ty < 16 + hh) touched = true;
    }
    // Not over the game-over banner (its pause menu could not be used, and the pause would
    // outlive the game), nor for a press that has already acted.
    if (touched && m_pointerCount > 0 && m_paused == 0 && m_gameOver == 0 && m_pointerLock == 0) {
      m_pointerLock = 1;
      OpenPause(this);
    }
    m_alpha = 1;
  }
  if (m_paused == 1) p_PauseMenu();
}
