// Replay files: a compact record of one run's conversation between the host and the game, so
// that the run can be played back exactly. A file is a header (magic, format version, program
// version, data checksum) followed by blocks; each block is a run of entries with a checksum
// of its own, written and flushed as play goes on, so a crash keeps everything up to
// the last block. Entries are range-coded with adaptive models (host/replaycoder.h), so a frame
// like the one before costs a few bits. The final entry holds the state string the run ended
// with.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "runtime/runtime.h"

// What an entry records. Calls are what the host forwarded to the game, in order; answers are
// what the platform told the game during them; a digest follows every update.
enum KxReplayKind {
  KxReplayStart = 1,
  KxReplaySuspend,
  KxReplayResume,
  KxReplayUpdate,
  KxReplayRender,  // ints: milliseconds since the recording began
  KxReplayKey,     // ints: event, data
  KxReplayMouse,   // ints: event, data; floats: x, y
  KxReplayTouch,   // ints: event, data; floats: x, y
  KxReplayMotion,  // ints: event, data; floats: x, y, z
  KxReplayDiscard,
  KxReplayDigest,      // ints: four bits of the game's fingerprint after the update
  KxReplayMillisecs,   // ints: the clock
  KxReplayDate,        // ints: the seven date fields
  KxReplayJoystick,    // ints: port, present, button bits; floats: the six axes when present
  KxReplayWidth,       // ints: the window's width
  KxReplayHeight,      // ints: the window's height
  KxReplayVideoModes,  // ints: width, height, red, green, blue per mode
  KxReplayDesktop,     // ints: width, height, red, green, blue
  KxReplayState,       // text: the stored state handed to the game at start
  KxReplaySave,        // ints: a fingerprint of a state string the game stored
  KxReplayWindow,      // ints: the window's width, height, bits, fullscreen as the game asked
  KxReplayEnd,         // text: the state string the run ended with
  KxReplayKindCount
};

struct KxReplayEntry {
  int kind = 0;
  std::vector<int> ints;
  std::vector<float> floats;
  String text;
};

// FNV-1a, 32 bits, continuing from `hash`.
uint32_t kx_replay_Hash(const void* bytes, size_t length, uint32_t hash = 2166136261u);
// A fast fingerprint of 32-bit words (four independent lanes, so a long draw list costs a few
// microseconds), continuing from `hash`.
uint32_t kx_replay_HashWords(const void* words, size_t count, uint32_t hash);
// A fingerprint of every file under `folder` (names, sizes and contents, in name order).
uint64_t kx_replay_FolderChecksum(const std::string& folder);

// Renders between two flushes of a recording: about two seconds of play.
const int kx_replay_RendersPerBlock = 120;

class KxReplayEncoder;
class KxReplayDecoder;

class KxReplayWriter {
 public:
  KxReplayWriter();
  ~KxReplayWriter();
  // Creates the file and writes its header; false when it cannot be created.
  bool Open(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  bool IsOpen() const { return file_ != nullptr; }
  void Put(const KxReplayEntry& entry);
  // Writes the entries put since the last flush as one block and hands it to the disk.
  void Flush();
  // Ends the file with the final state string and closes it.
  void Close(const String& finalState);
  // True when entries wait for the next flush.
  bool Pending() const;

 private:
  FILE* file_ = nullptr;
  std::unique_ptr<KxReplayEncoder> encoder_;
};

class KxReplayReader {
 public:
  KxReplayReader();
  ~KxReplayReader();
  // Opens the file and checks that this program and its data can play it; on failure Error()
  // says why in one line.
  bool Open(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  // The next entry without taking it; null at the end of the entries or on a fault.
  const KxReplayEntry* Peek();
  // Takes the next entry; false at the end of the entries or on a fault.
  bool Next(KxReplayEntry* entry);
  // True once the end entry has been read; its text is the final state.
  bool Ended() const { return ended_; }
  const String& FinalState() const { return finalState_; }
  // Empty while the file is sound.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& why);
  bool ReadBlock();

  FILE* file_ = nullptr;
  std::string block_;
  std::unique_ptr<KxReplayDecoder> decoder_;
  int left_ = 0;  // entries of the block not yet decoded
  bool peeked_ = false;
  KxReplayEntry next_;
  bool ended_ = false;
  String finalState_;
  std::string error_;
};
