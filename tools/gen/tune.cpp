// The tune "Playful": a bright major-key loop of 24 bars (bass, arpeggio, lead, drums). It is
// rendered into a circular buffer: whatever rings past the last bar (note tails, echoes) lands
// on the first bars, so the end flows into the start without a seam when the game loops it.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/gen/sound.h"
#include "tools/gen/synth.h"

namespace gen {
namespace {

const int kStep = 5500;  // samples per sixteenth note, about 120 beats a minute
const int kBars = 24;
const int kLength = kBars * 16 * kStep;

struct Chord {
  int root;  // MIDI note of the root in the bass octave
  bool minor;
};

// Three eight-bar sections; the last bar rests on the dominant so the loop resolves home.
const Chord kProgression[kBars] = {
    {48, false}, {43, false}, {45, true}, {41, false}, {48, false}, {43, false}, {41, false}, {43, false},
    {45, true}, {41, false}, {48, false}, {43, false}, {45, true}, {41, false}, {43, false}, {43, false},
    {41, false}, {43, false}, {40, true}, {45, true}, {41, false}, {43, false}, {48, false}, {43, false}};

struct Stereo {
  Buffer left, right;
  Stereo() : left(kLength), right(kLength) {}
  void Add(long at, float v, double pan) {
    size_t i = static_cast<size_t>(((at % kLength) + kLength) % kLength);
    left[i] += static_cast<float>(v * (1 - pan) * 0.5);
    right[i] += static_cast<float>(v * (1 + pan) * 0.5);
  }
};

enum class Voice { Bass, Arp, Lead, Kick, Snare, Hat };

// One note of one voice, written from sample `at` on (wrapping round the loop).
void Note(Stereo& out, Voice voice, long at, double midi, double seconds, double gain, Rng& rng) {
  Osc o, o2;
  LowPass lp;
  HighPass hp;
  long n = static_cast<long>(seconds * kRate);
  for (long i = 0; i < n; i++) {
    double t = static_cast<double>(i) / kRate, hz = NoteHz(midi), v = 0, pan = 0;
    switch (voice) {
      case Voice::Bass:
        v = lp.Run(0.7 * o.Tri(hz) + 0.3 * o2.Square(hz, 0.5), 900) * Env(t, 0.004, 5);
        break;
      case Voice::Arp:
        v = o.Square(hz, 0.25) * Env(t, 0.002, 14);
        pan = 0.45;
        break;
      case Voice::Lead:
        v = (o.Square(hz * (1 + 0.004 * std::sin(t * 34)), 0.5) * 0.6 + o2.Tri(hz * 2) * 0.4) *
            Env(t, 0.006, 3.5);
        v = lp.Run(v, 3500);
        pan = -0.3;
        break;
      case Voice::Kick:
        v = o.Sine(140 * std::exp(-t * 30) + 42) * Env(t, 0.001, 9);
        break;
      case Voice::Snare:
        v = (hp.Run(rng.Range(-1, 1), 1500) * 0.8 + o.Sine(190) * 0.4) * Env(t, 0.001, 18);
        break;
      case Voice::Hat:
        v = hp.Run(rng.Range(-1, 1), 7000) * Env(t, 0.0005, 60);
        pan = 0.2;
        break;
    }
    // The last samples of every note fade to nothing, so no note ends with a step.
    double tail = std::min(1.0, static_cast<double>(n - i) / 200.0);
    out.Add(at + i, static_cast<float>(v * gain * tail), pan);
  }
}

int ChordTone(const Chord& c, int k) {
  static const int major[3] = {0, 4, 7}, minor[3] = {0, 3, 7};
  int octave = k >= 0 ? k / 3 : -((-k + 2) / 3);
  int idx = k - octave * 3;
  return c.root + 12 * octave + (c.minor ? minor[idx] : major[idx]);
}

// The lead: each bar picks one of a few rhythms and walks near the chord's tones; the first
// and second halves of a section share their seeds, so phrases repeat like a real melody.
void Melody(Stereo& out, int bar, Rng& noise) {
  static const int rhythms[4][8] = {{0, 2, 4, 6, 8, 10, 12, -1}, {0, 3, 6, 8, 12, -1, 0, 0},
                                    {0, 2, 3, 4, 8, 10, 11, 12}, {0, 4, 6, 8, 10, 14, -1, 0}};
  Rng rng(1000 + (bar % 4) + (bar / 8) * 10);
  const int* rhythm = rhythms[static_cast<int>(rng.Next() * 4)];
  const Chord& c = kProgression[bar];
  int degree = 6 + static_cast<int>(rng.Next() * 3);
  for (int k = 0; k < 8 && rhythm[k] >= 0; k++) {
    if (k > 0 && rhythm[k] <= rhythm[k - 1]) break;
    int next = (k + 1 < 8 && rhythm[k + 1] > rhythm[k]) ? rhythm[k + 1] : 16;
    degree = std::clamp(degree + static_cast<int>(rng.Next() * 5) - 2, 5, 10);
    double midi = ChordTone(c, degree) + (bar % 8 == 7 && k == 0 ? 2 : 0);
    Note(out, Voice::Lead, (bar * 16 + rhythm[k]) * static_cast<long>(kStep), midi,
         (next - rhythm[k]) * kStep / static_cast<double>(kRate) * 1.1, 0.2, noise);
  }
}

void Bar(Stereo& out, int bar, Rng& rng) {
  const Chord& c = kProgression[bar];
  long start = bar * 16L * kStep;
  static const int bassOctave[8] = {0, 0, 12, 0, 0, 12, 0, 7};
  for (int e = 0; e < 8; e++)
    Note(out, Voice::Bass, start + e * 2L * kStep, c.root - 12 + bassOctave[e] + 12, 0.3, 0.3, rng);
  static const int arp[16] = {3, 4, 5, 6, 5, 4, 3, 4, 5, 6, 7, 6, 5, 4, 5, 6};
  for (int s = 0; s < 16; s++)
    Note(out, Voice::Arp, start + s * static_cast<long>(kStep), ChordTone(c, arp[s]), 0.18, 0.07, rng);
  bool fill = bar % 8 == 7;
  for (int s = 0; s < 16; s++) {
    long at = start + s * static_cast<long>(kStep);
    if (s == 0 || s == 8 || (s == 10 && bar % 2)) Note(out, Voice::Kick, at, 0, 0.35, 0.55, rng);
    if (s == 4 || s == 12 || (fill && s >= 13)) Note(out, Voice::Snare, at, 0, 0.2, 0.3, rng);
    if (s % 2 == 0 || s % 4 == 3) Note(out, Voice::Hat, at, 0, 0.06, s % 4 == 2 ? 0.12 : 0.07, rng);
  }
  if (bar >= 2) Melody(out, bar, rng);
}

// A circular echo: solved by repeated passes, since y = x + f * y[n - d] wraps round the loop.
void Echo(Buffer& b, long delay, double feedback) {
  Buffer dry = b;
  for (int pass = 0; pass < 6; pass++) {
    Buffer wet = dry;
    for (long i = 0; i < kLength; i++)
      wet[i] += static_cast<float>(feedback * b[static_cast<size_t>((i - delay + kLength) % kLength)]);
    b.swap(wet);
  }
}

Stereo Compose() {
  Stereo out;
  Rng rng(2024);
  for (int bar = 0; bar < kBars; bar++) Bar(out, bar, rng);
  Echo(out.left, 3 * kStep, 0.22);
  Echo(out.right, 4 * kStep, 0.22);
  double mean[2] = {0, 0}, top = 0;
  for (long i = 0; i < kLength; i++) {
    mean[0] += out.left[i];
    mean[1] += out.right[i];
  }
  for (long i = 0; i < kLength; i++) {
    out.left[i] -= static_cast<float>(mean[0] / kLength);
    out.right[i] -= static_cast<float>(mean[1] / kLength);
    top = std::max(top, static_cast<double>(std::max(std::fabs(out.left[i]), std::fabs(out.right[i]))));
  }
  for (long i = 0; i < kLength; i++) {
    out.left[i] = static_cast<float>(out.left[i] * 0.7 / top);
    out.right[i] = static_cast<float>(out.right[i] * 0.7 / top);
  }
  return out;
}

bool WritePages(std::FILE* f, ogg_stream_state* os, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(os, &page) : ogg_stream_pageout(os, &page)) {
    if (std::fwrite(page.header, 1, page.header_len, f) != static_cast<size_t>(page.header_len) ||
        std::fwrite(page.body, 1, page.body_len, f) != static_cast<size_t>(page.body_len))
      return false;
  }
  return true;
}

// Ogg Vorbis with a fixed stream serial number, so two runs write the same bytes.
bool EncodeOgg(const std::string& path, const Stereo& music) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  vorbis_info vi;
  vorbis_info_init(&vi);
  bool ok = vorbis_encode_init_vbr(&vi, 2, kRate, 0.25f) == 0;
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", "Playful");
  vorbis_dsp_state vd;
  vorbis_block vb;
  ogg_stream_state os;
  if (ok) {
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_init(&os, 0x5ca7b117);
    ogg_packet h[3];
    vorbis_analysis_headerout(&vd, &vc, &h[0], &h[1], &h[2]);
    for (ogg_packet& p : h) ogg_stream_packetin(&os, &p);
    ok = WritePages(f, &os, true);
    const long chunk = 4096;
    for (long at = 0; ok; at += chunk) {
      long n = std::clamp(static_cast<long>(kLength) - at, 0L, chunk);
      if (n > 0) {
        float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        std::copy(music.left.begin() + at, music.left.begin() + at + n, buf[0]);
        std::copy(music.right.begin() + at, music.right.begin() + at + n, buf[1]);
      }
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      while (ok && vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        ogg_packet p;
        while (ok && vorbis_bitrate_flushpacket(&vd, &p)) {
          ogg_stream_packetin(&os, &p);
          ok = WritePages(f, &os, p.e_o_s != 0);
        }
      }
      if (n <= 0) break;
    }
    ok = ok && WritePages(f, &os, true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
  }
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return std::fclose(f) == 0 && ok;
}

}  // namespace

bool WriteTune(const std::string& dir) { return EncodeOgg(dir + "/sfx/Playful.ogg", Compose()); }

}  // namespace gen
