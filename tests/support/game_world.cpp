// The windowless stand-in world of game_world.h.
#include "tests/support/game_world.h"

#include <cstdlib>
#include <sstream>

#include "host/vantorgame.h"

namespace gametest {

unsigned char* TestHost::LoadImageData(String path, int* w, int* h, int* d) {
  if (!missing.empty() && path.ToUtf8().find(missing) != std::string::npos) return nullptr;
  return KxGlfwGame::LoadImageData(path, w, h, d);
}

// Whether the host can open the file, so the fakes fail where the device would.
static bool Opens(String path) {
  FILE* file = KxGame::_game->OpenFile(path, String("rb"));
  if (file) std::fclose(file);
  return file != nullptr;
}

gxtkSample* FakeAudio::LoadSample(String path) {
  Log("load " + path.ToUtf8());
  return Opens(path) ? new gxtkSample : nullptr;
}

int FakeAudio::PlayMusic(String path, int flags) {
  Log("music " + path.ToUtf8() + " " + std::to_string(flags));
  return Opens(path) ? 0 : -1;
}

int FakeAudio::Log(const char* what, int channel, float value) {
  std::ostringstream s;
  s << what << ' ' << channel << ' ' << value;
  return Log(s.str());
}

int FakeAudio::Count(const std::string& prefix) const {
  int n = 0;
  for (const std::string& entry : log) n += entry.compare(0, prefix.size(), prefix) == 0;
  return n;
}

void GameWorld::Start() {
  glfw.time = 0;
  Resize(640, 480);
  glfw2::Install(&glfw);
  host = new TestHost;
  kx_app__game = KxGame::_game = KxGlfwGame::_glfwGame = host;
  // The runtime modules' globals are set up once per process, as the program's start-up does;
  // no sound hardware is touched by the audio device the fake derives from.
  static const bool ready = (setenv("ALSOFT_DRIVERS", "null", 1), kxInit(), true);
  (void)ready;
  // What a test may have switched: each starts as the program does.
  kx_Skarblit_DebugMode = kx_Skarblit_iCadeControls = kx_Skarblit_isOuya = 0;
  kx_Skarblit_HasMusicStream = 1;
  kx_Skarblit_overscan = 0;
  kx_Skarblit_jscrw = 640;
  kx_Skarblit_jscrh = 480;
  host->MarkStarted();
  graphics = new FakeGraphics;
  kx_graphics_SetGraphicsDevice(graphics);
  // One audio device for the whole run, as in the program: each one opens an OpenAL device.
  static FakeAudio* sharedAudio = new FakeAudio;
  audio = sharedAudio;
  audio->log.clear();
  kx_audio_SetAudioDevice(audio);
  input = (new c_InputDevice)->m_new();
  kx_input_SetInputDevice(input);
  kx_app__app = nullptr;
  kx_app__devWidth = kx_app__devHeight = 0;
}

void GameWorld::Stop() {
  kx_app__app = nullptr;
  kx_app__delegate = nullptr;
  KxGame::_game = nullptr;
  KxGlfwGame::_glfwGame = nullptr;
  glfw2::Install(nullptr);
  delete host;
}

void GameWorld::Create() {
  app = (new c_MyApp)->m_new();
  // The delegate's devices, as its start would have set them.
  gc_assign(kx_app__delegate->m_graphics, graphics);
  gc_assign(kx_app__delegate->m_audio, audio);
  gc_assign(kx_app__delegate->m_input, input);
  kx_app_ValidateDeviceWindow(false);
  app->p_OnCreate();
}

void GameWorld::Update() {
  glfw.time += 1.0 / 60;
  host->UpdateGame();
}

void GameWorld::Render() {
  kx_app_ValidateDeviceWindow(true);
  kx_graphics_BeginRender();
  app->p_OnRender();
  kx_graphics_EndRender();
}

int GameWorld::LoadAll() {
  int updates = 0;
  for (; app->m_loading > 0 && updates < 100; ++updates) Update();
  return updates;
}

std::vector<std::vector<float>> GameWorld::Records() const {
  std::vector<std::vector<float>> result;
  for (int i = 0; i < app->m_drawCount; i += 15)
    result.emplace_back(app->m_drawList.Data() + i, app->m_drawList.Data() + i + 15);
  return result;
}

void GameWorld::UseFont() {
  app->m_font = 90;
  app->m_imageInfo[270] = 7;
  app->m_imageInfo[271] = 10;
}

std::string GameWorld::DrawnText() const {
  std::string text;
  for (const auto& r : Records())
    if (static_cast<int>(r[0]) == app->m_font) text += static_cast<char>(r[6] + 32);
  return text;
}

}  // namespace gametest
