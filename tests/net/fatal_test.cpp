// Misuse of the net module is fatal: each case runs in a child process, since it ends it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

struct FatalCase {
  const char* arg;
  const char* message;
};

TEST(NetFatal, MisuseEndsTheProcessWithTheRuntimeError) {
  const FatalCase cases[] = {
      {"overflow", "AsyncQueue queue overflow!"},
      {"source-twice", "Async event source is already active"},
      {"encoding", "Invalid string encoding:latin1"},
      {"allocate-twice", "Allocate DataBuffer failed"},
      {"protocol", "Illegal socket protocol"},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.arg);
    kxtest::ProcessResult r = kxtest::RunProcess({KX_NET_FATAL, c.arg}, "", true, 20.0);
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.out.find(std::string("Vantor Runtime Error : ") + c.message + "\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("survived"), std::string::npos);
  }
  kxtest::ProcessResult overflow = kxtest::RunProcess({KX_NET_FATAL, "overflow"}, "", true, 20.0);
  EXPECT_NE(overflow.out.find("queued 255\n"), std::string::npos);
  EXPECT_EQ(overflow.out.find("queued 256"), std::string::npos);
  EXPECT_NE(kxtest::RunProcess({KX_NET_FATAL, "source-twice"}, "", true).out.find("added two"),
            std::string::npos);
}

}  // namespace
