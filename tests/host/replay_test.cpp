// Replay files and the recording and replaying hosts: damaged and foreign files are refused
// with one clear line before anything is played, a run recorded on the scripted windowing
// library replays exactly (a run-time error included), a run that asks anything else is caught
// at the update where it strays, and the viewer keeps the recorded pace while staying
// responsive. (The bytes of the format are pinned by the recordings of tests/replays, which
// the suite records again and compares byte for byte.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "host/replay/host.h"
#include "tests/host/fake_glfw.h"
#include "tests/support/process.h"

namespace {

using Entries = std::vector<KxReplayEntry>;
const KxReplayEntry update(KxReplayUpdate);

class ReplayFileTest : public ::testing::Test {
 protected:
  const kxtest::TempDir scratch{"replay"};
  const std::string dir = scratch.path, path = dir + "/run.skr";

  // Writes the entries in blocks of `perBlock`; returns where each block starts.
  std::vector<size_t> Write(const Entries& entries, size_t perBlock = 1000) {
    KxReplayWriter writer;
    EXPECT_TRUE(writer.Open(path, "1.2.3", 42));
    std::vector<size_t> starts;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i % perBlock == 0 && writer.Flush()) starts.push_back(kxtest::ReadFile(path).size());
      EXPECT_TRUE(writer.Put(entries[i])) << writer.Error();
    }
    EXPECT_TRUE(writer.Close(String("s|")));
    return starts;
  }
  // What reading the bytes as this program gives: the entries, or the reader's error.
  std::string Read(const std::string& bytes, Entries* entries = nullptr,
                   const std::string& version = "1.2.3", uint64_t data = 42) {
    kxtest::WriteFile(path, bytes);
    KxReplayReader reader;
    if (!reader.Open(path, version, data)) return reader.Error();
    for (KxReplayEntry e; reader.Next(&e);) {
      if (entries) entries->push_back(e);
    }
    return reader.Error();
  }
};

// Frames at 60 Hz: an update reading the clock, its digest, and a render.
Entries Frames(int count) {
  Entries entries = {KxReplayEntry(KxReplayRate, {60}), KxReplayEntry(KxReplayStart)};
  for (int f = 0; f < count; ++f) {
    entries.insert(entries.end(), {update, KxReplayEntry(KxReplayMillisecs, {f * 16}),
                                   KxReplayEntry(KxReplayDigest, {f & 15}),
                                   KxReplayEntry(KxReplayRender, {f * 16 + 1})});
  }
  return entries;
}

TEST_F(ReplayFileTest, ForeignDamagedAndCutFilesAreRefusedBeforeAnythingPlays) {
  std::vector<size_t> at = Write(Frames(120), 60);
  ASSERT_EQ(at.size(), 9u);
  const std::string good = kxtest::ReadFile(path);
  auto block = [&](int i) { return good.substr(at[i], at[i + 1] - at[i]); };
  // The good file with `n` bytes at `from` replaced by `bytes`.
  auto put = [&](size_t from, size_t n, const std::string& bytes) {
    return std::string(good).replace(from, n, bytes);
  };
  const char count = good[at[2]];  // the entry count of the third block, one varint byte
  const std::string corrupt = "the replay is corrupt (a block's checksum does not match)",
                    cut = "the replay is truncated", foreign = "not a Skarblit replay";
  const struct {
    std::string bytes, error, version = "1.2.3";
    uint64_t data = 42;
  } rows[] = {
      {"", foreign},
      {"GIF89a and so on", foreign},
      {put(8, 1, "\x01"), "replay format 1 is not supported (this program reads format 2)"},
      {good, "recorded by Skarblit 1.2.3; this is Skarblit 1.3.0", "1.3.0"},
      {good, "recorded with other game data", "1.2.3", 43},
      {good.substr(0, 12), cut},
      {good.substr(0, at[5] + 5), cut},
      // The count in five bytes, the last with bits that no 32-bit count has.
      {put(at[2], 1, char(count | 0x80) + std::string("\x80\x80\x80\x10")), cut},
      {put(at[2], 1, {char(count - 1)}), corrupt},
      {put(at[3] + 9, 1, {char(good[at[3] + 9] ^ 0x40)}), corrupt},
      {put(at[2], at[3] - at[2], ""), corrupt},
      {put(at[2], at[4] - at[2], block(3) + block(2)), corrupt},
      {put(at[3], 0, block(2)), corrupt},
      {good + "x", "the replay is corrupt (data after its end)"},
      {good, ""},
  };
  for (const auto& row : rows) {
    Entries played;
    EXPECT_EQ(Read(row.bytes, &played, row.version, row.data), row.error) << row.error;
    // Damage is found before the first entry; only a cut file plays its whole blocks.
    size_t plays = row.error.empty() ? Frames(120).size() : row.error == cut ? played.size() : 0;
    EXPECT_EQ(played.size(), plays) << row.error;
  }
}

