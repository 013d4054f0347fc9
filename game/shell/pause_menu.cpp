// The pause menu: slides down over a paused game (which keeps running underneath) with resume,
// quit and options buttons, driven by pointer or logical keys; the pause flag clears only once
// the menu has left the screen again.
#include "game/shell/globals.h"
#include "game/shell/myapp.h"

namespace {
const int kQuit = -1;
const int kResume = 0;
const int kOptions = 1;
}  // namespace

void c_MyApp::p_PauseMenu() {
  const float W = kx_Skarblit_jscrw;
  const float H = kx_Skarblit_jscrh;
  const bool landscape = m_landscape == 1;
  p_ResetDraw();

  p_SetCol(0, 0, 0, kx_math_Abs2(static_cast<float>(m_pauseSlide)) / (0.8f * H));
  p_Rect(0, 0, W, H);
  SlidePauseMenu(H);
  const float S = static_cast<float>(m_pauseSlide);
  DrawPauseFrame(W, S, landscape);

  // Resume.
  p_SetSize(2);
  p_SetCol(50, 50, 250, 1);
  if (p_Button(97, W / 2, S, 3) != 0 && m_pointerLock == 0) ResumeFromPause(1, true);
  if (m_pauseSel == kResume) {
    PauseHighlight(W / 2, S);
    if (m_keyLock == 0 && PauseKey(10)) ResumeFromPause(1, false);
    else if (m_keyLock == 0 && (PauseKey(3) || PauseKey(0))) PauseSelect(kQuit, 0.8f);
    else if (m_keyLock == 0 && PauseKey(5)) PauseSelect(kOptions, 1.2f);
  }

  // Quit.
  const float qx = static_cast<float>(static_cast<int>(landscape ? W / 2 - 140 : W / 2 - 96));
  const float qy = landscape ? S - 64 : S - 96;
  p_SetSize(2);
  p_SetCol(255, 50, 50, 1);
  if (p_Button(97, qx, qy, 1) != 0 && m_pointerLock == 0) QuitFromPause();
  if (m_pauseSel == kQuit) {
    PauseHighlight(qx, qy);
    if (m_keyLock == 0 && PauseKey(10)) {
      QuitFromPause();
      m_keyLock = 1;
    } else if (m_keyLock == 0 && (PauseKey(5) || PauseKey(8))) {
      PauseSelect(kResume, 0.8f);
    }
  }

  // Options cog; it stands still while the options box is open over it.
  const float ox = static_cast<float>(static_cast<int>(landscape ? W / 2 + 140 : W / 2 + 96));
  const float oy = landscape ? S - 64 : S - 96;
  if (m_optionsOpen == 0) m_cogAngle += 0.2f;
  p_ResetDraw();
  if (DrawCog(ox, oy, 0.33f * m_cogAngle) != 0 && m_pointerLock == 0) {
    m_optionsOpen = 1;
    m_pointerLock = 1;
    p_PlaySFX(99, 1);
  }
  if (m_pauseSel == kOptions) {
    PauseHighlight(ox, oy);
    if (m_keyLock == 0 && PauseKey(10)) {
      m_keyLock = 1;
      m_optionsOpen = 1;
      p_PlaySFX(98, 1, 0.5f, 0);
    } else if (m_keyLock == 0 && (PauseKey(3) || PauseKey(8))) {
      PauseSelect(kResume, 0.8f);
    }
  }

  if (m_keyLock == 0 && PauseKey(99)) {
    m_keyLock = 1;
    ResumeFromPause(1, false);
  }
  p_ResetDraw();
}

// Slides the menu in to the middle of the screen, or out past the top; the pause ends once the
// menu has left.
void c_MyApp::SlidePauseMenu(float H) {
  if (m_pauseMenu == 1 && m_pauseSlide < H / 2) m_pauseSlide += 24;
  if (m_pauseMenu == -1) {
    if (m_pauseSlide < -63) {
      m_paused = 0;
    } else {
      m_pauseSlide -= 24;
      if (m_pauseSlide < -32) m_paused = 0;
    }
  }
}

void c_MyApp::DrawPauseFrame(float W, float S, bool landscape) {
  const float top = landscape ? 128 : 96;
  const float body = landscape ? 140 : 128;
  p_SetCol(255, 255, 10, 0.6f);
  p_Rect(W / 2 - top, landscape ? S - 64 : S - 92, top * 2, 8);
  p_SetCol(255, 150, 10, 0.7f);
  p_Rect(W / 2 - body, landscape ? S - 52 : S - 80, body * 2, landscape ? 104 : 160);
  p_SetCol(10, 150, 255, 0.6f);
  p_Rect(W / 2 - top, landscape ? S + 56 : S + 84, top * 2, 8);
}

void c_MyApp::PauseHighlight(float x, float y) {
  p_SetSize(2.5f);
  p_SetCol(255, 255, 100, 1);
  p_SetRot(0);
  p_DrawImg(97, x, y, 6);
  p_ResetDraw();
}

bool c_MyApp::PauseKey(int key) { return p_PlayKeyAll(key, 1) != 0; }

// Moves the keyboard selection; every key action takes the key lock so one press acts once.
void c_MyApp::PauseSelect(int selection, float rate) {
  m_keyLock = 1;
  m_pauseSel = selection;
  p_PlaySFX(98, rate, 0.5f, 0);
}

// The menu slides out and play resumes once it has gone; a pointer press takes the pointer lock,
// a key press the key lock.
void c_MyApp::ResumeFromPause(float rate, bool byPointer) {
  m_paused = 1;
  m_pauseMenu = -1;
  if (byPointer) m_pointerLock = 1;
  else m_keyLock = 1;
  p_PlaySFX(98, rate, 0.5f, 0);
}

// Quitting ends the game: the game-over banner follows, then the menu.
void c_MyApp::QuitFromPause() {
  m_paused = 0;
  m_pauseMenu = -1;
  m_pauseSlide = -64;
  m_gameOver = 1;
  m_pointerLock = 1;
  p_PlaySFX(98, 0.5f, 0.5f, 0);
}
