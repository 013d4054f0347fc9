// The game module's globals (set by kx_Skarblit_Init, the game's share of kxInit), the global
// random generator every gameplay draw advances, and the small math helpers the game uses.
#pragma once
#include "runtime/runtime.h"

extern int kx_Skarblit_GameNum;
extern int kx_Skarblit_J_On_Allow;
extern int kx_Skarblit_J_On_Able;
extern int kx_Skarblit_isOuya;
extern float kx_Skarblit_overscan;
extern float kx_Skarblit_rawscrw;
extern float kx_Skarblit_rawscrh;
extern float kx_Skarblit_jscrw;
extern float kx_Skarblit_jscrh;
extern int kx_Skarblit_DebugMode;
extern int kx_Skarblit_iCadeControls;
extern int kx_Skarblit_HasMusicStream;
extern int kx_Skarblit_OnScreenControls;
extern int kx_Skarblit_AccelerometerControls;
// Difficulty names at even indices, each followed by its two-line description.
extern Array<String> kx_Skarblit_MenuSet;
// The 50 lines of the credit roll.
extern Array<String> kx_Skarblit_CreditText;

extern int kx_random_Seed;
// One draw in [0, 1): seed = seed * 1664525 + 1013904223, then (seed >> 8) / 2^24.
float kx_random_Rnd();
// low + draw * (high - low).
float kx_random_Rnd2(float low, float high);
// draw * range.
float kx_random_Rnd3(float range);

int kx_math_Abs(int x);
float kx_math_Abs2(float x);
int kx_math_Max(int x, int y);
float kx_math_Max2(float x, float y);
int kx_math_Min(int x, int y);
float kx_math_Min2(float x, float y);

// Settings slots that keep what the player chose: the iCade mode (1 on) and whether the game
// was full screen when the options box last closed or the game was suspended or ended.
const int kx_Skarblit_ICadeSlot = 6;
const int kx_Skarblit_FullscreenSlot = 7;

// Sets every global above to its initial value and registers the managed ones as roots.
// Called from kxInit after the runtime modules' globals.
void kx_Skarblit_Init();
// The program: reads the command line and plays, records, watches or verifies a run; the
// result is the exit status.
int kx_Skarblit_Main(int argc, char** argv);
// A fingerprint of the game after an update, for checking a replay against its recording.
unsigned kx_Skarblit_Digest();
// Told of every finished game as its score is entered: the difficulty (1 Easy, 2 Normal,
// 3 Hard), the score and the place it took in that difficulty's table (1 to 10; 0 for none).
// Null for nobody; verifying a recording lists the run's games with it.
extern void (*kx_Skarblit_finished)(int difficulty, int score, int place);
