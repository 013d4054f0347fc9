// The OpenAL audio device: 32 sound-effect channels and one music channel (32), each sound a
// whole decoded file in one OpenAL buffer. Sources are handed out lazily and, when OpenAL runs
// out, taken from stopped channels; buffers of discarded samples are deleted once no source
// holds them any more.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>

#include <vector>

#include "runtime/runtime.h"

class gxtkSample : public Object {
 public:
  ALuint buffer = 0;

  // Collected: the buffer joins the discarded ones (a source may still hold it).
  ~gxtkSample() override;
  virtual int Discard();
};

struct gxtkChannel {
  ALuint source;
  gxtkSample* sample;  // marked by the device only while it sounds
  int flags;
  int state;  // 0 stopped, 1 playing, 2 paused

  // The channel's source: its own, a newly generated one, or the source of the lowest-numbered
  // stopped effect channel when OpenAL has none left; 0 when there is none at all.
  ALuint AL_Source();
};

class gxtkAudio : public Object {
 public:
  static const int kChannels = 33;
  static const int kMusicChannel = 32;

  // The one device; stopped channels give up their sources through it.
  static gxtkAudio* audio;
  // Buffers of discarded samples that could not be deleted yet.
  static std::vector<ALuint> discarded;

  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  gxtkChannel channels[kChannels];

  gxtkAudio();
  // Keeps the samples that are still sounding alive.
  void mark() override;

  virtual int Suspend();
  virtual int Resume();
  virtual gxtkSample* LoadSample(String path);
  virtual bool LoadSample__UNSAFE__(gxtkSample* sample, String path);
  virtual int PlaySample(gxtkSample* sample, int channel, int flags);
  virtual int StopChannel(int channel);
  virtual int PauseChannel(int channel);
  virtual int ResumeChannel(int channel);
  virtual int ChannelState(int channel);
  virtual int SetVolume(int channel, float volume);
  virtual int SetPan(int channel, float pan);
  virtual int SetRate(int channel, float rate);
  virtual int PlayMusic(String path, int flags);
  virtual int StopMusic();
  virtual int PauseMusic();
  virtual int ResumeMusic();
  virtual int MusicState();
  virtual int SetMusicVolume(float volume);

  // Deletes the discarded buffers that no source holds any longer.
  void FlushDiscarded();
  // The record of a channel number, or null outside 0..32: every channel operation then does
  // nothing and returns -1.
  gxtkChannel* Channel(int channel);
};
