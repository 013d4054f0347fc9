// The closing banner of a lost game, which announces the place the score reached and hands
// back to the menu after 90 frames; and the ordinal words of the high-score places.
#include <cmath>

#include "game/play/arena.h"

// Made once: the HUD asks for a place every frame, and a copy costs no allocation.
String c_MyApp::p_Nth(int n) {
  static const String kWords[] = {String("1st"), String("2nd"), String("3rd"), String("4th"),
                                  String("5th"), String("6th"), String("7th"), String("8th"),
                                  String("9th"), String("10th")};
  if (n < 1 || n > 10) return String();
  return kWords[n - 1];
}

// The banner announces the place the table will give the score, and none when it gives none.
String c_MyApp::p_MyNth() {
  m_myPlace = p_TablePlace();
  if (m_myPlace == 1) return String("1st!");
  return p_Nth(m_myPlace);
}

// Shade, the two bars, the sliding words and, when the score placed, the announcement.
static void DrawBanner(c_MyApp* app) {
  float w = kx_Skarblit_jscrw;
  float h = kx_Skarblit_jscrh;
  float timer = static_cast<float>(app->m_gameOverTimer);
  app->m_keyLock = 1;
  app->m_pointerLock = 1;
  app->p_SetCol(0, 0, 0, timer / 40 < 0.7f ? timer / 40 : 0.7f);
  app->p_Rect(-1, -1, w + 2, h + 2);
  float bar = timer * 12;
  if (bar > h * 0.45f) bar = std::round(h * 0.45f);
  app->p_SetSize(1, 1);
  app->p_SetRot(0);
  app->m_blend = 1;
  app->p_SetCol(255, 255, 0, 0.5f);
  app->p_Rect(-1, h * 0.45f - 8, 2 * bar, 16);
  app->p_SetCol(255, 128, 0, 0.5f);
  app->p_Rect(w - 2 * bar, h * 0.55f - 8, 2 * bar + 1, 16);
  app->p_SetSize(4, 4);
  app->p_SetCol(255, 180, 180, 1);
  app->p_Text(w * 0.35f, bar, String("GAME"), 1, 1, 0);
  app->p_Text(w * 0.65f, h - bar, String("OVER"), 1, 1, 0);
  String place = app->p_MyNth();
  if (app->m_myPlace > 0) {
    app->p_SetCol(0, 125, 255, 0.5f);
    app->p_SetSize(1, 1);
    app->p_Rect(w * 0.35f, h - bar / 1.5f - 16, w * 0.3f, 32);
    app->p_SetSize(2, 2);
    app->p_SetCol(100, 255, 100, 1);
    app->p_Text(w * 0.5f, h - bar / 1.5f, String("New Highscore\\n           ") + place, 0.5f,
                2.0f, 0);
  }
}

void c_MyApp::p_GameOver() {
  if (m_gameOverTimer >= 1) DrawBanner(this);
  if (m_gameState == 10) {
    m_gameOverTimer += 1;
    if (m_gameOverTimer == 90) {
      m_gameState = 2;
      if (kx_Skarblit_HasMusicStream == 1) p_StopTune();
      m_gameOverTimer = 73;
    }
  } else if (m_gameState < 10) {
    m_gameOverTimer = m_gameOverTimer > 2 ? m_gameOverTimer - 2 : 0;
  }
}
