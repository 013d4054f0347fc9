// Helpers shared by the audio tests: WAV byte images, and running a test again in a child
// process whose OpenAL reads a configuration of the test's choosing (OpenAL reads its
// configuration once per process).
#pragma once
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "host/glfwgame.h"
#include "tests/support/process.h"

namespace audiotest {

inline std::string Le16(int v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
}
inline std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
inline std::string Chunk(const std::string& tag, const std::string& body) {
  return tag + Le32(static_cast<uint32_t>(body.size())) + body;
}
// "RIFF", the size, "WAVE", then the chunks.
inline std::string Riff(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}
inline std::string FmtChunk(int code, int channels, int rate, int bits,
                            const std::string& extra = "") {
  const int block = channels * bits / 8;
  return Chunk("fmt ", Le16(code) + Le16(channels) + Le32(rate) +
                           Le32(static_cast<uint32_t>(rate) * block) + Le16(block) + Le16(bits) +
                           extra);
}
// A whole 16-bit mono PCM file of silence.
inline std::string SilentWav(int frames, int rate) {
  return Riff(FmtChunk(1, 1, rate, 16) + Chunk("data", std::string(2 * frames, '\0')));
}

// An OpenAL configuration with a driver that plays to nowhere.
const char* const kNullConfig = "[general]\ndrivers=null\n";

// In the parent: runs the current test in a child whose OpenAL reads `config`, expects it to
// pass, and returns false. In the child (marked by KX_AUDIO_CHILD): returns true, and the test
// goes on.
inline bool InAudioChild(const std::string& config) {
  if (std::getenv("KX_AUDIO_CHILD")) return true;
  const kxtest::TempDir dir("kxaudio");
  EXPECT_TRUE(kxtest::WriteFile(dir.path + "/alsoft.conf", config));
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  kxtest::ProcessResult child = kxtest::RunProcess(
      {"/proc/self/exe", "--gtest_filter=" + filter}, "", true, kxtest::kHangSeconds,
      {"ALSOFT_CONF=" + dir.path + "/alsoft.conf", "KX_AUDIO_CHILD=1", "ALSOFT_LOGLEVEL=0"});
  EXPECT_EQ(child.status, 0) << child.out << child.err;
  EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << "the test did not run";
  return false;
}

// In the child: a host to load files through, the sound module's roots and a device.
struct AudioRig {
  KxGlfwGame host;
  gxtkAudio* audio = (KxGame::_game = &host, kx_audio_Init(), new gxtkAudio);
  // A quarter of a second of sound.
  const String tone = String("tests/data/tone_stereo.ogg");
  AudioRig() { kx_audio_SetAudioDevice(audio); }
};

}  // namespace audiotest