// What a real run cannot say is damage too, wherever it is in the file, and the writer refuses
// what the reader would.
TEST_F(ReplayFileTest, EntriesNoRunCanGiveAreCorruptAndTheWriterRefusesThem) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const KxReplayEntry digest(KxReplayDigest, {0});
  const std::string offPlane = "a pointer position that is not on the screen's plane",
                    size = "a window or screen size out of range";
  const struct {
    Entries tail;  // after three good frames
    std::string fault;
  } rows[] = {
      {{KxReplayEntry(KxReplayMillisecs, {1})}, "the clock runs backwards"},
      {{KxReplayEntry(KxReplayRender, {2})}, "the render times run backwards"},
      {{update, digest, update, digest, update, digest, KxReplayEntry(KxReplayRender, {40})},
       "more updates in a frame than the time that passed allows"},
      {Entries(5, update), "an update where the loop runs none"},
      {{KxReplayEntry(KxReplayMouse, {6, -1}, {nan, 3})}, offPlane},
      {{KxReplayEntry(KxReplayTouch, {7, 0}, {1e9f, 3})}, offPlane},
      {{KxReplayEntry(KxReplayKey, {1, 600})}, "an input event outside the input device's codes"},
      {{KxReplayEntry(KxReplayWidth, {0})}, size},
      {{KxReplayEntry(KxReplayHeight, {16384})}, size},
      {{KxReplayEntry(KxReplayJoystick, {0, 1, 0}, {0, 0, 2, 0, 0, 0})},
       "a joystick axis out of range"},
      {{KxReplayEntry(KxReplayDigest, {3})}, "a digest outside an update"},
  };
  for (const auto& row : rows) {
    Entries entries = Frames(3);
    entries.insert(entries.end(), row.tail.begin(), row.tail.end());
    Write(entries);
    EXPECT_EQ(Read(kxtest::ReadFile(path)), "the replay is corrupt (" + row.fault + ")");
  }
  KxReplayEntry state(KxReplayState);
  state.text = String(std::string(kx_replay_MaxText + 1, 'x').c_str());
  KxReplayWriter writer;
  ASSERT_TRUE(writer.Open(path, "1.2.3", 42));
  EXPECT_FALSE(writer.Put(state) || writer.IsOpen());
  EXPECT_EQ(writer.Error(), "the stored state with a text over 1 MiB");
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

class ReplayHostTest : public ReplayFileTest {
 protected:
  kxtest::FakeGlfw fake;
  std::string recorded;  // what the recording host printed
  using Said = std::pair<int, std::string>;  // a replay's status and what it printed

