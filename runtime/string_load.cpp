// Reading a whole text file into a String: UTF-16 in either byte order by its mark, otherwise
// UTF-8, and the raw bytes when the UTF-8 is broken. Never reads past the bytes it was given.
#include <cstdio>
#include <vector>

#include "runtime/string.h"

namespace {

std::vector<unsigned char> ReadAll(FILE* file) {
  std::vector<unsigned char> bytes;
  unsigned char block[4096];
  for (;;) {
    size_t n = std::fread(block, 1, sizeof block, file);
    bytes.insert(bytes.end(), block, block + n);
    if (n < sizeof block) return bytes;
  }
}

String FromUnits(const std::vector<Char>& units) {
  return String(units.data(), static_cast<int>(units.size()));
}

// Pairs of bytes after the two-byte mark; a final odd byte is dropped.
String DecodeUtf16(const std::vector<unsigned char>& bytes, bool bigEndian) {
  std::vector<Char> units;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned hi = bigEndian ? bytes[i] : bytes[i + 1];
    unsigned lo = bigEndian ? bytes[i + 1] : bytes[i];
    units.push_back(static_cast<Char>((hi << 8) | lo));
  }
  return FromUnits(units);
}

bool IsContinuation(const std::vector<unsigned char>& bytes, size_t i) {
  return i < bytes.size() && (bytes[i] & 0xC0) == 0x80;
}

// Decodes bytes[from..] as UTF-8 of at most three bytes per unit; false when it is not.
bool DecodeUtf8(const std::vector<unsigned char>& bytes, size_t from, std::vector<Char>* units) {
  size_t i = from;
  while (i < bytes.size()) {
    unsigned c = bytes[i];
    if (c < 0x80) {
      units->push_back(static_cast<Char>(c));
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && IsContinuation(bytes, i + 1)) {
      units->push_back(static_cast<Char>(((c & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && IsContinuation(bytes, i + 1) &&
               IsContinuation(bytes, i + 2)) {
      units->push_back(static_cast<Char>((c << 12) | ((bytes[i + 1] & 0x3F) << 6) |
                                         (bytes[i + 2] & 0x3F)));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

String String::Load(FILE* file) {
  if (!file) return String();
  std::vector<unsigned char> bytes = ReadAll(file);
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return DecodeUtf16(bytes, true);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return DecodeUtf16(bytes, false);
  size_t from = 0;
  if (bytes.size() > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) from = 3;
  std::vector<Char> units;
  if (!DecodeUtf8(bytes, from, &units)) units.assign(bytes.begin() + from, bytes.end());
  return FromUnits(units);
}
