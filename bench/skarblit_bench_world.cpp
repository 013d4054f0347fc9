// The benchmark's world: the game tests' stand-in host with the real render device over a
// counting OpenGL seam (which drops the calls, or passes them on to the driver once a real
// window is open), a silent audio device, and the maximum-load scene set up directly.
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "bench/skarblit_bench.h"
#include "game/play/arena.h"
#include "graphics/gl.h"

namespace skarbench {

GlCounts glCounts;

double NowUs() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count();
}

double ThreadCpuUs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

namespace {

bool executeGl = false;
const KxGlApi& Driver() { return kx_graphics_DriverGl(); }

// Every entry point but the two draws (set by the caller) does nothing; texture names are still
// handed out, so surfaces look created.
void DropGl(KxGlApi& gl) {
  gl.Viewport = [](GLint, GLint, GLsizei, GLsizei) {};
  gl.MatrixMode = [](GLenum) {};
  gl.LoadIdentity = [] {};
  gl.Ortho = [](GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {};
  gl.EnableClientState = [](GLenum) {};
  gl.VertexPointer = [](GLint, GLenum, GLsizei, const void*) {};
  gl.TexCoordPointer = [](GLint, GLenum, GLsizei, const void*) {};
  gl.ColorPointer = [](GLint, GLenum, GLsizei, const void*) {};
  gl.Enable = [](GLenum) {};
  gl.Disable = [](GLenum) {};
  gl.BlendFunc = [](GLenum, GLenum) {};
  gl.Scissor = [](GLint, GLint, GLsizei, GLsizei) {};
  gl.ClearColor = [](GLclampf, GLclampf, GLclampf, GLclampf) {};
  gl.Clear = [](GLbitfield) {};
  gl.ReadPixels = [](GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {};
  gl.GenTextures = [](GLsizei n, GLuint* names) {
    static GLuint next = 1;
    for (GLsizei i = 0; i < n; ++i) names[i] = next++;
  };
  gl.DeleteTextures = [](GLsizei, const GLuint*) {};
  gl.BindTexture = [](GLenum, GLuint) {};
  gl.TexParameteri = [](GLenum, GLenum, GLint) {};
  gl.TexImage2D = [](GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                     const void*) {};
  gl.TexSubImage2D = [](GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum,
                        const void*) {};
  gl.PixelStorei = [](GLenum, GLint) {};
  gl.GetError = []() -> GLenum { return GL_NO_ERROR; };
}

}  // namespace

void InstallCountingGl(bool execute) {
  KxGlApi& gl = kx_graphics_gl;
  executeGl = execute;
  if (execute) {
    gl = Driver();
  } else {
    DropGl(gl);
  }
  gl.DrawArrays = [](GLenum mode, GLint first, GLsizei count) {
    ++glCounts.drawCalls;
    glCounts.vertices += count;
    if (executeGl) Driver().DrawArrays(mode, first, count);
  };
  // Quads are drawn as six indices over four vertices.
  gl.DrawElements = [](GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++glCounts.drawCalls;
    glCounts.vertices += count / 6 * 4;
    if (executeGl) Driver().DrawElements(mode, count, type, indices);
  };
}

namespace {

// Sound cues go through the game's channel ring but stop at the device.
class SilentAudio : public gxtkAudio {
 public:
  gxtkSample* LoadSample(String) override { return new gxtkSample; }
  int PlaySample(gxtkSample*, int, int) override { return 0; }
  int StopChannel(int) override { return 0; }
  int SetVolume(int, float) override { return 0; }
  int SetPan(int, float) override { return 0; }
  int SetRate(int, float) override { return 0; }
  int PlayMusic(String, int) override { return 0; }
  int StopMusic() override { return 0; }
  int PauseMusic() override { return 0; }
  int ResumeMusic() override { return 0; }
};

// A fixed spread of values for the scene, independent of the game's own generator.
struct Spread {
  unsigned seed = 99;
  float Next(float low, float high) {
    seed = seed * 1103515245u + 12345u;
    return low + (high - low) * static_cast<float>((seed >> 8) & 0xFFFF) / 65536.0f;
  }
};

std::vector<float> Copy(const Array<float>& a) {
  return std::vector<float>(a.Data(), a.Data() + a.Length());
}

void Put(Array<float>& a, const std::vector<float>& v) {
  for (int i = 0; i < a.Length(); ++i) a[i] = v[static_cast<size_t>(i)];
}

}  // namespace

World::World() {
  InstallCountingGl();
  Start();
  Create();
  device = new gxtkGraphics;
  kx_graphics_SetGraphicsDevice(device);
  gc_assign(kx_app__delegate->m_graphics, device);
  gxtkAudio* silent = new SilentAudio;
  kx_audio_SetAudioDevice(silent);
  gc_assign(kx_app__delegate->m_audio, silent);
  Replay();  // the first render finds the window size and asks for the loader
  LoadAll();
  BuildMaxLoad();
  Save(&maxLoad);
}

void World::BuildMaxLoad() {
  using namespace arena;
  app->m_settings[5] = 2;  // effects on, no tune
  app->m_difficulty = 3;
  app->p_LoadGame();
  Array<float>& a = app->m_arena;
  const float cx = a[kCraftX], cy = a[kCraftY];
  a[kShield] = 100000;  // the foes swarm the craft without ending the game
  Spread spread;
  for (int k = 0; k < kPostCount; ++k) {
    float* post = a.Data() + kPostBase + k * kRecord;
    const float angle = k * 36.0f * 0.017453292f, reach = 30.0f + 5 * k;
    post[kPostLife] = 300;
    post[kPostFullLife] = 350;
    post[kPostX] = cx + reach * std::cos(angle);
    post[kPostY] = cy + reach * std::sin(angle);
    post[kPostFlash] = 20;
    post[kPostSpin] = spread.Next(0, 360);
  }
  for (int i = 0; i <= kLastFoe; ++i) {
    float* foe = app->m_foes.Data() + i * kRecord;
    foe[kFoeKind] = static_cast<float>(1 + i % 4);
    foe[kFoeX] = spread.Next(32, kx_Skarblit_jscrw - 32);
    foe[kFoeY] = spread.Next(32, kx_Skarblit_jscrh - 32);
    foe[kFoeVX] = spread.Next(-3, 3);
    foe[kFoeVY] = spread.Next(-3, 3);
    foe[kFoeHeading] = spread.Next(0, 360);
    foe[kFoeTurn] = spread.Next(-1, 1);
    foe[kFoePhase] = spread.Next(0, 3);
    foe[kFoeAnimSpeed] = spread.Next(0.05f, 0.15f);
  }
  // Sparks and falling debris, all alive for the whole frame. (A floating score among them
  // costs two more draw calls, for the font's texture and back.)
  for (int i = 0; i <= app->m_sparkCount; ++i) {
    float* p = app->m_sparks.Data() + i * kRecord;
    p[0] = static_cast<float>(1 + i % 2);
    p[1] = spread.Next(0, kx_Skarblit_jscrw);
    p[2] = spread.Next(0, kx_Skarblit_jscrh);
    p[3] = spread.Next(-8, 8);
    p[4] = spread.Next(-8, 8);
    p[5] = spread.Next(0, 360);
    p[6] = spread.Next(-8, 8);
    p[7] = spread.Next(0.7f, 1.3f);
    p[8] = std::floor(spread.Next(1, 9.99f));
    p[9] = std::floor(spread.Next(0, 255.99f));
  }
  app->m_score = 123450;
  app->m_shownScore = 123000;
}

void World::Save(Snapshot* s) const {
  s->arena = Copy(app->m_arena);
  s->foes = Copy(app->m_foes);
  s->sparks = Copy(app->m_sparks);
  s->stars = Copy(app->m_stars);
  s->score = app->m_score;
  s->shownScore = app->m_shownScore;
  s->sfxCursor = app->m_sfxCursor;
  s->seed = kx_random_Seed;
  s->time = glfw.time;
}

void World::Restore(const Snapshot& s) {
  Put(app->m_arena, s.arena);
  Put(app->m_foes, s.foes);
  Put(app->m_sparks, s.sparks);
  Put(app->m_stars, s.stars);
  app->m_score = s.score;
  app->m_shownScore = s.shownScore;
  app->m_sfxCursor = s.sfxCursor;
  app->m_gameOver = 0;
  kx_random_Seed = s.seed;
  glfw.time = s.time;
}

void World::PlayUpdate() {
  glfw.time += 1.0 / 60;
  kx_app__delegate->UpdateGame();
}

void World::Replay() { kx_app__delegate->RenderGame(); }

unsigned long long World::CollectorStep() {
  const unsigned long long t0 = __rdtsc();
  host->gc_collect();
  return __rdtsc() - t0;
}

void World::Frame(unsigned long long* stepTicks) {
  PlayUpdate();
  stepTicks[0] = CollectorStep();
  Replay();
  stepTicks[1] = CollectorStep();
}

unsigned long long World::FullMarkTicks() {
  unsigned long long best = ~0ull;
  for (int i = 0; i < 5; ++i) {
    // Measured as the steps are: after a frame of play, with the caches as play leaves them.
    Restore(maxLoad);
    gc_finish_cycle();  // the roots are queued and nothing is marked yet
    PlayUpdate();
    Replay();
    const unsigned long long t0 = __rdtsc();
    gc_finish_cycle();
    best = std::min(best, __rdtsc() - t0);
  }
  return best;
}

}  // namespace skarbench
