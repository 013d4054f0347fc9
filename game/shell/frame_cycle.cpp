// The game's frame cycle: creation, one update (function keys, pointer sampling, input locks,
// the screen state and its overlays, the loader, arcade-cabinet keys, the debug overlay),
// suspension, resumption and the full-screen toggle.
#include "app/app.h"
#include "audio/audio.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "host/glfwgame.h"
#include "input/input.h"
#include "net/asyncevent.h"

static const int kKeyF1 = 112;
static const int kKeyF2 = 113;
static const int kKeyF4 = 115;
static const int kKeyF11 = 122;
static const char kPingUrl[] = "http://ping.skarblit.example/housecall.php";

int c_MyApp::p_OnCreate() {
  m_fullscreen = 0;
  m_diffSel = 1;
  m_dialTarget = -32;
  if (kx_Skarblit_J_On_Allow == 1) {
    p_GetURL(String(kPingUrl), String("hello=1&gameID=") + String(kx_Skarblit_GameNum));
  }
  m_gameState = 1;
  kx_app_SetUpdateRate(60);
  m_lastDevWidth = kx_app_DeviceWidth();
  m_lastDevHeight = kx_app_DeviceHeight();
  p_Reload();
  m_difficulty = 2;
  m_menuIntro = -32;
  m_paused = 0;
  m_pauseMenu = -1;
  m_pauseSlide = -64;
  for (int i = 0; i < m_noticeBadge.Length(); ++i) m_noticeBadge[i] = m_noticeTime[i] = 0;
  for (int i = 0; i < m_badges.Length(); ++i) m_badges[i] = false;
  for (int i = 0; i < m_screenButtons.Length(); ++i) m_screenButtons[i] = 0;
  for (int i = 0; i < m_settings.Length(); ++i) m_settings[i] = 0;
  for (int i = 0; i < m_highScores.Length(); ++i) m_highScores[i] = 0;
  m_settings[5] = 1;
  p_Load();
  RestoreChoices();
  for (int i = 0; i < m_channelMap.Length(); ++i) m_channelMap[i] = i;
  return 0;
}

void c_MyApp::SamplePointers() {
  float o = kx_Skarblit_overscan;
  float w = static_cast<float>(kx_app_DeviceWidth());
  float h = static_cast<float>(kx_app_DeviceHeight());
  float oy = w > 0 ? o * h / w : 0;
  m_pointerX = static_cast<int>((kx_input_MouseX() - o) / m_scaleX);
  m_pointerY = static_cast<int>((kx_input_MouseY() - oy) / m_scaleY);
  m_pointerCount = kx_input_MouseDown(0) ? 1 : 0;
  for (int i = 0; i < m_touchDown.Length(); ++i) {
    m_touchDown[i] = 0;
    m_touchX[i] = -3717;
    m_touchY[i] = -3717;
    if (kx_input_KeyDown(kx_input_KEY_TOUCH0 + i)) {
      m_touchDown[i] = 1;
      m_touchX[i] = static_cast<int>((kx_input_TouchX(i) - o) / m_scaleX);
      m_touchY[i] = static_cast<int>((kx_input_TouchY(i) - oy) / m_scaleY);
      m_pointerCount = 1;
    }
  }
  if (m_pointerCount == 0) m_pointerLock = 0;
}

void c_MyApp::UpdateInputLocks() {
  static const int kLockKeys[] = {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 99};
  bool anyHeld = false;
  for (int key : kLockKeys) {
    if (p_PlayKeyAll(key, 1) != 0) anyHeld = true;
  }
  if (!anyHeld) m_keyLock = 0;
  bool overlayOpen = m_creditsOpen != 0 || m_infoPanelOpen != 0 || m_optionsOpen != 0;
  if (m_keyLock == 0 && m_pointerLock == 0 && p_PlayKeyAll(99, 1) != 0 && m_gameState == 1 &&
      overlayOpen) {
    m_creditsOpen = 0;
    m_infoPanelOpen = 0;
    m_keyLock = m_pointerLock = 1;
  }
  if (m_optionsOpen != 0) m_keyLock = m_pointerLock = 1;
}

void c_MyApp::RunScreenState() {
  switch (m_gameState) {
    case 10:
      p_Game();
      p_InGame();
      if (m_gameOver > 0) p_GameOver();
      return;
    case 11:
      p_LoadGame();
      return;
    case 2:
      p_LoadMenu();
      p_PlaySFX(96, 1);
      m_gameState = 1;
      break;
    case 1:
      p_Menu();
      break;
    default:
      return;
  }
  p_GameOver();
  if (m_creditsOpen == 1 || m_creditsSlide > 0) p_CreditBox();
}

// Moves a slide counter one step toward 30 while open and toward 0 while closed.
static void Slide(int open, int& counter) {
  if (open == 1) {
    if (counter < 30) ++counter;
  } else if (counter > 0) {
    --counter;
  }
}

void c_MyApp::SlideOverlays() {
  Slide(m_creditsOpen, m_creditsSlide);
  if (m_optionsOpen == 1 || m_optionsSlide > 0) p_OptionBox();
  Slide(m_optionsOpen, m_optionsSlide);
  if (m_infoPanelOpen == 0) {
    m_infoPanelX -= m_infoPanelX / 16;
    if (m_infoPanelX < 4) m_infoPanelX = 0;
  } else {
    float target = kx_Skarblit_jscrw - 140;
    if (m_infoPanelX < target) {
      m_infoPanelX += (target - m_infoPanelX) / 16;
      if (target - m_infoPanelX < 4) m_infoPanelX = target;
    }
  }
}

