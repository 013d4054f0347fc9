// The sound effects. Every effect starts at once (the game plays them as things happen), is
// short, and is finished to the same peak so the cues sit together at one loudness.
#include <cmath>
#include <cstdio>
#include <functional>

#include "tools/gen/sound.h"
#include "tools/gen/synth.h"

namespace gen {
namespace {

const double kPeak = 0.7;

Buffer Render(double seconds, const std::function<double(double)>& f) {
  Buffer b(static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<float>(f(static_cast<double>(i) / kRate));
  Finish(b, kPeak);
  return b;
}

// A foe zapped: an electric pop (a burst of bright noise) over a falling chirp; the variant
// moves the pitch, the fall and the timbre so repeated kills do not sound mechanical.
Buffer FoeZapped(int v) {
  Osc o, fm;
  Rng rng(100 + v);
  HighPass hp;
  double base = 900 * std::pow(1.13, v), fall = 7 + v % 3 * 2, duty = 0.3 + 0.06 * (v % 4);
  return Render(0.3 + 0.02 * v, [=](double t) mutable {
    double hz = base * std::exp(-t * fall) + 80;
    double tone = o.Square(hz * (1 + 0.3 * fm.Sine(hz * 0.5)), duty) * Env(t, 0.002, 10);
    double pop = hp.Run(rng.Range(-1, 1), 2500) * Env(t, 0.001, 45);
    return 0.5 * tone + 0.8 * pop;
  });
}

// The craft is hit: a low thump and a buzzing drop.
Buffer CraftHit() {
  Osc thump, buzz;
  LowPass lp;
  Rng rng(2);
  return Render(0.45, [=](double t) mutable {
    double a = thump.Sine(160 * std::exp(-t * 9) + 45) * Env(t, 0.002, 7);
    double b = buzz.Square(420 * std::exp(-t * 4) + 60, 0.4) * Env(t, 0.003, 6);
    double n = lp.Run(rng.Range(-1, 1), 1800) * Env(t, 0.001, 20);
    return a + 0.35 * b + 0.8 * n;
  });
}

// The craft is destroyed: a long, darkening explosion with a falling wail.
Buffer CraftDestroyed() {
  Osc boom, wail;
  LowPass lp1, lp2;
  Rng rng(3);
  return Render(1.6, [=](double t) mutable {
    double cutoff = 3500 * std::exp(-t * 2.2) + 120;
    double n = lp2.Run(lp1.Run(rng.Range(-1, 1), cutoff), cutoff) * Env(t, 0.003, 2.2) * 2.2;
    double b = boom.Sine(90 * std::exp(-t * 2) + 28) * Env(t, 0.004, 2.5);
    double w = wail.Saw(700 * std::exp(-t * 2.6) + 40) * Env(t, 0.01, 3.2);
    return n + 0.8 * b + 0.18 * w;
  });
}

// A post links up: a rising electric sweep with sparks.
Buffer LinkOn() {
  Osc saw, sub;
  LowPass lp;
  Rng rng(11);
  return Render(0.45, [=](double t) mutable {
    double hz = 180 * std::pow(9.0, std::min(t / 0.3, 1.0));
    double sweep = lp.Run(saw.Saw(hz) + 0.5 * sub.Square(hz * 0.501), 5000) * Env(t, 0.004, 5);
    double spark = rng.Next() < 0.01 ? rng.Range(-1, 1) : 0;
    return 0.6 * sweep + spark * Env(t, 0, 4);
  });
}

// Crackle: sparse sparks over a faint mains-like buzz.
Buffer Crackle(unsigned seed) {
  Osc buzz;
  Rng rng(seed);
  HighPass hp;
  double spark = 0;
  return Render(0.35, [=](double t) mutable {
    if (rng.Next() < 0.004) spark = rng.Range(0.4, 1) * (rng.Next() < 0.5 ? -1 : 1);
    spark *= 0.93;
    double crack = hp.Run(spark * rng.Range(0.2, 1), 1200);
    double hum = buzz.Square(120, 0.3) * 0.12;
    return (crack * 1.5 + hum) * Env(t, 0.002, 6) + (t < 0.004 ? rng.Range(-1, 1) : 0);
  });
}

// A bell: a few inharmonic partials, each dying at its own rate.
double Bell(Osc* o, double hz, double t) {
  return o[0].Sine(hz) * Env(t, 0.002, 4) + 0.5 * o[1].Sine(hz * 2.01) * Env(t, 0.002, 7) +
         0.25 * o[2].Sine(hz * 3.02) * Env(t, 0.001, 12) + 0.15 * o[3].Sine(hz * 4.2) * Env(t, 0.001, 20);
}

// The logo jingle: a rising arpeggio that lands on a bright chord.
Buffer Jingle() {
  static const double notes[] = {72, 76, 79, 84, 88};
  static const double starts[] = {0, 0.11, 0.22, 0.33, 0.33};
  Osc o[5][4];
  return Render(1.6, [=](double t) mutable {
    double s = 0;
    for (int k = 0; k < 5; k++)
      if (t >= starts[k]) s += Bell(o[k], NoteHz(notes[k]), t - starts[k]) * (k >= 3 ? 0.8 : 1);
    return s;
  });
}

Buffer Blip(double from, double to, double seconds, double decay) {
  Osc o;
  return Render(seconds, [=](double t) mutable {
    double hz = from * std::pow(to / from, std::min(t / seconds, 1.0));
    return (o.Sine(hz) + 0.2 * o.Tri(hz)) * Env(t, 0.002, decay);
  });
}

Buffer Click() {
  Osc o;
  Rng rng(99);
  HighPass hp;
  return Render(0.06, [=](double t) mutable {
    return 0.7 * o.Sine(2100) * Env(t, 0.0005, 90) + hp.Run(rng.Range(-1, 1), 3000) * Env(t, 0.0003, 400);
  });
}

// Two soft tones a fifth apart.
Buffer Chime() {
  Osc a[4], b[4];
  return Render(0.9, [=](double t) mutable {
    return Bell(a, NoteHz(79), t) + (t > 0.12 ? Bell(b, NoteHz(86), t - 0.12) : 0);
  });
}

}  // namespace

bool WriteEffects(const std::string& dir) {
  struct Cue {
    int number;
    Buffer sound;
  };
  std::vector<Cue> cues = {{1, Blip(330, 220, 0.2, 18)}, {2, CraftHit()}, {3, CraftDestroyed()}};
  for (int v = 0; v < 7; v++) cues.push_back({4 + v, FoeZapped(v)});
  cues.push_back({11, LinkOn()});
  cues.push_back({12, Crackle(12)});
  cues.push_back({13, Crackle(1313)});
  cues.push_back({95, Chime()});
  cues.push_back({96, Jingle()});
  cues.push_back({98, Blip(880, 1480, 0.09, 30)});
  cues.push_back({99, Click()});
  for (const Cue& c : cues) {
    char name[32];
    std::snprintf(name, sizeof name, "/sfx/%03d.wav", c.number);
    if (!WriteWav(dir + name, c.sound, 1)) return false;
  }
  return true;
}

}  // namespace gen
