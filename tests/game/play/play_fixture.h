// The windowless stand-in world of the shell tests, with helpers for driving a game: start one
// on a difficulty, run frames, and read the craft, foes and posts.
#pragma once
#include "game/play/arena.h"
#include "tests/game/shell/shell_fixture.h"

namespace playtest {

// Several numbers of any kinds, to check at once.
template <class... T>
std::vector<double> Values(T... v) {
  return {static_cast<double>(v)...};
}

class PlayTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Create();
    // The artwork is not needed to play: skipping the loader keeps each case fast.
    app->m_loading = 0;
  }
  // Leaves only the given sound cue loaded, so each "play" in the audio log is that cue.
  void OnlyCue(int n) {
    for (int i = 0; i < app->m_sounds.Length(); ++i) gc_assign(app->m_sounds[i], nullptr);
    app->p_LoadSFX(n);
    audio->log.clear();
  }
  // Starts a game the way the menu does, on the given difficulty.
  void StartGame(int difficulty) {
    app->m_difficulty = difficulty;
    app->m_gameState = 11;
    Update();
  }
  float& Arena(int i) { return app->m_arena[i]; }
  float* Foe(int i) { return app->m_foes.Data() + i * arena::kRecord; }
  float* Post(int k) { return app->m_arena.Data() + arena::kPostBase + k * arena::kRecord; }
  int LiveFoes() {
    int n = 0;
    for (int i = 0; i <= arena::kLastFoe; ++i) n += Foe(i)[0] > 0;
    return n;
  }
  // Records of one kind (image slot, or -3717 rectangles, -3716 ovals, -3715 lines).
  int CountRecords(float kind) {
    int n = 0;
    for (const auto& r : Records()) n += r[0] == kind;
    return n;
  }
};

}  // namespace playtest
