// Synthesizer building blocks and the WAV writer.
#include "tools/gen/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gen {

double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

double Osc::Step(double hz) {
  double p = phase;
  phase += hz / kRate;
  phase -= std::floor(phase);
  return p;
}

double Osc::Sine(double hz) { return std::sin(2 * M_PI * Step(hz)); }
double Osc::Square(double hz, double duty) { return Step(hz) < duty ? 1.0 : -1.0; }
double Osc::Saw(double hz) { return 2 * Step(hz) - 1; }
double Osc::Tri(double hz) {
  double p = Step(hz);
  return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
}

double LowPass::Run(double x, double cutoffHz) {
  double a = 1 - std::exp(-2 * M_PI * cutoffHz / kRate);
  y += a * (x - y);
  return y;
}

double HighPass::Run(double x, double cutoffHz) {
  double a = 1 - std::exp(-2 * M_PI * cutoffHz / kRate);
  lp += a * (x - lp);
  return x - lp;
}

double Env(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) * decay);
}

void Finish(Buffer& b, double peak) {
  if (b.empty()) return;
  HighPass hp;
  for (float& s : b) s = static_cast<float>(hp.Run(s, 25));
  double mean = 0;
  for (float s : b) mean += s;
  mean /= b.size();
  for (float& s : b) s = static_cast<float>(s - mean);
  size_t fadeIn = std::min<size_t>(b.size() / 4, 32), fadeOut = std::min<size_t>(b.size() / 4, 441);
  for (size_t i = 0; i < fadeIn; i++) b[i] *= static_cast<float>(i) / fadeIn;
  for (size_t i = 0; i < fadeOut; i++) b[b.size() - 1 - i] *= static_cast<float>(i) / fadeOut;
  float top = 0;
  for (float s : b) top = std::max(top, std::fabs(s));
  if (top > 0)
    for (float& s : b) s = static_cast<float>(s * peak / top);
}

namespace {
void Put16(std::FILE* f, unsigned v) {
  unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
  std::fwrite(b, 1, 2, f);
}
void Put32(std::FILE* f, unsigned v) {
  Put16(f, v & 0xffff);
  Put16(f, v >> 16);
}
}  // namespace

bool WriteWav(const std::string& path, const Buffer& samples, int channels) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  unsigned bytes = static_cast<unsigned>(samples.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + bytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);
  Put16(f, channels);
  Put32(f, kRate);
  Put32(f, kRate * channels * 2);
  Put16(f, channels * 2);
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, bytes);
  for (float s : samples) {
    long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    Put16(f, static_cast<unsigned>(v) & 0xffff);
  }
  return std::fclose(f) == 0;
}

}  // namespace gen
