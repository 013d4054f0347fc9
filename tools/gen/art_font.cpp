// The two bitmap fonts. "fonts/shadow_editundo" holds the game's text: glyphs for codes 33 to
// 126 with a drop shadow in 16-unit cells on a shared baseline, squeezed to fit the text
// layout's advance of 7 (plus its per-letter spacing) and line height of 10, then the
// controller pictures of the escape letters. "lumo_font" is the framework's plain default font.
#include <cmath>
#include <string>

#include "tools/gen/art.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;
const char kEscapes[] = "JKLIUOQEFWSAD";  // frames 96.., and 112.. for the keyboard set
const double kBaseline = 4;                // below the cell centre; caps rise about 7 above
const double kGlyphSize = 9.6;

// Extra advance the text layout grants a glyph (its per-letter spacing table).
int Spacing(char c) {
  switch (c) {
    case 'w': case 'm': return 2;
    case 'W': case 'M': return 1;
    case 'i': case 'f': case 'l': return -3;
    case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
    default: return 0;
  }
}

// Rounds a 1x offset to whole device pixels, so stems land on pixel edges at every resolution.
double Snap(cairo_t* cr, double v) {
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  return std::round(v * m.xx) / m.xx;
}

// The layout draws each glyph centred where its advance starts and moves on by 7 plus the
// letter's spacing, so a glyph centred in its cell would have all of that spacing on its right
// ("Mus ic"). Moving it by half its spacing centres it in the advance it is given.
void Glyph(cairo_t* cr, char c) {
  std::string s(1, c);
  std::vector<double> ink = TextInk(FontStyle::Bold, kGlyphSize, s);
  double width = ink[2] - ink[0], room = std::max(3.0, 7.0 + Spacing(c) - 0.6);
  double squeeze = width > room ? room / width : 1.0;
  double shift = Snap(cr, -(ink[0] + width * 0.5) * squeeze + Spacing(c) * 0.5);
  for (int pass = 0; pass < 2; pass++) {
    cairo_save(cr);
    cairo_translate(cr, shift + (pass ? 0 : 1), pass ? 0 : 1);
    cairo_scale(cr, squeeze, 1);
    TextPath(cr, FontStyle::Bold, kGlyphSize, s, 0, kBaseline, 0);
    cairo_restore(cr);
    SetColour(cr, pass ? kWhite : Rgb{0, 0, 0}, pass ? 1 : 0.85);
    cairo_fill(cr);
  }
}

// Pad pictures: four face buttons (a diamond of dots with one lit), shoulders, triggers, a
// menu button and the four pad directions.
void PadPicture(cairo_t* cr, char k) {
  Rgb dim{0.45, 0.45, 0.5};
  auto dot = [&](double x, double y, double r, Rgb c) {
    cairo_arc(cr, x, y, r, 0, kTau);
    SetColour(cr, c);
    cairo_fill(cr);
  };
  const std::string face = "JKLI";
  size_t f = face.find(k);
  if (f != std::string::npos) {
    static const double pos[4][2] = {{0, 3.2}, {3.2, 0}, {-3.2, 0}, {0, -3.2}};
    static const Rgb hue[4] = {{0.4, 1, 0.5}, {1, 0.4, 0.4}, {0.4, 0.6, 1}, {1, 0.9, 0.3}};
    for (int i = 0; i < 4; i++) dot(pos[i][0], pos[i][1], 1.3, dim);
    Glow(cr, pos[f][0], pos[f][1], 3.6, hue[f], 0.8);
    dot(pos[f][0], pos[f][1], 2.1, Mix(hue[f], kWhite, 0.4));
    return;
  }
  if (k == 'U' || k == 'O' || k == 'Q' || k == 'E') {
    bool left = k == 'U' || k == 'Q';
    cairo_save(cr);
    if (!left) cairo_scale(cr, -1, 1);
    if (k == 'U' || k == 'O') {
      RoundRectPath(cr, -6, -2.5, 12, 5.5, 2.5);
    } else {
      cairo_move_to(cr, -4, 4.5);
      cairo_line_to(cr, -4, -2);
      cairo_curve_to(cr, -4, -5, 4, -5, 4, -2);
      cairo_line_to(cr, 4, 4.5);
      cairo_close_path(cr);
    }
    SetColour(cr, kWhite);
    cairo_fill(cr);
    cairo_move_to(cr, -3.5, 0.5);
    cairo_line_to(cr, -1.5, 0.5);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, Rgb{0.2, 0.2, 0.3});
    cairo_stroke(cr);
    cairo_restore(cr);
    return;
  }
  if (k == 'F') {
    RoundRectPath(cr, -4.5, -3.5, 9, 7, 2);
    SetColour(cr, kWhite);
    cairo_fill(cr);
    for (int i = -1; i <= 1; i++) {
      cairo_move_to(cr, -2.5, i * 1.6);
      cairo_line_to(cr, 2.5, i * 1.6);
    }
    cairo_set_line_width(cr, 0.8);
    SetColour(cr, Rgb{0.2, 0.2, 0.3});
    cairo_stroke(cr);
    return;
  }
  // W S A D: the pad's cross with one arm lit.
  const std::string dirs = "WDSA";
  cairo_rectangle(cr, -1.6, -4.8, 3.2, 9.6);
  cairo_rectangle(cr, -4.8, -1.6, 9.6, 3.2);
  SetColour(cr, dim);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_rotate(cr, static_cast<double>(dirs.find(k)) * M_PI / 2);
  cairo_rectangle(cr, -1.6, -4.8, 3.2, 3.6);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  cairo_restore(cr);
}

// Keyboard pictures: a key cap carrying its letter.
void KeyPicture(cairo_t* cr, char k) {
  double w = (k == 'U' || k == 'O') ? 12 : 10;
  RoundRectPath(cr, -w / 2, -5.5, w, 10, 1.8);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  RoundRectPath(cr, -w / 2 + 1, -5, w - 2, 7.5, 1.2);
  SetColour(cr, Rgb{0.82, 0.84, 0.9});
  cairo_fill(cr);
  TextPath(cr, FontStyle::Bold, 6.5, std::string(1, k), 0, 1.2);
  SetColour(cr, Rgb{0.1, 0.1, 0.2});
  cairo_fill(cr);
}

void ShadowFontFrame(cairo_t* cr, int i) {
  if (i >= 1 && i <= 94) {
    Glyph(cr, static_cast<char>(i + 32));
  } else if (i >= 96 && i <= 108) {
    PadPicture(cr, kEscapes[i - 96]);
  } else if (i >= 112 && i <= 124) {
    KeyPicture(cr, kEscapes[i - 112]);
  }
}

void LumoFrame(cairo_t* cr, int i) {
  if (i < 1 || i > 94) return;
  std::string s(1, static_cast<char>(i + 32));
  std::vector<double> ink = TextInk(FontStyle::MonoBold, 10, s);
  double shift = Snap(cr, -(ink[0] + ink[2]) * 0.5);
  TextPath(cr, FontStyle::MonoBold, 10, s, shift, 3, 0);
  SetColour(cr, kWhite);
  cairo_fill(cr);
}

}  // namespace

std::vector<Sheet> FontSheets() {
  return {
      {"fonts/shadow_editundo", 16, 16, 16, 8, ShadowFontFrame, true},
      {"lumo_font", 10, 12, 96, 1, LumoFrame, false},
  };
}

std::vector<Sheet> AllSheets() {
  std::vector<Sheet> all;
  for (auto part : {PlaySheets(), UiSheets(), TitleSheets(), FontSheets()})
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace gen
