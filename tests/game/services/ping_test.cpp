// The start-up ping is switched off in this game: it must touch no network at all.
#include <string>

#include "tests/game/shell/shell_fixture.h"

namespace {

using shelltest::ShellTest;

TEST_F(ShellTest, PingSwitchedOffTouchesNoNetwork) {
  ASSERT_EQ(kx_Skarblit_J_On_Allow, 0);
  int sources = kx_asyncevent__sources->p_Length2();
  testing::internal::CaptureStdout();
  Create();
  for (int i = 0; i < 3; ++i) Update();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(kx_asyncevent__sources->p_Length2(), sources);
  EXPECT_EQ(out, "");
  EXPECT_EQ(kx_Skarblit_J_On_Able, 0);
}

}  // namespace
