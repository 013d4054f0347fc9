// c_MyApp: the game's application object. It holds every piece of game state (play, screens,
// drawing, persistent tables, image and sound slots) and is driven by the app framework through
// p_OnCreate / p_OnUpdate / p_OnRender / p_OnSuspend / p_OnResume. Updates never draw: they
// append 15-float records to m_drawList, which p_OnRender replays scaled to the window.
//
// The methods are implemented in one file per concern under game/shell, game/play and
// game/services; this header is the one place that lists them all.
#pragma once
#include "app/app.h"
#include "net/http.h"
#include "runtime/runtime.h"

class c_Image;
class c_Sound;

// The float that stands for an argument left out, and the record kind of a rectangle.
const float kx_Skarblit_NoArg = -3717.0f;

class c_MyApp : public c_App, public c_IOnHttpRequestComplete {
 public:
  // Draw-command list capacity: 2500 records of 15 floats; appends stop past kDrawBound.
  static const int kRecordSize = 15;
  static const int kDrawListSize = 37500;
  static const int kDrawBound = 37484;

  // ---- Screen state and frame cycle ----
  int m_gameState = 0;
  int m_loading = 0;
  int m_fullscreen = 0;
  int m_hideHud = 0;
  int m_paused = 0;
  int m_pauseMenu = 0;
  int m_pauseSlide = 0;
  int m_musicOn = 0;
  int m_inputStyle = 0;  // 0 keys, 1 pad, 2 pointer
  int m_updateMs = 0;
  int m_updateFps = 0;
  int m_updateFpsAvg = 0;
  int m_pointerX = 0;
  int m_pointerY = 0;
  int m_pointerCount = 0;
  Array<int> m_touchDown;     // 10 touch points: 1 while down
  Array<int> m_touchX;        // virtual units, -3717 while up
  Array<int> m_touchY;
  int m_pointerLock = 0;
  int m_keyLock = 0;
  Array<int> m_screenButtons;  // 20 logical keys: 0 up, 1 pressed this update, 2 held
  int m_creditsOpen = 0;
  int m_creditsSlide = 0;
  int m_optionsOpen = 0;
  int m_optionsSlide = 0;
  int m_infoPanelOpen = 0;
  float m_infoPanelX = 0;
  int m_lastDevWidth = 0;
  int m_lastDevHeight = 0;

  // ---- Draw-command list and draw state ----
  Array<float> m_drawList;
  int m_drawCount = 0;
  float m_sizeX = 1;
  float m_sizeY = 1;
  float m_rotation = 0;  // negated angle given to p_SetRot
  float m_red = 255;
  float m_green = 255;
  float m_blue = 255;
  float m_alpha = 1;
  int m_blend = 1;
  float m_clsRed = 0;
  float m_clsGreen = 0;
  float m_clsBlue = 0;
  float m_clsAlpha = 1;
  float m_scaleX = 1;
  float m_scaleY = 1;
  int m_landscape = 1;
  int m_renderMs = 0;
  int m_renderFps = 0;
  int m_renderFpsAvg = 0;

  // ---- Image slots, text and widgets ----
  Array<c_Image*> m_images;  // 100 slots
  Array<int> m_imageInfo;    // 3 per slot: cell width, cell height, frame count
  int m_font = 0;
  int m_assetScale = 1;
  float m_imageScale = 1;
  int m_jinglePlayed = 0;
  int m_buttonHit = 0;

  // ---- Sound slots ----
  Array<c_Sound*> m_sounds;  // 100 cue slots
  int m_sfxCursor = 0;
  Array<int> m_channelMap;  // 33 device channels, one per ring position

  // ---- Persistent tables ----
  Array<int> m_settings;    // 25 slots; slot 5 is the sound mode
  Array<bool> m_badges;     // 256 flags
  Array<int> m_highScores;  // top ten at 10(d-1), last ten at 30+10(d-1)

  // ---- Start-up ping ----
  String m_urlResponse;
  c_HttpRequest* m_urlRequest = nullptr;
  int m_urlDone = 0;

