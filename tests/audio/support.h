// Helpers shared by the audio tests: WAV byte images, a host to load files through, and running
// a test again in a child process whose OpenAL reads a configuration of the test's choosing
// (OpenAL reads its configuration once per process).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "host/glfwgame.h"

namespace audiotest {

std::string Le16(int value);
std::string Le32(uint32_t value);
std::string Chunk(const std::string& tag, const std::string& body);
// "RIFF", the size, "WAVE", then the chunks.
std::string Riff(const std::string& chunks);
std::string FmtChunk(int code, int channels, int rate, int bits, const std::string& extra = "");
// A whole 16-bit mono PCM file holding a sine tone of amplitude 0.5.
std::string ToneWav(double hertz, double seconds, int rate = 44100);


// An OpenAL configuration with a driver that plays to nowhere.
extern const char* const kNullConfig;

// In the parent: writes the configuration ("@DIR@" standing for the child's scratch
// directory), runs the current test in a child with it, expects the child to pass, and
// returns false. In the child: returns true, and the test goes on.
bool InAudioChild(const std::string& config);
// The child's scratch directory (holds the configuration; free for files of the test).
std::string ChildDir();

// A host for LoadAudioData, the sound module's roots and a device over the child's OpenAL.
struct AudioRig {
  KxGlfwGame host;
  gxtkAudio* audio = nullptr;

  AudioRig();
  // Writes a tone file into the scratch directory; returns its path.
  std::string WriteTone(const std::string& name, double hertz, double seconds);
};

}  // namespace audiotest
