// The audio device over a silent OpenAL: channel states, source sharing, music, deferred
// buffer deletion, the collector's view of playing samples, and what a channel tells OpenAL.
// Each test runs in a child process of its own so that OpenAL reads the test's configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "tests/audio/support.h"
#include "tests/support/process.h"

using namespace audiotest;

namespace {

ALint SourceState(ALuint source) {
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

bool IsDiscarded(ALuint buffer) {
  const std::vector<ALuint>& gone = gxtkAudio::discarded;
  return std::find(gone.begin(), gone.end(), buffer) != gone.end();
}

// Waits until OpenAL has finished the source, leaving the channel alone.
bool SourceFinishes(ALuint source) {
  return kxtest::WaitFor([&] { return SourceState(source) == AL_STOPPED; }, 30);
}

// Ends the current collector cycle and lets an allocation destroy the garbage it found.
void CollectGarbage() {
  gc_finish_cycle();
  Array<int> big(1 << 20);
}

}  // namespace

TEST(AudioDevice, ChannelStatesThroughPausesSuspensionAndFinishedOneShots) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  gxtkChannel* ch = rig.audio->channels;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  gxtkSample* sample = rig.audio->LoadSample(tone);
  gxtkSample* blip = rig.audio->LoadSample(String::FromUtf8(rig.WriteTone("b.wav", 440, 0.03)));
  ASSERT_NE(blip, nullptr);
  for (int c : {1, 2}) ASSERT_EQ(rig.audio->PlaySample(sample, c, 1), 0);
  ASSERT_EQ(rig.audio->PlayMusic(tone, 1), 0);
  for (int c : {3, 4}) ASSERT_EQ(rig.audio->PlaySample(blip, c, 0), 0);
  ASSERT_TRUE(SourceFinishes(ch[3].source));
  ASSERT_TRUE(SourceFinishes(ch[4].source));
  // Each channel's state as the game reads it, and what its source does.
  auto seen = [&] {
    std::string text;
    for (int c : {1, 2, 3, 4, 32}) {
      const ALint al = SourceState(ch[c].source);
      text += std::to_string(rig.audio->ChannelState(c)) +
              (al == AL_PLAYING ? "p " : al == AL_PAUSED ? "z " : "s ");
    }
    return text;
  };
  // Pausing and resuming a one-shot that has finished does not start it again.
  rig.audio->PauseChannel(3);
  rig.audio->ResumeChannel(3);
  rig.audio->PauseChannel(2);
  EXPECT_EQ(seen(), "1p 2z 0s 0s 1p ");
  rig.audio->Suspend();
  EXPECT_EQ(seen(), "1z 2z 0s 0s 1z ");
  // The channel the game had paused stays paused across the suspension.
  rig.audio->Resume();
  EXPECT_EQ(seen(), "1p 2z 0s 0s 1p ");
  rig.audio->ResumeChannel(2);
  EXPECT_EQ(seen(), "1p 1p 0s 0s 1p ");
  // A music file that is missing stops the current music.
  EXPECT_EQ(rig.audio->PlayMusic(String::FromUtf8(ChildDir() + "/gone.ogg"), 1), -1);
  EXPECT_EQ(seen(), "1p 1p 0s 0s 0s ");
  // Numbers outside 0..32 name no channel: every channel operation refuses them.
  gxtkAudio* a = rig.audio;
  for (int c : {-1, 33, INT_MIN, INT_MAX}) {
    const std::vector<int> results = {a->PlaySample(sample, c, 0), a->StopChannel(c),
                                      a->PauseChannel(c),          a->ResumeChannel(c),
                                      a->ChannelState(c),          a->SetVolume(c, 1),
                                      a->SetPan(c, 0),             a->SetRate(c, 1)};
    EXPECT_EQ(results, std::vector<int>(8, -1)) << c;
  }
  EXPECT_EQ(seen(), "1p 1p 0s 0s 0s ");
  // Volume, rate and pan as the source holds them: pan is an angle on the unit circle in
  // front of the listener.
  const float rows[][6] = {{0.5f, 2, 0, 0, 0, -1}, {1, 0.5f, 1.5707964f, 1, 0, 0}};
  for (const auto& r : rows) {
    ASSERT_EQ(a->SetVolume(5, r[0]) + a->SetRate(5, r[1]) + a->SetPan(5, r[2]), 0);
    ALfloat got[5] = {};
    alGetSourcef(ch[5].source, AL_GAIN, &got[0]);
    alGetSourcef(ch[5].source, AL_PITCH, &got[1]);
    alGetSource3f(ch[5].source, AL_POSITION, &got[2], &got[3], &got[4]);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], i < 2 ? r[i] : r[i + 1], 1e-6) << i;
  }
}

