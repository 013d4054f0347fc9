// Artwork of the arena: zap posts, the craft, the four foe kinds, the shield, the star and
// spark sprites, and the large circles (flash, halo, cog backdrop).
#include <array>
#include <cmath>
#include <initializer_list>

#include "tools/gen/art.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;

// Stage 0 is a fresh post, stage 7 one about to vanish: it dims, loses petals and its colour
// slides from cyan toward red, so the player can read the time left at a glance.
void PostBody(cairo_t* cr, int stage) {
  double life = 1 - stage / 8.0;
  Rgb c = Hsv(190 - stage * 24, 0.85, 1);
  Glow(cr, 0, 0, 15, c, 0.2 + 0.35 * life);
  int lit = 6 - (stage * 6) / 8;
  for (int i = 0; i < 6; i++) {
    double a0 = (i * 60 - 22) * M_PI / 180, a1 = (i * 60 + 22) * M_PI / 180;
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, std::sin(a0) * 9.5, -std::cos(a0) * 9.5);
    cairo_line_to(cr, std::sin(a1) * 9.5, -std::cos(a1) * 9.5);
    cairo_close_path(cr);
    SetColour(cr, i < lit ? Mix(c, kWhite, 0.3) : c, i < lit ? 0.85 : 0.18);
    cairo_fill(cr);
  }
  PolyPath(cr, 6, 11, 0, 30);
  NeonStroke(cr, c, 1.3, 0.8);
  cairo_arc(cr, 0, 0, 1.2 + 3.0 * life, 0, kTau);
  SetColour(cr, kWhite);
  cairo_fill(cr);
}

// The countdown ring turns with the post's life, so it carries one bright marker.
void PostRing(cairo_t* cr) {
  Rgb c{0.55, 0.95, 1};
  cairo_arc(cr, 0, 0, 13, -M_PI / 2 + 0.35, 1.5 * M_PI - 0.35);
  NeonStroke(cr, c, 1.5, 0.8);
  cairo_arc(cr, 0, -13, 2.2, 0, kTau);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  Glow(cr, 0, -13, 5, c, 0.8);
}

// The craft never turns, so it is drawn symmetric: a pod with four fins and three running
// lights whose positions cycle over the six frames.
void Craft(cairo_t* cr, int f) {
  Rgb body{1, 0.35, 0.85}, light{1, 0.95, 0.4};
  Glow(cr, 0, 0, 15, body, 0.25 + 0.08 * std::cos(f * kTau / 6));
  for (int i = 0; i < 4; i++) {
    cairo_save(cr);
    cairo_rotate(cr, i * M_PI / 2 + M_PI / 4);
    cairo_move_to(cr, -3, -5);
    cairo_line_to(cr, 0, -12.5);
    cairo_line_to(cr, 3, -5);
    NeonStroke(cr, body, 1.2, 0.6);
    cairo_restore(cr);
  }
  cairo_arc(cr, 0, 0, 6, 0, kTau);
  SetColour(cr, Mix(body, Rgb{0, 0, 0}, 0.55), 0.9);
  cairo_fill_preserve(cr);
  NeonStroke(cr, body, 1.5, 0.8);
  cairo_arc(cr, 0, 0, 2.4, 0, kTau);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  for (int k = 0; k < 3; k++) {
    double a = (f * 20 + k * 120) * M_PI / 180;
    double x = std::sin(a) * 9, y = -std::cos(a) * 9;
    Glow(cr, x, y, 3.5, light, 0.9);
    cairo_arc(cr, x, y, 1.1, 0, kTau);
    SetColour(cr, kWhite);
    cairo_fill(cr);
  }
}

void FoeSpinner(cairo_t* cr, double p) {
  Rgb c{1, 0.25, 0.2};
  Glow(cr, 0, 0, 14, c, 0.3);
  PolyPath(cr, 4, 13, 3.8 + 1.6 * std::sin(p), 0);
  SetColour(cr, c, 0.25);
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 1.4, 0.7);
  cairo_arc(cr, 0, 0, 2.2 + 0.6 * std::cos(p), 0, kTau);
  SetColour(cr, Rgb{1, 0.9, 0.6});
  cairo_fill(cr);
}

void FoeBox(cairo_t* cr, double p) {
  Rgb c{0.45, 1, 0.25};
  Glow(cr, 0, 0, 14, c, 0.25);
  RoundRectPath(cr, -10, -10, 20, 20, 3);
  SetColour(cr, c, 0.15);
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 1.4, 0.7);
  cairo_save(cr);
  cairo_rotate(cr, p / 4);  // a quarter turn per cycle looks the same as none
  cairo_rectangle(cr, -5, -5, 10, 10);
  NeonStroke(cr, Rgb{0.8, 1, 0.4}, 1.2, 0.4);
  cairo_restore(cr);
}

