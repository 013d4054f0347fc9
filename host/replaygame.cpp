// The recording host, the replaying host and the window-less windowing library that verifying
// runs on.
#include "host/replaygame.h"

#include <cstdio>
#include <cstdlib>

unsigned (*kx_replay_digest)() = nullptr;
void (*kx_replay_frame)(int updates) = nullptr;

namespace {

glfw2::Api& Glfw() { return *glfw2::Current(); }

const char* const kKindNames[KxReplayKindCount] = {
    "nothing",    "the start",         "a suspension",  "a resumption",  "an update",
    "a render",   "a key event",       "a mouse event", "a touch event", "a motion event",
    "a discard",  "a state digest",    "the clock",     "the date",      "a joystick",
    "the width",  "the height",        "video modes",   "the desktop",   "the stored state",
    "a save",     "a window",          "the end"};

// Four bits of the game's fingerprint per update: small enough to keep files at a few KiB a
// minute, and a run that strays shows within an update or two (15 times in 16 at once).
int Digest() {
  unsigned d = kx_replay_digest ? kx_replay_digest() : 0;
  d ^= d >> 16;
  d ^= d >> 8;
  return static_cast<int>((d ^ (d >> 4)) & 0xF);
}

uint32_t HashOf(const String& text) {
  return kx_replay_Hash(text.Data(), sizeof(Char) * static_cast<size_t>(text.Length()));
}

std::vector<int> WindowArgs(int width, int height, int red, int green, int blue, int alpha,
                            int depth, int stencil, bool fullscreen) {
  return {width, height, red, green, blue, alpha, depth, stencil, fullscreen ? 1 : 0};
}

// Verifying needs no display: a windowing library with a window of the recorded size that
// nobody sees.
class HeadlessGlfw : public glfw2::Api {
 public:
  int width = 0, height = 0;

  int Init() override { return glfw2::kTrue; }
  void Terminate() override {}
  int OpenWindow(int, int, int, int, int, int, int, int, int) override { return glfw2::kTrue; }
  void OpenWindowHint(int, int) override {}
  void CloseWindow() override {}
  void SetWindowTitle(const char*) override {}
  void SetWindowPos(int, int) override {}
  void GetWindowSize(int* w, int* h) override {
    if (w) *w = width;
    if (h) *h = height;
  }
  int GetWindowParam(int param) override { return param == glfw2::OPENED; }
  void SwapBuffers() override {}
  void SwapInterval(int) override {}
  void PollEvents() override {}
  void WaitEvents() override {}
  int GetKey(int) override { return glfw2::kRelease; }
  void GetMousePos(int* x, int* y) override { *x = *y = 0; }
  void Enable(int) override {}
  void Disable(int) override {}
  void SetKeyCallback(glfw2::KeyFun) override {}
  void SetCharCallback(glfw2::CharFun) override {}
  void SetMouseButtonCallback(glfw2::MouseButtonFun) override {}
  void SetMousePosCallback(glfw2::MousePosFun) override {}
  void SetWindowCloseCallback(glfw2::WindowCloseFun) override {}
  int GetJoystickParam(int, int) override { return 0; }
  int GetJoystickPos(int, float*, int) override { return 0; }
  int GetJoystickButtons(int, unsigned char*, int) override { return 0; }
  int GetGamepadState(int, glfw2::GamepadState*) override { return glfw2::kFalse; }
  int UpdateGamepadMapping(const char*) override { return glfw2::kTrue; }
  int GetVideoModes(glfw2::VidMode*, int) override { return 0; }
  void GetDesktopMode(glfw2::VidMode* mode) override { *mode = glfw2::VidMode{0, 0, 0, 0, 0, 0}; }
  double GetTime() override { return 0; }
  void Sleep(double) override {}
};

HeadlessGlfw headless;
KxRecordingGame* recording = nullptr;

void FinishAtExit() {
  if (recording) recording->Finish();
}

KxGlfwVideoMode* ModeOf(const int* fields) {
  KxGlfwVideoMode* mode = new KxGlfwVideoMode;
  mode->width = fields[0];
  mode->height = fields[1];
  mode->red = fields[2];
  mode->green = fields[3];
  mode->blue = fields[4];
  return mode;
}

void PutMode(std::vector<int>* ints, const KxGlfwVideoMode* mode) {
  ints->insert(ints->end(), {mode->width, mode->height, mode->red, mode->green, mode->blue});
}

}  // namespace

// ---- Recording ----