  // ---- Arena and play ----
  Array<float> m_arena;   // 512: craft, spawn timers, ten zap posts
  Array<float> m_foes;    // 256 records of 10 floats
  Array<float> m_sparks;  // particle records of 10 floats
  int m_sparkCount = 250;
  Array<float> m_stars;  // star records of 10 floats
  int m_starCount = 100;
  int m_score = 0;
  int m_shownScore = 0;
  int m_difficulty = 2;  // 1 Easy, 2 Normal, 3 Hard
  int m_gameOver = 0;
  int m_gameOverTimer = 0;
  int m_myPlace = 0;  // place found by p_MyNth, 0 = none
  float m_steerX = 0;
  float m_steerY = 0;
  float m_keySteerX = 0;
  float m_keySteerY = 0;
  // No anchor (x -1) until a pointer comes down, so the press that starts the first game
  // anchors where it lands, as every later one does.
  int m_padAnchorX = -1;
  int m_padAnchorY = 0;
  // Background colour: the target and the current colour easing toward it.
  float m_bgTargetRed = 0;
  float m_bgTargetGreen = 0;
  float m_bgTargetBlue = 0;
  float m_bgRed = 0;
  float m_bgGreen = 0;
  float m_bgBlue = 0;

  // ---- Main menu ----
  int m_menuItem = 1;  // 0 options cog, 1 dial, 2 side panel
  int m_diffSel = 1;
  float m_dialTarget = -32;
  float m_dialAngle = 0;
  float m_dialSpin = 0;
  float m_cogAngle = 0;
  int m_menuIntro = 0;
  int m_dragAnchorX = -1;
  int m_dragAnchorY = -1;
  float m_rollOffset = 0;
  int m_rollFirst = 0;

  // ---- Options box, pause menu, loading screen ----
  int m_optRow = 0;
  int m_optKeyHeld = 0;
  int m_optTouchHeld = 0;
  int m_pauseSel = 0;
  int m_spinAngle = 0;

  // ---- Credits box and badge notices ----
  int m_creditsFly = 0;  // 30 - m_creditsSlide as last computed by the credits box
  Array<int> m_noticeBadge;  // 15 slots
  Array<int> m_noticeTime;   // 15 slots, 0 = empty

  c_MyApp();
  c_MyApp* m_new();
  void mark() override;

  // ---- Framework callbacks and the frame cycle ----
  int p_OnCreate() override;
  int p_OnUpdate() override;
  int p_OnRender() override;
  int p_OnSuspend() override;
  int p_OnResume() override;
  void p_FullscreenFlip();
  // Applies the iCade mode and the full screen the player left the game in.
  void RestoreChoices();
  // The quiet exit, keeping whether the game was full screen.
  void EndGame();
  // Frames per second from the clock since lastMs, and its running average (integer maths).
  static void MeasureRate(int& lastMs, int& fps, int& fpsAvg);
  // Mouse and touch positions into virtual units, with the scale of the last render.
  void SamplePointers();
  void UpdateInputLocks();
  void RunScreenState();
  void SlideOverlays();
  // Typed arcade-cabinet letters into held and released logical keys.
  void DecodeICade();
  // Suspension and resumption share this: a running game comes back paused, menu open.
  void ApplySuspendPause();
  void ReleaseScreenButtons();

  // ---- Draw-command list ----
  void p_ResetDraw();
  void p_CLS2D(float r, float g, float b, float a);
  void p_SetCol(float r, float g, float b, float a = kx_Skarblit_NoArg);
  void p_Alpha(float a);
  void p_SetRot(float angle);
  void p_SetSize(float sx, float sy = kx_Skarblit_NoArg);
  void p_Rect(float x, float y, float w, float h);
  void p_Oval(float x, float y, float rx, float ry);
  void p_Line(float x1, float y1, float x2, float y2);
  void p_DrawImg(int slot, float x, float y, float frame);
  // Appends one record with the current rotation, colour, alpha and blend, unless the list is full.
  void AddRecord(float kind, float x, float y, float s4, float s5, float frame);
  // Replays the list through the graphics context with the scale of the last render.
  void ReplayDrawList(float ox, float oy);
  // Scale and virtual screen for a device of the given size.
  void FitVirtualScreen(float width, float height);

