// The audio device over a silent OpenAL: channel states, source sharing, music, deferred
// buffer deletion, the collector's view of playing samples, and pan as a position. Each test
// runs in a child process of its own so that OpenAL reads the test's configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "tests/audio/support.h"

using namespace audiotest;

namespace {

ALint SourceState(ALuint source) {
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

// Waits until OpenAL has finished the source, leaving the channel alone.
bool Finishes(ALuint source) {
  return kxtest::WaitFor([&] { return SourceState(source) == AL_STOPPED; });
}

bool IsDiscarded(ALuint buffer) {
  return std::count(gxtkAudio::discarded.begin(), gxtkAudio::discarded.end(), buffer) == 1;
}

// Ends the current collector cycle and lets allocations pay for all the garbage it found;
// what the destruction printed.
struct Payer : Object {};
std::string CollectGarbage() {
  testing::internal::CaptureStdout();
  gc_finish_cycle();
  while (gc_free_bytes > 0) new (gc_object_alloc(std::max(gc_free_bytes, 64))) Payer;
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(AudioDevice, ChannelStatesThroughPausesSuspensionAndFinishedOneShots) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  gxtkAudio* a = rig.audio;
  gxtkChannel* ch = a->channels;
  gxtkSample* sample = a->LoadSample(rig.tone);
  ASSERT_NE(sample, nullptr);
  for (int c : {1, 2, 3, 4}) ASSERT_EQ(a->PlaySample(sample, c, c < 3), 0);  // 3, 4 once
  ASSERT_EQ(a->PlayMusic(rig.tone, 1), 0);
  for (int c : {3, 4}) ASSERT_TRUE(Finishes(ch[c].source));
  // Each channel's state as the game reads it, and what its source does.
  auto seen = [&] {
    std::string text;
    for (int c : {1, 2, 3, 4, 32}) {
      const ALint al = SourceState(ch[c].source);
      text += std::to_string(a->ChannelState(c)) +
              (al == AL_PLAYING ? "p " : al == AL_PAUSED ? "z " : "s ");
    }
    return text;
  };
  // Pausing and resuming a one-shot that has finished does not start it again.
  a->PauseChannel(3), a->ResumeChannel(3), a->PauseChannel(2);
  EXPECT_EQ(seen(), "1p 2z 0s 0s 1p ");
  a->Suspend();
  EXPECT_EQ(seen(), "1z 2z 0s 0s 1z ");
  // The channel the game had paused stays paused across the suspension.
  a->Resume();
  EXPECT_EQ(seen(), "1p 2z 0s 0s 1p ");
  a->ResumeChannel(2);
  EXPECT_EQ(seen(), "1p 1p 0s 0s 1p ");
  // A music file that is missing stops the current music.
  EXPECT_EQ(a->PlayMusic(String("gone.ogg"), 1), -1);
  EXPECT_EQ(seen(), "1p 1p 0s 0s 0s ");
  // Numbers outside 0..32 name no channel: every channel operation refuses them.
  for (int c : {-1, 33, INT_MIN, INT_MAX}) {
    const std::vector<int> results = {a->PlaySample(sample, c, 0), a->StopChannel(c),
                                      a->PauseChannel(c), a->ResumeChannel(c),
                                      a->ChannelState(c), a->SetVolume(c, 1),
                                      a->SetPan(c, 0), a->SetRate(c, 1)};
    EXPECT_EQ(results, std::vector<int>(8, -1)) << c;
  }
  EXPECT_EQ(seen(), "1p 1p 0s 0s 0s ");
  // Pan is an angle on the unit circle in front of the listener: x = sin, z = -cos.
  for (const auto& pan : {std::vector<float>{0, 0, 0, -1}, {1.5707964f, 1, 0, 0}}) {
    ASSERT_EQ(a->SetPan(5, pan[0]), 0);
    std::vector<float> at = {pan[0], 9, 9, 9};
    alGetSource3f(ch[5].source, AL_POSITION, &at[1], &at[2], &at[3]);
    for (int i = 1; i < 4; ++i) EXPECT_NEAR(at[i], pan[i], 1e-6) << pan[0];
  }
}

TEST(AudioDevice, WithSourcesUsedUpChannelsShareTheSourcesOfStoppedOnes) {
  if (!InAudioChild("[general]\ndrivers=null\nsources=4\n")) return;
  AudioRig rig;
  gxtkAudio* a = rig.audio;
  gxtkSample* sample = a->LoadSample(rig.tone);
  // The channels that hold one of the four sources.
  auto holders = [&] {
    std::string text;
    for (int c = 0; c <= 32; ++c) text += a->channels[c].source ? std::to_string(c) + " " : "";
    return text;
  };
  for (int c : {0, 1, 2}) ASSERT_EQ(a->PlaySample(sample, c, c < 2), 0) << c;
  // A one-shot that has finished counts as stopped, though the game has not asked its channel.
  ASSERT_TRUE(Finishes(a->channels[2].source));
  EXPECT_EQ(a->PlaySample(sample, 3, 1), 0);
  EXPECT_EQ(a->PlaySample(sample, 4, 1), -1);
  EXPECT_EQ(holders(), "0 1 3 32 ");
  a->StopChannel(1), a->StopChannel(0);
  ASSERT_EQ(a->PlaySample(sample, 5, 1), 0);
  // Setting a property obtains a source as well, here the next stopped one.
  a->SetVolume(6, 0.5f);
  EXPECT_EQ(holders(), "3 5 6 32 ");
  // A channel that has a source but never played counts as stopped.
  EXPECT_EQ(a->PlaySample(sample, 0, 1), 0);
  EXPECT_EQ(holders(), "0 3 5 32 ");
  EXPECT_EQ(a->PlaySample(sample, 8, 1), -1);
  // Music keeps the source it was given at the start.
  ALuint music = a->channels[32].source;
  EXPECT_EQ(a->PlayMusic(rig.tone, 1), 0);
  EXPECT_EQ(a->channels[32].source, music);
  EXPECT_EQ(a->MusicState(), 1);
}

TEST(AudioDevice, DiscardedBufferIsDeletedOnceNoSourceHoldsIt) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  gxtkAudio* a = rig.audio;
  // Every load flushes: all are loaded first, so that no flush can come between the one-shot's
  // start and its end, however long this thread stalls.
  gxtkSample* looping = a->LoadSample(rig.tone);
  gxtkSample* oneShot = a->LoadSample(rig.tone);
  gxtkSample* other = a->LoadSample(rig.tone);
  ALuint loopBuffer = looping->buffer, shotBuffer = oneShot->buffer;
  a->PlaySample(looping, 0, 1), a->PlaySample(oneShot, 1, 0);
  looping->Discard(), oneShot->Discard(), looping->Discard();
  EXPECT_EQ(looping->buffer, 0u);
  EXPECT_TRUE(IsDiscarded(loopBuffer)) << "listed once";
  // The one-shot ends by itself (its channel still reads 1): its buffer goes at the next flush,
  // while the looping one's source still holds its own.
  ASSERT_TRUE(Finishes(a->channels[1].source));
  a->PlaySample(other, 2, 0);
  EXPECT_EQ(alIsBuffer(shotBuffer) * 10 + alIsBuffer(loopBuffer), 1) << "shot gone, loop kept";
  // A stopped channel lets go of its discarded buffer too.
  a->StopChannel(0), a->PlaySample(other, 2, 0);
  EXPECT_FALSE(alIsBuffer(loopBuffer));
  EXPECT_TRUE(gxtkAudio::discarded.empty());
}

TEST(AudioDevice, CollectorKeepsHeldSamplesAndFreesStoppedOnes) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  gxtkAudio* a = rig.audio;
  // The device is marked early in the cycle; a sound started afterwards must still survive.
  gc_finish_cycle();
  gc_mark_queued(INT_MAX);
  gxtkSample* sample = a->LoadSample(rig.tone);
  ALuint buffer = sample->buffer;
  a->PlaySample(sample, 7, 1);
  // A one-shot the mixer has finished stays with its channel until the game stops it: what
  // the collector frees must not depend on the mixer's timing.
  a->PlaySample(a->LoadSample(rig.tone), 6, 0);
  ASSERT_TRUE(Finishes(a->channels[6].source));
  sample = nullptr;
  EXPECT_EQ(CollectGarbage() + CollectGarbage(), "");
  EXPECT_EQ(a->ChannelState(7), 1);
  a->StopChannel(6), a->StopChannel(7);
  EXPECT_EQ(CollectGarbage(), "Discarding sample\nDiscarding sample\n");
  EXPECT_EQ(a->channels[7].sample, nullptr);
  EXPECT_TRUE(IsDiscarded(buffer));
  a->FlushDiscarded();
  EXPECT_FALSE(alIsBuffer(buffer));
}
