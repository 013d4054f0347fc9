// Replay files and the recording and replaying hosts: damaged and foreign files are refused
// with one clear line, and a run recorded on the scripted windowing library replays exactly,
// while a run that asks anything else is caught at the update where it strays.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>

#include "host/replaygame.h"
#include "tests/host/fake_glfw.h"
#include "tests/support/process.h"

namespace {

KxReplayEntry Entry(int kind, std::vector<int> ints, std::vector<float> floats = {},
                    const char* text = "") {
  KxReplayEntry e;
  e.kind = kind;
  e.ints = std::move(ints);
  e.floats = std::move(floats);
  e.text = String(text);
  return e;
}

class ReplayFileTest : public ::testing::Test {
 protected:
  std::string dir = kxtest::MakeTempDir("replay");
  std::string path = dir + "/run.skr";
};

TEST_F(ReplayFileTest, ForeignDamagedAndCutFilesAreRefusedInOneLine) {
  KxReplayWriter writer;
  ASSERT_TRUE(writer.Open(path, "1.2.3", 42));
  for (int ms = 0; ms < 3000; ms += 16) writer.Put(Entry(KxReplayMillisecs, {ms}));
  writer.Close(String("s|"));
  const std::string good = kxtest::ReadFile(path);
  std::string flipped = good;
  flipped[good.size() - 9] ^= 0x40;
  const struct {
    std::string bytes, version;
    uint64_t data;
    std::string error;
  } rows[] = {
      {"", "1.2.3", 42, "not a Skarblit replay"},
      {"GIF89a and so on", "1.2.3", 42, "not a Skarblit replay"},
      {good.substr(0, 8) + '\x07' + good.substr(9), "1.2.3", 42,
       "replay format 7 is not supported (this program reads format 1)"},
      {good, "1.3.0", 42, "recorded by Skarblit 1.2.3; this is Skarblit 1.3.0"},
      {good, "1.2.3", 43, "recorded with other game data"},
      {good.substr(0, 12), "1.2.3", 42, "the replay is truncated"},
      {good.substr(0, good.size() - 3), "1.2.3", 42, "the replay is truncated"},
      {flipped, "1.2.3", 42, "the replay is corrupt"},
      {good + "x", "1.2.3", 42, "the replay is corrupt"},
  };
  for (const auto& row : rows) {
    ASSERT_TRUE(kxtest::WriteFile(path, row.bytes));
    KxReplayReader reader;
    KxReplayEntry e;
    if (reader.Open(path, row.version, row.data)) {
      while (reader.Next(&e)) {
      }
    }
    EXPECT_EQ(reader.Error(), row.error) << row.error;
  }
}

// A tiny game: it reads the clock, the window and the joystick (buttons and axes) every update,
// stores a state string now and then, and its fingerprint is everything it has seen. (Every kind
// of entry the game records also passes through the files of tests/replays on every test run.)
unsigned seen = 0;
int extraClockAt = -1;  // the update at which the game reads the clock once more

class Probe : public KxGameDelegate {
 public:
  int updates = 0;
  void StartGame() override { seen += KxGame::_game->LoadState().Length(); }
  void UpdateGame() override {
    KxGame* host = KxGame::_game;
    Array<float> axes(2), z(2);
    Array<bool> buttons(32);
    seen = seen * 31 + host->Millisecs() + host->GetDeviceWidth() +
           host->PollJoystick(0, axes, axes, z, buttons) + buttons[3] +
           static_cast<int>(axes[0] * 1000 + axes[1] * 100000);
    if (++updates == extraClockAt) host->Millisecs();
    if (updates % 50 == 0) host->SaveState(String(static_cast<int>(seen)));
  }
  void KeyEvent(int, int data) override { seen += data; }
};

unsigned Seen() { return seen; }

class ReplayHostTest : public ReplayFileTest {
 protected:
  // Plays 200 frames on the scripted library, with a key, a resize and a joystick on the way.
  void Record() {
    kxtest::FakeGlfw fake;
    fake.joysticks[0] = {true, {0.5f, -1}, std::vector<unsigned char>(12, 1)};
    fake.onEvents = [&] {
      if (fake.swaps == 40) fake.keyFun('A', glfw2::kPress);
      if (fake.swaps == 90) fake.width = 800;
    };
    fake.closeAfterSwaps = 200;
    KxRecordingGame host;
    ASSERT_TRUE(host.Record(path, "t", 7));
    Start(&host);
  }
  void Start(KxVantorGame* host) {
    seen = 0;
    KxGame::_game = KxGlfwGame::_glfwGame = host;
    host->SetDelegate(new Probe);
    host->SetUpdateRate(60);
    host->Run();
    KxGame::_game = KxGlfwGame::_glfwGame = nullptr;
  }
  // Verifies the recording; returns the status and what was printed.
  std::pair<int, std::string> Verify() {
    KxReplayGame host(false);
    EXPECT_TRUE(host.Load(path, "t", 7)) << host.Error();
    testing::internal::CaptureStdout();
    Start(&host);
    int status = host.ExitStatus();
    glfw2::Install(nullptr);
    return {status, testing::internal::GetCapturedStdout()};
  }
  // The recording host stores the state as the game does: in the working directory.
  void SetUp() override {
    kx_replay_digest = Seen;
    ASSERT_EQ(chdir(dir.c_str()), 0);
  }
  void TearDown() override {
    kx_replay_digest = nullptr;
    ASSERT_EQ(chdir(KX_SOURCE_DIR), 0);
  }
};

TEST_F(ReplayHostTest, ARecordedRunReplaysExactlyAndAStrayingOneIsCaughtWhereItStrays) {
  Record();
  unsigned recorded = seen;
  auto verified = Verify();
  EXPECT_EQ(verified.first, 0) << verified.second;
  EXPECT_EQ(seen, recorded);
  EXPECT_LT(kxtest::ReadFile(path).size(), 2000u) << "a few seconds of play in a few hundred bytes";

  extraClockAt = 120;
  auto strayed = Verify();
  extraClockAt = -1;
  EXPECT_EQ(strayed.first, 1);
  EXPECT_EQ(strayed.second,
            "replay diverged at update 120 (the game asked for the clock where the recording "
            "has a state digest)\n");
}

}  // namespace
