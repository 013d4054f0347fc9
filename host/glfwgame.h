// The desktop host over the windowing library: the main loop with fixed-rate updates and
// catch-up, suspension on window activity, key/mouse/close translation, joysticks, the window
// and its display modes, and the program's path scheme.
#pragma once
#include <vector>

#include "host/game.h"
#include "host/glfw2.h"

// A video mode with its colour depths.
class KxGlfwVideoMode : public Object {
 public:
  int width = 0;
  int height = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
};

// When set, called right after each frame of the main loop is swapped to the screen.
extern void (*kx_host_swapped)();

class KxGlfwGame : public KxGame {
 public:
  KxGlfwGame();

  void SetUpdateRate(int hertz) override;
  int Millisecs() override;
  bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                    Array<bool> buttons) override;
  // Hands the URL to xdg-open as one argument; no shell is involved.
  void OpenUrl(String url) override;
  void SetMouseVisible(bool visible) override;
  int GetDeviceWidth() override;
  int GetDeviceHeight() override;
  // Bit 0 of flags asks for full screen.
  void SetDeviceWindow(int width, int height, int flags) override;
  Array<KxDisplayMode*> GetDisplayModes() override;
  KxDisplayMode* GetDesktopMode() override;
  // -1 leaves the driver's setting alone; other values apply now and to every new window.
  void SetSwapInterval(int interval) override;
  // vantor://data/, vantor://internal/ and vantor://external/ map to ./data/, ./internal/ and
  // ./external/; any other vantor: path maps to "" (no file); other paths stay as they are.
  String PathToFilePath(String path) override;
  unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override;
  unsigned char* LoadAudioData(String path, int* length, int* channels, int* bytesPerSample,
                               int* rate) override;

  // Closes the window (releasing held keys first) and opens a new one; windowed ones are
  // centred on the desktop and titled "Skarblit".
  virtual void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                             int depth, int stencil, bool fullscreen);
  virtual KxGlfwVideoMode* GetGlfwDesktopMode();
  virtual Array<KxGlfwVideoMode*> GetGlfwVideoModes();
  // Gives this window and every later one the game's icon from ./data/icons/.
  static void LoadWindowIcon();
  // Opens the first window, starts the game and loops until the window is gone.
  virtual void Run();

  void UpdateEvents();
  // Windowing key number to the runtime's key code; 0 for keys the game does not see.
  static int TransKey(int glfwKey);
  // The character a key press delivers besides its key code; 0 for none.
  static int KeyToChar(int key);

  static void OnKey(int key, int action);
  static void OnChar(int character, int action);
  static void OnMouseButton(int button, int action);
  static void OnMousePos(int x, int y);
  static int OnWindowClose();

  static KxGlfwGame* _glfwGame;

 protected:
  // The two halves of SetGlfwWindow: key releases for every key held in the old window, and
  // the new window with its hints, place, title and callbacks.
  void ReleaseHeldKeys();
  void OpenGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                      int stencil, bool fullscreen);

  double updatePeriod = 0.0;
  double nextUpdate = 0.0;
  int swapInterval = -1;
  // A pad the windowing library told connected: its slot, and whether each of its triggers
  // has moved (see kx_gamepad_Map).
  struct ConnectedPad {
    int slot;
    bool triggerMoved[2];
  };
  // The pad behind a port once the connections told since the last poll are taken in, or
  // nullptr.
  ConnectedPad* PadAt(int port);

  // The pads in the order they came, which is the order of the ports.
  std::vector<ConnectedPad> pads;
};
