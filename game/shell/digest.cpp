// The fingerprint a replay compares after every update: everything the update drew, and the
// numbers that decide what comes next (the random seed, the score, the screen, the loader).
#include "app/app.h"
#include "game/shell/globals.h"
#include "game/shell/myapp.h"
#include "host/replay/format.h"

void (*kx_Skarblit_finished)(int difficulty, int score, int place) = nullptr;

unsigned kx_Skarblit_Digest() {
  c_MyApp* app = dynamic_cast<c_MyApp*>(kx_app__app);
  if (!app) return 0;
  static_assert(sizeof(float) == sizeof(uint32_t), "draw records are hashed as words");
  uint32_t hash = kx_replay_HashWords(app->m_drawList.Data(),
                                      static_cast<size_t>(app->m_drawCount), 2166136261u);
  const int fields[] = {app->m_drawCount, kx_random_Seed, app->m_score, app->m_gameState,
                        app->m_loading,   app->m_paused,  app->m_gameOver};
  return kx_replay_Hash(fields, sizeof fields, hash);
}
