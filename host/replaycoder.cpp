// The entry coder of replay blocks: a binary range coder with adaptive probabilities, and one
// set of models used alike for coding and decoding, so the two can never disagree.
#include "host/replaycoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const int kProbBits = 11;
const int kMoveBits = 5;  // how fast a probability follows what it sees
const uint16_t kEven = 1 << (kProbBits - 1);
const uint32_t kTop = 1u << 24;
// Bounds that no real run comes near; anything beyond them is damage.
const int kMaxText = 1 << 20;
const int kMaxInts = 5 * 1024;

}  // namespace

class KxRangeEncoder {
 public:
  // Codes `bit` with `p`, the adaptive probability of a 0, and returns it.
  int Bit(uint16_t& p, int bit) {
    uint32_t bound = (range_ >> kProbBits) * p;
    if (bit == 0) {
      range_ = bound;
      p += ((1 << kProbBits) - p) >> kMoveBits;
    } else {
      low_ += bound;
      range_ -= bound;
      p -= p >> kMoveBits;
    }
    for (; range_ < kTop; range_ <<= 8) ShiftLow();
    return bit;
  }
  std::string Finish() {
    for (int i = 0; i < 5; ++i) ShiftLow();
    return std::move(out_);
  }

 private:
  // Moves the top byte of `low_` out, holding back 0xFF bytes a carry may still change.
  void ShiftLow() {
    if (static_cast<uint32_t>(low_) < 0xFF000000u || (low_ >> 32) != 0) {
      unsigned char carry = static_cast<unsigned char>(low_ >> 32);
      for (unsigned char byte = cache_; cacheSize_ > 0; --cacheSize_, byte = 0xFF) {
        out_.push_back(static_cast<char>(byte + carry));
      }
      cache_ = static_cast<unsigned char>(low_ >> 24);
    }
    ++cacheSize_;
    low_ = (low_ & 0x00FFFFFFu) << 8;
  }

  uint64_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
  unsigned char cache_ = 0;
  uint64_t cacheSize_ = 1;
  std::string out_;
};

class KxRangeDecoder {
 public:
  explicit KxRangeDecoder(const std::string& bytes) : bytes_(bytes) {
    for (int i = 0; i < 5; ++i) code_ = (code_ << 8) | Next();
  }
  // Decodes a bit with `p`; the second argument is only there to match the encoder.
  int Bit(uint16_t& p, int) {
    uint32_t bound = (range_ >> kProbBits) * p;
    int bit = code_ >= bound;
    if (bit == 0) {
      range_ = bound;
      p += ((1 << kProbBits) - p) >> kMoveBits;
    } else {
      code_ -= bound;
      range_ -= bound;
      p -= p >> kMoveBits;
    }
    for (; range_ < kTop; range_ <<= 8) code_ = (code_ << 8) | Next();
    return bit;
  }
  // False once decoding has needed more bytes than the block holds.
  bool Sound() const { return at_ <= bytes_.size(); }

 private:
  uint32_t Next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : (++at_, 0u); }

  const std::string& bytes_;
  size_t at_ = 0;
  uint32_t code_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
};

