// The platform-neutral game host: the one object that forwards lifecycle and input events to
// the application's delegate (each followed by one collector step) and offers the platform
// services (clock, files, state, joysticks, window) with do-nothing defaults.
#pragma once
#include <cstdio>

#include "runtime/runtime.h"

// Host event codes, the `event` argument of the delegate's event operations.
const int KxEventKeyDown = 1;
const int KxEventKeyUp = 2;
const int KxEventKeyChar = 3;
const int KxEventMouseDown = 4;
const int KxEventMouseUp = 5;
const int KxEventMouseMove = 6;
const int KxEventTouchDown = 7;
const int KxEventTouchUp = 8;
const int KxEventTouchMove = 9;
const int KxEventMotionAccel = 10;

// Key codes the host produces besides the keyboard's.
const int KxKeyClose = 432;
const int KxKeyBack = 416;

// The host's only view of the application. Every operation does nothing here.
class KxGameDelegate : public Object {
 public:
  virtual void StartGame() {}
  virtual void SuspendGame() {}
  virtual void ResumeGame() {}
  virtual void UpdateGame() {}
  virtual void RenderGame() {}
  virtual void KeyEvent(int, int) {}
  virtual void MouseEvent(int, int, float, float) {}
  virtual void TouchEvent(int, int, float, float) {}
  virtual void MotionEvent(int, int, float, float, float) {}
  virtual void DiscardGraphics() {}
};

// A display mode as the application sees it. The last three fields are always 0 here.
class KxDisplayMode : public Object {
 public:
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;
  int flags = 0;
};

class KxGame {
 public:
  KxGame();
  virtual ~KxGame();

  virtual void SetDelegate(KxGameDelegate* delegate);
  virtual KxGameDelegate* Delegate();
  virtual void SetKeyboardEnabled(bool enabled);
  virtual bool KeyboardEnabled();
  virtual void SetUpdateRate(int hertz);
  virtual int UpdateRate();
  virtual bool Started();
  virtual bool Suspended();
  virtual int Millisecs();
  virtual void GetDate(Array<int> date);
  // 0 stored, -1 the file could not be opened, -2 not all bytes reached the disk.
  virtual int SaveState(String state);
  virtual String LoadState();
  virtual String LoadString(String path);
  virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                            Array<bool> buttons);
  virtual void OpenUrl(String url);
  virtual void SetMouseVisible(bool visible);
  virtual int GetDeviceWidth();
  virtual int GetDeviceHeight();
  virtual void SetDeviceWindow(int width, int height, int flags);
  virtual Array<KxDisplayMode*> GetDisplayModes();
  virtual KxDisplayMode* GetDesktopMode();
  virtual void SetSwapInterval(int interval);
  virtual String PathToFilePath(String path);
  // Null for a path that maps to nothing or a file that cannot be opened.
  virtual FILE* OpenFile(String path, String mode);
  // The whole file in a malloc'ed buffer the caller frees, or null.
  virtual unsigned char* LoadData(String path, int* plength);
  // Decoded pixels (malloc'ed, the caller frees them), or null.
  virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
  // Decoded interleaved samples (malloc'ed, the caller frees them), or null.
  virtual unsigned char* LoadAudioData(String path, int* length, int* channels,
                                       int* bytesPerSample, int* rate);
  // A managed exception escaped a delegate call: report it and end the process.
  [[noreturn]] virtual void Die(Object* exception);
  // One collector step; the delegate is marked at every step.
  virtual void gc_collect();

  // Guarded calls into the delegate, each followed by a collector step when it ran.
  virtual void StartGame();
  virtual void SuspendGame();
  virtual void ResumeGame();
  virtual void UpdateGame();
  virtual void RenderGame();
  virtual void KeyEvent(int event, int data);
  virtual void MouseEvent(int event, int data, float x, float y);
  virtual void TouchEvent(int event, int data, float x, float y);
  virtual void MotionEvent(int event, int data, float x, float y, float z);
  virtual void DiscardGraphics();

  // True once the quiet exit was asked for inside a forwarded call: the loop ends, nothing
  // more reaches the delegate, and the entry shuts the windowing library down.
  bool Quitting() const { return quitting; }

  static KxGame* _game;

 protected:
  KxGameDelegate* delegate = nullptr;
  bool keyboardEnabled = false;
  int updateRate = 0;
  bool started = false;
  bool suspended = false;
  bool quitting = false;

 private:
  template <class Call>
  void Forward(Call call);

  int forwarding = 0;  // forwarded calls under way (a key released inside an update nests)
};

// Takes the lock on the working folder's state (a lock file beside it) for the rest of the
// process; false when another game holds it.
bool kx_files_LockState();
