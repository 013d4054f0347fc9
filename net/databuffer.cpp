// Data buffers: byte copies with clamped ranges, and the "utf8" and "ascii" string encodings.
#include "net/databuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

bool KxDataBuffer::_New(int length, void* data) {
  if (m_bytes || length < 0) return false;
  if (!data) {
    // One spare byte keeps a zero-length block distinct from "no block".
    data = std::malloc(static_cast<std::size_t>(length) + 1);
    if (!data) return false;
  }
  m_bytes = static_cast<unsigned char*>(data);
  m_length = length;
  return true;
}

void KxDataBuffer::Discard() {
  if (!m_bytes) return;
  std::free(m_bytes);
  m_bytes = nullptr;
  m_length = 0;
}

namespace {

enum class Encoding { Ascii, Utf8 };

Encoding EncodingNamed(const String& name) {
  if (name == String("utf8")) return Encoding::Utf8;
  if (name != String("ascii")) kxError(String("Invalid string encoding:") + name);
  return Encoding::Ascii;
}

// Clips a copy of `count` units from [from, from + count) in a range of fromLength to
// [to, to + count) in a range of toLength: positions before either start are skipped, the
// count is cut at either end. Returns the count left (below 1: nothing to copy).
int ClipTransfer(int& from, int fromLength, int& to, int toLength, int count) {
  long long skip = std::max({0LL, -static_cast<long long>(from), -static_cast<long long>(to)});
  long long n = static_cast<long long>(count) - skip;
  long long f = from + skip;
  long long t = to + skip;
  n = std::min({n, fromLength - f, toLength - t});
  if (n < 1) return 0;
  from = static_cast<int>(f);
  to = static_cast<int>(t);
  return static_cast<int>(n);
}

// Each unit on its own, as the runtime prints: surrogate pairs are not combined.
std::vector<unsigned char> EncodeUtf8(const String& text) {
  std::vector<unsigned char> out;
  out.reserve(static_cast<std::size_t>(text.Length()) * 3);
  for (int i = 0; i < text.Length(); ++i) {
    unsigned c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<unsigned char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<unsigned char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<unsigned char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

String DecodeAscii(const unsigned char* bytes, int count) {
  std::vector<Char> units(bytes, bytes + count);
  return String(units.data(), count);
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Malformed or cut-off input falls back to one character per byte, so nothing is lost.
String DecodeUtf8(const unsigned char* bytes, int count) {
  std::vector<Char> units;
  units.reserve(static_cast<std::size_t>(count));
  int i = 0;
  while (i < count) {
    unsigned char lead = bytes[i];
    if (lead < 0x80) {
      units.push_back(lead);
      i += 1;
    } else if ((lead & 0xE0) == 0xC0 && i + 1 < count && IsContinuation(bytes[i + 1])) {
      units.push_back(static_cast<Char>((lead & 0x1F) << 6 | (bytes[i + 1] & 0x3F)));
      i += 2;
    } else if ((lead & 0xF0) == 0xE0 && i + 2 < count && IsContinuation(bytes[i + 1]) &&
               IsContinuation(bytes[i + 2])) {
      units.push_back(
          static_cast<Char>((lead & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F)));
      i += 3;
    } else {
      return DecodeAscii(bytes, count);
    }
  }
  return String(units.data(), static_cast<int>(units.size()));
}

}  // namespace

c_DataBuffer* c_DataBuffer::m_new(int length) {
  if (!_New(length)) kxError(String("Allocate DataBuffer failed"));
  return this;
}

void c_DataBuffer::p_PokeBytes(int address, Array<int> bytes, int offset, int count) {
  int n = ClipTransfer(offset, bytes.Length(), address, m_length, count);
  for (int i = 0; i < n; ++i) m_bytes[address + i] = static_cast<unsigned char>(bytes[offset + i]);
}

void c_DataBuffer::p_PeekBytes(int address, Array<int> bytes, int offset, int count) {
  int n = ClipTransfer(address, m_length, offset, bytes.Length(), count);
  for (int i = 0; i < n; ++i) bytes[offset + i] = static_cast<signed char>(m_bytes[address + i]);
}

Array<int> c_DataBuffer::p_PeekBytes2(int address, int count) {
  int start = 0;
  int n = ClipTransfer(address, m_length, start, count, count);
  Array<int> bytes(n);
  p_PeekBytes(address, bytes, 0, n);
  return bytes;
}

void c_DataBuffer::p_CopyBytes(int address, c_DataBuffer* dst, int dstAddress, int count) {
  if (!dst) return;
  int n = ClipTransfer(address, m_length, dstAddress, dst->m_length, count);
  if (n > 0) std::memmove(dst->m_bytes + dstAddress, m_bytes + address, static_cast<std::size_t>(n));
}

int c_DataBuffer::p_PokeString(int address, const String& text, const String& encoding) {
  std::vector<unsigned char> encoded;
  if (EncodingNamed(encoding) == Encoding::Utf8) {
    encoded = EncodeUtf8(text);
  } else {
    for (int i = 0; i < text.Length(); ++i) encoded.push_back(static_cast<unsigned char>(text[i]));
  }
  int total = static_cast<int>(encoded.size());
  int from = 0;
  int n = ClipTransfer(from, total, address, m_length, total);
  if (n > 0) std::memcpy(m_bytes + address, encoded.data() + from, static_cast<std::size_t>(n));
  return total;
}

String c_DataBuffer::p_PeekString(int address, int count, const String& encoding) {
  Encoding kind = EncodingNamed(encoding);
  int start = 0;
  int n = ClipTransfer(address, m_length, start, count, count);
  if (n < 1) return String();
  return kind == Encoding::Utf8 ? DecodeUtf8(m_bytes + address, n) : DecodeAscii(m_bytes + address, n);
}

// Positions before the block hold nothing, so the range starts at 0 at the earliest; that also
// keeps the count from overflowing for addresses near the lower end of int.
String c_DataBuffer::p_PeekString2(int address, const String& encoding) {
  int from = std::max(address, 0);
  return p_PeekString(from, m_length - from, encoding);
}
