// The game's test fixtures: the stand-in world of game_world.h once per test, and for play a
// fresh game object past its loader with helpers to start a game and read the craft, foes and
// posts.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "game/play/arena.h"
#include "tests/support/game_world.h"

namespace gametest {

// Several numbers of any kinds, to check at once.
template <class... T>
std::vector<double> Values(T... v) {
  return {static_cast<double>(v)...};
}

class GameTest : public ::testing::Test, public GameWorld {
 protected:
  void SetUp() override { Start(); }
  void TearDown() override { Stop(); }
  // What `run` prints, less the samples of earlier tests that the collector frees meanwhile.
  std::string StdoutOf(const std::function<void()>& run) {
    testing::internal::CaptureStdout();
    run();
    std::string out = testing::internal::GetCapturedStdout();
    for (size_t at; (at = out.find("Discarding sample\n")) != std::string::npos;) out.erase(at, 18);
    return out;
  }
};

// A fresh game object, past its loader when `load` is set.
template <bool load>
class CreatedTest : public GameTest {
 protected:
  void SetUp() override {
    Start();
    Create();
    if (load) LoadAll();
  }
};

class PlayTest : public CreatedTest<false> {
 protected:
  // The artwork is not needed to play: skipping the loader keeps each case fast.
  void SetUp() override {
    CreatedTest::SetUp();
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
};

}  // namespace gametest