namespace {

// How an entry of each kind is laid out: fixed counts, or a count coded before the values.
struct Shape {
  int ints;
  int floats;
  bool countedInts;
  bool countedFloats;
  bool text;
};

const Shape kShapes[KxReplayKindCount] = {
    {},                           // 0: unused
    {0, 0, false, false, false},  // Start
    {0, 0, false, false, false},  // Suspend
    {0, 0, false, false, false},  // Resume
    {0, 0, false, false, false},  // Update
    {1, 0, false, false, false},  // Render
    {2, 0, false, false, false},  // Key
    {2, 2, false, false, false},  // Mouse
    {2, 2, false, false, false},  // Touch
    {2, 3, false, false, false},  // Motion
    {0, 0, false, false, false},  // Discard
    {1, 0, false, false, false},  // Digest
    {1, 0, false, false, false},  // Millisecs
    {7, 0, false, false, false},  // Date
    {3, 0, false, true, false},   // Joystick
    {1, 0, false, false, false},  // Width
    {1, 0, false, false, false},  // Height
    {0, 0, true, false, false},   // VideoModes
    {5, 0, false, false, false},  // Desktop
    {0, 0, false, false, true},   // State
    {1, 0, false, false, false},  // Save
    {9, 0, false, false, false},  // Window
    {0, 0, false, false, true},   // End
};

// Adaptive codes for a stream of unsigned values: the bit length of value + 1 in unary, then
// the bits after its leading one, each modelled by the bits before it while there are fewer
// than six of them (small values are learnt exactly; the low bits of large ones come even).
struct ValueModel {
  uint16_t length[33];
  uint16_t bits[8][64];
};

// Per kind eight value streams (ints in 0..3, floats in 4..6, counts in 7). The clock has its
// own streams, by the call it was read in and how often it was read in that call before: the
// first reading of an update follows a wait, the next ones hardly move.
const int kSlots = 8;
const int kClock = KxReplayKindCount * kSlots;
const int kCalls = KxReplayDiscard + 1;  // calls are the kinds from Start to Discard
const int kReadings = 4;

uint32_t Zig(int v) { return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31); }
int Unzig(uint32_t u) { return static_cast<int>((u >> 1) ^ (0u - (u & 1))); }
int Minus(int a, int b) { return static_cast<int>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int Plus(int a, int b) { return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }

}  // namespace

struct KxReplayModels {
  // A kind is predicted by the call it comes in, the kind before it and the clock readings so
  // far in the call: in a frame like the last, that says exactly what comes next.
  uint16_t kinds[kCalls][KxReplayKindCount][kReadings][32];
  ValueModel values[kClock + kCalls * kReadings];
  int lastKind = 0;
  int call = 0;
  int readings = 0;  // clock readings in the current call
  int clock = 0;
  int last[KxReplayKindCount][kSlots] = {};  // the last value of each stream (floats as bits)

  KxReplayModels() {
    std::fill(&kinds[0][0][0][0], &kinds[0][0][0][0] + sizeof(kinds) / sizeof(uint16_t), kEven);
    for (ValueModel& model : values) {
      std::fill(model.length, model.length + 33, kEven);
      std::fill(&model.bits[0][0], &model.bits[0][0] + 8 * 64, kEven);
    }
  }
};

namespace {

// Codes (with a KxRangeEncoder) or decodes (with a KxRangeDecoder) one entry. The same steps run
// either way: a coder's Bit returns the bit it coded or decoded, and values are rebuilt from
// those bits, so what is decoded is exactly what was coded.
template <class Coder>
struct EntryCoding {
  Coder& coder;
  KxReplayModels& m;

  uint32_t Value(ValueModel& model, uint32_t value) {
    uint64_t x = static_cast<uint64_t>(value) + 1;
    int bits = 1;
    while (bits < 33 && (x >> bits) != 0) ++bits;
    int length = 1;
    while (length < 33 && coder.Bit(model.length[length - 1], length < bits)) ++length;
    uint64_t v = 1;
    for (int i = length - 2; i >= 0; --i) {
      uint16_t even = kEven;
      uint16_t& p = v < 64 ? model.bits[length < 7 ? length : 7][v] : even;
      v = (v << 1) | static_cast<uint64_t>(coder.Bit(p, static_cast<int>((x >> i) & 1)));
    }
    return static_cast<uint32_t>(v - 1);
  }

  // A signed value coded as its step from the last one of its stream.
  int Step(int kind, int slot, int value) {
    int& last = m.last[kind][slot];
    return last = Plus(last, Unzig(Value(m.values[kind * kSlots + slot], Zig(Minus(value, last)))));
  }

  // The clock steps from its last reading; a render's time sits at a steady distance from it;
  // digests are coded as they are; anything else steps from its last value.
  int Int(int kind, int slot, int value) {
    if (kind == KxReplayDigest) return static_cast<int>(Value(m.values[kind * kSlots], static_cast<uint32_t>(value)));
    if (kind == KxReplayMillisecs) {
      ValueModel& model = m.values[kClock + m.call * kReadings + std::min(m.readings++, kReadings - 1)];
      return m.clock = Plus(m.clock, Unzig(Value(model, Zig(Minus(value, m.clock)))));
    }
    if (kind == KxReplayRender) {
      return Plus(m.clock, Unzig(Value(m.values[kind * kSlots], Zig(Minus(value, m.clock)))));
    }
    return Step(kind, slot < 3 ? slot : 3, value);
  }

