// skarblit-bench: the cost of one maximum-load frame of play (update and render replay, with
// OpenGL calls counted but not executed), the collector's longest step during play against a
// full mark, and the system allocations per frame. Ends with one name=value line per figure.
// With --gl it instead draws that frame for real into a window and times it.
//
//   skarblit-bench [--frames=N] [benchmark flags]   (N frames of play for the collector, 10000)
//   skarblit-bench --gl [--frames=N] [--shot FILE]  (N timed frames, 300; FILE: the last one)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <x86intrin.h>

#include "bench/skarblit_bench.h"

namespace skarbench {
namespace {

World* world = nullptr;
int frames = 10000;

struct Figures {
  double updateUs = 0, replayUs = 0;
  long long drawCalls = 0, vertices = 0;
  double stepMaxUs = 0, fullMarkUs = 0, allocsPerFrame = 0;
  double digestUs = 0, writeUs = 0;
} figures;

// Runs `prepare` untimed and `measure` timed in processor time on every iteration; the median
// of the timed parts in microseconds.
template <typename Prepare, typename Measure>
double TimedMedianUs(benchmark::State& state, Prepare prepare, Measure measure) {
  std::vector<double> samples;
  for (auto _ : state) {
    prepare();
    const double t0 = ThreadCpuUs();
    measure();
    const double took = ThreadCpuUs() - t0;
    state.SetIterationTime(took / 1e6);
    samples.push_back(took);
  }
  return Median(samples);
}

void BM_PlayUpdate(benchmark::State& state) {
  figures.updateUs = TimedMedianUs(
      state, [] { world->Restore(world->maxLoad); }, [] { world->PlayUpdate(); });
}
BENCHMARK(BM_PlayUpdate)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Replay(benchmark::State& state) {
  world->Restore(world->maxLoad);
  world->PlayUpdate();
  figures.replayUs = TimedMedianUs(state, [] { glCounts.Reset(); }, [] { world->Replay(); });
  figures.drawCalls = glCounts.drawCalls;
  figures.vertices = glCounts.vertices;
  state.counters["draw_calls"] = static_cast<double>(glCounts.drawCalls);
  state.counters["vertices"] = static_cast<double>(glCounts.vertices);
}
BENCHMARK(BM_Replay)->UseManualTime()->Unit(benchmark::kMicrosecond);

// What recording adds to a frame: the state fingerprint of the heaviest frame after its update,
// and the writing of one frame of real play.
void BM_RecordFrame(benchmark::State& state) {
  world->Restore(world->maxLoad);
  world->PlayUpdate();
  RecordedRun run;
  if (!run.Load("tests/replays/hard_game.skr")) {
    state.SkipWithError("tests/replays/hard_game.skr cannot be read by this program");
    return;
  }
  std::vector<double> writes;
  for (int i = 0; i < 5; ++i) writes.push_back(run.WriteUsPerFrame());
  figures.writeUs = Median(writes);
  figures.digestUs = TimedMedianUs(
      state, [] {}, [] { benchmark::DoNotOptimize(kx_Skarblit_Digest()); });
}
BENCHMARK(BM_RecordFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Frames of play as the host runs them, each from the maximum-load state. The play is run a
// few times, each starting at the same point of the collector's cycle, so step k does the same
// work in every run; its shortest time across the runs keeps the time the processor spent on
// other programs out of the longest step, while a step that is long by itself stays long.
void BM_PlayFrames(benchmark::State& state) {
  const int kRuns = 5;
  for (auto _ : state) {
    std::vector<unsigned long long> best(2 * static_cast<size_t>(frames), ~0ull);
    std::vector<unsigned long long> steps(best.size());
    const unsigned long long tick0 = __rdtsc();
    const double us0 = NowUs();
    allocCount = 0;
    for (int run = 0; run < kRuns; ++run) {
      gc_finish_cycle();
      for (int f = 0; f < frames; ++f) {
        world->Restore(world->maxLoad);
        allocCounting = run == 0;
        world->Frame(&steps[2 * static_cast<size_t>(f)]);
        allocCounting = false;
      }
      for (size_t i = 0; i < best.size(); ++i) best[i] = std::min(best[i], steps[i]);
    }
    const double ticksPerUs = static_cast<double>(__rdtsc() - tick0) / (NowUs() - us0);
    figures.stepMaxUs = *std::max_element(best.begin(), best.end()) / ticksPerUs;
    figures.fullMarkUs = world->FullMarkTicks() / ticksPerUs;
    figures.allocsPerFrame = static_cast<double>(allocCount) / frames;
  }
  state.counters["gc_step_max_us"] = figures.stepMaxUs;
  state.counters["gc_full_mark_us"] = figures.fullMarkUs;
  state.counters["allocs_per_frame"] = figures.allocsPerFrame;
}
BENCHMARK(BM_PlayFrames)->Iterations(1)->Unit(benchmark::kMillisecond);

void PrintFigures() {
  const Figures& f = figures;
  std::printf("update_us=%.1f\n", f.updateUs);
  std::printf("replay_us=%.1f\n", f.replayUs);
  std::printf("frame_budget_pct=%.2f\n", (f.updateUs + f.replayUs) / 16667.0 * 100.0);
  std::printf("draw_calls=%lld\n", f.drawCalls);
  std::printf("vertices=%lld\n", f.vertices);
  std::printf("gc_step_max_us=%.2f\n", f.stepMaxUs);
  std::printf("gc_full_mark_us=%.2f\n", f.fullMarkUs);
  std::printf("gc_live_kib=%d\n", gc_alloced_bytes >> 10);
  std::printf("allocs_per_frame=%.2f\n", f.allocsPerFrame);
  std::printf("record_digest_us=%.2f\n", f.digestUs);
  std::printf("record_write_us=%.2f\n", f.writeUs);
  std::printf("record_us=%.2f\n", f.digestUs + f.writeUs);
  std::printf("record_budget_pct=%.3f\n", (f.digestUs + f.writeUs) / 16667.0 * 100.0);
}

}  // namespace
}  // namespace skarbench

int main(int argc, char** argv) {
  int frames = 0;
  bool gl = false;
  std::string shot;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--frames=", 9) == 0) {
      frames = std::max(1, std::atoi(argv[i] + 9));
    } else if (std::strcmp(argv[i], "--gl") == 0) {
      gl = true;
    } else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc) {
      shot = argv[++i];
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  // The shot is named from where the program was started, before it moves.
  char here[4096];
  if (!shot.empty() && shot[0] != '/' && getcwd(here, sizeof here)) {
    shot = std::string(here) + "/" + shot;
  }
  // The game reads its data relative to the repository root.
  if (chdir(KX_SOURCE_DIR) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", KX_SOURCE_DIR);
    return 1;
  }
  if (gl && argc > 1) {
    std::fprintf(stderr, "unknown argument %s\n", argv[1]);
    return 1;
  }
  if (!gl && !shot.empty()) {
    std::fprintf(stderr, "--shot goes with --gl\n");
    return 1;
  }
  if (gl) return skarbench::RunGl(frames ? frames : 300, shot.c_str());
  if (frames) skarbench::frames = frames;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  skarbench::world = new skarbench::World;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  skarbench::PrintFigures();
  return 0;
}
