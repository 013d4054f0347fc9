// The program in a real window on a private X display: the window, the loop's rate, suspension
// on losing the focus, and the close button.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace {

const std::string kBin = KX_BINARY_DIR;

bool WaitFor(const std::function<bool()>& done, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(kxtest::ReadFile(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The counts of the probe's "updates N" lines, one per second.
std::vector<int> UpdateCounts(const std::vector<std::string>& lines) {
  std::vector<int> counts;
  for (const std::string& line : lines) {
    if (line.rfind("updates ", 0) == 0) counts.push_back(std::stoi(line.substr(8)));
  }
  return counts;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines) {
    if (line == wanted) return true;
  }
  return false;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not come up";
    dir = kxtest::MakeTempDir("kx_window");
  }
  void TearDown() override {
    if (app.Running()) app.Kill();
    app.Wait(5);
    std::filesystem::remove_all(dir);
  }

  // Starts a program from the repository root and waits for its window.
  void Launch(const std::string& program) {
    out = dir + "/out.txt";
    ASSERT_TRUE(app.Start({program}, {"DISPLAY=" + xvfb.Display()}, out, dir + "/err.txt",
                          KX_SOURCE_DIR));
    ASSERT_TRUE(WaitFor(
        [&] {
          kxtest::ProcessResult found =
              xvfb.Tool({"/usr/bin/xdotool", "search", "--name", "^Skarblit$"});
          window = found.status == 0 ? found.out.substr(0, found.out.find('\n')) : "";
          return !window.empty();
        },
        10))
        << "no window titled Skarblit";
  }

  // The close button's request must end the program with status 0.
  void CloseAndExpectStatus0() {
    EXPECT_EQ(xvfb.Tool({kBin + "/kx_xclient", "close", window}).status, 0);
    EXPECT_EQ(app.Wait(10), 0) << kxtest::ReadFile(out);
  }

  kxtest::Xvfb xvfb;
  kxtest::Child app;
  std::string dir;
  std::string out;
  std::string window;
};

TEST_F(WindowTest, GameOpensCentredWindowAndEndsOnCloseRequest) {
  Launch(kBin + "/skarblit");
  kxtest::ProcessResult info = xvfb.Tool({"/usr/bin/xwininfo", "-id", window});
  ASSERT_EQ(info.status, 0);
  for (const char* wanted : {"Absolute upper-left X:  320", "Absolute upper-left Y:  272",
                             "Width: 640", "Height: 480", "\"Skarblit\""}) {
    EXPECT_NE(info.out.find(wanted), std::string::npos) << wanted << " in\n" << info.out;
  }
  CloseAndExpectStatus0();
}

// The probe application prints the updates of each second and its suspensions.
TEST_F(WindowTest, LoopRunsAt60AndSuspendsWhileAnotherWindowHasTheFocus) {
  Launch(kBin + "/kx_app_probe");
  ASSERT_TRUE(WaitFor([&] { return UpdateCounts(Lines(out)).size() >= 3; }, 8));
  std::vector<int> counts = UpdateCounts(Lines(out));
  int total = counts[0] + counts[1] + counts[2];
  EXPECT_GE(total, 175);
  EXPECT_LE(total, 185);

  kxtest::Child thief;
  ASSERT_TRUE(thief.Start({kBin + "/kx_xclient", "steal"}, {"DISPLAY=" + xvfb.Display()}));
  ASSERT_TRUE(WaitFor([&] { return Contains(Lines(out), "suspend"); }, 5));
  size_t seconds = UpdateCounts(Lines(out)).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(UpdateCounts(Lines(out)).size(), seconds) << "updates ran while suspended";
  EXPECT_FALSE(Contains(Lines(out), "resume"));

  ASSERT_EQ(xvfb.Tool({"/usr/bin/xdotool", "windowfocus", "--sync", window}).status, 0);
  EXPECT_TRUE(WaitFor(
      [&] {
        std::vector<std::string> lines = Lines(out);
        return Contains(lines, "resume") && UpdateCounts(lines).size() > seconds;
      },
      5))
      << kxtest::ReadFile(out);
  thief.Kill(15);
  thief.Wait(5);
  CloseAndExpectStatus0();
}

}  // namespace
