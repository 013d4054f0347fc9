// Misuse of the net module is fatal: each case runs in a child process, since it ends it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

TEST(NetFatal, MisuseEndsTheProcessWithTheRuntimeError) {
  // What the child printed before the misuse, so it died at the misuse and not before.
  const char* const cases[][3] = {
      {"overflow", "AsyncQueue queue overflow!", "queued 255\n"},
      {"source-twice", "Async event source is already active", "added two\n"},
      {"encoding", "Invalid string encoding:latin1", ""},
      {"allocate-twice", "Allocate DataBuffer failed", ""},
      {"protocol", "Illegal socket protocol", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    kxtest::ProcessResult r = kxtest::RunProcess({KX_NET_FATAL, c[0]}, "", true, 20.0);
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.out.find(std::string(c[2]) + "Vantor Runtime Error : " + c[1] + "\n"),
              std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("survived"), std::string::npos);
  }
}

}  // namespace
