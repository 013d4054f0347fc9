// The recording host, the replaying host and the overrides they share.
#include "host/replay/host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

unsigned (*kx_replay_digest)() = nullptr;
void (*kx_replay_frame)(int updates) = nullptr;
KxReplayViewer kx_replay_viewer;

namespace {

glfw2::Api& Glfw() { return *glfw2::Current(); }

// Four bits of the game's fingerprint per update: small enough to keep files at a few KiB a
// minute, and a run that strays shows within an update or two (15 times in 16 at once).
int Digest() {
  unsigned d = kx_replay_digest ? kx_replay_digest() : 0;
  d ^= d >> 16;
  d ^= d >> 8;
  return static_cast<int>((d ^ (d >> 4)) & 0xF);
}

int HashOf(const String& text) {
  return static_cast<int>(
      kx_replay_Hash(text.Data(), sizeof(Char) * static_cast<size_t>(text.Length())));
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

KxRecordingGame* recording = nullptr;
KxReplayGame* replaying = nullptr;

void FinishAtExit() {
  if (recording) recording->Finish();
}

}  // namespace

// ---- The shared overrides ----

int KxReplayHost::Millisecs() {
  return Answer(KxReplayMillisecs, [&] {
           return KxReplayEntry(KxReplayMillisecs, {KxVantorGame::Millisecs()});
         }).ints[0];
}

void KxReplayHost::GetDate(Array<int> date) {
  const KxReplayEntry& fields = Answer(KxReplayDate, [&] {
    PlatformDate(date);
    std::vector<int> ints(7, 0);
    for (int i = 0; i < 7 && i < date.Length(); ++i) ints[i] = date[i];
    return KxReplayEntry(KxReplayDate, ints);
  });
  for (int i = 0; i < 7 && i < date.Length(); ++i) date[i] = fields.ints[i];
}

bool KxReplayHost::PollJoystick(int port, Array<float> joyx, Array<float> joyy,
                                Array<float> joyz, Array<bool> buttons) {
  bool full = joyx.Length() >= 2 && joyy.Length() >= 2 && joyz.Length() >= 2 &&
              buttons.Length() >= 32;
  const KxReplayEntry& poll = Answer(KxReplayJoystick, [&] {
    bool present = KxVantorGame::PollJoystick(port, joyx, joyy, joyz, buttons);
    if (!present || !full) return KxReplayEntry(KxReplayJoystick, {port, present ? 1 : 0, 0});
    uint32_t bits = 0;
    for (int b = 0; b < 32; ++b) bits |= buttons[b] ? 1u << b : 0u;
    return KxReplayEntry(KxReplayJoystick, {port, 1, static_cast<int>(bits)},
                         {joyx[0], joyy[0], joyz[0], joyx[1], joyy[1], joyz[1]});
  });
  if (poll.ints[0] != port) Diverge("the game polled another joystick");
  if (!poll.ints[1]) return false;
  if (poll.floats.size() == 6 && full) {
    const std::vector<float>& a = poll.floats;
    joyx[0] = a[0], joyy[0] = a[1], joyz[0] = a[2], joyx[1] = a[3], joyy[1] = a[4], joyz[1] = a[5];
    for (int b = 0; b < 32; ++b) buttons[b] = (static_cast<uint32_t>(poll.ints[2]) >> b) & 1;
  }
  return true;
}

int KxReplayHost::GetDeviceWidth() {
  return Answer(KxReplayWidth, [&] {
           return KxReplayEntry(KxReplayWidth, {KxVantorGame::GetDeviceWidth()});
         }).ints[0];
}

int KxReplayHost::GetDeviceHeight() {
  return Answer(KxReplayHeight, [&] {
           return KxReplayEntry(KxReplayHeight, {KxVantorGame::GetDeviceHeight()});
         }).ints[0];
}

String KxReplayHost::LoadState() {
  return state_ = Answer(KxReplayState, [&] {
                    KxReplayEntry entry(KxReplayState);
                    entry.text = PlatformState();
                    return entry;
                  }).text;
}

// A replayed run never touches the player's state file: it keeps its state to itself.
int KxReplayHost::SaveState(String state) {
  Said(KxReplayEntry(KxReplaySave, {HashOf(state)}), "the state string saved differs");
  state_ = state;
  return 0;
}

KxGlfwVideoMode* KxReplayHost::GetGlfwDesktopMode() {
  KxGlfwVideoMode* live = nullptr;
  const KxReplayEntry& fields = Answer(KxReplayDesktop, [&] {
    std::vector<int> ints;
    PutMode(&ints, live = KxVantorGame::GetGlfwDesktopMode());
    return KxReplayEntry(KxReplayDesktop, ints);
  });
  return live ? live : ModeOf(fields.ints.data());
}

Array<KxGlfwVideoMode*> KxReplayHost::GetGlfwVideoModes() {
  const std::vector<int>& fields = Answer(KxReplayVideoModes, [&] {
    Array<KxGlfwVideoMode*> modes = KxVantorGame::GetGlfwVideoModes();
    std::vector<int> ints;
    for (int i = 0; i < modes.Length(); ++i) PutMode(&ints, modes[i]);
    return KxReplayEntry(KxReplayVideoModes, ints);
  }).ints;
  int count = static_cast<int>(fields.size()) / 5;
  Array<KxGlfwVideoMode*> modes(count);
  for (int i = 0; i < count; ++i) gc_assign(modes[i], ModeOf(&fields[5 * i]));
  return modes;
}

// The window goes into the file after the keys its re-opening released.
void KxReplayHost::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                                 int depth, int stencil, bool fullscreen) {
  KxVantorGame::SetGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  Said(KxReplayEntry(KxReplayWindow,
                     {width, height, red, green, blue, alpha, depth, stencil, fullscreen ? 1 : 0}),
       "the game asked for another window");
}

void KxReplayHost::SetUpdateRate(int hertz) {
  KxVantorGame::SetUpdateRate(hertz);
  Said(KxReplayEntry(KxReplayRate, {hertz}), "the game asked for another update rate");
}

void KxReplayHost::StartGame() {
  Called(KxReplayEntry(KxReplayStart));
  KxVantorGame::StartGame();
}

void KxReplayHost::SuspendGame() {
  Called(KxReplayEntry(KxReplaySuspend));
  KxVantorGame::SuspendGame();
}

void KxReplayHost::ResumeGame() {
  Called(KxReplayEntry(KxReplayResume));
  KxVantorGame::ResumeGame();
}

void KxReplayHost::UpdateGame() {
  Called(KxReplayEntry(KxReplayUpdate));
  ++updates_;
  KxVantorGame::UpdateGame();
  Said(KxReplayEntry(KxReplayDigest, {Digest()}), "the game's state differs");
}

// Every render carries its time, so a replay can keep the recorded pace.
void KxReplayHost::RenderGame() {
  Called(KxReplayEntry(KxReplayRender, {static_cast<int>((Glfw().GetTime() - start_) * 1000.0)}));
  KxVantorGame::RenderGame();
  if (kx_replay_frame) kx_replay_frame(updates_);
  Rendered();
}

void KxReplayHost::KeyEvent(int event, int data) {
  Called(KxReplayEntry(KxReplayKey, {event, data}));
  KxVantorGame::KeyEvent(event, data);
}

void KxReplayHost::MouseEvent(int event, int data, float x, float y) {
  Called(KxReplayEntry(KxReplayMouse, {event, data}, {x, y}));
  KxVantorGame::MouseEvent(event, data, x, y);
}

void KxReplayHost::TouchEvent(int event, int data, float x, float y) {
  Called(KxReplayEntry(KxReplayTouch, {event, data}, {x, y}));
  KxVantorGame::TouchEvent(event, data, x, y);
}

