// The sound module: the small procedural interface the game plays sounds and music through,
// forwarding to the audio device installed at start-up.
#pragma once
#include "audio/device.h"
#include "runtime/runtime.h"

class c_Sound : public Object {
 public:
  gxtkSample* m_sample = nullptr;

  c_Sound* m_new(gxtkSample* sample);
  c_Sound* m_new2();
  void mark() override;
};

extern gxtkAudio* kx_audio_device;

// The module's share of kxInit: no device yet, and the device global becomes a root.
void kx_audio_Init();

int kx_audio_SetAudioDevice(gxtkAudio* device);
c_Sound* kx_audio_LoadSound(String path);
int kx_audio_PlaySound(c_Sound* sound, int channel, int flags);
int kx_audio_StopChannel(int channel);
int kx_audio_SetChannelVolume(int channel, float volume);
int kx_audio_SetChannelPan(int channel, float pan);
int kx_audio_SetChannelRate(int channel, float rate);
int kx_audio_PlayMusic(String path, int flags);
int kx_audio_StopMusic();
int kx_audio_PauseMusic();
int kx_audio_ResumeMusic();
