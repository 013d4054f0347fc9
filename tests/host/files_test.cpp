// Paths, whole-file readers and the state file, each in a scratch working
// directory so nothing touches the repository's own files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/host.h"
#include "tests/support/process.h"

namespace {

using kxtest::ReadFile;
using kxtest::WriteFile;

bool Exists(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0;
}

String Units(std::initializer_list<Char> units) {
  return String(units.begin(), static_cast<int>(units.size()));
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(chdir(dir.path.c_str()), 0); }
  void TearDown() override { ASSERT_EQ(chdir(KX_SOURCE_DIR), 0); }

  kxtest::TempDir dir{"kxhostfiles"};
  KxGlfwGame host;
};

TEST_F(FilesTest, PathsMapThroughTheSchemeAndBareNamesGoUnderData) {
  const char* cases[][3] = {
      // path, the desktop host's file, the data path of a bare name
      {"vantor://data/sfx/1.wav", "./data/sfx/1.wav", "vantor://data/sfx/1.wav"},
      {"vantor://internal/x", "./internal/x", "vantor://internal/x"},
      {"vantor://other/x", "", "vantor://other/x"},
      {"vantor://DATA/x", "", "vantor://DATA/x"},
      {"./y", "./y", "./y"},
      {"/y", "/y", "/y"},
      {"D:/z", "D:/z", "D:/z"},
      {"a:b/c:/d", "a:b/c:/d", "vantor://data/a:b/c:/d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(host.PathToFilePath(c[0]) + "|" + kx_data_FixDataPath(c[0]),
              String(c[1]) + "|" + String(c[2])) << c[0];
  }
}

TEST_F(FilesTest, FilesOpenByTheirUtf8NameAndLoadWholeAcrossBlocks) {
  ASSERT_EQ(mkdir("data", 0755), 0);
  ASSERT_TRUE(WriteFile("data/caf\xC3\xA9.txt", "hello"));
  EXPECT_EQ(host.LoadString(String::FromUtf8("vantor://data/caf\xC3\xA9.txt")), String("hello"));
  EXPECT_EQ(host.OpenFile(Units({'d', 'a', 't', 'a', 0, 'x'}), "rb"), nullptr) << "embedded zero";
  EXPECT_EQ(host.LoadString("./missing.txt"), String());
  int length = -1;
  EXPECT_EQ(host.LoadData("nothing", &length), nullptr);
  for (size_t size : {size_t(0), size_t(4096), size_t(8197)}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++) bytes[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(WriteFile("blob", bytes));
    unsigned char* data = host.LoadData("blob", &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), length), bytes);
    free(data);
  }
  // Sizes an int cannot count fail instead of wrapping (sparse files: nothing is read).
  for (off_t size : {off_t(1) << 31, (off_t(1) << 32) + 5}) {
    ASSERT_EQ(truncate("blob", size), 0);
    EXPECT_EQ(host.LoadData("blob", &length), nullptr) << size;
  }
}

// One game per folder: the lock is held by its first taker for as long as that lives.
TEST_F(FilesTest, StateRoundTripsAFailedSaveKeepsThePreviousOneAndTheLockKeepsASecondGameOut) {
  EXPECT_EQ(host.LoadState(), String());
  EXPECT_FALSE(Exists(".vantorstate")) << "loading no state creates none";
  String state = Units({'a', 0x20AC, 0xE9, '\n', 0xD83D, 0xDE00, 'z'});
  EXPECT_EQ(host.SaveState(state), 0);
  // Every unit on its own, surrogates included; no mark, no terminator.
  EXPECT_EQ(ReadFile(".vantorstate"), "a\xE2\x82\xAC\xC3\xA9\n\xED\xA0\xBD\xED\xB8\x80z");
  EXPECT_EQ(host.LoadState(), state);
  ASSERT_TRUE(WriteFile(".vantorstate", "\xEF\xBB\xBFscores"));
  EXPECT_EQ(host.LoadState(), String("scores"));
  EXPECT_EQ(host.SaveState(String()), 0);
  EXPECT_EQ(ReadFile(".vantorstate"), "");
  ASSERT_EQ(host.SaveState("old"), 0);
  // The disk fills up while writing, then the new state cannot even be opened, then a save
  // works again: a failure is said once, however many saves fail in a row.
  ASSERT_EQ(symlink("/dev/full", ".vantorstate.tmp"), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(host.SaveState("new"), -2);
  EXPECT_FALSE(Exists(".vantorstate.tmp"));
  ASSERT_EQ(mkdir(".vantorstate.tmp", 0755), 0);
  EXPECT_EQ(host.SaveState("new"), -1);
  EXPECT_EQ(host.LoadState(), String("old"));
  ASSERT_EQ(rmdir(".vantorstate.tmp"), 0);
  EXPECT_EQ(host.SaveState("new"), 0);
  EXPECT_FALSE(Exists(".vantorstate.tmp"));
  ASSERT_EQ(mkdir(".vantorstate.tmp", 0755), 0);
  EXPECT_EQ(host.SaveState("newer"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "State not saved: No space left on device\nState not saved: Is a directory\n");
  EXPECT_TRUE(kx_files_LockState() && !kx_files_LockState() && Exists(".vantorstate.lock"));
}

}  // namespace