bool KxRecordingGame::Record(const std::string& path, const std::string& programVersion,
                             uint64_t dataChecksum) {
  if (!writer_.Open(path, programVersion, dataChecksum)) return false;
  recording = this;
  std::atexit(FinishAtExit);
  return true;
}

void KxRecordingGame::Finish() {
  writer_.Close(state_);
  recording = nullptr;
}

void KxRecordingGame::Put(int kind, std::vector<int> ints, std::vector<float> floats) {
  KxReplayEntry entry;
  entry.kind = kind;
  entry.ints = std::move(ints);
  entry.floats = std::move(floats);
  writer_.Put(entry);
}

void KxRecordingGame::Run() {
  start_ = Glfw().GetTime();
  KxVantorGame::Run();
  Finish();
}

int KxRecordingGame::Millisecs() {
  int now = KxVantorGame::Millisecs();
  Put(KxReplayMillisecs, {now});
  return now;
}

void KxRecordingGame::GetDate(Array<int> date) {
  KxVantorGame::GetDate(date);
  std::vector<int> fields(7, 0);
  for (int i = 0; i < 7 && i < date.Length(); ++i) fields[i] = date[i];
  Put(KxReplayDate, fields);
}

bool KxRecordingGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy,
                                   Array<float> joyz, Array<bool> buttons) {
  bool present = KxVantorGame::PollJoystick(port, joyx, joyy, joyz, buttons);
  if (!present || joyx.Length() < 2 || joyy.Length() < 2 || joyz.Length() < 2 ||
      buttons.Length() < 32) {
    Put(KxReplayJoystick, {port, present ? 1 : 0, 0});
    return present;
  }
  uint32_t bits = 0;
  for (int b = 0; b < 32; ++b) bits |= buttons[b] ? 1u << b : 0u;
  Put(KxReplayJoystick, {port, 1, static_cast<int>(bits)},
      {joyx[0], joyy[0], joyz[0], joyx[1], joyy[1], joyz[1]});
  return true;
}

int KxRecordingGame::GetDeviceWidth() {
  int width = KxVantorGame::GetDeviceWidth();
  Put(KxReplayWidth, {width});
  return width;
}

int KxRecordingGame::GetDeviceHeight() {
  int height = KxVantorGame::GetDeviceHeight();
  Put(KxReplayHeight, {height});
  return height;
}

String KxRecordingGame::LoadState() {
  state_ = KxVantorGame::LoadState();
  KxReplayEntry entry;
  entry.kind = KxReplayState;
  entry.text = state_;
  writer_.Put(entry);
  return state_;
}

int KxRecordingGame::SaveState(String state) {
  Put(KxReplaySave, {static_cast<int>(HashOf(state))});
  state_ = state;
  return KxVantorGame::SaveState(state);
}

KxGlfwVideoMode* KxRecordingGame::GetGlfwDesktopMode() {
  KxGlfwVideoMode* mode = KxVantorGame::GetGlfwDesktopMode();
  std::vector<int> fields;
  PutMode(&fields, mode);
  Put(KxReplayDesktop, fields);
  return mode;
}

Array<KxGlfwVideoMode*> KxRecordingGame::GetGlfwVideoModes() {
  Array<KxGlfwVideoMode*> modes = KxVantorGame::GetGlfwVideoModes();
  std::vector<int> fields;
  for (int i = 0; i < modes.Length(); ++i) PutMode(&fields, modes[i]);
  Put(KxReplayVideoModes, fields);
  return modes;
}

// The window goes into the file after the keys its re-opening released.
void KxRecordingGame::SetGlfwWindow(int width, int height, int red, int green, int blue,
                                    int alpha, int depth, int stencil, bool fullscreen) {
  KxVantorGame::SetGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  Put(KxReplayWindow, WindowArgs(width, height, red, green, blue, alpha, depth, stencil, fullscreen));
}

void KxRecordingGame::StartGame() {
  Put(KxReplayStart);
  KxVantorGame::StartGame();
}

void KxRecordingGame::SuspendGame() {
  Put(KxReplaySuspend);
  KxVantorGame::SuspendGame();
}

void KxRecordingGame::ResumeGame() {
  Put(KxReplayResume);
  KxVantorGame::ResumeGame();
}

void KxRecordingGame::UpdateGame() {
  Put(KxReplayUpdate);
  ++updates_;
  KxVantorGame::UpdateGame();
  Put(KxReplayDigest, {Digest()});
}

