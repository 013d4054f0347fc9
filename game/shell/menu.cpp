// The main menu: title, the difficulty dial round the options cog, the side panel with the
// score lists, the play button and the credit roll, driven by logical keys and the pointer.
#include <cmath>

#include "game/play/arena.h"
#include "runtime/kxmath.h"

using arena::kMenuRepeatCountdown;
using arena::kMenuRepeatInterval;

namespace {

const double kRad = 3.14159265358979323846 / 180.0;

// What one update of the menu works with.
struct MenuFrame {
  float w, h;   // virtual screen
  float intro;  // m_menuIntro
  float panel;  // side panel width
  float gx, gy;  // cog centre
  int activate = -1;  // item activated this update
};

bool NoLocks(const c_MyApp* app) { return app->m_keyLock == 0 && app->m_pointerLock == 0; }

bool NoBoxes(const c_MyApp* app) {
  return app->m_creditsOpen == 0 && app->m_optionsOpen == 0 && app->m_infoPanelOpen == 0;
}

void LockBoth(c_MyApp* app) { app->m_keyLock = app->m_pointerLock = 1; }

void Paint(c_MyApp* app, float scale, float rot, float alpha) {
  app->p_SetSize(scale);
  app->p_SetRot(rot);
  app->p_SetCol(255, 255, 255, alpha);
}

void DrawTitle(c_MyApp* app, const MenuFrame& f) {
  Paint(app, 3, 0, 1);
  app->p_DrawImg(99, f.w / 2, 0.4f * f.h + 16 * f.intro, 0);
  Paint(app, 1.5f, 0, 0.75f);
  app->p_DrawImg(99, (f.w - f.panel) / 2 + 16 * f.intro, f.h / 2, 2);
  Paint(app, 2, 0, 0.5f);
  app->p_DrawImg(99, f.w / 2, f.h / 2 - 16 * f.intro, 1);
  Paint(app, 1.5f, 0, 1);
  app->p_DrawImg(98, (f.w - f.panel) / 2, 12 * f.intro + 90, 0);
}

void SidePanel(c_MyApp* app, MenuFrame& f) {
  float x = f.w - f.panel - 8 * f.intro;
  bool focused = app->m_menuItem == 2;
  Paint(app, 1, 0, focused ? 1 : 0.2f);
  app->p_Rect(x - 2, -128, 3, f.h + 128);
  if (focused) {
    app->p_SetCol(0, 0, 80, 0.75f);
  } else {
    app->p_SetCol(0, 0, 0, 0.45f);
  }
  app->p_Rect(x, -128, f.panel + 32, f.h + 128);
  if (app->p_MouseIn(x, -128, f.panel + 32, f.h) && NoLocks(app) && !focused) {
    app->m_menuItem = 2;
    app->p_PlaySFX(99, 1);
    LockBoth(app);
  }
  app->p_SetSize(4, 3);
  app->p_SetCol(100, 255, 100, app->m_menuItem == 1 ? 0.5f : 0);
  app->p_DrawImg(97, f.w - f.panel / 2, f.h - 48, 3);
  if (app->p_MouseIn_Centered(f.w - f.panel / 2, f.h - 48, 128, 128) && NoLocks(app) &&
      NoBoxes(app)) {
    f.activate = 1;
    app->p_PlaySFX(98, 1);
    app->m_pointerLock = 1;
  }
  if (app->m_menuItem == 2 && app->p_MouseIn(x, -128, f.panel + 32, f.h) && NoLocks(app) &&
      NoBoxes(app)) {
    f.activate = 2;
    app->p_PlaySFX(99, 1);
    LockBoth(app);
  }
}

// "Top 6" (or "Highscore" for a single row) and the rows of one table of the difficulty.
String ScoreList(c_MyApp* app, const char* title, const char* single, int base, int rows) {
  String text = rows == 1 ? String(single) : String(title) + String(rows);
  int d = arena::Difficulty(app->m_difficulty);
  for (int i = 0; i < rows; ++i) {
    text += String("\\n") + app->p_rstr(10, app->m_highScores[base + 10 * (d - 1) + i], String(" "));
  }
  return text;
}

void ScoreLists(c_MyApp* app, const MenuFrame& f) {
  int lineHeight = static_cast<int>(app->m_imageInfo[app->m_font * 3 + 1] * 1.5f);
  if (lineHeight < 1) lineHeight = 1;  // no font yet: avoid dividing by zero
  int rows = static_cast<int>(f.h / 2 - 90) / lineHeight;
  rows = rows < 1 ? 1 : rows > 10 ? 10 : rows;
  float x = f.w - f.panel - 4 * f.intro + 20;
  app->p_SetSize(1.5f);
  app->p_SetRot(0);
  app->p_SetCol(255, 200, 100, 1);
  app->p_Text(x, 60, ScoreList(app, "Top ", "Highscore", 0, rows), 0, 0, 0);
  app->p_SetCol(200, 255, 100, 1);
  app->p_Text(x, f.h / 2 + 20, ScoreList(app, "Last ", "Last", 30, rows), 0, 0, 0);
}

void DialMotion(c_MyApp* app) {
  if (app->m_dialSpin != 0) {
    app->m_dialTarget += app->m_dialSpin;
    app->m_dialSpin *= 0.75f;
    if (std::fabs(app->m_dialSpin) < 1) app->m_dialSpin = 0;
  }
  app->m_dialAngle += (app->m_dialTarget - app->m_dialAngle) / 8;
  if (std::fabs(app->m_dialTarget - app->m_dialAngle) < 0.5f) app->m_dialAngle = app->m_dialTarget;
}

void CogAndDisc(c_MyApp* app, MenuFrame& f) {
  Paint(app, 0.5f, 0, app->m_menuItem == 0 ? 0.8f : 0.25f);
  app->p_DrawImg(85, f.gx, f.gy, 1);
  if (app->m_menuItem == 0) app->m_cogAngle = std::fmod(app->m_cogAngle + 0.3f, 360.0f);
  const float turns[3] = {1, -2, 4};
  for (int i = 0; i < 3; ++i) {
    Paint(app, 1.5f, app->m_cogAngle * turns[i], 1);
    app->p_DrawImg(95, f.gx, f.gy, static_cast<float>(8 + i));
  }
  if (app->p_MouseIn_Centered(f.gx, f.gy, 64, 64) && NoLocks(app) && NoBoxes(app)) {
    app->m_optionsOpen = 1;
    app->m_pointerLock = 1;
    app->p_PlaySFX(99, 1);
    app->m_menuItem = 0;
  }
  Paint(app, 1.5625f, app->m_dialAngle, app->m_menuItem == 1 ? 0.8f : 0.25f);
  app->p_DrawImg(85, f.gx, f.gy, 3);
}

// Dragging round the cog spins the dial; a drag that moved marks both locks -1, so its
// release does not count as a click.
void DragDial(c_MyApp* app, const MenuFrame& f) {
  if (app->m_pointerCount == 0) app->m_dragAnchorX = app->m_dragAnchorY = -1;
  bool onDial = app->p_MouseIn_Centered(f.gx, f.gy, 500, 500) &&
                !app->p_MouseIn_Centered(f.gx, f.gy, 64, 64);
  if (!onDial || app->m_pointerLock >= 1) return;
  if (app->m_dragAnchorX < 0) {
    app->m_dragAnchorX = app->m_pointerX;
    app->m_dragAnchorY = app->m_pointerY;
  }
  float s = static_cast<float>((app->m_dragAnchorX - app->m_pointerX) +
                               (app->m_dragAnchorY - app->m_pointerY)) *
            0.25f;
  float spin = app->m_dialSpin - s;
  app->m_dialSpin = spin < -40 ? -40 : spin > 40 ? 40 : spin;
  if (std::fabs(s) > 1) app->m_keyLock = app->m_pointerLock = -1;
  app->m_menuItem = 1;
  app->m_dragAnchorX = app->m_pointerX;
  app->m_dragAnchorY = app->m_pointerY;
}

void Segment(c_MyApp* app, MenuFrame& f, int k) {
  float a = 32.0f * k + 48 + app->m_dialAngle;
  float off = std::fabs(a - 45);
  float bulge = off <= 45 ? (45 - off) * 1.5f : 0;
  float qx = f.gx + static_cast<float>(kx_math_Sin(a * kRad)) * (bulge + 116);
  float qy = f.gy - static_cast<float>(kx_math_Cos(a * kRad)) * (bulge + 116);
  if (std::fabs(app->m_dialSpin) > 0.05f) {
    bool selected = k == app->m_diffSel;
    if (selected && app->m_diffSel == 2 && (a < 30 || a > 200)) app->m_dialSpin = 4;
    if (selected && app->m_diffSel == 0 && a > 60 && a < 200) app->m_dialSpin = -4;
    if (a > 30 && a < 60 && !selected) {
      app->m_diffSel = k;
      app->p_PlaySFX(99, 1);
    }
  }
  bool selected = k == app->m_diffSel;
  float scale = selected ? bulge / 60 + 1 : 1;
  float alpha = app->m_menuItem != 1 ? 0.3f : selected ? 1 : 0.5f;
  Paint(app, scale, (a - 55) / 2, alpha);
  app->p_DrawImg(95, qx, qy, static_cast<float>(k % 6));
  app->p_SetSize(scale * 1.5f);
  app->p_Text(qx, qy, kx_Skarblit_MenuSet[2 * k], 1, 1, 0);

  bool settled = std::fabs(app->m_dialAngle - app->m_dialTarget) < 2;
  if (!settled || !NoBoxes(app)) return;
  if (selected && app->p_MouseIn_Radius(qx, qy, 64, 64) && app->m_pointerLock == 0 &&
      app->m_pointerCount > 0) {
    app->m_menuItem = 1;
    app->m_pointerLock = 1;
    app->m_dialTarget = -32.0f * k;
    app->p_PlaySFX(98, 1);
    f.activate = 1;
  } else if (!selected && app->p_MouseIn_Radius(qx, qy, 52, 52) && app->m_pointerLock < 1) {
    app->m_diffSel = k;
    app->m_menuItem = 1;
    app->m_pointerLock = -1;
    app->m_dialTarget = -32.0f * k;
    app->p_PlaySFX(99, 1);
  }
}

// One step of the difficulty by up or down; up waits for the repeat countdown.
void StepDifficulty(c_MyApp* app, int step) {
  Array<float>& a = app->m_arena;
  a[kMenuRepeatCountdown] = a[kMenuRepeatInterval];
  a[kMenuRepeatInterval] = a[kMenuRepeatInterval] - 12 > 3 ? a[kMenuRepeatInterval] - 12 : 3;
  LockBoth(app);
  app->m_diffSel += step;
  app->p_PlaySFX(99, 1);
  app->m_dialTarget = -32.0f * app->m_diffSel;
}

void Keys(c_MyApp* app, MenuFrame& f) {
  Array<float>& a = app->m_arena;
  bool up = app->p_PlayKey(0, 1, 0) != 0;
  bool down = app->p_PlayKey(8, 1, 0) != 0;
  if (!up && !down) {
    a[kMenuRepeatCountdown] = 0;
    a[kMenuRepeatInterval] = 30;
  } else {
    a[kMenuRepeatCountdown] -= 1;
    if (a[kMenuRepeatCountdown] < 0) app->m_keyLock = 0;
  }
  if (app->m_menuItem == 1) {
    if (f.w > 600) {
      Paint(app, 1.5f, 0, 1);
      app->p_Text(240, f.h - 52 - 3 * f.intro, kx_Skarblit_MenuSet[2 * app->m_diffSel + 1], 0,
                  0, 0);
    }
    if (up && NoLocks(app) && app->m_diffSel >= 1 && a[kMenuRepeatCountdown] < 1 &&
        NoBoxes(app)) {
      StepDifficulty(app, -1);
    }
    if (down && NoLocks(app) && app->m_diffSel < 2 && NoBoxes(app)) StepDifficulty(app, 1);
  }
  int move = 0;
  if (app->p_PlayKey(3, 1, 0) != 0 && app->m_menuItem > 0) move = -1;
  if (app->p_PlayKey(5, 1, 0) != 0 && app->m_menuItem < 2) move = move == 0 ? 1 : move;
  if (move != 0 && NoLocks(app) && NoBoxes(app)) {
    app->m_menuItem += move;
    LockBoth(app);
    app->p_PlaySFX(99, 1);
  }
  bool action = false;
  for (int key = 10; key <= 12; ++key) action = action || app->p_PlayKey(key, 1, 0) != 0;
  if (action && app->m_keyLock == 0 && NoBoxes(app)) {
    app->p_PlaySFX(98, 1);
    app->m_keyLock = 1;
    f.activate = app->m_menuItem;
  }
}

void Activate(c_MyApp* app, const MenuFrame& f) {
  if (f.activate == 0) {
    app->m_optionsOpen = 1;
    LockBoth(app);
    app->p_PlaySFX(99, 1);
  } else if (f.activate == 1) {
    if (app->m_pointerCount >= 1) {
      app->m_inputStyle = 2;
    } else {
      app->m_inputStyle = 1;
      for (int key = 10; key <= 15; ++key) {
        if (app->p_PlayKey(key, 1, -1) != 0) app->m_inputStyle = 0;
      }
    }
    LockBoth(app);
    app->m_gameState = 11;
    app->m_dialTarget = -32.0f * app->m_diffSel;
  } else if (f.activate == 2) {
    app->m_infoPanelOpen = 1;
    LockBoth(app);
    app->p_PlaySFX(99, 1);
  }
  Paint(app, app->m_menuItem == 2 ? 0.35f : 0.25f, 0, 1);
  app->p_DrawImg(93, f.w - f.panel / 2, 32, 0);
}

void CreditRoll(c_MyApp* app, const MenuFrame& f) {
  bool action = false;
  for (int key = 10; key <= 13; ++key) action = action || app->p_PlayKeyAll(key, 1) != 0;
  if ((action || app->m_pointerCount > 0) && NoLocks(app)) {
    app->m_infoPanelOpen = 0;
    app->p_PlaySFX(99, 1);
    LockBoth(app);
  }
  app->m_rollOffset -= 0.3f;
  if (app->p_PlayKeyAll(0, 1) != 0 || app->p_PlayKeyAll(8, 1) != 0) app->m_rollOffset -= 1.5f;
  if (app->m_rollOffset < -16) {
    app->m_rollOffset += 16;
    app->m_rollFirst += 1;
  }
  int n = kx_Skarblit_CreditText.Length() - 1;
  if (n < 1) return;
  for (int j = -3; j <= 4; ++j) {
    int line = ((app->m_rollFirst + j) % n + n) % n;
    float fade = std::fabs((16 * j + app->m_rollOffset) / 40) - 0.3f;
    fade = fade < 0 ? 0 : fade > 1 ? 1 : fade;
    Paint(app, 1, 0, 1 - fade);
    // The roll stays in view: the credits box's slide-out offset is not applied.
    float y = 16.0f * j + (f.h - 64) + app->m_rollOffset;
    app->p_Text((f.w - 160) + (f.w - f.panel), y, kx_Skarblit_CreditText[line], 0.8f, 0.8f, 0);
  }
}

}  // namespace

