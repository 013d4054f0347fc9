// Strings: slicing, splitting, joining, number conversion and the decoding of text and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

std::vector<std::string> Pieces(const Array<String>& array) {
  std::vector<std::string> out;
  for (int i = 0; i < array.Length(); ++i) out.push_back(array[i].ToUtf8());
  return out;
}

String Units(std::initializer_list<Char> units) {
  return String(units.begin(), static_cast<int>(units.size()));
}

// Loads the bytes through a real file, as the host does.
String LoadBytes(const std::string& bytes) {
  FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  String result = String::Load(file);
  std::fclose(file);
  return result;
}

TEST(StringTest, SliceSplitJoinAndSearch) {
  const struct {
    int from, to;
    const char* want;
  } slices[] = {{-3, 6, "def"}, {2, 100, "cdef"}, {4, 2, ""}, {0, -1, "abcde"}, {0, -10, ""}};
  for (const auto& c : slices) {
    EXPECT_EQ(String("abcdef").Slice(c.from, c.to), String(c.want)) << c.from << "," << c.to;
  }
  using V = std::vector<std::string>;
  const struct {
    const char *text, *separator;
    V pieces;
  } splits[] = {{"a,b,,c", ",", {"a", "b", "", "c"}}, {"abc", "", {"a", "b", "c"}},
                {"", ",", {""}}, {"x::y::", "::", {"x", "y", ""}}};
  for (const auto& c : splits) {
    EXPECT_EQ(Pieces(String(c.text).Split(String(c.separator))), c.pieces) << c.text;
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
  EXPECT_EQ(String(1.0f), String("1.0"));
  EXPECT_EQ(String(0.5f), String("0.5"));
  EXPECT_EQ(String(0.1f), String("0.10000000149011612"));
  EXPECT_EQ(String(1e20f), String("1.0000000200408773e+20"));
  EXPECT_EQ(String(" 42xyz").ToInt(), 42);
  EXPECT_EQ(String("abc").ToInt(), 0);
  EXPECT_EQ(String("-3").ToInt(), -3);
  // Only the first 63 units are read: 62 zeros then "7" is within reach, 63 push it out.
  EXPECT_EQ((String(std::string(62, '0').c_str()) + String("7")).ToInt(), 7);
  EXPECT_EQ((String(std::string(63, '0').c_str()) + String("7")).ToInt(), 0);
  EXPECT_EQ(String("99999999999999").ToInt(), 2147483647);
}

TEST(StringTest, ConstructionFromBytesAndUtf8) {
  String widened("\xe9");
  ASSERT_EQ(widened.Length(), 1);
  EXPECT_EQ(widened[0], 0xFFE9);
  EXPECT_TRUE(String("").SameRep(String()));
  String text = String::FromUtf8("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
  EXPECT_EQ(text, Units({0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(text.ToUtf8(), "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
  EXPECT_EQ(String::FromUtf8("a\xffz"), Units({'a', 0xFF, 'z'}));
  EXPECT_EQ(Units({0xD83D, 0xDE00}).ToUtf8Units(), "\xed\xa0\xbd\xed\xb8\x80");
}

TEST(StringTest, LoadDecodesUtf16Utf8AndFallsBackToBytes) {
  // UTF-16 both ways; an odd last byte is dropped.
  EXPECT_EQ(LoadBytes(std::string("\xff\xfe" "A\0B\0" "C", 7)), Units({'A', 'B'}));
  EXPECT_EQ(LoadBytes(std::string("\xfe\xff\x20\xac\x00" "A" "\x01", 7)), Units({0x20AC, 'A'}));
  EXPECT_EQ(LoadBytes("A\xc3\xa9"), Units({'A', 0xE9}));
  EXPECT_EQ(LoadBytes("\xef\xbb\xbf" "A\xe2\x82\xac"), Units({'A', 0x20AC}));
  EXPECT_EQ(LoadBytes("\xef\xbb"), Units({0xEF, 0xBB}));
  // Longer than one read block.
  EXPECT_EQ(LoadBytes(std::string(10000, 'x')).Length(), 10000);
  // Broken UTF-8 is read as bytes; the mark is skipped even then.
  EXPECT_EQ(LoadBytes("A\xe9" "B"), Units({'A', 0xE9, 'B'}));
  EXPECT_EQ(LoadBytes("A\xe2\x82"), Units({'A', 0xE2, 0x82}));
  EXPECT_EQ(LoadBytes("\x80z"), Units({0x80, 'z'}));
  EXPECT_EQ(LoadBytes("\xf0\x9f\x98\x80"), Units({0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_EQ(LoadBytes("\xef\xbb\xbf\xc3"), Units({0xC3}));
}

}  // namespace
