// Replay files: entry coding, blocks, header and the data folder's checksum.
#include "host/replayfile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/replaycoder.h"

namespace {

const char kMagic[8] = {'S', 'K', 'R', 'E', 'P', 'L', 'A', 'Y'};
const int kFormat = 1;
// A block holds a few seconds of play; anything far beyond is damage, not data.
const uint32_t kMaxBlock = 1u << 22;

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

uint32_t GetU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A varint from the file; false at its end or when it runs past 32 bits.
bool ReadVarint(FILE* file, uint32_t* value) {
  *value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    int c = fgetc(file);
    if (c == EOF) return false;
    *value |= static_cast<uint32_t>(c & 0x7F) << shift;
    if (!(c & 0x80)) return true;
  }
  return false;
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
  // Four words a step, each lane in a register of its own, so the multiplications overlap.
  uint32_t l0 = lane[0], l1 = lane[1], l2 = lane[2], l3 = lane[3], w[4];
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    std::memcpy(w, bytes + 4 * i, sizeof w);
    l0 = (l0 ^ w[0]) * 0x01000193u;
    l1 = (l1 ^ w[1]) * 0x01000193u;
    l2 = (l2 ^ w[2]) * 0x01000193u;
    l3 = (l3 ^ w[3]) * 0x01000193u;
  }
  lane[0] = l0, lane[1] = l1, lane[2] = l2, lane[3] = l3;
  for (; i < count; ++i) {
    std::memcpy(w, bytes + 4 * i, 4);
    lane[i & 3] = (lane[i & 3] ^ w[0]) * 0x01000193u;
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

KxReplayWriter::KxReplayWriter() : encoder_(new KxReplayEncoder) {}

KxReplayWriter::~KxReplayWriter() {
  if (file_) fclose(file_);
}

bool KxReplayWriter::Open(const std::string& path, const std::string& programVersion,
                          uint64_t dataChecksum) {
  file_ = fopen(path.c_str(), "wb");
  if (!file_) return false;
  std::string header(kMagic, sizeof kMagic);
  header.push_back(static_cast<char>(kFormat));
  header.push_back(static_cast<char>(std::min<size_t>(programVersion.size(), 0x7F)));
  header += programVersion.substr(0, 0x7F);
  PutU32(&header, static_cast<uint32_t>(dataChecksum));
  PutU32(&header, static_cast<uint32_t>(dataChecksum >> 32));
  fwrite(header.data(), 1, header.size(), file_);
  fflush(file_);
  return true;
}

void KxReplayWriter::Put(const KxReplayEntry& entry) { encoder_->Put(entry); }

bool KxReplayWriter::Pending() const { return encoder_->Count() > 0; }

// A block: how many entries, how many bytes, their checksum, the bytes.
void KxReplayWriter::Flush() {
  if (!file_ || !Pending()) return;
  std::string head;
  PutVarint(&head, static_cast<uint32_t>(encoder_->Count()));
  std::string bytes = encoder_->Finish();
  PutVarint(&head, static_cast<uint32_t>(bytes.size()));
  PutU32(&head, kx_replay_Hash(bytes.data(), bytes.size()));
  fwrite(head.data(), 1, head.size(), file_);
  fwrite(bytes.data(), 1, bytes.size(), file_);
  fflush(file_);
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

KxReplayReader::KxReplayReader() : decoder_(new KxReplayDecoder) {}

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
    return Fail("replay format " + std::to_string(head[8]) +
                " is not supported (this program reads format " + std::to_string(kFormat) + ")");
  }
  std::string version(head[9], '\0');
  unsigned char sum[8];
  if (head[9] > 0x7F || fread(&version[0], 1, version.size(), file_) != version.size() ||
      fread(sum, 1, sizeof sum, file_) != sizeof sum) {
    return Fail("the replay is truncated");
  }
  if (version != programVersion) {
    return Fail("recorded by Skarblit " + version + "; this is Skarblit " + programVersion);
  }
  uint64_t recorded = GetU32(sum) | (static_cast<uint64_t>(GetU32(sum + 4)) << 32);
  return recorded == dataChecksum || Fail("recorded with other game data");
}

bool KxReplayReader::ReadBlock() {
  uint32_t count, length;
  unsigned char sum[4];
  if (!ReadVarint(file_, &count) || !ReadVarint(file_, &length)) return Fail("the replay is truncated");
  if (count == 0 || count > kMaxBlock || length > kMaxBlock) return Fail("the replay is corrupt");
  std::string bytes(length, '\0');
  if (fread(sum, 1, 4, file_) != 4 || fread(&bytes[0], 1, length, file_) != length) {
    return Fail("the replay is truncated");
  }
  if (kx_replay_Hash(bytes.data(), length) != GetU32(sum)) return Fail("the replay is corrupt");
  block_ = std::move(bytes);
  decoder_->Start(block_);
  left_ = static_cast<int>(count);
  return true;
}

const KxReplayEntry* KxReplayReader::Peek() {
  if (peeked_) return &next_;
  if (!file_ || ended_ || !error_.empty()) return nullptr;
  if (left_ == 0 && !ReadBlock()) return nullptr;
  --left_;
  if (!decoder_->Get(&next_)) {
    Fail("the replay is corrupt");
    return nullptr;
  }
  if (next_.kind == KxReplayEnd) {
    ended_ = true;
    finalState_ = next_.text;
    if (left_ != 0 || fgetc(file_) != EOF) Fail("the replay is corrupt");
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
