// Replay files: the header, the chained blocks, the zstd stream and the coding of entries.
#include "host/replay/file.h"

#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

const char kMagic[8] = {'S', 'K', 'R', 'E', 'P', 'L', 'A', 'Y'};
const int kFormat = 2;
// A block holds two seconds of play; anything far beyond is damage, not data.
const uint32_t kMaxBlock = 1u << 22;
// Bounds the memory a file can make the reader spend: hours of play decompress to a few MiB.
const size_t kMaxRaw = size_t{1} << 30;
// zstd's level and window: within 2x of a hand-tuned coder at a few MiB of encoder memory.
const int kLevel = 3;
const int kWindowLog = 20;

void PutVarint(std::string* out, uint32_t value) {
  while (value >= 0x80) {
    out->push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<char>(value));
}

void PutU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

// Reads the bytes of `in` from `*at`, leaving `*at` past what was read; false when they run out.
struct Cursor {
  const std::string& in;
  size_t at;

  bool Varint(uint32_t* value) {
    *value = 0;
    for (int shift = 0; shift < 35 && at < in.size(); shift += 7) {
      unsigned char c = static_cast<unsigned char>(in[at++]);
      if (shift == 28 && c > 0x0F) return false;
      *value |= static_cast<uint32_t>(c & 0x7F) << shift;
      if (!(c & 0x80)) return true;
    }
    return false;
  }
  bool U32(uint32_t* value) {
    if (in.size() - at < 4) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data() + at);
    *value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    at += 4;
    return true;
  }
  bool Ended() const { return at >= in.size(); }
};

uint32_t ZigZag(int value) {
  return (static_cast<uint32_t>(value) << 1) ^ static_cast<uint32_t>(value >> 31);
}

int UnZigZag(uint32_t value) { return static_cast<int>((value >> 1) ^ (0u - (value & 1))); }

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// A block's checksum: its position, entry count, length and bytes, chained from the block
// before (the header's checksum for the first).
uint32_t BlockChecksum(uint32_t chain, uint32_t index, uint32_t count, const std::string& bytes) {
  std::string head;
  PutU32(&head, chain);
  PutU32(&head, index);
  PutU32(&head, count);
  PutU32(&head, static_cast<uint32_t>(bytes.size()));
  return kx_replay_Hash(bytes.data(), bytes.size(), kx_replay_Hash(head.data(), head.size()));
}

void Encode(const KxReplayEntry& e, KxReplayModel* model, std::string* out) {
  const KxReplayShape& shape = kx_replay_Shape(e.kind);
  out->push_back(static_cast<char>(e.kind));
  if (shape.counted == 1) PutVarint(out, static_cast<uint32_t>(e.ints.size()));
  if (shape.counted == 2) PutVarint(out, static_cast<uint32_t>(e.floats.size()));
  for (size_t i = 0; i < e.ints.size(); ++i) {
    int& last = model->ints[e.kind][i < 16 ? i : 15];
    PutVarint(out, ZigZag(static_cast<int>(static_cast<uint32_t>(e.ints[i]) - static_cast<uint32_t>(last))));
    last = e.ints[i];
  }
  for (size_t i = 0; i < e.floats.size(); ++i) {
    uint32_t bits = FloatBits(e.floats[i]);
    PutVarint(out, bits ^ model->floats[e.kind][i]);
    model->floats[e.kind][i] = bits;
  }
  if (shape.text) {
    PutVarint(out, static_cast<uint32_t>(e.text.Length()));
    for (int i = 0; i < e.text.Length(); ++i) PutVarint(out, e.text[i]);
  }
}

// The next entry of `in`; false when the bytes are no entry of any kind's shape.
bool Decode(Cursor* in, KxReplayModel* model, KxReplayEntry* e) {
  if (in->Ended()) return false;
  int kind = static_cast<unsigned char>(in->in[in->at++]);
  if (kind <= 0 || kind >= KxReplayKindCount) return false;
  const KxReplayShape& shape = kx_replay_Shape(kind);
  uint32_t ints = static_cast<uint32_t>(shape.ints), floats = static_cast<uint32_t>(shape.floats);
  if (shape.counted == 1 && (!in->Varint(&ints) || ints > static_cast<uint32_t>(shape.ints))) return false;
  if (shape.counted == 2 && (!in->Varint(&floats) || (floats != 0 && floats != static_cast<uint32_t>(shape.floats)))) {
    return false;
  }
  e->kind = kind;
  e->ints.resize(ints);
  e->floats.resize(floats);
  e->text = String();
  uint32_t v;
  for (uint32_t i = 0; i < ints; ++i) {
    int& last = model->ints[kind][i < 16 ? i : 15];
    if (!in->Varint(&v)) return false;
    last = e->ints[i] = static_cast<int>(static_cast<uint32_t>(last) + static_cast<uint32_t>(UnZigZag(v)));
  }
  for (uint32_t i = 0; i < floats; ++i) {
    if (!in->Varint(&v)) return false;
    model->floats[kind][i] ^= v;
    std::memcpy(&e->floats[i], &model->floats[kind][i], 4);
  }
  if (!shape.text) return true;
  uint32_t length;
  if (!in->Varint(&length) || length > static_cast<uint32_t>(kx_replay_MaxText) ||
      length > in->in.size() - in->at) {
    return false;
  }
  std::vector<Char> units(length);
  for (uint32_t i = 0; i < length; ++i) {
    if (!in->Varint(&v) || v > 0xFFFF) return false;
    units[i] = static_cast<Char>(v);
  }
  e->text = String(units.data(), static_cast<int>(length));
  return true;
}

}  // namespace