void c_MyApp::p_Menu() {
  p_DoBG(0, 0, 80, 1.0f);
  if (m_menuIntro < 0) m_menuIntro = static_cast<int>(m_menuIntro + 0.25f);
  MenuFrame f;
  f.w = kx_Skarblit_jscrw;
  f.h = kx_Skarblit_jscrh;
  f.intro = static_cast<float>(m_menuIntro);
  f.panel = m_infoPanelX + 140;
  if (NoLocks(this) && p_PlayKeyAll(99, 1) != 0) EndGame();
  DrawTitle(this, f);
  SidePanel(this, f);
  if (m_creditsOpen == 0 && m_optionsOpen == 0) ScoreLists(this, f);
  DialMotion(this);
  f.gx = 12 * f.intro + 38;
  f.gy = static_cast<float>(static_cast<int>(f.h - 64 - 8 * f.intro));
  if (NoBoxes(this)) {
    CogAndDisc(this, f);
    DragDial(this, f);
    for (int k = 0; k < 3; ++k) Segment(this, f, k);
    Keys(this, f);
    int d = m_diffSel + 1;
    m_difficulty = d < 1 ? 1 : d > 3 ? 3 : d;
    Activate(this, f);
  }
  if (m_infoPanelOpen == 1) CreditRoll(this, f);
}
