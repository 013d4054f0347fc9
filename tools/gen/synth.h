// A small synthesizer for the sound effects and the tune: oscillators with running phase,
// one-pole filters, noise, envelopes, and the finishing and writing of 16-bit PCM WAV files.
#pragma once
#include <string>
#include <vector>

#include "tools/gen/canvas.h"

namespace gen {

constexpr int kRate = 44100;
using Buffer = std::vector<float>;

double NoteHz(double midi);

// An oscillator keeps its phase, so its frequency may change from sample to sample.
struct Osc {
  double phase = 0;
  double Step(double hz);  // advances and returns the phase in [0, 1)
  double Sine(double hz);
  double Square(double hz, double duty = 0.5);
  double Saw(double hz);
  double Tri(double hz);
};

struct LowPass {
  double y = 0;
  double Run(double x, double cutoffHz);
};

struct HighPass {
  double lp = 0;
  double Run(double x, double cutoffHz);
};

// Attack-decay envelope: rises linearly over `attack` seconds, then falls as exp(-t * decay).
double Env(double t, double attack, double decay);

// Removes DC, fades both ends in over a few samples and scales to the given peak.
void Finish(Buffer& b, double peak);
// Interleaved samples of `channels` channels in [-1, 1] to a 16-bit PCM WAV file.
bool WriteWav(const std::string& path, const Buffer& samples, int channels);

}  // namespace gen
