// What a player hears: OpenAL's wave driver writes everything it mixes into a file, and the
// test finds each sound in it and measures its pitch, loudness and side.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "tests/audio/support.h"
#include "tests/support/process.h"

using namespace audiotest;

namespace {

const int kRate = 44100;
const char* const kWaveConfig =
    "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\nfrequency=44100\n"
    "hrtf=false\n[wave]\nfile=@DIR@/capture.wav\n";

double Rms(const std::vector<double>& samples) {
  double sum = 0;
  for (double s : samples) sum += s * s;
  return std::sqrt(sum / samples.size());
}

struct Sound {
  std::vector<double> left, right;
};

// The stretches of the capture louder than a whisper, each with its start and end trimmed off
// so that the gain ramps at the edges do not count.
std::vector<Sound> FindSounds(const std::string& wav) {
  size_t data = wav.find("data", 12);
  std::vector<Sound> sounds;
  if (data == std::string::npos) return sounds;
  int frames = static_cast<int>((wav.size() - data - 8) / 4);
  const short* samples = reinterpret_cast<const short*>(wav.data() + data + 8);
  std::vector<double> left = Channel(samples, frames, 2, 0), right = Channel(samples, frames, 2, 1);
  const int gap = kRate / 50;  // quieter than this long ends a sound
  int start = -1, lastLoud = -gap;
  for (int i = 0; i <= frames; ++i) {
    bool loud = i < frames && (std::abs(left[i]) > 300 || std::abs(right[i]) > 300);
    if (loud && start < 0) start = i;
    if (loud) lastLoud = i;
    if (start >= 0 && (i == frames || i - lastLoud > gap)) {
      int trim = (lastLoud - start) / 10;
      if (lastLoud - start > kRate / 20) {
        sounds.push_back({{left.begin() + start + trim, left.begin() + lastLoud - trim},
                          {right.begin() + start + trim, right.begin() + lastLoud - trim}});
      }
      start = -1;
    }
  }
  return sounds;
}

}  // namespace

TEST(AudioCapture, PitchPanVolumeAndRateReachTheMix) {
  if (!InAudioChild(kWaveConfig)) return;
  {
    AudioRig rig;
    gxtkSample* tone = rig.audio->LoadSample(String::FromUtf8(rig.WriteTone("a.wav", 440, 0.3)));
    auto play = [&](float volume, float pan, float rate) {
      rig.audio->SetVolume(0, volume);
      rig.audio->SetPan(0, pan);
      rig.audio->SetRate(0, rate);
      ASSERT_EQ(rig.audio->PlaySample(tone, 0, 0), 0);
      ASSERT_TRUE(kxtest::WaitFor([&] { return rig.audio->ChannelState(0) == 0; }, 30));
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
    };
    play(1, 0, 1);
    play(0.5f, 0, 1);
    play(1, 1.5707964f, 1);
    play(1, 0, 2);
    // Closing the device completes the file.
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(rig.audio->context);
    alcCloseDevice(rig.audio->device);
    rig.audio->device = nullptr;
  }
  std::vector<Sound> sounds = FindSounds(kxtest::ReadFile(ChildDir() + "/capture.wav"));
  ASSERT_EQ(sounds.size(), 4u);
  const Sound &plain = sounds[0], &half = sounds[1], &right = sounds[2], &fast = sounds[3];

  EXPECT_NEAR(Frequency(plain.left, kRate), 440, 440 * 0.01);
  EXPECT_NEAR(Rms(plain.left) / Rms(plain.right), 1.0, 0.05);

  EXPECT_NEAR(Rms(half.left) / Rms(plain.left), 0.5, 0.02);
  EXPECT_NEAR(Rms(half.right) / Rms(plain.right), 0.5, 0.02);

  EXPECT_LT(Rms(right.left), Rms(right.right) * 0.05);
  EXPECT_NEAR(Frequency(right.right, kRate), 440, 440 * 0.01);

  EXPECT_NEAR(Frequency(fast.left, kRate), 880, 880 * 0.01);
  EXPECT_NEAR(static_cast<double>(fast.left.size()) / plain.left.size(), 0.5, 0.05);
}
