// The state string: 25 settings, 8 badge words and three score groups, every number followed by
// "|" and every block closed by its own checksum, so damage costs only the damaged block.
#include "app/app.h"
#include "game/shell/globals.h"
#include "game/play/arena.h"
#include "game/shell/myapp.h"

// Checksums wrap like 32-bit two's-complement integers.
static int WrapAdd(int sum, long long term) {
  return static_cast<int>(static_cast<unsigned int>(sum) + static_cast<unsigned int>(term));
}

static String Number(int value) { return String(value) + String("|"); }

static void ResetSettings(Array<int>& settings) {
  for (int i = 0; i < 25; ++i) settings[i] = 0;
  settings[5] = 1;
}

// Group k's checksum: sum of (r + 4) * top[r] + (r + k + 3) * last[r].
static int ScoreChecksum(const Array<int>& scores, int k) {
  int sum = 0;
  for (int r = 0; r < 10; ++r) {
    sum = WrapAdd(sum, static_cast<long long>(r + 4) * scores[10 * k + r]);
    sum = WrapAdd(sum, static_cast<long long>(r + k + 3) * scores[30 + 10 * k + r]);
  }
  return sum;
}

void c_MyApp::p_Save() {
  String state;
  int cs = 0;
  for (int i = 0; i < 25; ++i) {
    state += Number(m_settings[i]);
    cs = WrapAdd(cs, static_cast<long long>(i) * m_settings[i]);
  }
  state += Number(cs);
  int cb = 0;
  for (int g = 0; g < 8; ++g) {
    unsigned int word = 0;
    for (int b = 0; b < 32; ++b) {
      if (m_badges[32 * g + b]) word |= 1u << b;
    }
    state += Number(static_cast<int>(word));
    cb = WrapAdd(cb, static_cast<int>(word));
  }
  state += Number(cb);
  Array<String> pieces(63);
  int p = 0;
  for (int k = 0; k < 3; ++k) {
    for (int r = 0; r < 10; ++r) {
      pieces[p++] = Number(m_highScores[10 * k + r]);
      pieces[p++] = Number(m_highScores[30 + 10 * k + r]);
    }
    pieces[p++] = Number(ScoreChecksum(m_highScores, k));
  }
  state += String().Join(pieces);
  if (kx_Skarblit_DebugMode == 1) kxPrint(state);
  kx_app_SaveState(state);
}

// Slots 10 to 14 only matter on the console; the desktop forces its overscan off.
static void CorrectSettings(Array<int>& settings) {
  if (settings[10] <= 63) settings[10] = 64;
  if (settings[11] <= 63) settings[11] = 64;
  if (settings[12] <= 7) settings[12] = 10;
  if (settings[14] <= 0) settings[14] = 64;
  if (kx_Skarblit_isOuya == 1) {
    kx_Skarblit_overscan = static_cast<float>(settings[14]);
  } else {
    settings[14] = 1;
    kx_Skarblit_overscan = 0.0f;
  }
}

// The state up to its 99th separator: every number the loader reads comes before it, and a
// huge damaged file is then not split into millions of pieces only to be thrown away.
static String UsedPart(const String& state) {
  int end = -1;
  for (int i = 0; i < 99; ++i) {
    end = state.Find(String("|"), end + 1);
    if (end == -1) return state;
  }
  return state.Slice(0, end + 1);
}

void c_MyApp::p_Load() {
  String state = kx_app_LoadState();
  Array<String> tokens = UsedPart(state).Split(String("|"));
  int n = tokens.Length();
  if (kx_Skarblit_DebugMode == 1) kxPrint(state);
  int c = 0;
  if (n >= 26) {
    int cs = 0;
    for (int i = 0; i < 25; ++i) {
      m_settings[i] = tokens[i].ToInt();
      cs = WrapAdd(cs, static_cast<long long>(i) * m_settings[i]);
    }
    c = 26;
    if (tokens[25].ToInt() == cs) {
      kxPrint(String("Settings Loaded"));
    } else {
      kxPrint(String("Settings Checksum Invalid"));
      ResetSettings(m_settings);
    }
  }
  CorrectSettings(m_settings);
  if (c + 8 < n) {
    int cb = 0;
    for (int g = 0; g < 8; ++g) {
      int word = tokens[c + g].ToInt();
      for (int b = 0; b < 32; ++b) m_badges[32 * g + b] = ((static_cast<unsigned int>(word) >> b) & 1u) != 0;
      cb = WrapAdd(cb, word);
    }
    c += 8;
    bool valid = tokens[c++].ToInt() == cb;
    kxPrint(String(valid ? "Badges Loaded" : "Badge Checksum Invalid"));
    if (!valid) {
      for (int i = 0; i < 256; ++i) m_badges[i] = false;
    }
  }
  for (int k = 0; k < 3 && c + 20 < n; ++k) {
    for (int r = 0; r < 10; ++r) {
      m_highScores[10 * k + r] = tokens[c + 2 * r].ToInt();
      m_highScores[30 + 10 * k + r] = tokens[c + 2 * r + 1].ToInt();
    }
    c += 20;
    bool valid = tokens[c++].ToInt() == ScoreChecksum(m_highScores, k);
    kxPrint(String("Highscore ") + String(k) + String(valid ? " Loaded" : " Checksum Invalid"));
    if (!valid) {
      for (int r = 0; r < 10; ++r) {
        m_highScores[10 * k + r] = 0;
        m_highScores[30 + 10 * k + r] = 0;
      }
    }
  }
}

// A score takes the place of the first entry it beats; a tie goes below the entry it ties.
int c_MyApp::p_TablePlace() {
  int base = 10 * (arena::Difficulty(m_difficulty) - 1);
  for (int r = 0; r < 10; ++r) {
    if (m_highScores[base + r] < m_score) return r + 1;
  }
  return 0;
}

void c_MyApp::p_LoadMenu() {
  // A difficulty other than 2 or 3 plays as Easy, so it records as Easy too rather than
  // writing outside the tables.
  int d = arena::Difficulty(m_difficulty);
  int base = 10 * (d - 1);
  int s = m_score;
  int place = p_TablePlace();
  if (place > 0) {
    for (int j = 9; j > place - 1; --j) m_highScores[base + j] = m_highScores[base + j - 1];
    m_highScores[base + place - 1] = s;
  }
  if (kx_Skarblit_finished) kx_Skarblit_finished(d, s, place);
  for (int j = 9; j > 0; --j) m_highScores[30 + base + j] = m_highScores[30 + base + j - 1];
  m_highScores[30 + base] = s;
  p_Save();
}
