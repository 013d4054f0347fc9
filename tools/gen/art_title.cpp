// The title artwork: the "Skarblit" wordmark and the menu's pictures (the grid backdrop, the
// ring swirl, the hero scene of a craft linked to a zap post, and a star field).
#include <cmath>

#include "tools/gen/art.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;

void Wordmark(cairo_t* cr, int) {
  const char* name = "Skarblit";
  std::vector<double> ink = TextInk(FontStyle::Bold, 100, name);
  double size = 100 * 224 / (ink[2] - ink[0]);
  cairo_save(cr);
  cairo_matrix_t shear;
  cairo_matrix_init(&shear, 1, 0, -0.18, 1, 0, 0);
  cairo_transform(cr, &shear);
  double base = 18;
  TextPath(cr, FontStyle::Bold, size, name, 0, base);
  cairo_path_t* path = cairo_copy_path(cr);
  Rgb hot{1, 0.3, 0.8};
  SetColour(cr, hot, 0.18);
  cairo_set_line_width(cr, 14);
  cairo_stroke_preserve(cr);
  SetColour(cr, hot, 0.35);
  cairo_set_line_width(cr, 7);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, -40, 0, base + 4);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.55, 1, 1);
  cairo_pattern_add_color_stop_rgb(p, 0.55, 0.3, 0.6, 1);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.85, 0.3, 1);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  cairo_set_line_width(cr, 1.6);
  SetColour(cr, kWhite, 0.9);
  cairo_stroke(cr);
  cairo_restore(cr);
  // A lightning underline, the game's bolt.
  Rng rng(77);
  cairo_move_to(cr, -108, 36);
  for (int k = 1; k <= 18; k++) cairo_line_to(cr, -108 + k * 12, 36 + rng.Range(-5, 5));
  NeonStroke(cr, Rgb{1, 0.9, 0.3}, 2.4, 1);
}

void GridBackdrop(cairo_t* cr) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, -128, 0, 128);
  cairo_pattern_add_color_stop_rgba(sky, 0, 0.02, 0.0, 0.08, 1);
  cairo_pattern_add_color_stop_rgba(sky, 0.5, 0.18, 0.02, 0.25, 1);
  cairo_pattern_add_color_stop_rgba(sky, 1, 0.02, 0.0, 0.08, 1);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  double horizon = 8;
  Glow(cr, 0, horizon, 70, Rgb{1, 0.35, 0.6}, 0.45);
  Rgb line{0.25, 0.7, 1};
  for (int k = -12; k <= 12; k++) {
    cairo_move_to(cr, k * 4, horizon);
    cairo_line_to(cr, k * 40, 128);
  }
  for (int k = 0; k < 9; k++) {
    double y = horizon + 120 * std::pow(k / 8.0, 2.2);
    cairo_move_to(cr, -128, y);
    cairo_line_to(cr, 128, y);
  }
  SetColour(cr, line, 0.55);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  cairo_move_to(cr, -128, horizon);
  cairo_line_to(cr, 128, horizon);
  NeonStroke(cr, Rgb{1, 0.45, 0.8}, 1.2, 1);
}

void RingSwirl(cairo_t* cr) {
  for (int r = 0; r < 6; r++) {
    double radius = 30 + r * 17;
    Rgb c = Hsv(190 + r * 25, 0.7, 1);
    int dashes = 8 + r * 4;
    for (int k = 0; k < dashes; k++) {
      double a = k * kTau / dashes + r * 0.2;
      cairo_arc(cr, 0, 0, radius, a, a + kTau / dashes * 0.6);
      cairo_new_sub_path(cr);
    }
    NeonStroke(cr, c, 2.2, 0.8);
  }
  for (int k = 0; k < 24; k++) {
    double a = k * kTau / 24;
    cairo_move_to(cr, std::sin(a) * 20, -std::cos(a) * 20);
    cairo_line_to(cr, std::sin(a + 0.3) * 124, -std::cos(a + 0.3) * 124);
  }
  SetColour(cr, Rgb{0.5, 0.6, 1}, 0.25);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void Bolt(cairo_t* cr, Rng& rng, double x0, double y0, double x1, double y1, Rgb c) {
  cairo_move_to(cr, x0, y0);
  double nx = -(y1 - y0), ny = x1 - x0, len = std::hypot(nx, ny);
  nx /= len;
  ny /= len;
  for (int k = 1; k < 12; k++) {
    double t = k / 12.0, o = rng.Range(-7, 7);
    cairo_line_to(cr, x0 + (x1 - x0) * t + nx * o, y0 + (y1 - y0) * t + ny * o);
  }
  cairo_line_to(cr, x1, y1);
  NeonStroke(cr, c, 2.6, 1.2);
}

void HeroScene(cairo_t* cr) {
  Rng rng(4242);
  Glow(cr, 0, 0, 120, Rgb{0.2, 0.3, 0.9}, 0.35);
  double px = -50, py = 30, cx = 30, cy = -20;
  Bolt(cr, rng, px, py, cx + 30, cy - 19, Rgb{0.3, 0.6, 1});
  Bolt(cr, rng, px, py, px - 55, py + 34, Rgb{1, 0.55, 0.2});
  cairo_save(cr);
  cairo_translate(cr, px, py);
  cairo_scale(cr, 2, 2);
  DrawPost(cr, 2);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, 2.2, 2.2);
  DrawCraft(cr, 0);
  cairo_restore(cr);
  static const double foes[4][4] = {{70, 50, 1, 0.3}, {-80, -60, 2, -0.4}, {90, -80, 3, 0.8},
                                    {10, 85, 4, 0.1}};
  for (const auto& f : foes) {
    cairo_save(cr);
    cairo_translate(cr, f[0], f[1]);
    cairo_rotate(cr, f[3]);
    cairo_scale(cr, 1.4, 1.4);
    DrawFoe(cr, static_cast<int>(f[2]), 1);
    cairo_restore(cr);
  }
  for (int k = 0; k < 40; k++) {
    double a = rng.Next() * kTau, d = rng.Range(14, 40);
    Glow(cr, 70 + std::sin(a) * d, 50 - std::cos(a) * d, rng.Range(2, 4), Hsv(rng.Range(0, 60), 0.6, 1),
         0.9);
  }
}

void StarField(cairo_t* cr) {
  Rng rng(99);
  for (int k = 0; k < 120; k++) {
    double x = rng.Range(-124, 124), y = rng.Range(-124, 124), r = rng.Range(0.4, 1.4);
    cairo_arc(cr, x, y, r, 0, kTau);
    SetColour(cr, Mix(Hsv(rng.Range(0, 360), 0.4, 1), kWhite, 0.5), rng.Range(0.4, 1));
    cairo_fill(cr);
  }
}

void MenuFrame(cairo_t* cr, int i) {
  switch (i) {
    case 0: GridBackdrop(cr); break;
    case 1: RingSwirl(cr); break;
    case 2: HeroScene(cr); break;
    default: StarField(cr); break;
  }
}

}  // namespace

std::vector<Sheet> TitleSheets() {
  return {
      {"logo", 256, 128, 1, 1, Wordmark, true},
      {"menu", 256, 256, 2, 2, MenuFrame, true},
  };
}

}  // namespace gen
