// The fatal-error path and logging, judged byte for byte from a child process.
#include <gtest/gtest.h>

#include "tests/support/process.h"

namespace {

struct Case {
  const char* name;
  std::vector<std::string> args;
  std::string input;  // "" with closed standard input
  std::string out;
  std::string err;
  int status;
};

const std::string kReport = "Vantor Runtime Error : abc\n\n";
const std::string kMarker = "{{~~~~}}\n\n";

const Case kCases[] = {
    {"closed input", {"error", "abc"}, "", kReport, kMarker, 255},
    {"resume repeats", {"error", "abc"}, "r\n", kReport + kReport, kMarker + kMarker, 255},
    {"quit", {"error", "abc"}, "?\nq\n", kReport, kMarker, 0},
    {"unknown command", {"error", "abc"}, "x\n", kReport + "????? x ?????", kMarker, 255},
    {"overlong line", {"error", "abc"}, std::string(300, 'q') + "\n", kReport, kMarker, 255},
    // Addresses that are no live object must not be followed.
    {"bad addresses", {"error", "abc"}, "@0\n@0x10\n@zz\nq\n", kReport, kMarker + "\n\n\n", 0},
    {"quiet exit", {"error", ""}, "", "", "", 0},
    {"step returns", {"stop"}, "s\n", "resumed\n", kMarker, 0},
    {"fault signal", {"fpe"}, "", "Vantor Runtime Error : Floating point exception\n\n", kMarker,
     255},
    {"uncaught", {"die"}, "", "Vantor Runtime Error : Uncaught Vantor Exception\n", "", 255},
    {"huge array", {"huge", "2147483647"}, "",
     "Vantor Runtime Error : Array length out of range\n\n", kMarker, 255},
    {"negative array", {"huge", "-5"}, "", "", "", 0},
    {"utf-8 per unit", {"print"}, "", "A\xc3\xa9\xe2\x82\xac\nlog\n", "", 0},
};

TEST(ErrorPath, ReportsDebuggerConversationAndExitStatus) {
  for (const Case& c : kCases) {
    std::vector<std::string> argv{KX_ERROR_CHILD};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    kxtest::ProcessResult r = kxtest::RunProcess(argv, c.input, c.input.empty(), 240);
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.status, c.status) << c.name;
  }
}

}  // namespace
