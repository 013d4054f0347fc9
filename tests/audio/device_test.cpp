// The audio device over a silent OpenAL: channel states, source sharing, music, deferred
// buffer deletion, the collector's view of playing samples, and running without a device.
// Each test runs in a child process of its own so that OpenAL reads the test's configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/audio/support.h"

using namespace audiotest;

namespace {

ALint SourceState(ALuint source) {
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

bool IsDiscarded(ALuint buffer) {
  return std::find(gxtkAudio::discarded.begin(), gxtkAudio::discarded.end(), buffer) !=
         gxtkAudio::discarded.end();
}

// Waits (two seconds at most) until OpenAL has finished the source, leaving the channel alone.
bool SourceFinishes(ALuint source) {
  for (int i = 0; i < 200 && SourceState(source) != AL_STOPPED; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return SourceState(source) == AL_STOPPED;
}

}  // namespace

TEST(AudioDevice, FinishedOneShotReadsStoppedWithoutPausingAnything) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  gxtkSample* blip = rig.audio->LoadSample(String::FromUtf8(rig.WriteTone("blip.wav", 440, 0.03)));
  ASSERT_NE(blip, nullptr);
  ASSERT_EQ(rig.audio->PlaySample(blip, 3, 0), 0);
  ASSERT_EQ(rig.audio->PlaySample(blip, 4, 0), 0);
  ASSERT_TRUE(SourceFinishes(rig.audio->channels[3].source));
  ASSERT_TRUE(SourceFinishes(rig.audio->channels[4].source));
  // Nobody asked yet, so both still read as playing inside the device.
  EXPECT_EQ(rig.audio->channels[3].state, 1);
  EXPECT_EQ(rig.audio->PauseChannel(3), 0);
  EXPECT_EQ(rig.audio->channels[3].state, 0);
  EXPECT_EQ(SourceState(rig.audio->channels[3].source), AL_STOPPED);
  EXPECT_EQ(rig.audio->ChannelState(4), 0);
  EXPECT_EQ(rig.audio->ResumeChannel(3), 0);
  EXPECT_EQ(SourceState(rig.audio->channels[3].source), AL_STOPPED);
}

TEST(AudioDevice, PauseResumeAndSuspensionKeepTheStates) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  gxtkSample* sample = rig.audio->LoadSample(tone);
  ASSERT_EQ(rig.audio->PlaySample(sample, 1, 1), 0);
  ASSERT_EQ(rig.audio->PlaySample(sample, 2, 1), 0);
  ASSERT_EQ(rig.audio->PlayMusic(tone, 1), 0);
  gxtkChannel* ch = rig.audio->channels;

  rig.audio->PauseChannel(2);
  EXPECT_EQ(rig.audio->ChannelState(2), 2);
  EXPECT_EQ(SourceState(ch[2].source), AL_PAUSED);

  rig.audio->Suspend();
  EXPECT_EQ(SourceState(ch[1].source), AL_PAUSED);
  EXPECT_EQ(SourceState(ch[32].source), AL_PAUSED);
  EXPECT_EQ(rig.audio->ChannelState(1), 1);
  EXPECT_EQ(rig.audio->MusicState(), 1);
  EXPECT_EQ(rig.audio->ChannelState(2), 2);

  rig.audio->Resume();
  EXPECT_EQ(SourceState(ch[1].source), AL_PLAYING);
  EXPECT_EQ(SourceState(ch[32].source), AL_PLAYING);
  // The channel the game had paused stays paused across the suspension.
  EXPECT_EQ(SourceState(ch[2].source), AL_PAUSED);
  EXPECT_EQ(rig.audio->ChannelState(2), 2);

  rig.audio->ResumeChannel(2);
  EXPECT_EQ(rig.audio->ChannelState(2), 1);
  EXPECT_EQ(SourceState(ch[2].source), AL_PLAYING);
}

