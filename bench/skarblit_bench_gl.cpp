// skarblit-bench --gl: the maximum-load frame drawn for real. The host opens a 640x480 window
// through the windowing library, the render device draws into it through the driver (the draw
// calls still counted on their way), and each frame is timed from the update to the driver's
// finish, with the render device's state filter on and off.
#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include "bench/skarblit_bench.h"

namespace skarbench {
namespace {

const int kWarmUp = 30;

// Processor time of the whole process (the driver may draw on threads of its own) or of this
// thread alone (the game, and the driver's work inside its calls).
double CpuMs(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Samples {
  std::vector<double> wallMs, cpuMs, threadCpuMs;
  long long drawCalls = 0, vertices = 0;
};

// Opens the window through the host over the real windowing library, with no wait for the
// display's refresh at the swap. The game keeps the scripted clock and input, so that every
// frame plays alike (the play seeds its generator from the clock).
bool OpenWindow(World* world) {
  glfw2::Install(nullptr);
  bool open = glfw2::Current()->Init() == glfw2::kTrue;
  if (open) {
    world->host->SetSwapInterval(0);
    world->host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    open = glfw2::Current()->GetWindowParam(glfw2::OPENED) == glfw2::kTrue;
  }
  glfw2::Install(&world->glfw);
  return open;
}

// One frame from the maximum-load state as the host runs it, then the swap and a finish, so
// that the driver's work is done before the clock is read.
void TimeFrame(World* world, Samples* s) {
  world->Restore(world->maxLoad);
  glCounts.Reset();
  const double wall0 = NowUs();
  const double cpu0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID), thread0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
  unsigned long long steps[2];
  world->Frame(steps);
  glfw2::Real()->SwapBuffers();
  glFinish();
  s->wallMs.push_back((NowUs() - wall0) / 1e3);
  s->cpuMs.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0);
  s->threadCpuMs.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread0);
  s->drawCalls = glCounts.drawCalls;
  s->vertices = glCounts.vertices;
}

// Frames with the state filter on and off take turns, so that a change in the machine's load
// meets both alike.
void Measure(World* world, int frames, Samples* filtered, Samples* unfiltered) {
  for (int f = 0; f < kWarmUp + frames; ++f) {
    if (f == kWarmUp) *filtered = *unfiltered = Samples();
    world->device->filterState = true;
    TimeFrame(world, filtered);
    world->device->filterState = false;
    TimeFrame(world, unfiltered);
  }
  world->device->filterState = true;
}

// Draws the frame once more and writes what the window holds, before any swap, as a PNG.
bool WriteShot(World* world, const char* path) {
  world->Restore(world->maxLoad);
  unsigned long long steps[2];
  world->Frame(steps);
  const int w = world->device->Width(), h = world->device->Height();
  Array<int> argb(w * h);
  world->device->ReadPixels(argb, 0, 0, w, h, 0, w);
  std::vector<unsigned char> rgb;
  for (int i = 0; i < argb.Length(); ++i) {
    for (int shift : {16, 8, 0}) rgb.push_back(static_cast<unsigned char>(argb[i] >> shift));
  }
  return stbi_write_png(path, w, h, 3, rgb.data(), w * 3) != 0;
}

void Print(const Samples& s, const char* suffix) {
  const double frameMs = Median(s.wallMs);
  std::printf("gl_frame_ms%s=%.3f\n", suffix, frameMs);
  std::printf("gl_frame_cpu_ms%s=%.3f\n", suffix, Median(s.cpuMs));
  std::printf("gl_frame_main_thread_cpu_ms%s=%.3f\n", suffix, Median(s.threadCpuMs));
  std::printf("gl_fps%s=%.1f\n", suffix, frameMs > 0 ? 1000.0 / frameMs : 0.0);
  std::printf("gl_draw_calls%s=%lld\n", suffix, s.drawCalls);
  std::printf("gl_vertices%s=%lld\n", suffix, s.vertices);
}

}  // namespace

int RunGl(int frames, const char* shotPath) {
  World* world = new World;
  if (!OpenWindow(world)) {
    std::fprintf(stderr, "no window could be opened (no display?)\n");
    return 1;
  }
  InstallCountingGl(true);
  Samples filtered, unfiltered;
  Measure(world, frames, &filtered, &unfiltered);
  if (*shotPath && !WriteShot(world, shotPath)) {
    std::fprintf(stderr, "cannot write %s\n", shotPath);
    return 1;
  }
  const GLubyte* renderer = glGetString(GL_RENDERER);
  std::printf("gl_renderer=%s\n", renderer ? reinterpret_cast<const char*>(renderer) : "");
  Print(filtered, "");
  Print(unfiltered, "_unfiltered");
  glfw2::Real()->CloseWindow();
  return 0;
}

}  // namespace skarbench
