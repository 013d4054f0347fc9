// Replay files: entry coding, blocks, header and the data folder's checksum.
#include "host/replayfile.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// stb_image_write's deflate, which libstb exports without declaring it outside the
// implementation; the result is freed with free().
extern "C" unsigned char* stbi_zlib_compress(unsigned char* data, int length, int* outLength,
                                             int quality);

namespace {

const char kMagic[8] = {'S', 'K', 'R', 'E', 'P', 'L', 'A', 'Y'};
const int kFormat = 1;
// Bounds that no sound file comes near; anything beyond them is damage, not data.
const size_t kMaxBlock = 1u << 22;
const int kMaxText = 1 << 20;
const int kMaxInts = 5 * 1024;

// How an entry of each kind is laid out: fixed counts, or a count stored before the values.
struct Shape {
  int ints;
  int floats;
  bool countedInts;
  bool countedFloats;
  bool text;
};

const Shape kShapes[KxReplayKindCount] = {
    {},                            // 0: unused
    {0, 0, false, false, false},   // Start
    {0, 0, false, false, false},   // Suspend
    {0, 0, false, false, false},   // Resume
    {0, 0, false, false, false},   // Update
    {1, 0, false, false, false},   // Render
    {2, 0, false, false, false},   // Key
    {2, 2, false, false, false},   // Mouse
    {2, 2, false, false, false},   // Touch
    {2, 3, false, false, false},   // Motion
    {0, 0, false, false, false},   // Discard
    {1, 0, false, false, false},   // Digest
    {1, 0, false, false, false},   // Millisecs
    {7, 0, false, false, false},   // Date
    {3, 0, false, true, false},    // Joystick
    {1, 0, false, false, false},   // Width
    {1, 0, false, false, false},   // Height
    {0, 0, true, false, false},    // VideoModes
    {5, 0, false, false, false},   // Desktop
    {0, 0, false, false, true},    // State
    {1, 0, false, false, false},   // Save
    {9, 0, false, false, false},   // Window
    {0, 0, false, false, true},    // End
};

void PutVarint(std::string* out, uint32_t value) {
  while (value >= 0x80) {
    out->push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<char>(value));
}

// Small magnitudes of either sign take one byte.
void PutInt(std::string* out, int value) {
  uint32_t v = static_cast<uint32_t>(value);
  PutVarint(out, (v << 1) ^ (value < 0 ? 0xFFFFFFFFu : 0u));
}

void PutU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

uint32_t GetU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads bytes of a buffer with a bounds check on every one.
struct Cursor {
  const std::string& bytes;
  size_t& at;
  bool ok = true;

  bool Byte(unsigned char* out) {
    if (at >= bytes.size()) return ok = false;
    *out = static_cast<unsigned char>(bytes[at++]);
    return true;
  }
  bool Varint(uint32_t* out) {
    uint32_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      unsigned char b;
      if (!Byte(&b)) return false;
      value |= static_cast<uint32_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) {
        *out = value;
        return true;
      }
    }
    return ok = false;
  }
  bool Int(int* out) {
    uint32_t v;
    if (!Varint(&v)) return false;
    *out = static_cast<int>((v >> 1) ^ (0u - (v & 1)));
    return true;
  }
  bool Float(float* out) {
    if (at > bytes.size() || bytes.size() - at < 4) return ok = false;
    uint32_t bits = GetU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
    std::memcpy(out, &bits, 4);
    at += 4;
    return true;
  }
  bool Count(int limit, int* out) {
    uint32_t n;
    if (!Varint(&n) || n > static_cast<uint32_t>(limit)) return ok = false;
    *out = static_cast<int>(n);
    return true;
  }
};

// The clock and the render stamps are stored as steps from the value before.
bool IsStepped(int kind) { return kind == KxReplayMillisecs || kind == KxReplayRender; }

int* LastOf(int kind, int* lastMillisecs, int* lastRender) {
  return kind == KxReplayMillisecs ? lastMillisecs : lastRender;
}

}  // namespace

uint32_t kx_replay_Hash(const void* bytes, size_t length, uint32_t hash) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < length; ++i) hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

