// Sheet rendering and the drawing helpers every artwork file uses.
#include "tools/gen/canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <map>

namespace gen {

Rgb Hsv(double h, double s, double v) {
  h = std::fmod(std::fmod(h, 360.0) + 360.0, 360.0) / 60.0;
  int i = static_cast<int>(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

cairo_surface_t* RenderSheet(const Sheet& sheet, int scale) {
  int fw = sheet.frameW * scale, fh = sheet.frameH * scale;
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, fw * sheet.cols, fh * sheet.rows);
  cairo_t* cr = cairo_create(s);
  for (int i = 0; i < sheet.cols * sheet.rows; i++) {
    int x = (i % sheet.cols) * fw, y = (i / sheet.cols) * fh;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, fw, fh);
    cairo_clip(cr);
    cairo_translate(cr, x + fw * 0.5, y + fh * 0.5);
    cairo_scale(cr, scale, scale);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    sheet.draw(cr, i);
    cairo_restore(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

void SetColour(cairo_t* cr, Rgb c, double alpha) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void NeonStroke(cairo_t* cr, Rgb c, double width, double glow) {
  if (glow > 0) {
    SetColour(cr, c, 0.12);
    cairo_set_line_width(cr, width * (1 + 3.0 * glow));
    cairo_stroke_preserve(cr);
    SetColour(cr, c, 0.25);
    cairo_set_line_width(cr, width * (1 + 1.5 * glow));
    cairo_stroke_preserve(cr);
  }
  SetColour(cr, c);
  cairo_set_line_width(cr, width);
  cairo_stroke_preserve(cr);
  SetColour(cr, Mix(c, kWhite, 0.75));
  cairo_set_line_width(cr, width * 0.4);
  cairo_stroke(cr);
}

void Glow(cairo_t* cr, double x, double y, double r, Rgb c, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
  cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 0.35, c.r, c.g, c.b, alpha * 0.45);
  cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void PolyPath(cairo_t* cr, int points, double outer, double inner, double rot) {
  int n = inner > 0 ? points * 2 : points;
  for (int i = 0; i < n; i++) {
    double r = (inner > 0 && i % 2) ? inner : outer;
    double a = (rot + 360.0 * i / n) * M_PI / 180.0;
    double x = std::sin(a) * r, y = -std::cos(a) * r;
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
  cairo_close_path(cr);
}

namespace {

FT_Library g_ft = nullptr;
std::map<FontStyle, std::pair<FT_Face, cairo_font_face_t*>> g_faces;

// The font files come straight from the Debian package, never through fontconfig, so the
// output cannot change with the machine's font configuration.
cairo_font_face_t* Face(FontStyle style) {
  auto it = g_faces.find(style);
  if (it != g_faces.end()) return it->second.second;
  if (!g_ft) FT_Init_FreeType(&g_ft);
  const char* file = style == FontStyle::Bold ? "DejaVuSans-Bold.ttf" : "DejaVuSansMono-Bold.ttf";
  std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + file;
  FT_Face face = nullptr;
  if (FT_New_Face(g_ft, path.c_str(), 0, &face) != 0) return nullptr;
  cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, 0);
  g_faces[style] = {face, cf};
  return cf;
}

void UseFont(cairo_t* cr, FontStyle style, double size) {
  cairo_set_font_face(cr, Face(style));
  cairo_set_font_size(cr, size);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

}  // namespace

double TextPath(cairo_t* cr, FontStyle style, double size, const std::string& text, double x,
                double y, double align) {
  UseFont(cr, style, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_move_to(cr, x - e.x_advance * align, y);
  cairo_text_path(cr, text.c_str());
  return e.x_advance;
}

std::vector<double> TextInk(FontStyle style, double size, const std::string& text) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  UseFont(cr, style, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return {e.x_bearing, e.y_bearing, e.x_bearing + e.width, e.y_bearing + e.height};
}

bool LoadFonts() {
  return Face(FontStyle::Bold) && Face(FontStyle::MonoBold);
}

void ReleaseFonts() {
  for (auto& f : g_faces) cairo_font_face_destroy(f.second.second);
  g_faces.clear();
  // The FreeType faces stay with the library until the process ends: cairo may still hold
  // cached scaled fonts that refer to them.
}

double Rng::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return (state >> 8) * (1.0 / 16777216.0);
}

}  // namespace gen
