// The kinds' shapes, the check of an entry against its shape, and the fingerprints the
// recordings and the data checksum use.
#include "host/replay/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

const KxReplayShape kShapes[KxReplayKindCount] = {
    {"nothing", KxReplayClose, 0, 0, 0, false},
#define KX_REPLAY_SHAPE(name, description, role, ints, floats, counted, text) \
  {description, role, counted == 1 ? kx_replay_MaxInts : ints, floats, counted, text},
    KX_REPLAY_KINDS(KX_REPLAY_SHAPE)
#undef KX_REPLAY_SHAPE
};

}  // namespace

const KxReplayShape& kx_replay_Shape(int kind) {
  return kShapes[kind > 0 && kind < KxReplayKindCount ? kind : 0];
}

std::string kx_replay_ShapeFault(const KxReplayEntry& entry) {
  if (entry.kind <= 0 || entry.kind >= KxReplayKindCount) return "an entry of no known kind";
  const KxReplayShape& shape = kx_replay_Shape(entry.kind);
  std::string what = shape.description;
  size_t ints = entry.ints.size(), floats = entry.floats.size();
  bool fits = shape.counted == 1 ? ints <= static_cast<size_t>(shape.ints)
                                 : ints == static_cast<size_t>(shape.ints);
  // A counted float list is empty or full: a joystick that is absent, or all its axes.
  fits = fits && (shape.counted == 2 ? floats == 0 || floats == static_cast<size_t>(shape.floats)
                                     : floats == static_cast<size_t>(shape.floats));
  if (!fits) return what + " with the wrong number of values";
  if (!shape.text && entry.text.Length() > 0) return what + " with a text";
  if (entry.text.Length() > kx_replay_MaxText) return what + " with a text over 1 MiB";
  return "";
}

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
