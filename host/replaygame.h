// Recording and replaying a run. The game is deterministic given what the platform tells it,
// so a run is fully described by the calls the host forwarded to it and the answers the host
// gave it during them (the clock, the date, joysticks, the window's size, video modes, the
// stored state). The recording host writes them down as play goes on; the replaying host
// drives the same game from the file, either in a window at the recorded pace or without a
// window as fast as it can, and checks after every update that the game is where it was.
#pragma once
#include <string>

#include "host/replayfile.h"
#include "host/vantorgame.h"

// A fingerprint of the game's state after an update, supplied by the program; null means the
// replay checks only the conversation and the saved states.
extern unsigned (*kx_replay_digest)();
// Called after every frame drawn while recording or replaying, with the updates run so far;
// null for none. The program uses it to grab pictures at chosen updates.
extern void (*kx_replay_frame)(int updates);

class KxRecordingGame : public KxVantorGame {
 public:
  // Creates the file and registers a last flush at process exit, so a run that ends in a fatal
  // error keeps everything up to it; false when the file cannot be created.
  bool Record(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  // Writes the rest of the run and the final state string.
  void Finish();

  void Run() override;
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

 private:
  void Put(int kind, std::vector<int> ints = {}, std::vector<float> floats = {});

  KxReplayWriter writer_;
  String state_;  // the state string last loaded or stored: the run's final state
  double start_ = 0;
  int renders_ = 0;
  int updates_ = 0;
};

class KxReplayGame : public KxVantorGame {
 public:
  // watch: a window at the recorded pace, with sound; otherwise no window and no waiting.
  explicit KxReplayGame(bool watch);
  // Opens the file; false with a one-line reason in Error() when it cannot be played here.
  bool Load(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  const std::string& Error() const { return reader_.Error(); }

  // Plays the file through; stops early only on Escape or the close button while watching.
  void Run() override;
  // 0 when every update matched and the run ended in the recorded state; 1 when it diverged
  // (the reason is on standard output); 2 when the file turned out damaged.
  int ExitStatus() override;

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

 private:
  // The next entry, which must be of `kind`; anything else is a divergence.
  const KxReplayEntry& Expect(int kind);
  void Dispatch(const KxReplayEntry& entry);
  // Reports where and how the run left the recording and stops it.
  void Diverge(const std::string& what);
  void WaitUntil(int milliseconds);
  static void OnStopKey(int key, int action);
  static int OnStopClose();

  bool watch_;
  KxReplayReader reader_;
  KxReplayEntry entry_;
  std::string divergence_;
  String state_;
  int updates_ = 0;
  int width_ = 0, height_ = 0;
  double start_ = 0;
  static bool stopped_;
};
