// The fatal-error path and logging, judged byte for byte from a child process.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

kxtest::ProcessResult RunChild(const std::vector<std::string>& args, const std::string& input,
                          bool closeStdin = false) {
  std::vector<std::string> argv{KX_ERROR_CHILD};
  argv.insert(argv.end(), args.begin(), args.end());
  return kxtest::RunProcess(argv, input, closeStdin, 20.0);
}

const char kReport[] = "Vantor Runtime Error : abc\n\n";
const char kMarker[] = "{{~~~~}}\n\n";

TEST(ErrorPath, ClosedInputEndsWithStatusMinusOneAfterOneReport) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, "", true);
  EXPECT_EQ(r.out, kReport);
  EXPECT_EQ(r.err, kMarker);
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, ResumeReportsTheSameErrorAgain) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, "r\n");
  EXPECT_EQ(r.out, std::string(kReport) + kReport);
  EXPECT_EQ(r.err, std::string(kMarker) + kMarker);
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, QuitEndsWithStatusZero) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, "?\nq\n");
  EXPECT_EQ(r.out, kReport);
  EXPECT_EQ(r.err, kMarker);
  EXPECT_EQ(r.status, 0);
}

TEST(ErrorPath, UnknownCommandIsEchoedAndFails) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, "x\n");
  EXPECT_EQ(r.out, std::string(kReport) + "????? x ?????");
  EXPECT_EQ(r.err, kMarker);
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, OverlongCommandLineEndsTheProcess) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, std::string(300, 'q') + "\n");
  EXPECT_EQ(r.out, kReport);
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, InspectingAnAddressThatIsNoObjectPrintsAnEmptyLine) {
  kxtest::ProcessResult r = RunChild({"error", "abc"}, "@0\n@0x10\n@zz\nq\n");
  EXPECT_EQ(r.err, std::string(kMarker) + "\n\n\n");
  EXPECT_EQ(r.status, 0);
}

TEST(ErrorPath, EmptyMessageIsTheQuietExit) {
  kxtest::ProcessResult r = RunChild({"error", ""}, "", true);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(ErrorPath, StepCommandsReturnFromTheStop) {
  kxtest::ProcessResult r = RunChild({"stop"}, "s\n");
  EXPECT_EQ(r.out, "resumed\n");
  EXPECT_EQ(r.err, kMarker);
  EXPECT_EQ(r.status, 0);
}

TEST(ErrorPath, FaultSignalIsReportedAsARuntimeError) {
  kxtest::ProcessResult r = RunChild({"fpe"}, "", true);
  EXPECT_EQ(r.out, "Vantor Runtime Error : Floating point exception\n\n");
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, UncaughtExceptionReport) {
  kxtest::ProcessResult r = RunChild({"die"}, "", true);
  EXPECT_EQ(r.out, "Vantor Runtime Error : Uncaught Vantor Exception\n");
  EXPECT_EQ(r.status, 255);
}

TEST(ErrorPath, ArrayLengthBeyondTheHeapIsAFatalErrorNotAnOverflow) {
  kxtest::ProcessResult r = RunChild({"huge", "2147483647"}, "", true);
  EXPECT_EQ(r.out, "Vantor Runtime Error : Array length out of range\n\n");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(RunChild({"huge", "-5"}, "", true).status, 0);
}

TEST(Logging, PrintEncodesEachUnitAsUtf8) {
  kxtest::ProcessResult r = RunChild({"print"}, "", true);
  EXPECT_EQ(r.out, "A\xc3\xa9\xe2\x82\xac\nlog\n");
  EXPECT_EQ(r.status, 0);
}

}  // namespace
