#include "tests/audio/support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/process.h"

namespace audiotest {

const char* const kNullConfig = "[general]\ndrivers=null\n";

std::string Le16(int value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Le32(uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }

std::string Chunk(const std::string& tag, const std::string& body) {
  return tag + Le32(static_cast<uint32_t>(body.size())) + body;
}

std::string Riff(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

std::string FmtChunk(int code, int channels, int rate, int bits, const std::string& extra) {
  int block = channels * bits / 8;
  return Chunk("fmt ", Le16(code) + Le16(channels) + Le32(rate) +
                           Le32(static_cast<uint32_t>(rate) * block) +
                           Le16(block) + Le16(bits) + extra);
}

std::string ToneWav(double hertz, double seconds, int rate) {
  std::string pcm;
  int frames = static_cast<int>(seconds * rate);
  for (int i = 0; i < frames; ++i) {
    pcm += Le16(static_cast<int>(std::lround(16384 * std::sin(2 * M_PI * hertz * i / rate))));
  }
  return Riff(FmtChunk(1, 1, rate, 16) + Chunk("data", pcm));
}

std::string ChildDir() {
  const char* dir = getenv("KX_AUDIO_DIR");
  return dir ? dir : "";
}

bool InAudioChild(const std::string& config) {
  if (getenv("KX_AUDIO_DIR")) return true;
  std::string dir = kxtest::MakeTempDir("kxaudio");
  std::string text = config;
  for (size_t at; (at = text.find("@DIR@")) != std::string::npos;) text.replace(at, 5, dir);
  EXPECT_TRUE(kxtest::WriteFile(dir + "/alsoft.conf", text));
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  kxtest::ProcessResult child = kxtest::RunProcess(
      {"/proc/self/exe", "--gtest_filter=" + filter}, "", true, 60,
      {"ALSOFT_CONF=" + dir + "/alsoft.conf", "KX_AUDIO_DIR=" + dir, "ALSOFT_LOGLEVEL=0"});
  EXPECT_EQ(child.status, 0) << child.out << child.err;
  EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << "the test did not run";
  std::filesystem::remove_all(dir);
  return false;
}

AudioRig::AudioRig() {
  KxGame::_game = &host;
  kx_audio_Init();
  audio = new gxtkAudio;
  kx_audio_SetAudioDevice(audio);
}

std::string AudioRig::WriteTone(const std::string& name, double hertz, double seconds) {
  std::string path = ChildDir() + "/" + name;
  EXPECT_TRUE(kxtest::WriteFile(path, ToneWav(hertz, seconds)));
  return path;
}

}  // namespace audiotest
