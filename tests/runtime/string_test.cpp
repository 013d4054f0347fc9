// Strings: slicing, splitting, joining, number conversion and the decoding of text and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "runtime/runtime.h"

namespace {

typedef std::vector<Char> Units;

Units UnitsOf(const String& s) { return Units(s.Data(), s.Data() + s.Length()); }

// Loads the bytes through a real file, as the host does.
Units LoadBytes(const std::string& bytes) {
  FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  Units units = UnitsOf(String::Load(file));
  std::fclose(file);
  return units;
}

TEST(StringTest, SliceSplitJoinAndSearch) {
  const struct {
    int from, to;
    const char* want;
  } slices[] = {{-3, 6, "def"}, {2, 100, "cdef"}, {4, 2, ""}, {0, -1, "abcde"}, {0, -10, ""}};
  for (const auto& c : slices) EXPECT_EQ(String("abcdef").Slice(c.from, c.to), String(c.want));
  // The pieces, joined with "|".
  const char* const splits[][3] = {
      {"a,b,,c", ",", "a|b||c"}, {"abc", "", "a|b|c"}, {"", ",", ""}, {"x::y::", "::", "x|y|"}};
  for (const auto& c : splits) {
    Array<String> pieces = String(c[0]).Split(String(c[1]));
    EXPECT_EQ(pieces.Length(), static_cast<int>(std::count(c[2], c[2] + strlen(c[2]), '|')) + 1);
    EXPECT_EQ(String("|").Join(pieces), String(c[2])) << c[0];
  }
  // Join undoes Split.
  String sep(", "), text("one, two, , three");
  EXPECT_EQ(sep.Join(text.Split(sep)), text);
  EXPECT_EQ(sep.Join(Array<String>()), String());
  EXPECT_EQ(String("  Hello, World  ").Find(String("o"), 7), 10);
  EXPECT_FALSE(String("ab").EndsWith(String("xab")));
  EXPECT_EQ(String("  Hello, World  ").Trim().ToUpper(), String("HELLO, WORLD"));
}

TEST(StringTest, NumbersToTextAndBack) {
  const std::pair<float, const char*> floats[] = {
      {1.0f, "1.0"}, {0.5f, "0.5"}, {0.1f, "0.10000000149011612"},
      {1e20f, "1.0000000200408773e+20"}};
  for (const auto& c : floats) EXPECT_EQ(String(c.first), String(c.second)) << c.second;
  // Only the first 63 units are read: 62 zeros then "7" is within reach, 63 push it out.
  const std::pair<std::string, int> ints[] = {
      {" 42xyz", 42}, {"abc", 0}, {"-3", -3}, {std::string(62, '0') + "7", 7},
      {std::string(63, '0') + "7", 0}, {"99999999999999", 2147483647}};
  for (const auto& c : ints) EXPECT_EQ(String(c.first.c_str()).ToInt(), c.second) << c.first;
}

TEST(StringTest, ConstructionFromBytesAndUtf8) {
  EXPECT_EQ(UnitsOf(String("\xe9")), Units{0xFFE9});
  EXPECT_TRUE(String("").SameRep(String()));
  const std::string smile = "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
  String text = String::FromUtf8(smile);
  EXPECT_EQ(UnitsOf(text), (Units{0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(text.ToUtf8(), smile);
  EXPECT_EQ(UnitsOf(String::FromUtf8("a\xffz")), (Units{'a', 0xFF, 'z'}));
  EXPECT_EQ(text.Slice(3).ToUtf8Units(), "\xed\xa0\xbd\xed\xb8\x80");
}

TEST(StringTest, LoadDecodesUtf16Utf8AndFallsBackToBytes) {
  const std::pair<std::string, Units> files[] = {
      // UTF-16 both ways; an odd last byte is dropped.
      {std::string("\xff\xfe" "A\0B\0" "C", 7), {'A', 'B'}},
      {std::string("\xfe\xff\x20\xac\x00" "A" "\x01", 7), {0x20AC, 'A'}},
      {"A\xc3\xa9", {'A', 0xE9}},
      {"\xef\xbb\xbf" "A\xe2\x82\xac", {'A', 0x20AC}},
      {"\xef\xbb", {0xEF, 0xBB}},
      // Broken UTF-8 is read as bytes; the mark is skipped even then.
      {"A\xe9" "B", {'A', 0xE9, 'B'}},
      {"A\xe2\x82", {'A', 0xE2, 0x82}},
      {"\x80z", {0x80, 'z'}},
      {"\xf0\x9f\x98\x80", {0xF0, 0x9F, 0x98, 0x80}},
      {"\xef\xbb\xbf\xc3", {0xC3}},
      // Longer than one read block.
      {std::string(10000, 'x'), Units(10000, 'x')},
  };
  for (const auto& c : files) EXPECT_EQ(LoadBytes(c.first), c.second) << c.first.substr(0, 8);
}

}  // namespace
