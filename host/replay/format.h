// What a replay file holds: the kinds of entry, each with its name, its role in the host's
// conversation with the game and its layout, all from the one list below, so a kind cannot be
// added in one place and forgotten in another. docs/replay-format.md describes the bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/runtime.h"

// What an entry is to the hosts that write and read it.
enum KxReplayRole {
  KxReplayCall,    // a call the host forwarded to the game; the file drives it on replay
  KxReplayAnswer,  // what the platform told the game; the file answers on replay
  KxReplaySaid,    // what the game told the host; compared with the file on replay
  KxReplayClose,   // the end of the file
};

// X(name, description, role, ints, floats, counted, text): `ints` and `floats` are fixed
// counts, except that `counted` says the ints (1) or the floats (2) come with a count of their
// own; `text` says a text follows.
#define KX_REPLAY_KINDS(X)                                                         \
  X(Start, "the start", KxReplayCall, 0, 0, 0, false)                              \
  X(Suspend, "a suspension", KxReplayCall, 0, 0, 0, false)                         \
  X(Resume, "a resumption", KxReplayCall, 0, 0, 0, false)                          \
  X(Update, "an update", KxReplayCall, 0, 0, 0, false)                             \
  X(Render, "a render", KxReplayCall, 1, 0, 0, false)       /* ms since start */   \
  X(Key, "a key event", KxReplayCall, 2, 0, 0, false)       /* event, data */      \
  X(Mouse, "a mouse event", KxReplayCall, 2, 2, 0, false)   /* event, data; x, y */ \
  X(Touch, "a touch event", KxReplayCall, 2, 2, 0, false)   /* event, data; x, y */ \
  X(Motion, "a motion event", KxReplayCall, 2, 3, 0, false) /* event, data; xyz */  \
  X(Discard, "a discard", KxReplayCall, 0, 0, 0, false)                            \
  X(Digest, "a state digest", KxReplaySaid, 1, 0, 0, false) /* 4 bits */           \
  X(Millisecs, "the clock", KxReplayAnswer, 1, 0, 0, false)                        \
  X(Date, "the date", KxReplayAnswer, 7, 0, 0, false)                              \
  X(Joystick, "a joystick", KxReplayAnswer, 3, 6, 2, false) /* port, present, buttons */ \
  X(Width, "the width", KxReplayAnswer, 1, 0, 0, false)                            \
  X(Height, "the height", KxReplayAnswer, 1, 0, 0, false)                          \
  X(VideoModes, "video modes", KxReplayAnswer, 0, 0, 1, false) /* 5 a mode */      \
  X(Desktop, "the desktop", KxReplayAnswer, 5, 0, 0, false) /* w, h, r, g, b */    \
  X(State, "the stored state", KxReplayAnswer, 0, 0, 0, true)                      \
  X(Save, "a save", KxReplaySaid, 1, 0, 0, false)       /* hash of the state */    \
  X(Window, "a window", KxReplaySaid, 9, 0, 0, false)   /* as the game asked */    \
  X(Rate, "an update rate", KxReplaySaid, 1, 0, 0, false) /* hertz */              \
  X(Error, "a run-time error", KxReplaySaid, 1, 0, 0, true) /* update; message */  \
  X(End, "the end", KxReplayClose, 0, 0, 0, true)           /* final state */

enum KxReplayKind {
  KxReplayNone = 0,
#define KX_REPLAY_ENUM(name, description, role, ints, floats, counted, text) KxReplay##name,
  KX_REPLAY_KINDS(KX_REPLAY_ENUM)
#undef KX_REPLAY_ENUM
  KxReplayKindCount
};

struct KxReplayShape {
  const char* description;
  KxReplayRole role;
  int ints;    // fixed count, or the most a counted list may hold
  int floats;  // the same for floats
  int counted;
  bool text;
};

// The shape of a kind from 1 to KxReplayKindCount - 1.
const KxReplayShape& kx_replay_Shape(int kind);

// Bounds no real run comes near; the writer refuses and the reader rejects anything beyond.
const int kx_replay_MaxText = 1 << 20;
const int kx_replay_MaxInts = 5 * 1024;

struct KxReplayEntry {
  int kind = 0;
  std::vector<int> ints;
  std::vector<float> floats;
  String text;

  KxReplayEntry() = default;
  explicit KxReplayEntry(int k, std::vector<int> i = {}, std::vector<float> f = {})
      : kind(k), ints(std::move(i)), floats(std::move(f)) {}
};

// Why the entry does not fit its kind's layout and limits; empty when it does.
std::string kx_replay_ShapeFault(const KxReplayEntry& entry);

// FNV-1a, 32 bits, continuing from `hash`.
uint32_t kx_replay_Hash(const void* bytes, size_t length, uint32_t hash = 2166136261u);
// A fast fingerprint of 32-bit words (four independent lanes, so a long draw list costs a few
// microseconds), continuing from `hash`.
uint32_t kx_replay_HashWords(const void* words, size_t count, uint32_t hash);
// A fingerprint of every file under `folder` (names, sizes and contents, in name order).
uint64_t kx_replay_FolderChecksum(const std::string& folder);