void c_MyApp::DecodeICade() {
  // Upper-case press letter, release letter, logical key.
  static const struct {
    char press, release;
    int key;
  } kTable[] = {{'W', 'E', 0},  {'X', 'Z', 8},  {'A', 'Q', 3},  {'D', 'C', 5},
                {'Y', 'T', 13}, {'U', 'F', 14}, {'I', 'M', 15}, {'O', 'G', 16},
                {'H', 'R', 10}, {'J', 'N', 11}, {'K', 'P', 12}, {'L', 'V', 17}};
  for (int c = kx_input_GetChar(); c != 0; c = kx_input_GetChar()) {
    if (c < 0) continue;
    int upper = (c >= 'a' && c <= 'z') ? c - 32 : c;
    for (const auto& entry : kTable) {
      if (upper == entry.press) {
        m_screenButtons[entry.key] = 2;
        break;
      }
      if (upper == entry.release) {
        m_screenButtons[entry.key] = 0;
        break;
      }
    }
  }
}

int c_MyApp::p_OnUpdate() {
  m_screenButtons[19] = kx_input_KeyHit(KxKeyBack);
  if (kx_input_KeyHit(kKeyF1)) kx_Skarblit_DebugMode = 1 - kx_Skarblit_DebugMode;
  if (kx_input_KeyHit(kKeyF2)) m_hideHud = 1 - m_hideHud;
  if (kx_input_KeyHit(kKeyF11)) p_FullscreenFlip();
  if (kx_input_KeyHit(kKeyF4) || kx_input_KeyHit(KxKeyClose)) EndGame();
  kx_asyncevent_UpdateAsyncEvents();
  if (kx_Skarblit_HasMusicStream == 1 && m_musicOn == 1) {
    if (m_paused != 0) {
      kx_audio_PauseMusic();
    } else {
      kx_audio_ResumeMusic();
    }
  }
  MeasureRate(m_updateMs, m_updateFps, m_updateFpsAvg);
  SamplePointers();
  UpdateInputLocks();
  if (m_loading == 0) {
    RunScreenState();
    SlideOverlays();
  }
  if (m_loading > 0) p_Loader();
  if (kx_Skarblit_iCadeControls == 1) DecodeICade();
  for (int i = 0; i <= 18; ++i) {
    if (m_screenButtons[i] == 1) m_screenButtons[i] = 0;
  }
  if (kx_Skarblit_DebugMode == 1) {
    p_ResetDraw();
    p_Text(16, kx_Skarblit_jscrh - 16,
           String(m_scaleY) + String(",") + String(m_scaleX) + String(":") +
               String(m_renderFpsAvg),
           0, 0, 0);
  }
  p_ShowBadges();
  return 0;
}

void c_MyApp::ApplySuspendPause() {
  if (m_gameState < 10) {
    m_paused = m_pauseMenu = m_pauseSlide = 0;
  } else {
    m_paused = 1;
    m_pauseMenu = 1;
    m_pauseSlide = static_cast<int>(kx_Skarblit_jscrh * 0.5f);
  }
}

void c_MyApp::ReleaseScreenButtons() {
  kx_input_DisableKeyboard();
  kx_Skarblit_iCadeControls = 0;
  for (int i = 0; i <= 18; ++i) m_screenButtons[i] = 0;
}

int c_MyApp::p_OnSuspend() {
  ReleaseScreenButtons();
  ApplySuspendPause();
  kx_app_SetUpdateRate(5);
  m_settings[kx_Skarblit_FullscreenSlot] = m_fullscreen;
  p_Save();
  return 0;
}

// The iCade's keyboard went with the focus; the player's choice comes back with it.
int c_MyApp::p_OnResume() {
  ApplySuspendPause();
  kx_app_SetUpdateRate(60);
  ReleaseScreenButtons();
  if (m_settings[kx_Skarblit_ICadeSlot] == 1) p_iCade(1);
  return 0;
}

void c_MyApp::RestoreChoices() {
  if (m_settings[kx_Skarblit_ICadeSlot] == 1) p_iCade(1);
  if (m_settings[kx_Skarblit_FullscreenSlot] == 1 && m_fullscreen == 0) p_FullscreenFlip();
}

void c_MyApp::EndGame() {
  if (m_settings[kx_Skarblit_FullscreenSlot] != m_fullscreen) {
    m_settings[kx_Skarblit_FullscreenSlot] = m_fullscreen;
    p_Save();
  }
  kxError(String());
}

void c_MyApp::p_FullscreenFlip() {
  KxGlfwGame* host = KxGlfwGame::_glfwGame;
  KxGlfwVideoMode* desktop = host->GetGlfwDesktopMode();
  m_fullscreen = 1 - m_fullscreen;
  if (m_fullscreen == 1) {
    host->SetGlfwWindow(desktop->width, desktop->height, desktop->red, desktop->green,
                        desktop->blue, 0, 0, 0, true);
  } else {
    host->SetGlfwWindow(640, 480, desktop->red, desktop->green, desktop->blue, 0, 0, 0, false);
  }
}
