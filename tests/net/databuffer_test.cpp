// Data buffers: byte copies with clamping, and the two string encodings.
#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "net/databuffer.h"

namespace {

c_DataBuffer* Buffer(const std::vector<int>& bytes) {
  c_DataBuffer* buf = (new c_DataBuffer)->m_new(static_cast<int>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) buf->m_bytes[i] = static_cast<unsigned char>(bytes[i]);
  return buf;
}

std::vector<int> Bytes(c_DataBuffer* b) { return std::vector<int>(b->m_bytes, b->m_bytes + b->m_length); }

std::vector<int> Ints(const Array<int>& a) { return std::vector<int>(a.Data(), a.Data() + a.Length()); }

std::vector<int> Units(const String& s) { return std::vector<int>(s.Data(), s.Data() + s.Length()); }

TEST(DataBuffer, EncodesEachUnitOnItsOwn) {
  c_DataBuffer* buf = Buffer({0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(buf->p_PokeString(0, String::FromChar(0xE9), String("utf8")), 2);
  EXPECT_EQ(buf->p_PokeString(2, String::FromChar(0x1E9), String("ascii")), 1);
  EXPECT_EQ(buf->p_PokeString(3, String::FromChar(0x20AC), String("utf8")), 3);
  EXPECT_EQ(buf->p_PokeString(6, String("A"), String("utf8")), 1);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{0xC3, 0xA9, 0xE9, 0xE2, 0x82, 0xAC, 'A'}));

  EXPECT_EQ(Units(buf->p_PeekString(0, 2, String("utf8"))), (std::vector<int>{0xE9}));
  EXPECT_EQ(Units(buf->p_PeekString(3, 4, String("utf8"))), (std::vector<int>{0x20AC, 'A'}));
  EXPECT_EQ(Units(buf->p_PeekString(2, 1, String("ascii"))), (std::vector<int>{0xE9}));
}

TEST(DataBuffer, MalformedUtf8FallsBackToOneCharacterPerByte) {
  const std::vector<std::vector<int>> ranges = {
      {0x41, 0xC3},              // cut off at the end
      {0xC3, 0x41},              // continuation missing
      {0x80, 0x41},              // stray continuation
      {0xE2, 0x82},              // three-byte sequence cut off
      {0xF0, 0x9F, 0x98, 0x80},  // four-byte lead
  };
  for (const std::vector<int>& bytes : ranges) {
    EXPECT_EQ(Units(Buffer(bytes)->p_PeekString2(0, String("utf8"))), bytes);
  }
}

TEST(DataBuffer, PokingNearTheEndWritesWhatFitsAndReportsTheFullLength) {
  c_DataBuffer* buf = Buffer({0, 0, 0, 0, 0, 0});
  EXPECT_EQ(buf->p_PokeString(2, String("abcdefghij"), String("ascii")), 10);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{0, 0, 'a', 'b', 'c', 'd'}));
  // Before the start: the units that would land outside are skipped.
  EXPECT_EQ(buf->p_PokeString(-2, String("wxyz"), String("ascii")), 4);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{'y', 'z', 'a', 'b', 'c', 'd'}));
  EXPECT_EQ(buf->p_PokeString(6, String("q"), String("utf8")), 1);
  EXPECT_EQ(buf->p_PeekString(4, 100, String("ascii")).ToUtf8(), "cd");
  EXPECT_EQ(buf->p_PeekString(-3, 5, String("ascii")).ToUtf8(), "yz");
  EXPECT_EQ(buf->p_PeekString(6, 1, String("ascii")).Length(), 0);
  // To the end of the block, from wherever the range starts.
  const std::pair<int, const char*> tails[] = {
      {INT_MIN, "yzabcd"}, {-3, "yzabcd"}, {4, "cd"}, {6, ""}, {INT_MAX, ""}};
  for (const auto& t : tails) {
    EXPECT_EQ(buf->p_PeekString2(t.first, String("ascii")).ToUtf8(), t.second) << t.first;
  }
}

TEST(DataBuffer, ByteCopiesAreClampedAtBothEnds) {
  c_DataBuffer* buf = Buffer({1, 2, 3, 4});
  Array<int> bytes(5);
  buf->p_PeekBytes(2, bytes, 1, 10);
  EXPECT_EQ(Ints(bytes), (std::vector<int>{0, 3, 4, 0, 0}));
  // The range keeps its alignment: block position -1 would land on element 0.
  buf->p_PeekBytes(-1, bytes, 0, 3);
  EXPECT_EQ(Ints(bytes), (std::vector<int>{0, 1, 2, 0, 0}));
  buf->p_PeekBytes(0, bytes, 4, 3);
  EXPECT_EQ(Ints(bytes), (std::vector<int>{0, 1, 2, 0, 1}));
  buf->p_PeekBytes(0, bytes, -5, 5);  // entirely before the array: nothing
  EXPECT_EQ(Ints(bytes), (std::vector<int>{0, 1, 2, 0, 1}));

  Array<int> values(3);
  values[0] = 0x1FF;  // only the low 8 bits are stored
  values[1] = -2;
  values[2] = 7;
  buf->p_PokeBytes(3, values, 0, 3);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{1, 2, 3, 0xFF}));
  buf->p_PokeBytes(-1, values, 0, 3);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{0xFE, 7, 3, 0xFF}));
  buf->p_PokeBytes(1, values, 0, 0x7FFFFFFF);
  EXPECT_EQ(Bytes(buf), (std::vector<int>{0xFE, 0xFF, 0xFE, 7}));

  EXPECT_EQ(Ints(buf->p_PeekBytes2(1, 10)), (std::vector<int>{-1, -2, 7}));
  EXPECT_EQ(Ints(buf->p_PeekBytes2(4, 1)), std::vector<int>{});
  EXPECT_EQ(Ints(buf->p_PeekBytes2(-0x7FFFFFFF, 0x7FFFFFFF)), std::vector<int>{});
}

TEST(DataBuffer, CopiesBetweenAndWithinBuffers) {
  c_DataBuffer* a = Buffer({1, 2, 3, 4, 5});
  c_DataBuffer* b = Buffer({0, 0, 0});
  a->p_CopyBytes(3, b, 0, 10);
  EXPECT_EQ(Bytes(b), (std::vector<int>{4, 5, 0}));
  a->p_CopyBytes(0, b, -1, 3);
  EXPECT_EQ(Bytes(b), (std::vector<int>{2, 3, 0}));
  a->p_CopyBytes(0, a, 1, 4);  // overlapping, forwards
  EXPECT_EQ(Bytes(a), (std::vector<int>{1, 1, 2, 3, 4}));
  a->p_CopyBytes(2, a, 0, 3);  // overlapping, backwards
  EXPECT_EQ(Bytes(a), (std::vector<int>{2, 3, 4, 3, 4}));
}

}  // namespace