struct KxReplayWriter::Stream {
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ~Stream() { ZSTD_freeCCtx(context); }
};

KxReplayWriter::KxReplayWriter() : zstd_(new Stream) {
  ZSTD_CCtx_setParameter(zstd_->context, ZSTD_c_compressionLevel, kLevel);
  ZSTD_CCtx_setParameter(zstd_->context, ZSTD_c_windowLog, kWindowLog);
}

KxReplayWriter::~KxReplayWriter() {
  if (file_) fclose(file_);
}

bool KxReplayWriter::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  if (file_) fclose(file_);
  file_ = nullptr;
  return false;
}

bool KxReplayWriter::Open(const std::string& path, const std::string& programVersion,
                          uint64_t dataChecksum) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return Fail("is a folder");
  file_ = fopen(path.c_str(), "wb");
  if (!file_) return Fail(std::string("cannot be created: ") + std::strerror(errno));
  header_.assign(kMagic, sizeof kMagic);
  header_.push_back(static_cast<char>(kFormat));
  std::string version = programVersion.substr(0, 0x7F);
  header_.push_back(static_cast<char>(version.size()));
  header_ += version;
  PutU32(&header_, static_cast<uint32_t>(dataChecksum));
  PutU32(&header_, static_cast<uint32_t>(dataChecksum >> 32));
  chain_ = kx_replay_Hash(header_.data(), header_.size());
  if (fwrite(header_.data(), 1, header_.size(), file_) != header_.size() || fflush(file_) != 0) {
    return Fail(std::string("cannot write the recording: ") + std::strerror(errno));
  }
  return true;
}

bool KxReplayWriter::Put(const KxReplayEntry& entry) {
  if (!error_.empty()) return false;
  std::string fault = kx_replay_ShapeFault(entry);
  if (!fault.empty()) return Fail(fault);
  Encode(entry, &model_, &raw_);
  ++count_;
  return true;
}

// A block: how many entries, how many bytes, the chained checksum, the bytes.
bool KxReplayWriter::WriteBlock(bool last) {
  std::string bytes(ZSTD_compressBound(raw_.size()) + 64, '\0');
  ZSTD_inBuffer in = {raw_.data(), raw_.size(), 0};
  size_t written = 0;
  for (;;) {
    ZSTD_outBuffer out = {&bytes[written], bytes.size() - written, 0};
    size_t left = ZSTD_compressStream2(zstd_->context, &out, &in, last ? ZSTD_e_end : ZSTD_e_flush);
    if (ZSTD_isError(left)) return Fail(std::string("cannot compress: ") + ZSTD_getErrorName(left));
    written += out.pos;
    if (left == 0) break;
    bytes.resize(bytes.size() * 2);
  }
  bytes.resize(written);
  uint32_t count = static_cast<uint32_t>(count_);
  std::string head;
  PutVarint(&head, count);
  PutVarint(&head, static_cast<uint32_t>(bytes.size()));
  chain_ = BlockChecksum(chain_, blocks_++, count, bytes);
  PutU32(&head, chain_);
  raw_.clear();
  count_ = 0;
  if (fwrite(head.data(), 1, head.size(), file_) != head.size() ||
      fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || fflush(file_) != 0) {
    return Fail(std::string("cannot write the recording: ") + std::strerror(errno));
  }
  return true;
}

bool KxReplayWriter::Flush() {
  if (!error_.empty()) return false;
  if (!file_ || count_ == 0) return true;
  return WriteBlock(false);
}

bool KxReplayWriter::Close(const String& finalState) {
  if (!file_) return false;
  KxReplayEntry end(KxReplayEnd);
  end.text = finalState;
  if (!Put(end) || !WriteBlock(true)) return false;
  int closed = fclose(file_);
  file_ = nullptr;
  return closed == 0 || Fail(std::string("cannot write the recording: ") + std::strerror(errno));
}

KxReplayReader::KxReplayReader() = default;
KxReplayReader::~KxReplayReader() = default;

bool KxReplayReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