void FoeTriad(cairo_t* cr, int f) {
  Rgb c{1, 0.7, 0.1};
  Glow(cr, 0, 0, 14, c, 0.25);
  PolyPath(cr, 3, 13, 0, 0);
  SetColour(cr, c, 0.18);
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 1.4, 0.7);
  for (int k = 0; k < 3; k++) {
    double a = k * kTau / 3;
    double x = std::sin(a) * 6.5, y = -std::cos(a) * 6.5;
    bool on = (f % 3) == k || f == 3;
    cairo_arc(cr, x, y, on ? 2.2 : 1.3, 0, kTau);
    SetColour(cr, on ? kWhite : Rgb{1, 0.85, 0.4}, on ? 1 : 0.6);
    cairo_fill(cr);
  }
}

void FoeJelly(cairo_t* cr, double p) {
  Rgb c{0.7, 0.35, 1};
  Glow(cr, 0, 0, 15, c, 0.3);
  for (int i = 0; i <= 72; i++) {
    double a = i * kTau / 72;
    double r = 10.5 + 1.6 * std::sin(5 * a + p);
    if (i == 0)
      cairo_move_to(cr, std::sin(a) * r, -std::cos(a) * r);
    else
      cairo_line_to(cr, std::sin(a) * r, -std::cos(a) * r);
  }
  cairo_close_path(cr);
  SetColour(cr, c, 0.22);
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 1.3, 0.7);
  for (int s = -1; s <= 1; s += 2) {
    cairo_arc(cr, s * 3.5, -2, 2, 0, kTau);
    SetColour(cr, kWhite);
    cairo_fill(cr);
    cairo_arc(cr, s * 3.5, -1.4 + 0.5 * std::sin(p), 0.9, 0, kTau);
    SetColour(cr, Rgb{0.25, 0, 0.45});
    cairo_fill(cr);
  }
}

void Foe(cairo_t* cr, int kind, int f) {
  double p = f * kTau / 4;
  switch (kind) {
    case 1: FoeSpinner(cr, p); break;
    case 2: FoeBox(cr, p); break;
    case 3: FoeTriad(cr, f); break;
    default: FoeJelly(cr, p); break;
  }
}

void Shield(cairo_t* cr) {
  Rgb c{0.3, 0.85, 1};
  Glow(cr, 0, 0, 15, c, 0.12);
  for (int i = 0; i < 8; i++) {
    double a = i * kTau / 8;
    cairo_arc(cr, 0, 0, 13, a + 0.12, a + kTau / 8 - 0.12);
    NeonStroke(cr, c, 1.2, 0.6);
  }
}

void GfxFrame(cairo_t* cr, int i) {
  if (i < 8)
    PostBody(cr, i);
  else if (i == 8)
    PostRing(cr);
  else if (i < 15)
    Craft(cr, i - 9);
  else if (i >= 16 && i < 32)
    Foe(cr, (i - 12) / 4, i % 4);
  else if (i == 32)
    Shield(cr);
}

// Stars and sparks are tinted by the particle palette, so they stay pale: a hint of hue that
// shows on the white star field, strong light that takes any tint.
void PartFrame(cairo_t* cr, int i) {
  int type = i % 4;
  double level = 0.4 + 0.6 * ((i / 4) % 8) / 7.0;
  Rgb c = Mix(Hsv(i * 47, 1, 1), kWhite, (i / 32) % 2 ? 0.55 : 0.35);
  double size = 0.7 + 0.15 * ((i / 64) % 3);
  cairo_scale(cr, size, size);
  cairo_rotate(cr, (i * 29 % 180) * M_PI / 180 * (type == 2));
  Glow(cr, 0, 0, 3.5, c, 0.5 * level);
  if (type == 0) {
    cairo_arc(cr, 0, 0, 1.0 + 0.25 * ((i / 8) % 4), 0, kTau);
  } else if (type == 1) {
    PolyPath(cr, 4, 3.9, 0.8, 0);
  } else if (type == 2) {
    cairo_move_to(cr, 0, -3.8);
    cairo_line_to(cr, 1.1, 0);
    cairo_line_to(cr, 0, 3.8);
    cairo_line_to(cr, -1.1, 0);
    cairo_close_path(cr);
  } else {
    cairo_arc(cr, 0, 0, 2.4, 0, kTau);
    cairo_set_line_width(cr, 0.9);
    SetColour(cr, c, level);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, 0.8, 0, kTau);
  }
  SetColour(cr, Mix(c, kWhite, 0.5), level);
  cairo_fill(cr);
}