void KxReplayHost::MotionEvent(int event, int data, float x, float y, float z) {
  Called(KxReplayEntry(KxReplayMotion, {event, data}, {x, y, z}));
  KxVantorGame::MotionEvent(event, data, x, y, z);
}

void KxReplayHost::DiscardGraphics() {
  Called(KxReplayEntry(KxReplayDiscard));
  KxVantorGame::DiscardGraphics();
}

// ---- Recording ----

bool KxRecordingGame::Record(const std::string& path, const std::string& programVersion,
                             uint64_t dataChecksum) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error_ = "is a folder";
    return false;
  }
  // Opened for appending, so an earlier recording survives a run that never opens its window.
  bool existed = std::filesystem::exists(path, ignored);
  FILE* probe = fopen(path.c_str(), "ab");
  if (!probe) {
    error_ = "cannot be created";
    return false;
  }
  fclose(probe);
  if (!existed) std::filesystem::remove(path, ignored);
  path_ = path, version_ = programVersion, data_ = dataChecksum;
  recording_ = true;
  recording = this;
  kx_std_fatal = OnFatal;
  std::atexit(FinishAtExit);
  return true;
}

void KxRecordingGame::Finish() {
  if (recording_ && writer_.IsOpen() && !writer_.Close(state_)) Stop(writer_.Error());
  recording_ = false;
  recording = nullptr;
}

void KxRecordingGame::Stop(const std::string& why) {
  if (!recording_) return;
  recording_ = false;
  stopped_ = true;
  if (writer_.IsOpen()) writer_.Flush();
  std::printf("Recording stopped: %s\n", why.c_str());
  std::fflush(stdout);
}

void KxRecordingGame::Write(const KxReplayEntry& entry) {
  if (!recording_) return;
  std::string fault = checker_.Check(entry);
  if (!fault.empty()) return Stop("the run has " + fault);
  if (!writer_.Put(entry)) Stop(writer_.Error());
}

int KxRecordingGame::SaveState(String state) {
  KxReplayHost::SaveState(state);
  return KxVantorGame::SaveState(state);
}

const KxReplayEntry& KxRecordingGame::Answer(int, const std::function<KxReplayEntry()>& live) {
  answer_ = live();
  Write(answer_);
  return answer_;
}

void KxRecordingGame::Run() {
  start_ = Glfw().GetTime();
  KxReplayHost::Run();
  Finish();
}

// The file is made once the first window is open: a game that cannot start leaves an earlier
// recording of that name alone.
void KxRecordingGame::SetGlfwWindow(int width, int height, int red, int green, int blue,
                                    int alpha, int depth, int stencil, bool fullscreen) {
  KxReplayHost::SetGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  if (recording_ && !writer_.IsOpen() && Glfw().GetWindowParam(glfw2::OPENED) &&
      !writer_.Open(path_, version_, data_)) {
    Stop(path_ + ": " + writer_.Error());
  }
}

// Every two seconds of play the file is brought up to date.
void KxRecordingGame::Rendered() {
  if (++renders_ % kx_replay_RendersPerBlock == 0 && recording_ && !writer_.Flush()) {
    Stop(writer_.Error());
  }
}

// The error is the run's last entry: the file is closed with it before the debugger stop.
void KxRecordingGame::OnFatal(const char* message, bool) {
  if (!recording) return;
  KxReplayEntry error(KxReplayError, {recording->updates_});
  error.text = String(message);
  recording->Write(error);
  recording->Finish();
}

// ---- Replaying ----

KxReplayGame::KxReplayGame(bool watch) : watch_(watch) {
  if (!watch) glfw2::Install(glfw2::Headless());
}

bool KxReplayGame::Load(const std::string& path, const std::string& programVersion,
                        uint64_t dataChecksum) {
  return reader_.Open(path, programVersion, dataChecksum);
}

