// Layout of the arena block and the records that the play code shares, and the small helpers
// over the global random generator that every gameplay draw goes through.
#pragma once
#include "game/shell/globals.h"
#include "game/shell/myapp.h"

namespace arena {

// Arena block indices.
const int kCraftX = 1;
const int kCraftY = 2;
const int kCraftVX = 3;
const int kCraftVY = 4;
const int kHealth = 7;
const int kShield = 8;
const int kPostCountdown = 21;
const int kFoeCountdown = 22;
const int kFoeInterval = 23;
// The menu borrows two otherwise unused entries for its up/down key repeat.
const int kMenuRepeatCountdown = 26;
const int kMenuRepeatInterval = 27;
const int kPostBase = 110;
const int kPostCount = 10;
const int kArenaCleared = 500;

// Zap post record slots, relative to kPostBase + 10 k.
const int kPostLife = 0;
const int kPostX = 1;
const int kPostY = 2;
const int kPostCrackle = 5;
const int kPostFlash = 7;
const int kPostSpin = 8;
const int kPostFullLife = 9;

// Foe record slots; records 0 to kLastFoe are used.
const int kLastFoe = 250;
const int kFoeKind = 0;
const int kFoeX = 1;
const int kFoeY = 2;
const int kFoeVX = 3;
const int kFoeVY = 4;
const int kFoeHeading = 5;
const int kFoeTurn = 6;
const int kFoePhase = 7;
const int kFoeAnimSpeed = 8;

const int kRecord = 10;

// low + draw * (high - low).
inline float Rnd(float low, float high) { return kx_random_Rnd2(low, high); }

// A difficulty other than Normal (2) or Hard (3) plays as Easy (1).
inline int Difficulty(int d) { return (d == 2 || d == 3) ? d : 1; }

// Frames a zap post lives on the given difficulty.
inline float PostLife(int difficulty) {
  int d = Difficulty(difficulty);
  return d == 2 ? 500.0f : d == 3 ? 350.0f : 600.0f;
}

}  // namespace arena