// A disc filled with a radial gradient; stops are {offset, r, g, b, alpha}.
void GradientDisc(cairo_t* cr, double inner, double outer,
                  std::initializer_list<std::array<double, 5>> stops) {
  cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, inner, 0, 0, outer);
  for (const auto& st : stops) cairo_pattern_add_color_stop_rgba(p, st[0], st[1], st[2], st[3], st[4]);
  cairo_set_source(cr, p);
  cairo_arc(cr, 0, 0, outer, 0, kTau);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// Radial tick marks from radius `from` (or `longFrom` for every `longEvery`-th) out to `to`.
void Ticks(cairo_t* cr, int count, double from, double longFrom, int longEvery, double to,
           double width, Rgb c, double alpha) {
  for (int i = 0; i < count; i++) {
    double a = i * kTau / count, r0 = i % longEvery ? from : longFrom;
    cairo_move_to(cr, std::sin(a) * r0, -std::cos(a) * r0);
    cairo_line_to(cr, std::sin(a) * to, -std::cos(a) * to);
  }
  cairo_set_line_width(cr, width);
  SetColour(cr, c, alpha);
  cairo_stroke(cr);
}

void CogBackdrop(cairo_t* cr) {
  GradientDisc(cr, 0, 118, {{0, 0.1, 0.2, 0.45, 0.95}, {1, 0.02, 0.04, 0.15, 0.95}});
  cairo_arc(cr, 0, 0, 116, 0, kTau);
  NeonStroke(cr, Rgb{0.3, 0.8, 1}, 5, 0.6);
  Ticks(cr, 24, 98, 98, 1, 106, 3, Rgb{0.4, 0.8, 1}, 0.7);
}

void Flash(cairo_t* cr) {
  Glow(cr, 0, 0, 126, Rgb{0.6, 0.9, 1}, 0.85);
  for (int i = 0; i < 12; i++) {
    double a = i * kTau / 12, len = i % 2 ? 80 : 122;
    cairo_move_to(cr, std::sin(a - 0.06) * 12, -std::cos(a - 0.06) * 12);
    cairo_line_to(cr, std::sin(a) * len, -std::cos(a) * len);
    cairo_line_to(cr, std::sin(a + 0.06) * 12, -std::cos(a + 0.06) * 12);
    cairo_close_path(cr);
  }
  SetColour(cr, Rgb{0.85, 0.97, 1}, 0.8);
  cairo_fill(cr);
  Glow(cr, 0, 0, 40, kWhite, 1);
}

void Halo(cairo_t* cr) {
  GradientDisc(cr, 20, 120,
               {{0, 0.2, 0.5, 1, 0.05}, {0.8, 0.3, 0.6, 1, 0.35}, {1, 0.4, 0.7, 1, 0.0}});
  cairo_arc(cr, 0, 0, 110, 0, kTau);
  NeonStroke(cr, Rgb{0.45, 0.8, 1}, 3, 0.8);
  Ticks(cr, 72, 100, 92, 6, 105, 1.6, Rgb{0.7, 0.9, 1}, 0.8);
  for (int i = 0; i < 36; i++) {
    double a = i * kTau / 36;
    cairo_arc(cr, 0, 0, 64, a, a + kTau / 72);
    cairo_new_sub_path(cr);
  }
  cairo_set_line_width(cr, 2.5);
  SetColour(cr, Rgb{0.5, 0.8, 1}, 0.6);
  cairo_stroke(cr);
}

void CircleFrame(cairo_t* cr, int i) {
  switch (i) {
    case 0:
      cairo_arc(cr, 0, 0, 124, 0, kTau);
      SetColour(cr, kWhite);
      cairo_fill(cr);
      break;
    case 1: CogBackdrop(cr); break;
    case 2: Flash(cr); break;
    default: Halo(cr); break;
  }
}

}  // namespace

void DrawPost(cairo_t* cr, int stage) {
  PostBody(cr, stage);
  cairo_save(cr);
  cairo_scale(cr, 0.75, 0.75);
  PostRing(cr);
  cairo_restore(cr);
}
void DrawCraft(cairo_t* cr, int frame) { Craft(cr, frame); }
void DrawFoe(cairo_t* cr, int kind, int frame) { Foe(cr, kind, frame); }

std::vector<Sheet> PlaySheets() {
  return {
      {"gfx", 32, 32, 8, 8, GfxFrame, true},
      {"parts", 8, 8, 16, 16, PartFrame, true},
      {"common/circle", 256, 256, 2, 2, CircleFrame, true},
  };
}

}  // namespace gen