  // Plays 200 frames on the scripted library, with a key, a resize, a joystick and a long
  // suspension (ten minutes, a computer gone to sleep) on the way.
  bool Record(const std::string& file) {
    fake.joysticks[0] = {true, {0.5f, -1}, std::vector<unsigned char>(12, 1)};
    fake.onEvents = [&] {
      if (fake.swaps == 40) fake.keyFun('A', glfw2::kPress);
      if (fake.swaps == 90) fake.width = 800;
      if (fake.swaps == 120) fake.active = false;
      if (fake.swaps == 121 && !fake.active) fake.time += 600, fake.active = true;
    };
    fake.closeAfterSwaps = 200;
    KxRecordingGame host;
    testing::internal::CaptureStdout();
    bool recording = host.Record(file, "t", 7);
    if (recording) Start(&host);
    recorded = testing::internal::GetCapturedStdout();
    return recording;
  }
  void Start(KxVantorGame* host) {
    seen = 0;
    KxGame::_game = KxGlfwGame::_glfwGame = host;
    host->SetDelegate(new Probe);
    host->SetUpdateRate(60);
    host->Run();
    KxGame::_game = KxGlfwGame::_glfwGame = nullptr;
  }
  Said Replay(bool watch = false) {
    KxReplayGame host(watch);
    EXPECT_TRUE(host.Load(path, "t", 7)) << host.Error();
    testing::internal::CaptureStdout();
    Start(&host);
    glfw2::Install(&fake);
    return {host.ExitStatus(), testing::internal::GetCapturedStdout()};
  }
  // The recording host stores the state as the game does: in the working directory.
  void SetUp() override {
    kx_replay_digest = [] { return seen; };
    ASSERT_EQ(chdir(dir.c_str()), 0);
  }
  void TearDown() override {
    kx_replay_digest = nullptr;
    ASSERT_EQ(chdir(KX_SOURCE_DIR), 0);
  }
};

// A recording that cannot be written stops with one line and the game plays on; one that
// cannot even start leaves the earlier file of that name alone.
TEST_F(ReplayHostTest, ARecordingThatCannotBeWrittenStopsAndTheGamePlaysOn) {
  KxRecordingGame folder;
  EXPECT_FALSE(folder.Record(dir, "t", 7));
  EXPECT_EQ(folder.Error(), "is a folder");
  ASSERT_TRUE(Record("/dev/full"));
  EXPECT_EQ(recorded, "Recording stopped: /dev/full: cannot write the recording: No space left "
                      "on device\n");
  EXPECT_EQ(fake.swaps, 200);
  struct NoWindow : kxtest::FakeGlfw {
    int OpenWindow(int, int, int, int, int, int, int, int, int) override { return glfw2::kFalse; }
  } noWindow;
  kxtest::WriteFile(path, "an earlier recording");
  ASSERT_TRUE(Record(path));
  EXPECT_EQ(kxtest::ReadFile(path), "an earlier recording");
}

// A recorded run replays exactly, the game's digest matching after every update, and one that
// strays is caught at the update where it does. The viewer shows the ten-minute suspension as
// one second, waits in slices short enough for its keys, and Right, Left and Space change its
// pace; paused, it polls until Escape, which ends it at the next poll.
TEST_F(ReplayHostTest, ARunReplaysExactlyAStrayingOneIsCaughtAndTheViewerKeepsItsPace) {
  ASSERT_TRUE(Record(path));
  EXPECT_EQ(recorded, "");
  ASSERT_GT(fake.time, 601);
  EXPECT_EQ(Replay(), Said(0, "replay matched: 199 updates, the same final state\n"));
  extraClockAt = 120;
  EXPECT_EQ(Replay(), Said(1, "replay diverged at update 120 (the game asked for the clock where "
                              "the recording has a state digest)\n"));
  extraClockAt = -1;
  const struct {
    std::vector<int> keys;  // pressed at the first poll, or at the third for Space
    double lowest, highest;  // the time the whole run takes to watch, in seconds
  } rows[] = {  // 200 frames and the suspension's second: 4.33 s, a quarter, twice
      {{}, 4.13, 4.53}, {{glfw2::KEY_RIGHT, glfw2::KEY_RIGHT}, 0.98, 1.18},
      {{glfw2::KEY_LEFT}, 8.37, 8.97}, {{glfw2::KEY_SPACE}, 5.0, 5.11}};
  for (const auto& row : rows) {
    fake.time = 0, fake.closeAfterSwaps = -1;
    int polls = 0;
    double longest = 0, last = 0;
    fake.onEvents = [&] {
      longest = std::max(longest, fake.time - last);
      last = fake.time;
      bool pause = row.keys == std::vector<int>{glfw2::KEY_SPACE};
      if (++polls == (pause ? 3 : 1)) {
        for (int key : row.keys) fake.keyFun(key, glfw2::kPress);
      }
      if (pause && fake.time >= 5.0) fake.keyFun(glfw2::KEY_ESC, glfw2::kPress);
    };
    EXPECT_EQ(Replay(true).first, 0);
    EXPECT_TRUE(fake.time >= row.lowest && fake.time <= row.highest && longest <= 0.051)
        << fake.time << " " << longest;
  }
  EXPECT_NE(fake.title.find(" - paused"), std::string::npos) << fake.title;
}

