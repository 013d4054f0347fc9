// The start-up ping is switched off in this game: it must touch no network at all.
#include <fstream>
#include <string>

#include "tests/game/shell/shell_fixture.h"

namespace {

using shelltest::ShellTest;

int ThreadCount() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
  }
  return -1;
}

TEST_F(ShellTest, PingSwitchedOffTouchesNoNetwork) {
  ASSERT_EQ(kx_Skarblit_J_On_Allow, 0);
  int sources = kx_asyncevent__sources->p_Length2();
  int threads = ThreadCount();
  testing::internal::CaptureStdout();
  Create();
  for (int i = 0; i < 3; ++i) Update();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(kx_asyncevent__sources->p_Length2(), sources);
  EXPECT_LE(ThreadCount(), threads);
  EXPECT_EQ(out, "");
  EXPECT_EQ(kx_Skarblit_J_On_Able, 0);
}

}  // namespace
