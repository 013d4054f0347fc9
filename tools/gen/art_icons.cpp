// The program's icon: the craft of the arena on the dark disc of its cog backdrop, crossed by a
// bolt of lightning. Large sizes draw the sprite itself; below 64 pixels the same shapes are
// drawn without their glow and with every line at least a pixel wide, so nothing blurs away.
#include "tools/gen/icons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/gen/art.h"
#include "tools/gen/png.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;
const Rgb kBody{1, 0.35, 0.85}, kBolt{1, 0.9, 0.3}, kRim{0.3, 0.8, 1};

// Drawing units are the sprite's: the icon is 32 units across whatever its pixel size.
struct Pen {
  cairo_t* cr;
  double px;  // pixels per unit
  // A width of `units`, but never thinner than `minPixels`.
  double Width(double units, double minPixels) const { return std::max(units, minPixels / px); }
};

void Disc(const Pen& p) {
  cairo_pattern_t* fill = cairo_pattern_create_radial(0, -4, 0, 0, 0, 15.5);
  cairo_pattern_add_color_stop_rgb(fill, 0, 0.12, 0.2, 0.45);
  cairo_pattern_add_color_stop_rgb(fill, 1, 0.03, 0.04, 0.15);
  cairo_set_source(p.cr, fill);
  cairo_arc(p.cr, 0, 0, 15.5, 0, kTau);
  cairo_fill(p.cr);
  cairo_pattern_destroy(fill);
  double w = p.Width(1.2, 1);
  cairo_arc(p.cr, 0, 0, 15.5 - w / 2, 0, kTau);
  SetColour(p.cr, kRim);
  cairo_set_line_width(p.cr, w);
  cairo_stroke(p.cr);
}

// A jagged bolt across the disc between the fins, behind the craft.
void Bolt(const Pen& p, bool glow) {
  static const double kPath[][2] = {{-16, 1}, {-12, -2}, {-9, 2}, {0, 0},
                                    {9, -2}, {12, 2}, {16, -1}};
  for (const auto& pt : kPath) cairo_line_to(p.cr, pt[0], pt[1]);
  if (glow) {
    NeonStroke(p.cr, kBolt, 1.6, 1);
  } else {
    SetColour(p.cr, kBolt);
    cairo_set_line_width(p.cr, p.Width(1.6, 1));
    cairo_stroke(p.cr);
  }
}

// The sprite's craft without its glow and running lights: four fins, the pod, the white core.
// Too small for fins, the pod alone grows to fill their place.
void PlainCraft(const Pen& p) {
  cairo_t* cr = p.cr;
  double pod = p.px < 1 ? 9 : 6.5;
  for (int i = 0; i < 4 && p.px >= 1; i++) {
    cairo_save(cr);
    cairo_rotate(cr, i * kTau / 4 + kTau / 8);
    cairo_move_to(cr, -3, -5);
    cairo_line_to(cr, 0, -12.5);
    cairo_line_to(cr, 3, -5);
    cairo_restore(cr);
  }
  SetColour(cr, kBody);
  cairo_set_line_width(cr, p.Width(1.2, 1));
  cairo_stroke(cr);
  cairo_arc(cr, 0, 0, pod, 0, kTau);
  SetColour(cr, Mix(kBody, Rgb{0, 0, 0}, 0.55));
  cairo_fill_preserve(cr);
  SetColour(cr, kBody);
  cairo_set_line_width(cr, p.Width(1.5, 1));
  cairo_stroke(cr);
  cairo_arc(cr, 0, 0, pod * 0.38, 0, kTau);
  SetColour(cr, kWhite);
  cairo_fill(cr);
}

}  // namespace

cairo_surface_t* RenderIcon(int size) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(s);
  Pen p{cr, size / 32.0};
  cairo_translate(cr, size / 2.0, size / 2.0);
  cairo_scale(cr, p.px, p.px);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  Disc(p);
  cairo_arc(cr, 0, 0, 15.5, 0, kTau);
  cairo_clip(cr);
  bool large = size >= 64;
  Bolt(p, large);
  if (large) {
    cairo_scale(cr, 1.05, 1.05);
    DrawCraft(cr, 0);
  } else {
    PlainCraft(p);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

bool WriteIcons(const std::string& dir) {
  for (int size : kIconSizes) {
    char name[32];
    std::snprintf(name, sizeof name, "/skarblit-%d.png", size);
    cairo_surface_t* icon = RenderIcon(size);
    bool ok = WritePng(icon, dir + name);
    cairo_surface_destroy(icon);
    if (!ok) return false;
  }
  return true;
}

}  // namespace gen