// The program the entry runs in the tests below: its application quits in its first update,
// or with `failAt` set fails its check at that update, a run-time error.
int failAt = 0;
class EntryProbe : public KxGameDelegate {
  int updates = 0;
  void StartGame() override { KxGame::_game->SetUpdateRate(60); }
  void UpdateGame() override {
    KxGame::_game->Millisecs();
    if (++updates == failAt || !failAt) kxError(String(failAt ? "the probe broke" : ""));
  }
};

TEST_F(ReplayHostTest, AfterTheQuietExitTheEntryShutsTheLibraryDownAndEndsWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [&] { std::exit(KxVantorGame::Main(0, nullptr) == 0 && fake.terminated ? 7 : 1); };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(7), "");
}

// A run that ends in a run-time error, recorded and then replayed by the entry, each in a
// process of its own whose output goes to the file "said": the debugger's stop after the error
// reads standard input, which stays open and silent, and a replay that waited there would hang.
TEST_F(ReplayFileTest, ARunThatEndedInARunTimeErrorReplaysToTheSameError) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child writes where this test reads
  const std::string said = dir + "/said";
  auto run = [&](int fail, bool record) {
    int in[2];
    const int out = open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (pipe(in) != 0 || dup2(record ? open("/dev/null", O_RDONLY) : in[0], 0) < 0 ||
        dup2(out, 1) < 0) {
      std::exit(3);
    }
    kxtest::FakeGlfw fake;
    failAt = fail;
    KxRecordingGame* recording = record ? new KxRecordingGame : nullptr;
    KxReplayGame* replay = record ? nullptr : new KxReplayGame(false);
    KxVantorGame* host = recording ? static_cast<KxVantorGame*>(recording) : replay;
    bool ready = record ? recording->Record(path, "t", 7) : replay->Load(path, "t", 7);
    std::exit(ready ? KxVantorGame::Main2(host, 0, nullptr) : 3);
  };
  // Recorded: the error is said, and the debugger's stop finds the input at its end.
  EXPECT_EXIT(run(30, true), ::testing::ExitedWithCode(255), "") << kxtest::ReadFile(said);
  ASSERT_NE(kxtest::ReadFile(said).find("Vantor Runtime Error : the probe broke"),
            std::string::npos);
  const struct {
    int failAt, status;
    std::string line;
  } rows[] = {
      {30, 0, "replay matched: 30 updates, the recorded run-time error (the probe broke)\n"},
      {20, 1, "replay diverged at update 20 (a run-time error the recording does not have: the "
              "probe broke)\n"},
      {31, 1, "replay diverged at update 30 (the game asked for a state digest where the "
              "recording has a run-time error)\n"},
  };
  for (const auto& row : rows) {
    EXPECT_EXIT(run(row.failAt, false), ::testing::ExitedWithCode(row.status), "") << row.failAt;
    EXPECT_EQ(kxtest::ReadFile(said), row.line);
  }
}

}  // namespace

void kxInit() {}
int kxMain() {
  KxGame::_game->SetDelegate(new EntryProbe);
  return 0;
}
