// The data generator is deterministic and writes exactly the files that are committed: two
// runs into fresh folders agree byte for byte with each other and with data/.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "tests/support/process.h"

namespace {

// Every regular file under root, as paths relative to it.
void ListFiles(const std::string& root, const std::string& rel, std::set<std::string>* out) {
  DIR* d = opendir((root + "/" + rel).c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = rel.empty() ? name : rel + "/" + name;
    struct stat st;
    if (stat((root + "/" + path).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode))
      ListFiles(root, path, out);
    else
      out->insert(path);
  }
  closedir(d);
}

#ifdef KX_DATAGEN
TEST(DataGenerator, TwoRunsWriteIdenticalFilesMatchingTheCommittedSet) {
  std::string a = kxtest::MakeTempDir("datagen-a"), b = kxtest::MakeTempDir("datagen-b");
  // Both runs at once: the machine has two cores and this is the slowest test of the suite.
  kxtest::Child first, second;
  ASSERT_TRUE(first.Start({KX_DATAGEN, a}));
  ASSERT_TRUE(second.Start({KX_DATAGEN, b}));
  ASSERT_EQ(first.Wait(240), 0);
  ASSERT_EQ(second.Wait(240), 0);
  std::set<std::string> filesA, filesB, committed;
  ListFiles(a, "", &filesA);
  ListFiles(b, "", &filesB);
  ListFiles("data", "", &committed);
  EXPECT_EQ(filesA, filesB);
  EXPECT_EQ(filesA, committed) << "data/ is not what the generator writes";
  for (const std::string& f : filesA) {
    std::string bytes = kxtest::ReadFile(a + "/" + f);
    EXPECT_TRUE(bytes == kxtest::ReadFile(b + "/" + f)) << f << " differs between runs";
    // Also catches a generator change committed without the data it now makes.
    EXPECT_TRUE(bytes == kxtest::ReadFile("data/" + f)) << "data/" << f << " is stale";
  }
  kxtest::RunProcess({"/bin/rm", "-rf", a, b});
}
#endif

TEST(DataGenerator, DataFolderStaysSmall) {
  std::set<std::string> files;
  ListFiles("data", "", &files);
  long total = 0;
  for (const std::string& f : files) {
    struct stat st;
    ASSERT_EQ(stat(("data/" + f).c_str(), &st), 0);
    total += st.st_size;
  }
  EXPECT_GT(files.size(), 50u);
  EXPECT_LT(total, 10L * 1024 * 1024);
}

}  // namespace
