// How replay entries are coded inside a block: an adaptive binary range coder (the entropy
// coder of archivers) with models that predict each entry's kind from the kind before it and
// each value from the last value of its kind, so a frame like the one before costs a few bits.
// The models learn across blocks, so blocks are decoded in order.
#pragma once
#include <memory>
#include <string>

#include "host/replayfile.h"

struct KxReplayModels;
class KxRangeEncoder;
class KxRangeDecoder;

class KxReplayEncoder {
 public:
  KxReplayEncoder();
  ~KxReplayEncoder();
  void Put(const KxReplayEntry& entry);
  int Count() const { return count_; }
  // The coded bytes of the entries put since the last call; the next block starts afresh.
  std::string Finish();

 private:
  std::unique_ptr<KxReplayModels> models_;
  std::unique_ptr<KxRangeEncoder> coder_;
  int count_ = 0;
};

class KxReplayDecoder {
 public:
  KxReplayDecoder();
  ~KxReplayDecoder();
  // Starts on the coded bytes of the next block, which must outlive the decoding.
  void Start(const std::string& bytes);
  // The next entry; false when the bytes hold no valid entry (the block is damaged).
  bool Get(KxReplayEntry* entry);

 private:
  std::unique_ptr<KxReplayModels> models_;
  std::unique_ptr<KxRangeDecoder> coder_;
};