TEST(AudioDevice, WithSourcesUsedUpChannelsShareTheSourcesOfStoppedOnes) {
  if (!InAudioChild("[general]\ndrivers=null\nsources=4\n")) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  gxtkSample* sample = rig.audio->LoadSample(tone);
  gxtkChannel* ch = rig.audio->channels;
  ALuint music = ch[32].source;
  ASSERT_NE(music, 0u);
  for (int c = 0; c < 3; ++c) ASSERT_EQ(rig.audio->PlaySample(sample, c, 1), 0) << c;
  EXPECT_EQ(rig.audio->PlaySample(sample, 3, 1), -1);
  EXPECT_EQ(ch[3].source, 0u);

  ALuint first = ch[0].source, second = ch[1].source;
  rig.audio->StopChannel(1);
  rig.audio->StopChannel(0);
  ASSERT_EQ(rig.audio->PlaySample(sample, 5, 1), 0);
  EXPECT_EQ(ch[5].source, first);
  EXPECT_EQ(ch[0].source, 0u);
  // Setting a property obtains a source as well, here the next stopped one.
  rig.audio->SetVolume(6, 0.5f);
  EXPECT_EQ(ch[6].source, second);
  EXPECT_EQ(ch[1].source, 0u);
  // A channel that has a source but never played counts as stopped.
  EXPECT_EQ(rig.audio->PlaySample(sample, 0, 1), 0);
  EXPECT_EQ(ch[0].source, second);
  EXPECT_EQ(ch[6].source, 0u);
  EXPECT_EQ(rig.audio->PlaySample(sample, 8, 1), -1);

  // Music keeps the source it was given at the start.
  EXPECT_EQ(rig.audio->PlayMusic(tone, 1), 0);
  EXPECT_EQ(ch[32].source, music);
  EXPECT_EQ(rig.audio->MusicState(), 1);
}

TEST(AudioDevice, MissingMusicFileStopsTheCurrentMusic) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  ASSERT_EQ(rig.audio->PlayMusic(String::FromUtf8(rig.WriteTone("tune.wav", 440, 0.2)), 1), 0);
  EXPECT_EQ(rig.audio->MusicState(), 1);
  EXPECT_EQ(rig.audio->PlayMusic(String::FromUtf8(ChildDir() + "/gone.ogg"), 1), -1);
  EXPECT_EQ(rig.audio->MusicState(), 0);
  EXPECT_EQ(SourceState(rig.audio->channels[32].source), AL_STOPPED);
}

TEST(AudioDevice, DiscardedBufferIsDeletedOnceNoSourceHoldsIt) {
  if (!InAudioChild(kNullConfig)) return;
  AudioRig rig;
  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.2));
  String blip = String::FromUtf8(rig.WriteTone("blip.wav", 440, 0.03));
  gxtkSample* looping = rig.audio->LoadSample(tone);
  gxtkSample* oneShot = rig.audio->LoadSample(blip);
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

TEST(AudioDevice, CollectorKeepsSoundingSamplesAndFreesSilentOnes) {
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

  rig.audio->StopChannel(7);
  testing::internal::CaptureStdout();
  CollectGarbage();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Discarding sample\n");
  EXPECT_EQ(rig.audio->channels[7].sample, nullptr);
  EXPECT_TRUE(IsDiscarded(buffer));
  rig.audio->FlushDiscarded();
  EXPECT_FALSE(alIsBuffer(buffer));
}

TEST(AudioDevice, WithoutAnyDeviceEverythingIsSilentAndHarmless) {
  if (!InAudioChild("[general]\ndrivers=no-such-driver\n")) return;
  testing::internal::CaptureStdout();
  AudioRig rig;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenAl error: alcOpenDevice failed\n");
  EXPECT_EQ(rig.audio->channels[32].source, 0u);

  String tone = String::FromUtf8(rig.WriteTone("tone.wav", 440, 0.1));
  c_Sound* sound = kx_audio_LoadSound(tone);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->m_sample->buffer, 0u);
  EXPECT_EQ(rig.audio->PlaySample(sound->m_sample, 0, 0), -1);
  EXPECT_EQ(kx_audio_PlaySound(sound, 0, 0), 0);
  EXPECT_EQ(kx_audio_PlaySound(nullptr, 0, 0), 0);
  EXPECT_EQ(rig.audio->ChannelState(0), 0);
  kx_audio_SetChannelPan(0, 1.0f);
  EXPECT_EQ(kx_audio_PlayMusic(tone, 1), 0);
  EXPECT_EQ(rig.audio->MusicState(), 0);
  rig.audio->Suspend();
  rig.audio->Resume();
  EXPECT_EQ(kx_audio_LoadSound(String::FromUtf8(ChildDir() + "/gone.wav")), nullptr);
}