void KxReplayGame::Diverge(const std::string& what) {
  // A file cut short is damage, reported as such by ExitStatus; after a run-time error the
  // verdict is in.
  if (!divergence_.empty() || !reader_.Error().empty() || verdict_ >= 0) return;
  divergence_ = what;
  std::printf("replay diverged at update %d (%s)\n", updates_, what.c_str());
  std::fflush(stdout);
  // Inside a call the host forwarded, the game is stopped where it stands.
  if (kx_quit_catchers > 0) throw KxQuit();
}

const KxReplayEntry& KxReplayGame::Expect(int kind) {
  // What a diverged run reads instead: zeros, as many as any entry has.
  static const KxReplayEntry none(0, std::vector<int>(kx_replay_MaxInts, 0),
                                  std::vector<float>(6, 0.0f));
  if (!divergence_.empty() || !reader_.Error().empty() || verdict_ >= 0) return none;
  if (reader_.Next(&entry_) && entry_.kind == kind) return entry_;
  if (!reader_.Error().empty()) {
    if (kx_quit_catchers > 0) throw KxQuit();
    return none;
  }
  std::string asked = std::string("the game asked for ") + kx_replay_Shape(kind).description;
  Diverge(asked + (reader_.Ended() ? std::string(" after the recording ended")
                                   : std::string(" where the recording has ") +
                                         kx_replay_Shape(entry_.kind).description));
  return none;
}

const KxReplayEntry& KxReplayGame::Answer(int kind, const std::function<KxReplayEntry()>&) {
  return Expect(kind);
}

void KxReplayGame::Said(const KxReplayEntry& said, const char* differs) {
  if (Expect(said.kind).ints != said.ints) Diverge(differs);
}

// The viewer keeps the recorded pace at its speed, waiting in short slices so that its keys
// and the close button act at once; a pause of more than a second in the recording (a
// suspension, a computer gone to sleep) is shown as one second.
void KxReplayGame::WaitUntil(int milliseconds) {
  if (!watch_) return;
  double gap = milliseconds - lastRender_;
  if (gap > 1000) skipped_ += gap - 1000;
  lastRender_ = milliseconds;
  double due = milliseconds - skipped_;
  for (;;) {
    double now = Glfw().GetTime();
    double speed = kx_replay_viewer.speedLog >= 0 ? 1 << kx_replay_viewer.speedLog
                                                  : 1.0 / (1 << -kx_replay_viewer.speedLog);
    if (!kx_replay_viewer.paused) played_ += (now - wall_) * 1000.0 * speed;
    wall_ = now;
    if (kx_replay_viewer.stopped || (!kx_replay_viewer.paused && played_ >= due)) break;
    double wait = kx_replay_viewer.paused ? 50.0 : (due - played_) / speed;
    Glfw().Sleep(std::min(wait, 50.0) / 1000.0);
    Glfw().PollEvents();
    ShowProgress();
  }
  // A viewer that falls behind (a slow machine at 16 times) does not race to catch up.
  played_ = std::min(played_, due + 100.0);
}

void KxReplayGame::ShowProgress() {
  const KxReplayViewer& v = kx_replay_viewer;
  char title[96];
  if (v.speedLog >= 0) {
    std::snprintf(title, sizeof title, "Skarblit replay - update %d - %dx%s", updates_,
                  1 << v.speedLog, v.paused ? " - paused" : "");
  } else {
    std::snprintf(title, sizeof title, "Skarblit replay - update %d - 1/%dx%s", updates_,
                  1 << -v.speedLog, v.paused ? " - paused" : "");
  }
  Glfw().SetWindowTitle(title);
}