uint32_t kx_replay_HashWords(const void* words, size_t count, uint32_t hash) {
  const unsigned char* bytes = static_cast<const unsigned char*>(words);
  uint32_t lane[4] = {hash, hash ^ 0x9E3779B9u, hash ^ 0x85EBCA6Bu, hash ^ 0xC2B2AE35u};
  for (size_t i = 0; i < count; ++i) {
    uint32_t word;
    std::memcpy(&word, bytes + 4 * i, 4);
    lane[i & 3] = (lane[i & 3] ^ word) * 0x01000193u;
  }
  return kx_replay_Hash(lane, sizeof lane, static_cast<uint32_t>(count));
}

uint64_t kx_replay_FolderChecksum(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  // Two independent 32-bit sums make the 64 bits.
  uint32_t a = 2166136261u, b = 0x811C9DC5u ^ 0x5bd1e995u;
  std::vector<char> buffer(1 << 16);
  for (const fs::path& path : files) {
    std::string name = path.lexically_relative(folder).generic_string();
    a = kx_replay_Hash(name.data(), name.size() + 1, a);
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) continue;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), file)) > 0) {
      a = kx_replay_Hash(buffer.data(), n, a);
      b = kx_replay_Hash(buffer.data(), n, b ^ static_cast<uint32_t>(n));
    }
    fclose(file);
  }
  return (static_cast<uint64_t>(b) << 32) | a;
}

KxReplayWriter::~KxReplayWriter() {
  if (file_) fclose(file_);
}

bool KxReplayWriter::Open(const std::string& path, const std::string& programVersion,
                          uint64_t dataChecksum) {
  file_ = fopen(path.c_str(), "wb");
  if (!file_) return false;
  std::string header(kMagic, sizeof kMagic);
  header.push_back(static_cast<char>(kFormat));
  PutVarint(&header, static_cast<uint32_t>(programVersion.size()));
  header += programVersion;
  PutU32(&header, static_cast<uint32_t>(dataChecksum));
  PutU32(&header, static_cast<uint32_t>(dataChecksum >> 32));
  fwrite(header.data(), 1, header.size(), file_);
  fflush(file_);
  return true;
}

void KxReplayWriter::Put(const KxReplayEntry& entry) {
  const Shape& shape = kShapes[entry.kind];
  pending_.push_back(static_cast<char>(entry.kind));
  if (shape.countedInts) PutVarint(&pending_, static_cast<uint32_t>(entry.ints.size()));
  for (int value : entry.ints) {
    if (IsStepped(entry.kind)) {
      int* last = LastOf(entry.kind, &lastMillisecs_, &lastRender_);
      PutInt(&pending_, static_cast<int>(static_cast<uint32_t>(value) - static_cast<uint32_t>(*last)));
      *last = value;
    } else {
      PutInt(&pending_, value);
    }
  }
  if (shape.countedFloats) PutVarint(&pending_, static_cast<uint32_t>(entry.floats.size()));
  for (float value : entry.floats) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    PutU32(&pending_, bits);
  }
  if (shape.text) {
    PutVarint(&pending_, static_cast<uint32_t>(entry.text.Length()));
    for (int i = 0; i < entry.text.Length(); ++i) PutVarint(&pending_, entry.text[i]);
  }
}

void KxReplayWriter::Flush() {
  if (!file_ || pending_.empty()) return;
  int packedLength = 0;
  unsigned char* packed = stbi_zlib_compress(reinterpret_cast<unsigned char*>(&pending_[0]),
                                             static_cast<int>(pending_.size()), &packedLength, 8);
  std::string head;
  PutVarint(&head, static_cast<uint32_t>(pending_.size()));
  PutVarint(&head, static_cast<uint32_t>(packedLength));
  PutU32(&head, kx_replay_Hash(pending_.data(), pending_.size()));
  fwrite(head.data(), 1, head.size(), file_);
  if (packed) fwrite(packed, 1, static_cast<size_t>(packedLength), file_);
  free(packed);
  fflush(file_);
  pending_.clear();
}

void KxReplayWriter::Close(const String& finalState) {
  if (!file_) return;
  KxReplayEntry end;
  end.kind = KxReplayEnd;
  end.text = finalState;
  Put(end);
  Flush();
  fclose(file_);
  file_ = nullptr;
}

KxReplayReader::~KxReplayReader() {
  if (file_) fclose(file_);
}

bool KxReplayReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

