// Recording a run from a script of inputs instead of a player: the game runs without a window,
// on a platform whose every answer comes from the script (a clock that moves one update period
// per update, a fixed date, desktop and video modes, the pads and their sticks, the stored state
// it names) and whose keys, pointer and pads act at the updates the script names. The result is
// an ordinary recording, and the same script always gives the same file.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "host/glfw2.h"
#include "host/replay/host.h"

// One thing the script makes happen, once `update` updates have run.
struct KxScriptEvent {
  enum Type { KeyDown, KeyUp, MouseMove, MouseDown, MouseUp, PadConnect, PadDisconnect, PadAxis,
              PadButtonDown, PadButtonUp, Close };
  int update = 0;
  Type type = KeyDown;
  int a = 0, b = 0;  // the key, or the button; for pads the slot and the button or axis
  float value = 0;   // an axis's position
};

struct KxReplayScript {
  std::string state;  // the stored state's file, as found from the working folder; "" = fresh
  std::vector<KxScriptEvent> events;  // in the order they happen
  int end = 0;                        // the updates the run lasts
};

// Reads a script; `folder` is where the file names in it are relative to. False with
// "line N: why" in *error for anything malformed.
bool kx_script_Parse(const std::string& text, const std::string& folder, KxReplayScript* script,
                     std::string* error);

class KxScriptedGame : public KxRecordingGame {
 public:
  KxScriptedGame();
  ~KxScriptedGame() override;
  // Reads the script and its state file and puts the scripted platform in place; false with
  // a one-line reason in *error.
  bool Load(const std::string& path, std::string* error);

  // The state stays in the recording: the player's file is never touched.
  int SaveState(String state) override;
  // A script never starts a browser.
  void OpenUrl(String) override {}
  // 1 when the recording stopped before the end.
  int ExitStatus() override;

 protected:
  void PlatformDate(Array<int> date) override;
  String PlatformState() override;

 private:
  KxReplayScript script_;
  std::unique_ptr<glfw2::Api> platform_;
};
