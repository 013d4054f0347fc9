// Data buffers: byte copies clipped at both ends, and the two string encodings.
#include <gtest/gtest.h>

#include <climits>

#include "net/databuffer.h"

namespace {

const String kAscii("ascii"), kUtf8("utf8");

std::string Text(const String& s) { return s.ToUtf8(); }
std::string Text(const Array<int>& a) {
  std::string out;
  for (int i = 0; i < a.Length(); ++i) out += (i ? "," : "") + std::to_string(a[i]);
  return out;
}
c_DataBuffer* Block(const std::string& bytes) {
  c_DataBuffer* b = (new c_DataBuffer)->m_new(static_cast<int>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) b->m_bytes[i] = static_cast<unsigned char>(bytes[i]);
  return b;
}
// One operation on the block b = "abcdef", with the five zeros a, the values v = {0x1FF, -2, 7}
// (only their low 8 bits are stored) and the block d = "xyz" at hand: what it gives (a count
// as its digits), and b afterwards.
#define ROW(expr, gives, after)                                                           \
  {#expr,                                                                                 \
   [](c_DataBuffer* b, [[maybe_unused]] Array<int> a, [[maybe_unused]] Array<int> v,      \
      [[maybe_unused]] c_DataBuffer* d) { return Text(expr); },                           \
   gives, after}
struct Row {
  const char* op;
  std::string (*run)(c_DataBuffer* b, Array<int> a, Array<int> v, c_DataBuffer* d);
  std::string gives, after;
};
const Row kRows[] = {
    // Each unit is encoded on its own; "ascii" keeps a unit's low byte.
    ROW(b->p_PokeString(0, String::FromChar(0xE9), kUtf8), "2", "\xc3\xa9" "cdef"),
    ROW(b->p_PokeString(3, String::FromChar(0x20AC), kUtf8), "3", "abc\xe2\x82\xac"),
    ROW(b->p_PokeString(1, String::FromChar(0x1E9), kAscii), "1", "a\xe9" "cdef"),
    ROW((b->p_PokeString(0, String::FromChar(0xE9) + String::FromChar(0x20AC), kUtf8),
         b->p_PeekString(0, 5, kUtf8)), "\xc3\xa9\xe2\x82\xac", "\xc3\xa9\xe2\x82\xac" "f"),
    ROW((b->p_PokeString(0, String::FromChar(0x1E9), kAscii), b->p_PeekString(0, 1, kAscii)),
        "\xc3\xa9", "\xe9" "bcdef"),
    // Pokes write what fits and give the whole encoded length.
    ROW(b->p_PokeString(2, String("ABCDEFGHIJ"), kAscii), "10", "abABCD"),
    ROW(b->p_PokeString(-2, String("WXYZ"), kAscii), "4", "YZcdef"),
    ROW(b->p_PeekString(4, 100, kAscii), "ef", "abcdef"),
    ROW(b->p_PeekString(-3, 5, kAscii), "ab", "abcdef"),
    ROW(b->p_PeekString(6, 1, kAscii), "", "abcdef"),
    ROW(b->p_PeekString2(INT_MIN, kAscii), "abcdef", "abcdef"),
    ROW(b->p_PeekString2(4, kAscii), "ef", "abcdef"),
    ROW(b->p_PeekString2(INT_MAX, kAscii), "", "abcdef"),
    // A clipped range keeps its alignment: block position -1 would land on element 0.
    ROW((b->p_PeekBytes(2, a, 1, 10), a), "0,99,100,101,102", "abcdef"),
    ROW((b->p_PeekBytes(-1, a, 0, 3), a), "0,97,98,0,0", "abcdef"),
    ROW((b->p_PeekBytes(0, a, 4, 3), a), "0,0,0,0,97", "abcdef"),
    ROW((b->p_PeekBytes(0, a, -5, 5), a), "0,0,0,0,0", "abcdef"),
    ROW((b->p_PokeBytes(4, v, 0, 3), b->p_PeekBytes2(3, 10)), "100,-1,-2", "abcd\xff\xfe"),
    ROW((b->p_PokeBytes(-1, v, 0, 3), 0), "0", "\xfe\x07" "cdef"),
    ROW((b->p_PokeBytes(1, v, 0, INT_MAX), 0), "0", "a\xff\xfe\x07" "ef"),
    ROW(b->p_PeekBytes2(6, 1), "", "abcdef"),
    ROW(b->p_PeekBytes2(-0x7FFFFFFF, 0x7FFFFFFF), "", "abcdef"),
    // Copies, between blocks and overlapping within one either way.
    ROW((b->p_CopyBytes(3, d, 0, 10), d->p_PeekString2(0, kAscii)), "def", "abcdef"),
    ROW((b->p_CopyBytes(0, d, -1, 3), d->p_PeekString2(0, kAscii)), "bcz", "abcdef"),
    ROW((b->p_CopyBytes(0, b, 1, 4), 0), "0", "aabcdf"),
    ROW((b->p_CopyBytes(2, b, 0, 3), 0), "0", "cdedef"),
};

TEST(DataBuffer, OperationsClipToTheBlockAndEncodeAsAsked) {
  const int values[] = {0x1FF, -2, 7};
  for (const Row& row : kRows) {
    c_DataBuffer* b = Block("abcdef");
    EXPECT_EQ(row.run(b, Array<int>(5), Array<int>(values, 3), Block("xyz")), row.gives) << row.op;
    EXPECT_EQ(std::string(b->m_bytes, b->m_bytes + b->m_length), row.after) << row.op;
  }
}

TEST(DataBuffer, MalformedUtf8FallsBackToOneCharacterPerByte) {
  // Cut off at the end, continuation missing, stray continuation (also behind a whole
  // character: the whole range falls back), three bytes cut off, and a four-byte lead.
  for (std::string bytes : {"A\xc3", "\xc3" "A", "\x80" "A", "\xc3\xa9\x80", "\xe2\x82",
                            "\xf0\x9f\x98\x80"}) {
    String perByte;
    for (unsigned char c : bytes) perByte += String::FromChar(c);
    EXPECT_EQ(Block(bytes)->p_PeekString2(0, kUtf8), perByte) << bytes;
  }
}

}  // namespace
