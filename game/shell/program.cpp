// The program: its share of start-up (kxInit sets every module's globals, kxMain creates the
// application) and its entry. The command line is read first; then the host's entry brings
// everything up and runs the loop, recording the run or replaying a recorded one when asked.
// Apart from main() so that a fuzzer can verify recordings through the same start-up.
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/shell/command_line.h"
#include "game/shell/myapp.h"
#include "game/shell/globals.h"
#include "graphics/gl.h"
#include "host/replay/host.h"
#include "host/replay/script.h"
#include "net/asyncevent.h"

// The runtime modules come first: the game's globals may rely on them.
void kxInit() {
  kx_app_Init();
  kx_graphics_Init();
  kx_audio_Init();
  kx_input_Init();
  kx_asyncevent_Init();
  kx_Skarblit_Init();
}

int kxMain() {
  (new c_MyApp)->m_new();
  return 0;
}

namespace {

// A replay belongs to the data it was recorded with.
const char kData[] = "./data";

// SKARBLIT_GRAB="300,900": the first frame drawn after update 300 (and 900) is written to
// grab-000300.png (and grab-000900.png) in the working directory, while recording or watching a
// replay, so that a recording's pictures and its replay's can be compared.
std::vector<int> grabAt;

void GrabFrame(int updates) {
  if (grabAt.empty() || updates < grabAt.front()) return;
  int w = kx_app_DeviceWidth(), h = kx_app_DeviceHeight();
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
  kx_graphics_gl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  char name[32];
  std::snprintf(name, sizeof name, "grab-%06d.png", grabAt.front());
  // OpenGL's rows run bottom up.
  stbi_write_png(name, w, h, 4, pixels.data() + (h - 1) * w * 4, -w * 4);
  grabAt.erase(grabAt.begin());
}

void GrabWhenAsked() {
  const char* list = std::getenv("SKARBLIT_GRAB");
  for (const char* p = list; p && *p; ++p) {
    if (p == list || p[-1] == ',') grabAt.push_back(std::atoi(p));
  }
  if (!grabAt.empty()) kx_replay_frame = GrabFrame;
}

// Without a window nothing is drawn or heard, as when verifying.
void Unseen() {
  setenv("ALSOFT_DRIVERS", "null", 1);
  kx_graphics_gl = kx_graphics_NullGl();
}

// A scripted recording is played by its script, without a window; the others by the player.
int Record(const std::string& path, const std::string& script, int argc, const char** argv) {
  KxRecordingGame* host = nullptr;
  if (script.empty()) {
    host = new KxRecordingGame;
  } else {
    KxScriptedGame* scripted = new KxScriptedGame;
    std::string error;
    if (!scripted->Load(script, &error)) {
      std::fprintf(stderr, "skarblit: %s: %s\n", script.c_str(), error.c_str());
      delete scripted;
      return 2;
    }
    Unseen();
    host = scripted;
  }
  if (!host->Record(path, KX_VERSION, kx_replay_FolderChecksum(kData))) {
    std::fprintf(stderr, "skarblit: %s: %s\n", path.c_str(), host->Error().c_str());
    return 2;
  }
  if (script.empty()) GrabWhenAsked();
  return KxVantorGame::Main2(host, argc, argv);
}

// What a verified run achieved: every finished game, in order.
std::string games;

std::string Ordinal(int n) {
  const char* suffix = n % 100 / 10 == 1 ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
  return std::to_string(n) + suffix;
}

void NoteGame(int difficulty, int score, int place) {
  static const char* const kNames[] = {"Easy", "Normal", "Hard"};
  games += std::string("  ") + kNames[difficulty - 1] + " game: " + std::to_string(score) +
           " points, " + (place ? Ordinal(place) + " place" : std::string("no place")) + "\n";
}

// A recording proves what its inputs give from its start. From a stored state the tables were
// the recording's own to begin with, and anyone can edit a state file.
void ReportGames(bool storedStart) {
  std::printf(storedStart ? "started from a stored state: the tables were the recording's own\n"
                          : "started fresh: every score below was earned in this run\n");
  std::fputs(games.empty() ? "  no game finished\n" : games.c_str(), stdout);
}

int Replay(const std::string& path, bool watch, int argc, const char** argv) {
  if (watch) {
    GrabWhenAsked();
  } else {
    // Verifying needs neither pictures nor sound.
    Unseen();
    kx_Skarblit_finished = NoteGame;
  }
  KxReplayGame* host = new KxReplayGame(watch);
  if (!host->Load(path, KX_VERSION, kx_replay_FolderChecksum(kData))) {
    std::fprintf(stderr, "skarblit: %s: %s\n", path.c_str(), host->Error().c_str());
    return 2;
  }
  int status = KxVantorGame::Main2(host, argc, argv);
  if (!watch && status == 0 && !host->MetError()) ReportGames(host->StoredStart());
  return status;
}

}  // namespace

int kx_Skarblit_Main(int argc, char** argv) {
  CommandLine line = kx_cmdline_Parse(argc, argv);
  if (line.status >= 0) {
    std::fputs(line.text.c_str(), line.status == 0 ? stdout : stderr);
    return line.status;
  }
  const char** args = const_cast<const char**>(argv);
  kx_replay_digest = kx_Skarblit_Digest;
  // A replay or a scripted run never touches the state; the game and a recorded game do.
  bool playing = line.replay.empty() && line.verify.empty() && line.script.empty();
  if (playing && !kx_files_LockState()) {
    std::puts("Skarblit is already running here");
    return 1;
  }
  if (!line.record.empty()) return Record(line.record, line.script, argc, args);
  if (!line.replay.empty()) return Replay(line.replay, true, argc, args);
  if (!line.verify.empty()) return Replay(line.verify, false, argc, args);
  return KxVantorGame::Main(argc, args);
}