bool KxReplayReader::Open(const std::string& path, const std::string& programVersion,
                          uint64_t dataChecksum) {
  file_ = fopen(path.c_str(), "rb");
  if (!file_) return Fail("cannot be opened");
  unsigned char head[10];
  if (fread(head, 1, sizeof head, file_) != sizeof head ||
      std::memcmp(head, kMagic, sizeof kMagic) != 0) {
    return Fail("not a Skarblit replay");
  }
  if (head[8] != kFormat) {
    return Fail("replay format " + std::to_string(head[8]) + " is not supported (this program reads format " +
                std::to_string(kFormat) + ")");
  }
  size_t length = head[9];
  std::string version(length, '\0');
  unsigned char sum[8];
  if ((length >= 0x80) || fread(&version[0], 1, length, file_) != length ||
      fread(sum, 1, sizeof sum, file_) != sizeof sum) {
    return Fail("the replay is truncated");
  }
  if (version != programVersion) {
    return Fail("recorded by Skarblit " + version + "; this is Skarblit " + programVersion);
  }
  uint64_t recorded = GetU32(sum) | (static_cast<uint64_t>(GetU32(sum + 4)) << 32);
  if (recorded != dataChecksum) return Fail("recorded with other game data");
  return true;
}

bool KxReplayReader::ReadBlock() {
  // The block head: raw length, packed length (both varints, read byte by byte), checksum.
  std::string head;
  uint32_t lengths[2];
  for (uint32_t& value : lengths) {
    value = 0;
    for (int shift = 0;; shift += 7) {
      int c = fgetc(file_);
      if (c == EOF) return Fail("the replay is truncated");
      if (shift > 28) return Fail("the replay is corrupt");
      value |= static_cast<uint32_t>(c & 0x7F) << shift;
      if (!(c & 0x80)) break;
    }
  }
  uint32_t raw = lengths[0], packedLength = lengths[1];
  if (raw == 0 || raw > kMaxBlock || packedLength > 2 * raw + 64) return Fail("the replay is corrupt");
  unsigned char sum[4];
  std::string packed(packedLength, '\0');
  if (fread(sum, 1, 4, file_) != 4 || fread(&packed[0], 1, packedLength, file_) != packedLength) {
    return Fail("the replay is truncated");
  }
  block_.assign(raw, '\0');
  int got = stbi_zlib_decode_buffer(&block_[0], static_cast<int>(raw), packed.data(),
                                    static_cast<int>(packedLength));
  if (got != static_cast<int>(raw) || kx_replay_Hash(block_.data(), raw) != GetU32(sum)) {
    return Fail("the replay is corrupt");
  }
  at_ = 0;
  return true;
}

bool KxReplayReader::Decode(KxReplayEntry* entry) {
  Cursor in{block_, at_};
  unsigned char kind = 0;
  if (!in.Byte(&kind) || kind < 1 || kind >= KxReplayKindCount) return Fail("the replay is corrupt");
  const Shape& shape = kShapes[kind];
  entry->kind = kind;
  int ints = shape.ints, floats = shape.floats;
  if (shape.countedInts && !in.Count(kMaxInts, &ints)) return Fail("the replay is corrupt");
  entry->ints.assign(ints, 0);
  for (int& value : entry->ints) {
    if (!in.Int(&value)) return Fail("the replay is corrupt");
    if (IsStepped(kind)) {
      int* last = LastOf(kind, &lastMillisecs_, &lastRender_);
      value = *last = static_cast<int>(static_cast<uint32_t>(*last) + static_cast<uint32_t>(value));
    }
  }
  if (shape.countedFloats && !in.Count(6, &floats)) return Fail("the replay is corrupt");
  entry->floats.assign(floats, 0.0f);
  for (float& value : entry->floats) {
    if (!in.Float(&value)) return Fail("the replay is corrupt");
  }
  entry->text = String();
  if (shape.text) {
    int length;
    if (!in.Count(kMaxText, &length)) return Fail("the replay is corrupt");
    std::vector<Char> units(length);
    for (Char& unit : units) {
      uint32_t v;
      if (!in.Varint(&v) || v > 0xFFFF) return Fail("the replay is corrupt");
      unit = static_cast<Char>(v);
    }
    entry->text = String(units.data(), length);
  }
  return true;
}

const KxReplayEntry* KxReplayReader::Peek() {
  if (peeked_) return &next_;
  if (!file_ || ended_ || !error_.empty()) return nullptr;
  if (at_ >= block_.size() && !ReadBlock()) return nullptr;
  if (!Decode(&next_)) return nullptr;
  if (next_.kind == KxReplayEnd) {
    ended_ = true;
    finalState_ = next_.text;
    if (at_ != block_.size() || fgetc(file_) != EOF) Fail("the replay is corrupt");
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
