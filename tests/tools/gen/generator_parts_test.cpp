// The generator's WAV writer holds the samples clipped to sixteen bits. (Frames, pixels, levels
// and the shape of every sound are checked on the committed files the generator wrote.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/support/process.h"
#include "tests/tools/wav_reader.h"
#include "tools/gen/synth.h"

namespace {

TEST(GeneratorSynth, WavFilesHoldTheSamplesClippedToSixteenBits) {
  const kxtest::TempDir scratch("wav");
  const std::string& dir = scratch.path;
  gen::Buffer b = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f, 0.25f};
  ASSERT_TRUE(gen::WriteWav(dir + "/t.wav", b, 2));
  // The header's format fields are checked on every committed effect the generator wrote.
  kxtest::Wav w;
  ASSERT_TRUE(kxtest::ReadWav(dir + "/t.wav", &w));
  EXPECT_EQ(w.channels, 2);
  EXPECT_EQ(w.rate, gen::kRate);
  std::vector<short> expect = {0, 16384, -16384, 32767, -32767, 8192};
  EXPECT_EQ(w.samples, expect);
  EXPECT_FALSE(gen::WriteWav(dir + "/no/such/dir.wav", b, 1));
}

}  // namespace
