// The data generator is deterministic and writes exactly the files that are committed: two
// runs into fresh folders agree byte for byte with each other and with data/.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/process.h"

#ifdef KX_DATAGEN
namespace {

// Every regular file under root, as paths relative to it.
std::set<std::string> ListFiles(const std::string& root) {
  std::set<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) out.insert(std::filesystem::relative(e.path(), root).string());
  }
  return out;
}

TEST(DataGenerator, TwoRunsWriteIdenticalFilesMatchingTheCommittedSet) {
  const kxtest::TempDir dirA("datagen-a"), dirB("datagen-b");
  const std::string &a = dirA.path, &b = dirB.path;
  // Both runs at once: the machine has two cores and this is the slowest test of the suite.
  kxtest::Child first, second;
  ASSERT_TRUE(first.Start({KX_DATAGEN, a}));
  ASSERT_TRUE(second.Start({KX_DATAGEN, b}));
  ASSERT_EQ(first.Wait(), 0);
  ASSERT_EQ(second.Wait(), 0);
  std::set<std::string> filesA = ListFiles(a);
  EXPECT_EQ(filesA, ListFiles(b));
  EXPECT_EQ(filesA, ListFiles("data")) << "data/ is not what the generator writes";
  for (const std::string& f : filesA) {
    std::string bytes = kxtest::ReadFile(a + "/" + f);
    EXPECT_TRUE(bytes == kxtest::ReadFile(b + "/" + f)) << f << " differs between runs";
    // Also catches a generator change committed without the files it now makes.
    EXPECT_TRUE(bytes == kxtest::ReadFile("data/" + f)) << "data/" << f << " is stale";
  }
}
}  // namespace
#endif
