// Sound cues by number on a ring of 24 effect channels, and the one tune, both gated by the
// sound mode in settings slot 5 (0 off, 1 effects and music, 2 effects, 3 music).
#include "audio/audio.h"
#include "game/shell/myapp.h"

static const int kRingSize = 24;

static bool EffectsOn(int mode) { return mode == 1 || mode == 2; }
static bool MusicOn(int mode) { return mode == 1 || mode == 3; }

void c_MyApp::p_LoadSFX(int n) {
  if (n < 0 || n >= m_sounds.Length()) return;
  String digits(n);
  while (digits.Length() < 3) digits = String("0") + digits;
  gc_assign(m_sounds[n], kx_audio_LoadSound(String("sfx/") + digits + String(".wav")));
}

void c_MyApp::p_PlaySFX(int n, float rate, float volume, float pan) {
  if (!EffectsOn(m_settings[5])) return;
  m_sfxCursor = (m_sfxCursor + 1) % kRingSize;
  int channel = m_channelMap[m_sfxCursor];
  kx_audio_StopChannel(channel);
  // An empty slot still takes its turn on the ring, so the pattern of channels stays fixed.
  c_Sound* sound = (n >= 0 && n < m_sounds.Length()) ? m_sounds[n] : nullptr;
  if (sound) kx_audio_PlaySound(sound, channel, 0);
  kx_audio_SetChannelRate(channel, rate);
  kx_audio_SetChannelVolume(channel, volume);
  kx_audio_SetChannelPan(channel, pan);
}

void c_MyApp::p_PlayTune(String name, int flags) {
  String path = String("sfx/") + name + String(".ogg");
  if (m_musicOn != 0) p_StopTune();
  if (MusicOn(m_settings[5])) {
    // The game goes on without music; the log says why it is silent.
    if (kx_audio_PlayMusic(path, flags) != 0) kxPrint(String("Tune not loaded: ") + path);
    m_musicOn = 1;
  }
}

void c_MyApp::p_StopTune() {
  kx_audio_StopMusic();
  m_musicOn = 0;
}