void KxReplayGame::Dispatch(const KxReplayEntry& entry) {
  const std::vector<int>& i = entry.ints;
  const std::vector<float>& f = entry.floats;
  switch (entry.kind) {
    case KxReplayStart: StartGame(); break;
    case KxReplaySuspend: SuspendGame(); break;
    case KxReplayResume: ResumeGame(); break;
    case KxReplayUpdate: UpdateGame(); break;
    case KxReplayKey: KeyEvent(i[0], i[1]); break;
    case KxReplayMouse: MouseEvent(i[0], i[1], f[0], f[1]); break;
    case KxReplayTouch: TouchEvent(i[0], i[1], f[0], f[1]); break;
    case KxReplayMotion: MotionEvent(i[0], i[1], f[0], f[1], f[2]); break;
    case KxReplayDiscard: DiscardGraphics(); break;
    case KxReplayRender:
      WaitUntil(i[0]);
      RenderGame();
      if (watch_) {
        ShowProgress();
        Glfw().SwapBuffers();
        Glfw().PollEvents();
      }
      break;
    // Answers and what the game said come inside the calls that asked for them.
    default:
      Diverge(std::string("the recording has ") + kx_replay_Shape(entry.kind).description +
              " where the game asked for nothing");
  }
}

void KxReplayGame::Run() {
  replaying = this;
  kx_std_fatal = OnFatal;
  kx_replay_viewer = KxReplayViewer();
  start_ = wall_ = Glfw().GetTime();
  SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  KxReplayEntry entry;
  while (divergence_.empty() && verdict_ < 0 && !Quitting() && !kx_replay_viewer.stopped &&
         reader_.Next(&entry)) {
    Dispatch(entry);
  }
  kx_std_fatal = nullptr;
  replaying = nullptr;
}

int KxReplayGame::ExitStatus() {
  if (!divergence_.empty()) return 1;
  if (verdict_ >= 0) return verdict_;
  if (kx_replay_viewer.stopped) return 0;
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

// The keys the recorded re-opening released are released again at the same point; then the
// replay's own window opens, listening only for the viewer's keys and the close button.
void KxReplayGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                                 int depth, int stencil, bool fullscreen) {
  for (const KxReplayEntry* next = reader_.Peek(); next && next->kind == KxReplayKey;
       next = reader_.Peek()) {
    KxReplayEntry key;
    reader_.Next(&key);
    Dispatch(key);
  }
  Said(KxReplayEntry(KxReplayWindow,
                     {width, height, red, green, blue, alpha, depth, stencil, fullscreen ? 1 : 0}),
       "the game asked for another window");
  OpenGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  if (!watch_) return;
  Glfw().SetKeyCallback(OnViewerKey);
  Glfw().SetCharCallback(nullptr);
  Glfw().SetMouseButtonCallback(nullptr);
  Glfw().SetMousePosCallback(nullptr);
  Glfw().SetWindowCloseCallback(OnViewerClose);
}

void KxReplayGame::OnViewerKey(int key, int action) {
  if (action != glfw2::kPress) return;
  KxReplayViewer& v = kx_replay_viewer;
  if (key == glfw2::KEY_ESC) v.stopped = true;
  if (key == glfw2::KEY_SPACE) v.paused = !v.paused;
  if (key == glfw2::KEY_RIGHT) v.speedLog = std::min(v.speedLog + 1, 4);
  if (key == glfw2::KEY_LEFT) v.speedLog = std::max(v.speedLog - 1, -3);
}

int KxReplayGame::OnViewerClose() {
  kx_replay_viewer.stopped = true;
  return 0;
}

// The replayed run met a run-time error: it matches when the recording ended in the same
// error at the same update. Either way the replay ends here, in one line, without the
// debugger's wait on standard input.
void KxReplayGame::OnFatal(const char* message, bool fromSignal) {
  KxReplayGame* self = replaying;
  if (!self || !self->divergence_.empty()) return;
  const KxReplayEntry* next = self->reader_.Peek();
  bool same = next && next->kind == KxReplayError && next->ints[0] == self->updates_ &&
              next->text == String(message);
  self->verdict_ = same ? 0 : 1;
  if (same) {
    std::printf("replay matched: %d updates, the recorded run-time error (%s)\n", self->updates_,
                message);
  } else {
    std::printf("replay diverged at update %d (a run-time error the recording does not have: %s)\n",
                self->updates_, message);
  }
  std::fflush(stdout);
  if (kx_quit_catchers > 0 && !fromSignal) throw KxQuit();
  _exit(self->verdict_);
}
