// The options box: an overlay that slides down over the menu or the pause screen. A back cog and
// four rows: sound mode, arcade-cabinet keys, full screen or window, and the credits (not while a
// game is paused). Every way of closing it saves the settings, except switching to the credits.
#include "game/shell/globals.h"
#include "game/shell/myapp.h"

namespace {

const int kSoundSlot = 5;

// The label of a sound mode; a stored mode outside the available ones reads as Off.
String SoundLabel(int mode) {
  if (kx_Skarblit_HasMusicStream == 1) {
    static const char* const kLabels[] = {"Sound : Off", "Sound : SFX + Music", "Sound : SFX",
                                          "Sound : Music"};
    return String(kLabels[mode]);
  }
  return String(mode == 1 ? "Sound : On" : "Sound : Off");
}

int SoundModeCount() { return kx_Skarblit_HasMusicStream == 1 ? 4 : 2; }

}  // namespace

// Whether any of the given logical keys is held on any port.
static bool AnyHeld(c_MyApp* app, std::initializer_list<int> keys) {
  for (int k : keys)
    if (app->p_PlayKeyAll(k, 1) != 0) return true;
  return false;
}

void c_MyApp::p_OptionBox() {
  const float W = kx_Skarblit_jscrw;
  const float H = kx_Skarblit_jscrh;
  const int s = m_optionsSlide;
  p_ResetDraw();
  m_keyLock = 1;
  m_pointerLock = 1;
  // The press that opened the box must not act inside it while it slides in.
  if (s != 30) m_optKeyHeld = m_optTouchHeld = 1;

  p_SetCol(150, 75, 0, 0.85f);
  p_Rect(50, (30 - s) * 24.0f, W - 100, H);

  // Back cog, three layers turning separately.
  m_cogAngle += 0.2f;
  const float cogX = 12.0f * s - 260;
  p_SetCol(255, 255, 255, 1);
  p_SetSize(m_optRow == 0 ? 2.0f : 1.5f);
  const bool cogPressed = DrawCog(cogX, 60, m_cogAngle) != 0;
  p_SetSize(2);
  p_Text(cogX + 76, 60, String("<[BACK]"), 0, 1, 0);

  if ((cogPressed || AnyHeld(this, {99})) && m_optKeyHeld == 0 && m_optTouchHeld == 0) {
    CloseOptionBox();
    m_keyLock = 1;
    m_pointerLock = 1;
  }

  const float y1 = (30 - s) * 24.0f + 130;
  const float y2 = y1 + 40;
  const float y3 = y2 + 40;
  const int lastRow = m_paused == 0 ? 4 : 3;
  const bool actionHeld = AnyHeld(this, {10, 11, 12, 13, 14, 15});

  // A stored mode that this build does not offer reads, and is kept, as Off.
  if (m_settings[kSoundSlot] < 0 || m_settings[kSoundSlot] >= SoundModeCount())
    m_settings[kSoundSlot] = 0;
  if (OptionRow(1, 84, y1 - 2, W - 168, 24, actionHeld, true)) CycleSoundMode();
  p_Text(100, y1, SoundLabel(m_settings[kSoundSlot]), 0, 0, 0);

  if (OptionRow(2, 84, y1 + 38, W - 168, 24, actionHeld, false)) {
    kx_Skarblit_iCadeControls = 1 - kx_Skarblit_iCadeControls;
    p_iCade(kx_Skarblit_iCadeControls);
    m_settings[kx_Skarblit_ICadeSlot] = kx_Skarblit_iCadeControls;
    for (int k = 0; k < 20; ++k) m_screenButtons[k] = 0;
    OptionActed();
  }
  p_Text(100, y2, String(kx_Skarblit_iCadeControls == 1 ? "iCade : On" : "iCade : Off"), 0, 0, 0);

  if (OptionRow(3, 84, y2 + 38, W - 168, 24, actionHeld, false)) {
    p_FullscreenFlip();
    OptionActed();
  }
  p_Text(100, y3, String(m_fullscreen == 0 ? "Fullscreen" : "Windowed"), 0, 0, 0);

  if (m_paused == 0) {
    const float cx = static_cast<float>(static_cast<int>(W - 264));
    if (OptionRow(4, cx - 16, y3 + 48, 180, 24, actionHeld, true)) {
      m_creditsOpen = 1;
      m_optKeyHeld = m_optTouchHeld = 0;
      m_optionsOpen = 0;
    }
    p_Text(cx, y3 + 50, String("Credits"), 0, 0, 0);
  }

  if (m_optKeyHeld == 0) {
    if (m_optRow == 0 && AnyHeld(this, {15, 10, 11})) {
      m_optKeyHeld = 1;
      CloseOptionBox();
    } else if (AnyHeld(this, {0, 3})) {
      m_optKeyHeld = 1;
      if (m_optRow > 0) {
        --m_optRow;
        p_PlaySFX(99, 1);
      }
    } else if (AnyHeld(this, {8, 5})) {
      m_optKeyHeld = 1;
      if (m_optRow < lastRow) {
        ++m_optRow;
        p_PlaySFX(99, 1);
      }
    }
  }

  if (m_pointerCount == 0) m_optTouchHeld = 0;
  if (!AnyHeld(this, {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 99})) m_optKeyHeld = 0;
  p_ResetDraw();
}

// Draws row r's touch area and says whether the row acts now: touched (which selects it) by a
// pointer that has not acted yet, or selected while an action key is held that has not acted yet,
// so a held key or button acts once. With keysBlockTouch a held key also keeps a touch from acting.
bool c_MyApp::OptionRow(int row, float x, float y, float w, float h, bool actionHeld,
                        bool keysBlockTouch) {
  if (row == m_optRow)
    p_SetCol(0, 180, 255, 0.5f);
  else
    p_SetCol(0, 0, 160, 0.5f);
  bool touched = p_Touch(x, y, w, h) != 0;
  p_SetCol(255, 255, 255, 1);
  if (touched) m_optRow = row;
  if (m_optTouchHeld != 0) return false;
  if (touched) return !keysBlockTouch || m_optKeyHeld == 0;
  return row == m_optRow && actionHeld && m_optKeyHeld == 0;
}

void c_MyApp::OptionActed() {
  p_PlaySFX(99, 1);
  m_optKeyHeld = m_optTouchHeld = 1;
}

// Off, SFX + Music, SFX, Music with the tune available; Off and On without it. Entering a mode
// without music stops the tune.
void c_MyApp::CycleSoundMode() {
  int mode = m_settings[kSoundSlot];
  if (kx_Skarblit_HasMusicStream == 1) {
    mode = (mode + 1) % 4;
    if (mode == 0 || mode == 2) p_StopTune();
  } else {
    mode = 1 - mode;
  }
  m_settings[kSoundSlot] = mode;
  OptionActed();
}

void c_MyApp::CloseOptionBox() {
  m_optionsOpen = 0;
  p_PlaySFX(99, 1);
  m_settings[kx_Skarblit_FullscreenSlot] = m_fullscreen;
  p_Save();
}

// The cog's three layers turn separately; the top one is the button. Returns whether it is touched.
int c_MyApp::DrawCog(float x, float y, float topAngle) {
  p_SetRot(-0.66f * m_cogAngle);
  p_DrawImg(95, x, y, 8);
  p_SetRot(0.33f * m_cogAngle);
  p_DrawImg(95, x, y, 9);
  p_SetRot(topAngle);
  int touched = p_Button(95, x, y, 10);
  p_SetRot(0);
  return touched;
}