TEST(AudioDevice, WithSourcesUsedUpChannelsShareTheSourcesOfStoppedOnes) {
  if (!InAudioChild("[general]\ndrivers=null\nsources=4\n")) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  gxtkSample* sample = rig.audio->LoadSample(tone);
  gxtkChannel* ch = rig.audio->channels;
  // The channels that hold one of the four sources.
  auto holders = [&] {
    std::string text;
    for (int c = 0; c <= 32; ++c) text += ch[c].source ? std::to_string(c) + " " : "";
    return text;
  };
  for (int c = 0; c < 3; ++c) ASSERT_EQ(rig.audio->PlaySample(sample, c, 1), 0) << c;
  EXPECT_EQ(rig.audio->PlaySample(sample, 3, 1), -1);
  EXPECT_EQ(holders(), "0 1 2 32 ");
  rig.audio->StopChannel(1);
  rig.audio->StopChannel(0);
  ASSERT_EQ(rig.audio->PlaySample(sample, 5, 1), 0);
  // Setting a property obtains a source as well, here the next stopped one.
  rig.audio->SetVolume(6, 0.5f);
  EXPECT_EQ(holders(), "2 5 6 32 ");
  // A channel that has a source but never played counts as stopped.
  EXPECT_EQ(rig.audio->PlaySample(sample, 0, 1), 0);
  EXPECT_EQ(holders(), "0 2 5 32 ");
  EXPECT_EQ(rig.audio->PlaySample(sample, 8, 1), -1);
  // Music keeps the source it was given at the start.
  ALuint music = ch[32].source;
  EXPECT_EQ(rig.audio->PlayMusic(tone, 1), 0);
  EXPECT_EQ(ch[32].source, music);
  EXPECT_EQ(rig.audio->MusicState(), 1);
}

TEST(AudioDevice, DiscardedBufferIsDeletedOnceNoSourceHoldsIt) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  gxtkSample* looping = rig.audio->LoadSample(tone);
  gxtkSample* oneShot = rig.audio->LoadSample(String::FromUtf8(rig.WriteTone("b.wav", 440, 0.03)));
  ALuint loopBuffer = looping->buffer, shotBuffer = oneShot->buffer;
  rig.audio->PlaySample(looping, 0, 1);
  rig.audio->PlaySample(oneShot, 1, 0);
  looping->Discard();
  oneShot->Discard();
  EXPECT_EQ(looping->buffer, 0u);
  EXPECT_EQ(looping->Discard(), 0);
  gxtkSample* other = rig.audio->LoadSample(tone);
  EXPECT_TRUE(alIsBuffer(loopBuffer));
  EXPECT_TRUE(IsDiscarded(loopBuffer));
  // The one-shot ends by itself (its channel still reads 1): its buffer goes at the next flush.
  ASSERT_TRUE(SourceFinishes(rig.audio->channels[1].source));
  rig.audio->PlaySample(other, 2, 0);
  EXPECT_FALSE(alIsBuffer(shotBuffer));
  EXPECT_TRUE(alIsBuffer(loopBuffer));
  // A stopped channel lets go of its discarded buffer too.
  rig.audio->StopChannel(0);
  rig.audio->PlaySample(other, 2, 0);
  EXPECT_FALSE(alIsBuffer(loopBuffer));
  EXPECT_TRUE(gxtkAudio::discarded.empty());
}

TEST(AudioDevice, CollectorKeepsHeldSamplesAndFreesStoppedOnes) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  // The device is marked early in the cycle; a sound started afterwards must still survive.
  gc_finish_cycle();
  gc_mark_queued(2147483647);
  gxtkSample* sample = rig.audio->LoadSample(tone);
  ALuint buffer = sample->buffer;
  rig.audio->PlaySample(sample, 7, 1);
  sample = nullptr;
  testing::internal::CaptureStdout();
  CollectGarbage();
  CollectGarbage();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(rig.audio->ChannelState(7), 1);
  // A one-shot the mixer has finished stays with its channel until the game stops it: what
  // the collector frees must not depend on the mixer's timing.
  gxtkSample* oneShot = rig.audio->LoadSample(String::FromUtf8(rig.WriteTone("b.wav", 440, 0.03)));
  rig.audio->PlaySample(oneShot, 6, 0);
  oneShot = nullptr;
  ASSERT_TRUE(SourceFinishes(rig.audio->channels[6].source));
  testing::internal::CaptureStdout();
  CollectGarbage();
  CollectGarbage();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  rig.audio->StopChannel(6);
  rig.audio->StopChannel(7);
  testing::internal::CaptureStdout();
  CollectGarbage();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Discarding sample\nDiscarding sample\n");
  EXPECT_EQ(rig.audio->channels[7].sample, nullptr);
  EXPECT_TRUE(IsDiscarded(buffer));
  rig.audio->FlushDiscarded();
  EXPECT_FALSE(alIsBuffer(buffer));
}
