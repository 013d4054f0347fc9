// Replay files: a header (magic, format version, program version, data checksum) and blocks.
// Each block is the entries of about two seconds of play, coded as varints and compressed by one
// zstd stream that is flushed at every block's end, so a crash keeps everything up to the last
// block. A block's checksum covers its entry count, length and number and is chained from the
// block before, so a dropped, repeated, swapped or altered block is damage, never data. The
// final entry holds the state string the run ended with.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "host/replay/check.h"
#include "host/replay/format.h"

// Renders between two flushes of a recording: about two seconds of play.
const int kx_replay_RendersPerBlock = 120;

// What the coding of an entry's values is relative to: the last value of the same kind in the
// same position, so a frame like the one before codes as zeros.
struct KxReplayModel {
  int ints[KxReplayKindCount][16] = {};
  uint32_t floats[KxReplayKindCount][6] = {};
};

class KxReplayWriter {
 public:
  KxReplayWriter();
  ~KxReplayWriter();
  // Creates the file and writes its header and the entries put so far; false when it cannot
  // be created.
  bool Open(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  bool IsOpen() const { return file_ != nullptr; }
  // Codes the entry for the next block; false, with Error() saying why, for an entry the reader
  // would refuse, or once the file has failed.
  bool Put(const KxReplayEntry& entry);
  // Writes the entries put since the last flush as one block and hands it to the disk; false
  // when the disk did not take it.
  bool Flush();
  // Ends the file with the final state string and closes it.
  bool Close(const String& finalState);
  // True when entries wait for the next flush.
  bool Pending() const { return count_ > 0; }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& why);
  bool WriteBlock(bool last);

  FILE* file_ = nullptr;
  struct Stream;
  std::unique_ptr<Stream> zstd_;
  std::string header_;
  std::string raw_;  // coded entries waiting for the next block
  int count_ = 0;
  uint32_t chain_ = 0;
  uint32_t blocks_ = 0;
  KxReplayModel model_;
  std::string error_;
};

class KxReplayReader {
 public:
  KxReplayReader();
  ~KxReplayReader();
  // Reads the whole file and checks it, blocks and entries alike, before anything is played:
  // false with a one-line reason in Error() when this program and its data cannot play it. A
  // file cut short (a recording whose program was killed) opens with its whole blocks; once
  // they are read, Error() says it is truncated.
  bool Open(const std::string& path, const std::string& programVersion, uint64_t dataChecksum);
  // The next entry without taking it; null at the end of the entries.
  const KxReplayEntry* Peek();
  // Takes the next entry; false at the end of the entries.
  bool Next(KxReplayEntry* entry);
  // True once the end entry has been read; its text is the final state.
  bool Ended() const { return ended_; }
  const String& FinalState() const { return finalState_; }
  // True when the run began from a stored state (its first state entry is not empty).
  bool StoredStart() const { return storedStart_; }
  // Empty while the file is sound.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& why);
  bool ReadBlocks(const std::string& file, size_t at, uint32_t chain);

  std::string raw_;  // every block's entries, decompressed
  size_t at_ = 0;
  KxReplayModel model_;
  bool peeked_ = false;
  KxReplayEntry next_;
  bool ended_ = false;
  bool storedStart_ = false;
  bool sawState_ = false;
  String finalState_;
  std::string error_;
};
