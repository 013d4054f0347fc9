// Brings foes in from just off-screen at an ever shorter interval, and zap posts at random
// places after a random pause.
#include <cmath>

#include "game/play/arena.h"

using namespace arena;

// A screen too small to hold an acceptable point would otherwise keep the search going forever.
static const int kPlacementTries = 1000;

// Highest-index record whose first slot is 0 or less, or -1.
static int HighestFree(const Array<float>& records, int base, int last) {
  for (int i = last; i >= 0; --i) {
    if (records[base + i * kRecord] <= 0) return i;
  }
  return -1;
}

// An off-screen point within 100 units of the edge and at least 180 units from the craft on
// both axes; false when none turned up within the allowed tries.
static bool FindFoePlace(c_MyApp* app, float& x, float& y) {
  float w = kx_Skarblit_jscrw;
  float h = kx_Skarblit_jscrh;
  float cx = app->m_arena[kCraftX];
  float cy = app->m_arena[kCraftY];
  for (int tries = 0; tries < kPlacementTries; ++tries) {
    x = std::round(kx_random_Rnd() * (w + 200) - 100);
    y = std::round(kx_random_Rnd() * (h + 200) - 100);
    bool outside = x < 0 || y < 0 || x > w || y > h;
    if (outside && std::fabs(x - cx) >= 180 && std::fabs(y - cy) >= 180) return true;
  }
  return false;
}

static void SpawnFoe(c_MyApp* app) {
  Array<float>& arena = app->m_arena;
  arena[kFoeCountdown] -= 1;
  if (arena[kFoeCountdown] >= 0) return;
  int slot = HighestFree(app->m_foes, 0, kLastFoe);
  if (slot < 0) return;
  float x = 0;
  float y = 0;
  // Without a place the countdown stays below 0, so the next frame tries again.
  if (!FindFoePlace(app, x, y)) return;
  float interval = arena[kFoeInterval];
  arena[kFoeCountdown] = interval;
  float next = interval - 4;
  if (next > 150) next -= 6;
  arena[kFoeInterval] = next > 15 ? next : 15;
  float* foe = app->m_foes.Data() + slot * kRecord;
  foe[kFoeKind] = std::floor(kx_random_Rnd() * 3.99f + 1);
  foe[kFoeX] = x;
  foe[kFoeY] = y;
  foe[kFoeVX] = 0;
  foe[kFoeVY] = 0;
  foe[kFoeHeading] = static_cast<float>(app->p_Rand2(360));
  foe[kFoeTurn] = kx_random_Rnd() * 2 - 1;
  foe[kFoePhase] = static_cast<float>(app->p_Rand2(3));
  foe[kFoeAnimSpeed] = Rnd(0.05f, 0.15f);
}

static void SpawnPost(c_MyApp* app) {
  Array<float>& arena = app->m_arena;
  arena[kPostCountdown] -= 1;
  if (arena[kPostCountdown] >= 0) return;
  arena[kPostCountdown] = static_cast<float>(app->p_Rand(300, 450));
  int k = HighestFree(arena, kPostBase, kPostCount - 1);
  if (k < 0) return;
  float* post = arena.Data() + kPostBase + k * kRecord;
  float life = PostLife(app->m_difficulty);
  post[kPostLife] = life;
  post[kPostX] = static_cast<float>(app->p_Rand(64, static_cast<int>(kx_Skarblit_jscrw - 64)));
  post[kPostY] = static_cast<float>(app->p_Rand(64, static_cast<int>(kx_Skarblit_jscrh - 64)));
  post[kPostFlash] = 40;
  post[kPostSpin] = static_cast<float>(app->p_Rand2(360));
  post[kPostFullLife] = life;
}

void c_MyApp::p_Trundle() {
  SpawnFoe(this);
  SpawnPost(this);
}
