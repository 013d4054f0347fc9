// The platform-neutral host: flags, the guarded delegate calls and the default services.
#include "host/game.h"

#include <time.h>

KxGame* KxGame::_game = nullptr;

namespace {

// Counts a forwarded call for as long as it is under way, however it is left.
struct CallDepth {
  int& depth;
  explicit CallDepth(int& d) : depth(d) {
    ++depth;
    ++kx_quit_catchers;
  }
  ~CallDepth() {
    --depth;
    --kx_quit_catchers;
  }
};

}  // namespace

// Runs one delegate operation. A managed object thrown out of it is fatal. The quiet exit
// unwinds to the outermost forwarded call, which ends the run instead of the process (the
// outermost call may sit inside an event poll, which must not be unwound). Only the
// outermost call takes a collector step: collection never runs while game code is on the
// stack, as it would when a re-opened window releases held keys from inside an update.
template <class Call>
void KxGame::Forward(Call call) {
  if (quitting) return;
  bool outermost = forwarding == 0;
  {
    CallDepth depth(forwarding);
    try {
      // Die may end the run with the quiet exit (a replay judging the error), caught below.
      try {
        if (delegate) call(delegate);
      } catch (Object* exception) {
        Die(exception);
      }
    } catch (KxQuit&) {
      if (!outermost) throw;
      quitting = true;
      return;
    }
  }
  if (outermost) gc_collect();
}

KxGame::KxGame() {}
KxGame::~KxGame() {}

void KxGame::SetDelegate(KxGameDelegate* d) { delegate = d; }
KxGameDelegate* KxGame::Delegate() { return delegate; }
void KxGame::SetKeyboardEnabled(bool enabled) { keyboardEnabled = enabled; }
bool KxGame::KeyboardEnabled() { return keyboardEnabled; }
void KxGame::SetUpdateRate(int hertz) { updateRate = hertz; }
int KxGame::UpdateRate() { return updateRate; }
bool KxGame::Started() { return started; }
bool KxGame::Suspended() { return suspended; }
int KxGame::Millisecs() { return 0; }

void KxGame::GetDate(Array<int> date) {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  const int fields[7] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, 0};
  for (int i = 0; i < date.Length() && i < 7; i++) date[i] = fields[i];
}

bool KxGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) {
  return false;
}

void KxGame::OpenUrl(String) {}
void KxGame::SetMouseVisible(bool) {}
int KxGame::GetDeviceWidth() { return 0; }
int KxGame::GetDeviceHeight() { return 0; }
void KxGame::SetDeviceWindow(int, int, int) {}
Array<KxDisplayMode*> KxGame::GetDisplayModes() { return Array<KxDisplayMode*>(); }
KxDisplayMode* KxGame::GetDesktopMode() { return nullptr; }
void KxGame::SetSwapInterval(int) {}

unsigned char* KxGame::LoadImageData(String, int*, int*, int*) { return nullptr; }
unsigned char* KxGame::LoadAudioData(String, int*, int*, int*, int*) { return nullptr; }

void KxGame::Die(Object*) { kxDie(); }

void KxGame::gc_collect() { gc_step(delegate); }

void KxGame::StartGame() {
  if (started) return;
  started = true;
  Forward([](KxGameDelegate* d) { d->StartGame(); });
}

void KxGame::SuspendGame() {
  if (!started || suspended) return;
  suspended = true;
  Forward([](KxGameDelegate* d) { d->SuspendGame(); });
}

void KxGame::ResumeGame() {
  if (!started || !suspended) return;
  suspended = false;
  Forward([](KxGameDelegate* d) { d->ResumeGame(); });
}

void KxGame::UpdateGame() {
  if (!started || suspended) return;
  Forward([](KxGameDelegate* d) { d->UpdateGame(); });
}

void KxGame::RenderGame() {
  if (!started) return;
  Forward([](KxGameDelegate* d) { d->RenderGame(); });
}

void KxGame::KeyEvent(int event, int data) {
  if (!started) return;
  Forward([=](KxGameDelegate* d) { d->KeyEvent(event, data); });
}

void KxGame::MouseEvent(int event, int data, float x, float y) {
  if (!started) return;
  Forward([=](KxGameDelegate* d) { d->MouseEvent(event, data, x, y); });
}

void KxGame::TouchEvent(int event, int data, float x, float y) {
  if (!started) return;
  Forward([=](KxGameDelegate* d) { d->TouchEvent(event, data, x, y); });
}

void KxGame::MotionEvent(int event, int data, float x, float y, float z) {
  if (!started) return;
  Forward([=](KxGameDelegate* d) { d->MotionEvent(event, data, x, y, z); });
}

void KxGame::DiscardGraphics() {
  if (!started) return;
  Forward([](KxGameDelegate* d) { d->DiscardGraphics(); });
}
