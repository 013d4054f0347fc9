// The game module's globals and the global random generator.
#include "game/shell/globals.h"

#include <initializer_list>

int kx_Skarblit_GameNum;
int kx_Skarblit_J_On_Allow;
int kx_Skarblit_J_On_Able;
int kx_Skarblit_isOuya;
float kx_Skarblit_overscan;
float kx_Skarblit_rawscrw;
float kx_Skarblit_rawscrh;
float kx_Skarblit_jscrw;
float kx_Skarblit_jscrh;
int kx_Skarblit_DebugMode;
int kx_Skarblit_iCadeControls;
int kx_Skarblit_HasMusicStream;
int kx_Skarblit_OnScreenControls;
int kx_Skarblit_AccelerometerControls;
Array<String> kx_Skarblit_MenuSet;
Array<String> kx_Skarblit_CreditText;
int kx_random_Seed;

float kx_random_Rnd() {
  // Unsigned arithmetic gives the modulo 2^32 wrap without signed overflow.
  unsigned int seed = static_cast<unsigned int>(kx_random_Seed) * 1664525u + 1013904223u;
  kx_random_Seed = static_cast<int>(seed);
  return static_cast<float>(seed >> 8) / 16777216.0f;
}

float kx_random_Rnd2(float low, float high) { return kx_random_Rnd3(high - low) + low; }

float kx_random_Rnd3(float range) { return kx_random_Rnd() * range; }

int kx_math_Abs(int x) { return x < 0 ? -x : x; }
float kx_math_Abs2(float x) { return x < 0 ? -x : x; }
int kx_math_Max(int x, int y) { return x > y ? x : y; }
float kx_math_Max2(float x, float y) { return x > y ? x : y; }
int kx_math_Min(int x, int y) { return x < y ? x : y; }
float kx_math_Min2(float x, float y) { return x < y ? x : y; }

static Array<String> StringArray(std::initializer_list<const char*> texts) {
  Array<String> result(static_cast<int>(texts.size()));
  int i = 0;
  for (const char* text : texts) result[i++] = String(text);
  return result;
}

// The roll shows these lines in order; blank lines and "-=-=-" separate the sections.
static Array<String> CreditLines() {
  return StringArray({"",
                      "A Game by",
                      "The Skarblit Crew",
                      "skarblit.example",
                      "",
                      "-=-=-",
                      "",
                      "Developed using",
                      "the Vantor runtime",
                      "vantor.example",
                      "",
                      "-=-=-",
                      "",
                      "Graphics",
                      "",
                      "Most graphics by",
                      "The Skarblit Crew",
                      "",
                      "Font: Shadow Editundo",
                      "drawn with cairo",
                      "Lowercase added by",
                      "The Skarblit Crew",
                      "",
                      "",
                      "-=-=-",
                      "",
                      "Audio",
                      "",
                      "Sound and Music by",
                      "The Skarblit Crew",
                      "OpenAL Soft",
                      "stb_vorbis",
                      "a tone generator",
                      "a text editor",
                      "or whatever else",
                      "is handy!",
                      "",
                      "-=-=-",
                      "",
                      "Thanks to",
                      "GLFW",
                      "stb_image",
                      "GoogleTest",
                      "CMake",
                      "Xvfb",
                      "and everyone else",
                      "at the open-source forges",
                      "",
                      "-=-=-",
                      "End"});
}

void kx_Skarblit_Init() {
  kx_Skarblit_GameNum = 401;
  kx_Skarblit_J_On_Allow = 0;
  kx_Skarblit_J_On_Able = 0;
  kx_Skarblit_isOuya = 0;
  kx_Skarblit_overscan = 0.0f;
  kx_Skarblit_rawscrw = 640.0f;
  kx_Skarblit_rawscrh = 480.0f;
  kx_Skarblit_jscrw = 640.0f;
  kx_Skarblit_jscrh = 480.0f;
  kx_Skarblit_DebugMode = 0;
  kx_Skarblit_iCadeControls = 0;
  kx_Skarblit_HasMusicStream = 1;
  kx_Skarblit_OnScreenControls = 0;
  kx_Skarblit_AccelerometerControls = 0;
  kx_random_Seed = 1234;
  gc_assign(kx_Skarblit_MenuSet,
            StringArray({"Easy", "Easiest mode\\nNice and Easy.", "Normal",
                         "Just right!\\nTough, but not hard.", "Hard",
                         "Maybe TOO hard!\\nIf you like it like that"}));
  gc_assign(kx_Skarblit_CreditText, CreditLines());
  gc_add_root(130, &kx_Skarblit_MenuSet);
  gc_add_root(140, &kx_Skarblit_CreditText);
}