  // ---- Text and widgets ----
  void p_Text(float x, float y, String text, float alignX, float alignY, int slotOffset);
  String p_rstr(int width, int value, String pad);
  int p_Button(int slot, float x, float y, int frame);
  int p_Button0(int slot, float x, float y, int frame);
  int p_MouseIn(float x, float y, float w, float h);
  int p_MouseIn_Centered(float x, float y, float w, float h);
  int p_MouseIn_Radius(float x, float y, float w, float h);
  int p_Touch(float x, float y, float w, float h);
  // Whether touch point i is down inside the open box (left, top)-(right, bottom).
  bool TouchInside(int i, float left, float top, float right, float bottom);

  // ---- Save data ----
  void p_Save();
  void p_Load();
  void p_LoadMenu();
  // The place (1 to 10) the table of the current difficulty gives m_score, 0 for none.
  int p_TablePlace();

  // ---- Asset loading ----
  void p_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frames, int flags);
  void p_LoadFont(int slot, String name, int advance, int lineHeight);
  void p_Reload();
  void p_Loader();

  // ---- Sound cues and the tune ----
  void p_LoadSFX(int n);
  void p_PlaySFX(int n, float rate, float volume = 1.0f, float pan = 0.0f);
  void p_PlayTune(String name, int flags);
  void p_StopTune();

  // ---- Start-up ping ----
  void p_GetURL(String url, String query);
  void p_OnHttpRequestComplete(c_HttpRequest* request) override;

  // ---- Arena model ----
  void p_LoadGame();
  void p_ResetPlayers();
  int p_Rand(int lo, int hi);
  int p_Rand2(int hi);  // p_Rand(0, hi)

  // ---- Play frame, spawner, controls ----
  void p_Game();
  void p_InGame();
  void p_Trundle();
  int p_PlayKey(int key, int allowStick, int port);
  int p_PlayKeyAll(int key, int allowStick);
  void p_iCade(int on);
  void p_AnalogueControl();

  // ---- Background, stars and particles ----
  void p_DoBG(int r, int g, int b, float alpha);
  void p_ResetStars(int n);
  void p_DoStars(float dx, float dy);
  void p_AddParticle(int kind, float x, float y, float vx, float vy, float value, int colour,
                     float extraLife);
  void p_ThrowParticle(float x, float y, int colour, float angle, float speed);
  void p_ThrowParticle2(float x, float y, int kind, int colour, float angle, float speed);
  void p_DoParticles();
  void p_ResetParticles(int n);
  int p_FreeParticle();
  void p_Gimme(int points, float x, float y);
  void p_Ink(int colour, int level);

  // ---- Game over and placings ----
  String p_Nth(int n);
  String p_MyNth();
  void p_GameOver();

  // ---- Screens and overlays ----
  void p_Menu();
  void p_OptionBox();
  void p_PauseMenu();
  // Mode 1 records the loading screen.
  void p_WaitStart(int mode);
  void p_CreditBox();
  void p_ShowBadges();
  String p_BadgeID(int n);
  String p_BadgeName(int n);

  // Options box rows and actions; the cog is shared with the pause menu.
  int DrawCog(float x, float y, float topAngle);
  bool OptionRow(int row, float x, float y, float w, float h, bool actionHeld, bool keysBlockTouch);
  void OptionActed();
  void CycleSoundMode();
  void CloseOptionBox();
  // Pause menu pieces.
  void SlidePauseMenu(float H);
  void DrawPauseFrame(float W, float S, bool landscape);
  void PauseHighlight(float x, float y);
  bool PauseKey(int key);
  void PauseSelect(int selection, float rate);
  void ResumeFromPause(float rate, bool byPointer);
  void QuitFromPause();
  // Credits box pieces.
  void DrawCreditTile(int i, int j, int n, int m, float x, float y, float t);
  void RollCredits(float W, float H, float e, float a);
  void CreditPlaque(float x, float y, float t, float a, int innerR, int innerG, int innerB);
  void CreditNumbers(float x, float y, int top, int middle, int bottom);
  void DrawCreditPlaques(float ox, float oy, float c, int n, int m, float e, float t, float a);
  void CloseCredits();
};
