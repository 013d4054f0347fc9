// Recording and replaying a run. The game is deterministic given what the platform tells it,
// so a run is fully described by the calls the host forwarded to it and the answers the host
// gave it during them (the clock, the date, joysticks, the window's size, video modes, the
// stored state). Both hosts share one set of overrides: the recording host asks the platform
// and writes each entry down; the replaying host answers from the file, drives the same game
// from it (in a window at the recorded pace, or without one as fast as it can) and checks
// after every update that the game is where it was.
#pragma once
#include <functional>
#include <string>

#include "host/replay/check.h"
#include "host/replay/file.h"
#include "host/vantorgame.h"

// A fingerprint of the game's state after an update, supplied by the program; null means the
// replay checks only the conversation and the saved states.
extern unsigned (*kx_replay_digest)();
// Called after every frame drawn while recording or replaying, with the updates run so far;
// null for none. The program uses it to grab pictures at chosen updates.
extern void (*kx_replay_frame)(int updates);

// The overrides both hosts share: every platform answer, every forwarded call and everything
// the game tells the host passes through Answer, Called and Said.
class KxReplayHost : public KxVantorGame {
 public:
  int Millisecs() override;
  void GetDate(Array<int> date) override;
  bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                    Array<bool> buttons) override;
  int GetDeviceWidth() override;
  int GetDeviceHeight() override;
  String LoadState() override;
  int SaveState(String state) override;
  KxGlfwVideoMode* GetGlfwDesktopMode() override;
  Array<KxGlfwVideoMode*> GetGlfwVideoModes() override;
  void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                     int stencil, bool fullscreen) override;
  void SetUpdateRate(int hertz) override;

  void StartGame() override;
  void SuspendGame() override;
  void ResumeGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void KeyEvent(int event, int data) override;
  void MouseEvent(int event, int data, float x, float y) override;
  void TouchEvent(int event, int data, float x, float y) override;
  void MotionEvent(int event, int data, float x, float y, float z) override;
  void DiscardGraphics() override;

  // Updates run so far.
  int Updates() const { return updates_; }

 protected:
  // Recording: `live` asks the platform and the answer is written down. Replaying: the file's
  // next entry, which must be of `kind`.
  virtual const KxReplayEntry& Answer(int kind, const std::function<KxReplayEntry()>& live) = 0;
  // A call the host forwarded (written down when recording; the file drove it when replaying).
  virtual void Called(const KxReplayEntry& call) = 0;
  // Something the game told the host: written down, or compared with the file, a difference
  // being a divergence described by `differs`.
  virtual void Said(const KxReplayEntry& said, const char* differs) = 0;
  // The run left the recording; only the replaying host cares.
  virtual void Diverge(const std::string&) {}
  // After the rest of a render: the recording host brings its file up to date.
  virtual void Rendered() {}
  // What a recording asks for the date and the stored state: the platform's, unless a host
  // answers for it.
  virtual void PlatformDate(Array<int> date) { KxVantorGame::GetDate(date); }
  virtual String PlatformState() { return KxVantorGame::LoadState(); }

  // The state string last loaded or stored: the run's final state.
  String state_;
  double start_ = 0;  // the windowing library's clock at the start of the run
  int updates_ = 0;
};

class KxRecordingGame : public KxReplayHost {
 public:
  // Checks that the file can be written (a folder cannot); it is created, replacing an earlier
  // recording, only once the game's first window is open. False with Error() saying why.
  bool Record(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  const std::string& Error() const { return error_; }
  // True once the recording stopped before the run's end.
  bool Stopped() const { return stopped_; }
  // Writes the rest of the run and the final state string.
  void Finish();

  void Run() override;
  // Stores the state in the player's file too.
  int SaveState(String state) override;
  void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                     int stencil, bool fullscreen) override;

 protected:
  const KxReplayEntry& Answer(int kind, const std::function<KxReplayEntry()>& live) override;
  void Called(const KxReplayEntry& call) override { Write(call); }
  void Said(const KxReplayEntry& said, const char*) override { Write(said); }
  void Rendered() override;

 private:
  // Checks the entry as a replay will and writes it; a refusal or a failed write stops the
  // recording with one line on standard output, and the game goes on.
  void Write(const KxReplayEntry& entry);
  void Stop(const std::string& why);
  static void OnFatal(const char* message, bool fromSignal);

  KxReplayWriter writer_;
  KxReplayChecker checker_;
  KxReplayEntry answer_;
  std::string path_, version_, error_;
  uint64_t data_ = 0;
  bool recording_ = false;
  bool stopped_ = false;
  int renders_ = 0;
};

class KxReplayGame : public KxReplayHost {
 public:
  // watch: a window at the recorded pace, with sound; otherwise no window and no waiting.
  explicit KxReplayGame(bool watch);
  // Opens and checks the file; false with a one-line reason in Error() when it cannot be
  // played here.
  bool Load(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  const std::string& Error() const { return reader_.Error(); }
  // True when the recording starts from a state file of its own rather than a fresh one.
  bool StoredStart() const { return reader_.StoredStart(); }

  // True when the replayed run ended in a run-time error.
  bool MetError() const { return verdict_ >= 0; }

  // Plays the file through; stops early only on Escape or the close button while watching.
  void Run() override;
  // 0 when every update matched and the run ended in the recorded state (or the recorded
  // run-time error); 1 when it diverged (the reason is on standard output); 2 when the file
  // turned out damaged.
  int ExitStatus() override;
  void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                     int stencil, bool fullscreen) override;

 protected:
  const KxReplayEntry& Answer(int kind, const std::function<KxReplayEntry()>& live) override;
  void Called(const KxReplayEntry&) override {}
  void Said(const KxReplayEntry& said, const char* differs) override;
  void Diverge(const std::string& what) override;

 private:
  // The next entry, which must be of `kind`; anything else is a divergence.
  const KxReplayEntry& Expect(int kind);
  void Dispatch(const KxReplayEntry& entry);
  // Holds the viewer at the recorded pace until the render due at `milliseconds`.
  void WaitUntil(int milliseconds);
  void ShowProgress();
  static void OnViewerKey(int key, int action);
  static int OnViewerClose();
  static void OnFatal(const char* message, bool fromSignal);

  bool watch_;
  KxReplayReader reader_;
  KxReplayEntry entry_;
  std::string divergence_;
  int verdict_ = -1;  // set by a run-time error: 0 the recorded one, 1 another
  // The viewer: where its clock stands in the recording's time, less the gaps cut short.
  double played_ = 0, wall_ = 0, skipped_ = 0;
  int lastRender_ = 0;
};

// What the viewer's keys set: pause, and the speed as a power of two from -3 to 4.
struct KxReplayViewer {
  bool paused = false;
  int speedLog = 0;
  bool stopped = false;
};
extern KxReplayViewer kx_replay_viewer;
