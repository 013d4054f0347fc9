// Starting a game: the arena block, foe and particle records and the spawn timers per
// difficulty; and the integer draws from the global generator.
#include "game/play/arena.h"

#include <cmath>

using namespace arena;

int c_MyApp::p_Rand(int lo, int hi) {
  float range = static_cast<float>(hi) + 0.99f - static_cast<float>(lo);
  return static_cast<int>(std::floor(kx_random_Rnd() * range + static_cast<float>(lo)));
}

int c_MyApp::p_Rand2(int hi) { return p_Rand(0, hi); }

void c_MyApp::p_ResetPlayers() {
  for (int i = 0; i < kArenaCleared; ++i) m_arena[i] = 0;
}

void c_MyApp::p_LoadGame() {
  m_paused = 0;
  m_score = 0;
  m_gameOver = 0;
  m_gameOverTimer = 0;
  m_gameState = 10;
  if (kx_Skarblit_HasMusicStream == 1) p_PlayTune(String("Playful"), 1);
  p_ResetStars(100);
  m_sparkCount = 250;
  for (int i = 0; i <= m_sparkCount; ++i) m_sparks[i * kRecord] = 0;
  p_ResetPlayers();
  m_arena[kHealth] = 10;
  m_arena[kCraftX] = kx_Skarblit_jscrw * 0.5f;
  m_arena[kCraftY] = kx_Skarblit_jscrh * 0.5f;
  for (int i = 0; i <= kLastFoe; ++i) m_foes[i * kRecord] = 0;
  switch (Difficulty(m_difficulty)) {
    case 2:
      m_arena[kFoeCountdown] = 200;
      m_arena[kFoeInterval] = 150;
      break;
    case 3:
      m_arena[kFoeCountdown] = 0;
      m_arena[kFoeInterval] = 50;
      break;
    default:
      m_arena[kFoeCountdown] = 360;
      m_arena[kFoeInterval] = 250;
      break;
  }
}
