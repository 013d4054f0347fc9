// Shared drawing vocabulary of the artwork generator: sheets of frames, colours, neon strokes,
// glows and text outlines from the DejaVu fonts.
#pragma once
#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

namespace gen {

struct Rgb {
  double r, g, b;
};
Rgb Hsv(double hueDegrees, double sat, double val);
Rgb Mix(Rgb a, Rgb b, double t);
const Rgb kWhite{1, 1, 1};

// One image file: a grid of equal frames. Each frame is drawn in 1x units with the origin at
// the frame's centre, so the same drawing serves every resolution.
struct Sheet {
  std::string name;  // asset name, without resolution suffix or ".png"
  int frameW, frameH, cols, rows;
  std::function<void(cairo_t*, int)> draw;
  bool allResolutions;  // false for an image that exists only at 1x
};

// Renders the sheet at 1, 2 or 4 pixels per unit.
cairo_surface_t* RenderSheet(const Sheet& sheet, int scale);

void SetColour(cairo_t* cr, Rgb c, double alpha = 1);
// Strokes the current path as a glowing tube: soft halo, coloured body, pale core. Clears the path.
void NeonStroke(cairo_t* cr, Rgb c, double width, double glow = 1);
// A radial fall-off from the colour at the centre to nothing at radius r.
void Glow(cairo_t* cr, double x, double y, double r, Rgb c, double alpha);
// A closed regular polygon (inner == 0) or star (inner = inner radius) path.
void PolyPath(cairo_t* cr, int points, double outer, double inner, double rotDegrees);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r);

enum class FontStyle { Bold, MonoBold };
// Adds the outline of `text` to the current path; size is the em height; align 0 left, 0.5
// centre, 1 right of x; y is the baseline. Returns the advance width.
double TextPath(cairo_t* cr, FontStyle style, double size, const std::string& text, double x,
                double y, double align = 0.5);
// Ink box of text at the given size: {x0, y0, x1, y1} relative to origin/baseline.
std::vector<double> TextInk(FontStyle style, double size, const std::string& text);
// Opens the DejaVu faces; false when one is missing, since drawing on with a stand-in
// would silently change every glyph.
bool LoadFonts();
void ReleaseFonts();

// Deterministic pseudo-random numbers for artwork and sound alike.
struct Rng {
  unsigned state;
  explicit Rng(unsigned seed) : state(seed ? seed : 1u) {}
  double Next();  // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }
};

}  // namespace gen
