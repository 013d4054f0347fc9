// The application base class and the application-level module functions.
#include "app/app.h"

c_App* kx_app__app;
c_GameDelegate* kx_app__delegate;
KxGame* kx_app__game;
int kx_app__devWidth;
int kx_app__devHeight;
Array<c_DisplayMode*> kx_app__displayModes;
c_DisplayMode* kx_app__desktopMode;
int kx_app__updateRate;

void kx_app_Init() {
  kx_app__app = nullptr;
  kx_app__delegate = nullptr;
  kx_app__game = KxGame::_game;
  kx_app__devWidth = 0;
  kx_app__devHeight = 0;
  kx_app__displayModes = Array<c_DisplayMode*>();
  kx_app__desktopMode = nullptr;
  kx_app__updateRate = 0;
  gc_add_root(10, &kx_app__app);
  gc_add_root(20, &kx_app__delegate);
  gc_add_root(70, &kx_app__displayModes);
  gc_add_root(80, &kx_app__desktopMode);
}

// There is one host and one delegate, so a second application would steal the first one's.
c_App* c_App::m_new() {
  if (kx_app__app) kxError("App has already been created");
  gc_assign(kx_app__app, this);
  gc_assign(kx_app__delegate, (new c_GameDelegate)->m_new());
  kx_app__game->SetDelegate(kx_app__delegate);
  return this;
}

int c_App::p_OnCreate() { return 0; }
int c_App::p_OnSuspend() { return 0; }
int c_App::p_OnResume() { return 0; }
int c_App::p_OnUpdate() { return 0; }
int c_App::p_OnRender() { return 0; }
int c_App::p_OnResize() { return 0; }
int c_App::p_OnLoading() { return 0; }

int c_App::p_OnClose() { kx_app_EndApp(); }
int c_App::p_OnBack() { kx_app_EndApp(); }

void kx_app_SetUpdateRate(int hertz) {
  kx_app__updateRate = hertz;
  kx_app__game->SetUpdateRate(hertz);
}

int kx_app_Millisecs() { return kx_app__game->Millisecs(); }
int kx_app_DeviceWidth() { return kx_app__devWidth; }
int kx_app_DeviceHeight() { return kx_app__devHeight; }

// The application hears of a resize only when the size really changed.
void kx_app_ValidateDeviceWindow(bool notifyApp) {
  int width = kx_app__game->GetDeviceWidth();
  int height = kx_app__game->GetDeviceHeight();
  if (width == kx_app__devWidth && height == kx_app__devHeight) return;
  kx_app__devWidth = width;
  kx_app__devHeight = height;
  if (notifyApp) kx_app__app->p_OnResize();
}

// Ending is the quiet path of the run-time error: no output, exit status 0.
void kx_app_EndApp() { kxError(String()); }

// The store's status is deliberately not passed on: the game has no use for it.
void kx_app_SaveState(const String& state) { kx_app__game->SaveState(state); }

String kx_app_LoadState() { return kx_app__game->LoadState(); }