// Every render carries its time, so a replay can keep the recorded pace; every two seconds of
// play the file is brought up to date.
void KxRecordingGame::RenderGame() {
  Put(KxReplayRender, {static_cast<int>((Glfw().GetTime() - start_) * 1000.0)});
  KxVantorGame::RenderGame();
  if (kx_replay_frame) kx_replay_frame(updates_);
  if (++renders_ % kx_replay_RendersPerBlock == 0) writer_.Flush();
}

void KxRecordingGame::KeyEvent(int event, int data) {
  Put(KxReplayKey, {event, data});
  KxVantorGame::KeyEvent(event, data);
}

void KxRecordingGame::MouseEvent(int event, int data, float x, float y) {
  Put(KxReplayMouse, {event, data}, {x, y});
  KxVantorGame::MouseEvent(event, data, x, y);
}

void KxRecordingGame::TouchEvent(int event, int data, float x, float y) {
  Put(KxReplayTouch, {event, data}, {x, y});
  KxVantorGame::TouchEvent(event, data, x, y);
}

void KxRecordingGame::MotionEvent(int event, int data, float x, float y, float z) {
  Put(KxReplayMotion, {event, data}, {x, y, z});
  KxVantorGame::MotionEvent(event, data, x, y, z);
}

void KxRecordingGame::DiscardGraphics() {
  Put(KxReplayDiscard);
  KxVantorGame::DiscardGraphics();
}

// ---- Replaying ----

bool KxReplayGame::stopped_ = false;

KxReplayGame::KxReplayGame(bool watch) : watch_(watch) {
  if (!watch) glfw2::Install(&headless);
}

bool KxReplayGame::Load(const std::string& path, const std::string& programVersion,
                        uint64_t dataChecksum) {
  return reader_.Open(path, programVersion, dataChecksum);
}

void KxReplayGame::Diverge(const std::string& what) {
  if (!divergence_.empty()) return;
  divergence_ = what;
  std::printf("replay diverged at update %d (%s)\n", updates_, what.c_str());
  std::fflush(stdout);
  // Inside a call the host forwarded, the game is stopped where it stands.
  if (kx_quit_catchers > 0) throw KxQuit();
}

const KxReplayEntry& KxReplayGame::Expect(int kind) {
  // What a diverged run reads instead: zeros, as many as any entry has.
  static KxReplayEntry none = [] {
    KxReplayEntry e;
    e.ints.assign(5 * 1024, 0);
    e.floats.assign(6, 0.0f);
    return e;
  }();
  if (!divergence_.empty() || !reader_.Error().empty()) return none;
  if (reader_.Next(&entry_) && entry_.kind == kind) return entry_;
  if (!reader_.Error().empty()) {
    if (kx_quit_catchers > 0) throw KxQuit();
    return none;
  }
  std::string asked = std::string("the game asked for ") + kKindNames[kind];
  Diverge(asked + (reader_.Ended() ? " after the recording ended"
                                   : std::string(" where the recording has ") + kKindNames[entry_.kind]));
  return none;
}

void KxReplayGame::WaitUntil(int milliseconds) {
  if (!watch_) return;
  double delay = start_ + milliseconds / 1000.0 - Glfw().GetTime();
  if (delay > 0) Glfw().Sleep(delay);
}

void KxReplayGame::Dispatch(const KxReplayEntry& entry) {
  const std::vector<int>& i = entry.ints;
  const std::vector<float>& f = entry.floats;
  switch (entry.kind) {
    case KxReplayStart: StartGame(); break;
    case KxReplaySuspend: SuspendGame(); break;
    case KxReplayResume: ResumeGame(); break;
    case KxReplayKey: KeyEvent(i[0], i[1]); break;
    case KxReplayMouse: MouseEvent(i[0], i[1], f[0], f[1]); break;
    case KxReplayTouch: TouchEvent(i[0], i[1], f[0], f[1]); break;
    case KxReplayMotion: MotionEvent(i[0], i[1], f[0], f[1], f[2]); break;
    case KxReplayDiscard: DiscardGraphics(); break;
    case KxReplayUpdate: {
      ++updates_;
      UpdateGame();
      int recorded = Expect(KxReplayDigest).ints[0];
      if (divergence_.empty() && reader_.Error().empty() && recorded != Digest()) {
        Diverge("the game's state differs");
      }
      break;
    }
    case KxReplayRender:
      WaitUntil(i[0]);
      RenderGame();
      if (kx_replay_frame) kx_replay_frame(updates_);
      if (watch_) {
        Glfw().SwapBuffers();
        Glfw().PollEvents();
      }
      break;
    default:
      Diverge(std::string("the recording has ") + kKindNames[entry.kind] +
              " where the game asked for nothing");
  }
}