  float Float(int kind, int slot, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    int& last = m.last[kind][4 + (slot < 2 ? slot : 2)];
    bits = static_cast<uint32_t>(last) ^ Value(m.values[kind * kSlots + 4 + (slot < 2 ? slot : 2)],
                                                bits ^ static_cast<uint32_t>(last));
    last = static_cast<int>(bits);
    std::memcpy(&value, &bits, 4);
    return value;
  }

  bool Count(int kind, int have, int limit, int* count) {
    *count = static_cast<int>(Value(m.values[kind * kSlots + 7], static_cast<uint32_t>(have)));
    return *count >= 0 && *count <= limit;
  }

  int Kind(int kind) {
    uint16_t* tree = m.kinds[m.call][m.lastKind][std::min(m.readings, kReadings - 1)];
    int node = 1;
    for (int i = 4; i >= 0; --i) node = (node << 1) | coder.Bit(tree[node], (kind >> i) & 1);
    return node - 32;
  }

  // The entry: kind, then ints, floats and text as its shape says. False on damage.
  bool Entry(KxReplayEntry& e) {
    int kind = Kind(e.kind);
    if (kind < 1 || kind >= KxReplayKindCount) return false;
    e.kind = m.lastKind = kind;
    if (kind < kCalls) {
      m.call = kind;
      m.readings = 0;
    }
    const Shape& shape = kShapes[kind];
    int ints = shape.ints, floats = shape.floats;
    if (shape.countedInts && !Count(kind, static_cast<int>(e.ints.size()), kMaxInts, &ints)) return false;
    if (shape.countedFloats && !Count(kind, static_cast<int>(e.floats.size()), 6, &floats)) return false;
    e.ints.resize(ints);
    for (int i = 0; i < ints; ++i) e.ints[i] = Int(kind, i, e.ints[i]);
    e.floats.resize(floats);
    for (int i = 0; i < floats; ++i) e.floats[i] = Float(kind, i, e.floats[i]);
    return !shape.text || Text(kind, e.text);
  }

  bool Text(int kind, String& text) {
    int length;
    if (!Count(kind, text.Length(), kMaxText, &length)) return false;
    std::vector<Char> units(length);
    for (int i = 0; i < length; ++i) {
      units[i] = static_cast<Char>(Step(kind, 0, i < text.Length() ? text[i] : 0));
    }
    text = String(units.data(), length);
    return true;
  }
};

}  // namespace

// The models run on from block to block: a block is cut for the disk's sake, not the coder's.
KxReplayEncoder::KxReplayEncoder() : models_(new KxReplayModels) {}
KxReplayEncoder::~KxReplayEncoder() {}

void KxReplayEncoder::Put(const KxReplayEntry& entry) {
  if (!coder_) coder_.reset(new KxRangeEncoder);
  KxReplayEntry copy = entry;
  EntryCoding<KxRangeEncoder>{*coder_, *models_}.Entry(copy);
  ++count_;
}

std::string KxReplayEncoder::Finish() {
  std::string bytes = coder_ ? coder_->Finish() : std::string();
  coder_.reset();
  count_ = 0;
  return bytes;
}

KxReplayDecoder::KxReplayDecoder() : models_(new KxReplayModels) {}
KxReplayDecoder::~KxReplayDecoder() {}

void KxReplayDecoder::Start(const std::string& bytes) { coder_.reset(new KxRangeDecoder(bytes)); }

bool KxReplayDecoder::Get(KxReplayEntry* entry) {
  entry->kind = 0;
  entry->ints.clear();
  entry->floats.clear();
  entry->text = String();
  return EntryCoding<KxRangeDecoder>{*coder_, *models_}.Entry(*entry) && coder_->Sound();
}