bool KxReplayReader::Open(const std::string& path, const std::string& programVersion,
                          uint64_t dataChecksum) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return Fail("is a folder");
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return Fail("cannot be opened");
  std::string bytes;
  char buffer[1 << 16];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() <= kMaxRaw) {
    bytes.append(buffer, n);
  }
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) return Fail("cannot be read");
  if (bytes.size() < 10 || bytes.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
    return Fail("not a Skarblit replay");
  }
  int format = static_cast<unsigned char>(bytes[8]);
  if (format != kFormat) {
    return Fail("replay format " + std::to_string(format) +
                " is not supported (this program reads format " + std::to_string(kFormat) + ")");
  }
  size_t length = static_cast<unsigned char>(bytes[9]);
  Cursor in{bytes, 10 + length};
  uint32_t low, high;
  if (length > 0x7F) return Fail("the replay is corrupt (a version name over 127 bytes)");
  if (bytes.size() < 10 + length || !in.U32(&low) || !in.U32(&high)) {
    return Fail("the replay is truncated");
  }
  std::string version = bytes.substr(10, length);
  if (version != programVersion) {
    return Fail("recorded by Skarblit " + version + "; this is Skarblit " + programVersion);
  }
  if ((static_cast<uint64_t>(high) << 32 | low) != dataChecksum) {
    return Fail("recorded with other game data");
  }
  return ReadBlocks(bytes, in.at, kx_replay_Hash(bytes.data(), in.at));
}

// Checks every block and every entry, keeping the decompressed entries for playing.
bool KxReplayReader::ReadBlocks(const std::string& file, size_t at, uint32_t chain) {
  struct Stream {
    ZSTD_DCtx* context = ZSTD_createDCtx();
    ~Stream() { ZSTD_freeDCtx(context); }
  } zstd;
  ZSTD_DCtx_setParameter(zstd.context, ZSTD_d_windowLogMax, kWindowLog);
  KxReplayChecker checker;
  KxReplayModel model;
  KxReplayEntry entry;
  Cursor in{file, at};
  for (uint32_t index = 0; !ended_; ++index) {
    uint32_t count, length, sum;
    if (in.Ended() || !in.Varint(&count) || !in.Varint(&length) || !in.U32(&sum) ||
        file.size() - in.at < length) {
      break;  // cut short: the whole blocks play, then the reader says it is truncated
    }
    if (count == 0 || count > kMaxBlock || length > kMaxBlock) {
      return Fail("the replay is corrupt (a block of impossible size)");
    }
    std::string bytes = file.substr(in.at, length);
    in.at += length;
    if (BlockChecksum(chain, index, count, bytes) != sum) {
      return Fail("the replay is corrupt (a block's checksum does not match)");
    }
    chain = sum;
    size_t start = raw_.size();
    ZSTD_inBuffer zin = {bytes.data(), bytes.size(), 0};
    size_t left = 1;
    while (zin.pos < zin.size || left != 0) {
      if (raw_.size() - start > 64 * size_t{kMaxBlock} || raw_.size() > kMaxRaw) {
        return Fail("the replay is corrupt (a block too large)");
      }
      size_t done = raw_.size();
      raw_.resize(done + (1 << 16));
      ZSTD_outBuffer zout = {&raw_[done], 1 << 16, 0};
      left = ZSTD_decompressStream(zstd.context, &zout, &zin);
      raw_.resize(done + zout.pos);
      if (ZSTD_isError(left)) return Fail("the replay is corrupt (the compressed data is damaged)");
      if (zout.pos == 0 && zin.pos == zin.size) break;
    }
    Cursor block{raw_, start};
    for (uint32_t i = 0; i < count; ++i) {
      if (ended_ || !Decode(&block, &model, &entry)) {
        return Fail("the replay is corrupt (a block's entries do not fill it)");
      }
      std::string fault = checker.Check(entry);
      if (!fault.empty()) return Fail("the replay is corrupt (" + fault + ")");
      if (entry.kind == KxReplayState && !sawState_) {
        sawState_ = true;
        storedStart_ = entry.text.Length() > 0;
      }
      ended_ = entry.kind == KxReplayEnd;
      if (ended_) finalState_ = entry.text;
    }
    if (!block.Ended()) return Fail("the replay is corrupt (a block's entries do not fill it)");
    if (ended_ && (left != 0 || !in.Ended())) return Fail("the replay is corrupt (data after its end)");
  }
  // Played from the start again; the end's state is already known.
  ended_ = false;
  return true;
}

const KxReplayEntry* KxReplayReader::Peek() {
  if (peeked_) return &next_;
  if (ended_ || !error_.empty()) return nullptr;
  Cursor in{raw_, at_};
  if (in.Ended()) {
    Fail("the replay is truncated");
    return nullptr;
  }
  Decode(&in, &model_, &next_);
  at_ = in.at;
  if (next_.kind == KxReplayEnd) {
    ended_ = true;
    return nullptr;
  }
  peeked_ = true;
  return &next_;
}

bool KxReplayReader::Next(KxReplayEntry* entry) {
  if (!Peek()) return false;
  *entry = next_;
  peeked_ = false;
  return true;
}