void KxReplayGame::Run() {
  stopped_ = false;
  start_ = Glfw().GetTime();
  SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  KxReplayEntry entry;
  while (divergence_.empty() && !stopped_ && reader_.Next(&entry)) Dispatch(entry);
}

int KxReplayGame::ExitStatus() {
  if (!divergence_.empty()) return 1;
  if (stopped_) return 0;
  if (!reader_.Error().empty()) {
    std::printf("replay stopped at update %d: %s\n", updates_, reader_.Error().c_str());
    return 2;
  }
  if (!(state_ == reader_.FinalState())) {
    Diverge("the final state string differs");
    return 1;
  }
  std::printf("replay matched: %d updates, the same final state\n", updates_);
  return 0;
}

int KxReplayGame::Millisecs() { return Expect(KxReplayMillisecs).ints[0]; }

void KxReplayGame::GetDate(Array<int> date) {
  const KxReplayEntry& fields = Expect(KxReplayDate);
  for (int i = 0; i < 7 && i < date.Length(); ++i) date[i] = fields.ints[i];
}

bool KxReplayGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy,
                                Array<float> joyz, Array<bool> buttons) {
  const KxReplayEntry& poll = Expect(KxReplayJoystick);
  if (poll.ints[0] != port) Diverge("the game polled another joystick");
  if (!poll.ints[1]) return false;
  if (poll.floats.size() == 6 && joyx.Length() >= 2 && joyy.Length() >= 2 &&
      joyz.Length() >= 2 && buttons.Length() >= 32) {
    const std::vector<float>& a = poll.floats;
    joyx[0] = a[0], joyy[0] = a[1], joyz[0] = a[2], joyx[1] = a[3], joyy[1] = a[4], joyz[1] = a[5];
    for (int b = 0; b < 32; ++b) buttons[b] = (static_cast<uint32_t>(poll.ints[2]) >> b) & 1;
  }
  return true;
}

int KxReplayGame::GetDeviceWidth() { return headless.width = Expect(KxReplayWidth).ints[0]; }

int KxReplayGame::GetDeviceHeight() { return headless.height = Expect(KxReplayHeight).ints[0]; }

String KxReplayGame::LoadState() { return state_ = Expect(KxReplayState).text; }

// The player's state file is never touched: the run keeps its state to itself.
int KxReplayGame::SaveState(String state) {
  int recorded = Expect(KxReplaySave).ints[0];
  if (recorded != static_cast<int>(HashOf(state))) Diverge("the state string saved differs");
  state_ = state;
  return 0;
}

KxGlfwVideoMode* KxReplayGame::GetGlfwDesktopMode() {
  return ModeOf(Expect(KxReplayDesktop).ints.data());
}

Array<KxGlfwVideoMode*> KxReplayGame::GetGlfwVideoModes() {
  const std::vector<int>& fields = Expect(KxReplayVideoModes).ints;
  int count = divergence_.empty() ? static_cast<int>(fields.size()) / 5 : 0;
  Array<KxGlfwVideoMode*> modes(count);
  for (int i = 0; i < count; ++i) gc_assign(modes[i], ModeOf(&fields[5 * i]));
  return modes;
}

// The keys the recorded re-opening released are released again at the same point; then the
// replay's own window opens, listening only for Escape and the close button.
void KxReplayGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                                 int depth, int stencil, bool fullscreen) {
  for (const KxReplayEntry* next = reader_.Peek(); next && next->kind == KxReplayKey;
       next = reader_.Peek()) {
    KxReplayEntry key;
    reader_.Next(&key);
    Dispatch(key);
  }
  std::vector<int> asked = WindowArgs(width, height, red, green, blue, alpha, depth, stencil,
                                      fullscreen);
  const KxReplayEntry& recorded = Expect(KxReplayWindow);
  if (divergence_.empty() && reader_.Error().empty() && recorded.ints != asked) {
    Diverge("the game asked for another window");
  }
  if (!watch_) return;
  OpenGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  Glfw().SetKeyCallback(OnStopKey);
  Glfw().SetCharCallback(nullptr);
  Glfw().SetMouseButtonCallback(nullptr);
  Glfw().SetMousePosCallback(nullptr);
  Glfw().SetWindowCloseCallback(OnStopClose);
}

void KxReplayGame::OnStopKey(int key, int action) {
  if (key == glfw2::KEY_ESC && action == glfw2::kPress) stopped_ = true;
}

int KxReplayGame::OnStopClose() {
  stopped_ = true;
  return 0;
}
