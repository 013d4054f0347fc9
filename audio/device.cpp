// The OpenAL audio device, its channels and samples.
#include "audio/device.h"

#include <cmath>
#include <cstdlib>

#include "host/game.h"

gxtkAudio* gxtkAudio::audio = nullptr;
std::vector<ALuint> gxtkAudio::discarded;

namespace {

// The source's OpenAL state; 0 when there is no source or no context to ask.
ALint SourceState(ALuint source) {
  ALint state = 0;
  if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

ALenum Format(int channels, int bytesPerSample) {
  if (channels == 1 && bytesPerSample == 1) return AL_FORMAT_MONO8;
  if (channels == 2 && bytesPerSample == 1) return AL_FORMAT_STEREO8;
  if (channels == 1 && bytesPerSample == 2) return AL_FORMAT_MONO16;
  if (channels == 2 && bytesPerSample == 2) return AL_FORMAT_STEREO16;
  return 0;
}

}  // namespace

gxtkSample::~gxtkSample() {
  kxPrint(String("Discarding sample"));
  if (buffer) gxtkAudio::discarded.push_back(buffer);
  // A channel that finished with this sample must not point at a freed object.
  if (gxtkAudio* audio = gxtkAudio::audio) {
    for (gxtkChannel& channel : audio->channels) {
      if (channel.sample == this) channel.sample = nullptr;
    }
  }
}

int gxtkSample::Discard() {
  if (buffer) {
    gxtkAudio::discarded.push_back(buffer);
    buffer = 0;
  }
  return 0;
}

ALuint gxtkChannel::AL_Source() {
  if (source) return source;
  alGetError();
  alGenSources(1, &source);
  if (alGetError() == AL_NO_ERROR && source) return source;
  source = 0;
  gxtkAudio* audio = gxtkAudio::audio;
  if (!audio) return 0;
  for (int i = 0; i < gxtkAudio::kMusicChannel; ++i) {
    gxtkChannel& other = audio->channels[i];
    if (other.source && audio->ChannelState(i) == 0) {
      source = other.source;
      other.source = 0;
      break;
    }
  }
  return source;
}

// The sound library reports a device still open at exit as an error; the last device opened is
// closed once the program ends, however it ends. There is only ever one: a new audio device
// closes the one before (a program that plays several runs in turn starts the game again).
static void CloseDevice() {
  gxtkAudio* audio = gxtkAudio::audio;
  if (!audio || !audio->device) return;
  alcMakeContextCurrent(nullptr);
  if (audio->context) alcDestroyContext(audio->context);
  alcCloseDevice(audio->device);
  audio->context = nullptr;
  audio->device = nullptr;
}

gxtkAudio::gxtkAudio() {
  CloseDevice();
  audio = this;
  static const bool closing = std::atexit(CloseDevice) == 0;
  (void)closing;
  device = alcOpenDevice(nullptr);
  if (!device) {
    kxPrint(String("OpenAl error: alcOpenDevice failed"));
  } else if (!(context = alcCreateContext(device, nullptr))) {
    kxPrint(String("OpenAl error: alcCreateContext failed"));
  } else if (!alcMakeContextCurrent(context)) {
    kxPrint(String("OpenAl error: alcMakeContextCurrent failed"));
  }
  alDistanceModel(AL_NONE);
  for (gxtkChannel& channel : channels) channel = gxtkChannel{0, nullptr, 0, 0};
  channels[kMusicChannel].AL_Source();
}

// A channel keeps its sample until it is stopped or plays another, whatever the mixer has
// played: what the collector keeps must not depend on the sound device's timing, or a run
// verified without sound would collect differently from its recording.
void gxtkAudio::mark() {
  for (gxtkChannel& channel : channels) {
    if (channel.sample) gc_mark_q(channel.sample);
  }
}

int gxtkAudio::Suspend() {
  for (gxtkChannel& channel : channels) {
    if (channel.state == 1 && SourceState(channel.source) == AL_PLAYING) {
      alSourcePause(channel.source);
    }
  }
  return 0;
}

int gxtkAudio::Resume() {
  for (gxtkChannel& channel : channels) {
    if (channel.state == 1 && SourceState(channel.source) == AL_PAUSED) {
      alSourcePlay(channel.source);
    }
  }
  return 0;
}

// Every stopped source lets go of its buffer first, so that only buffers of sounding (or
// paused) sources stay behind. A channel stopped by StopChannel counts too: otherwise it would
// pin its discarded buffer, perhaps a whole tune, until it played again.
void gxtkAudio::FlushDiscarded() {
  if (discarded.empty()) return;
  for (gxtkChannel& channel : channels) {
    if (SourceState(channel.source) == AL_STOPPED) alSourcei(channel.source, AL_BUFFER, 0);
  }
  std::vector<ALuint> kept;
  for (ALuint buffer : discarded) {
    alGetError();
    alDeleteBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) kept.push_back(buffer);
  }
  discarded.swap(kept);
}

gxtkSample* gxtkAudio::LoadSample(String path) {
  FlushDiscarded();
  gxtkSample* sample = new gxtkSample;
  return LoadSample__UNSAFE__(sample, path) ? sample : nullptr;
}

bool gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
  int length = 0, channelCount = 0, bytesPerSample = 0, rate = 0;
  unsigned char* data =
      KxGame::_game->LoadAudioData(path, &length, &channelCount, &bytesPerSample, &rate);
  if (!data) return false;
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  alBufferData(buffer, Format(channelCount, bytesPerSample), data,
               bytesPerSample * channelCount * length, rate);
  free(data);
  sample->buffer = buffer;
  return true;
}

gxtkChannel* gxtkAudio::Channel(int channel) {
  return channel >= 0 && channel < kChannels ? &channels[channel] : nullptr;
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  FlushDiscarded();
  ALuint source = chan->AL_Source();
  if (!source) return -1;
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, sample->buffer);
  alSourcei(source, AL_LOOPING, flags ? 1 : 0);
  alSourcePlay(source);
  // Through the barrier: a sound started after the device was marked must survive this cycle.
  gc_assign(chan->sample, sample);
  chan->flags = flags;
  chan->state = 1;
  return 0;
}

int gxtkAudio::StopChannel(int channel) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  if (chan->state != 0) {
    alSourceStop(chan->source);
    chan->state = 0;
  }
  // A stopped channel holds its sample no longer; the collector may free it.
  chan->sample = nullptr;
  return 0;
}

int gxtkAudio::PauseChannel(int channel) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  if (chan->state == 1) {
    if (SourceState(chan->source) == AL_STOPPED) {
      chan->state = 0;
    } else {
      alSourcePause(chan->source);
      chan->state = 2;
    }
  }
  return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  if (chan->state == 2) {
    alSourcePlay(chan->source);
    chan->state = 1;
  }
  return 0;
}

int gxtkAudio::ChannelState(int channel) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  if (chan->state == 1 && SourceState(chan->source) == AL_STOPPED) chan->state = 0;
  return chan->state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  alSourcef(chan->AL_Source(), AL_GAIN, volume);
  return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  alSource3f(chan->AL_Source(), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
  return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
  gxtkChannel* chan = Channel(channel);
  if (!chan) return -1;
  alSourcef(chan->AL_Source(), AL_PITCH, rate);
  return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
  StopMusic();
  gxtkSample* sample = LoadSample(path);
  if (!sample) return -1;
  PlaySample(sample, kMusicChannel, flags);
  return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }
