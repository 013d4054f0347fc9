// Artwork of the menus and boxes: icons, dial segments and cog layers, pad pictures, the test
// card, the studio mark and the badges. Pictures that the game tints are drawn in white.
#include <cmath>

#include "tools/gen/art.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;
const Rgb kDark{0.03, 0.04, 0.12};

// A white shape with a soft edge glow, so a tint colours both.
void WhiteFill(cairo_t* cr) {
  SetColour(cr, kWhite, 0.25);
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  SetColour(cr, kWhite);
  cairo_fill(cr);
}

void Arrow(cairo_t* cr, double rot) {
  cairo_save(cr);
  cairo_rotate(cr, rot);
  cairo_move_to(cr, 0, -11);
  cairo_line_to(cr, 9, 0);
  cairo_line_to(cr, 4, 0);
  cairo_line_to(cr, 4, 10);
  cairo_line_to(cr, -4, 10);
  cairo_line_to(cr, -4, 0);
  cairo_line_to(cr, -9, 0);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void Gear(cairo_t* cr, int teeth, double outer, double inner, double hole) {
  int n = teeth * 4;
  for (int i = 0; i < n; i++) {
    double r = (i % 4 < 2) ? outer : inner;
    double a = (i + 0.5) * kTau / n;
    if (i == 0)
      cairo_move_to(cr, std::sin(a) * r, -std::cos(a) * r);
    else
      cairo_line_to(cr, std::sin(a) * r, -std::cos(a) * r);
  }
  cairo_close_path(cr);
  if (hole > 0) {
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, 0, 0, hole, 0, -kTau);
  }
}

// One turning layer of the cog: a toothed ring with a translucent body and a neon rim.
void GearLayer(cairo_t* cr, int teeth, double outer, double inner, double hole, Rgb body, Rgb rim,
               double width) {
  Gear(cr, teeth, outer, inner, hole);
  SetColour(cr, body, 0.85);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill_preserve(cr);
  NeonStroke(cr, rim, width, 0.6);
}

void IconFrame(cairo_t* cr, int i) {
  switch (i) {
    case 0:
      RoundRectPath(cr, -9, -10, 6, 20, 2);
      RoundRectPath(cr, 3, -10, 6, 20, 2);
      WhiteFill(cr);
      break;
    case 1:
      cairo_move_to(cr, -9, -9);
      cairo_line_to(cr, 9, 9);
      cairo_move_to(cr, 9, -9);
      cairo_line_to(cr, -9, 9);
      NeonStroke(cr, kWhite, 4.5, 0.6);
      break;
    case 2:
      Gear(cr, 8, 12, 9, 4);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      WhiteFill(cr);
      break;
    case 3:
      cairo_move_to(cr, -9, -12);
      cairo_line_to(cr, 11, 0);
      cairo_line_to(cr, -9, 12);
      cairo_close_path(cr);
      WhiteFill(cr);
      break;
    case 4:
      Arrow(cr, -M_PI / 2);
      WhiteFill(cr);
      break;
    case 5:
      cairo_move_to(cr, -11, -4);
      cairo_line_to(cr, -5, -4);
      cairo_line_to(cr, 2, -10);
      cairo_line_to(cr, 2, 10);
      cairo_line_to(cr, -5, 4);
      cairo_line_to(cr, -11, 4);
      cairo_close_path(cr);
      WhiteFill(cr);
      cairo_arc(cr, 2, 0, 7, -0.8, 0.8);
      cairo_new_sub_path(cr);
      cairo_arc(cr, 2, 0, 11, -0.8, 0.8);
      NeonStroke(cr, kWhite, 1.8, 0.4);
      break;
    case 6:
      // Four corner brackets: drawn around a button, tinted by the caller.
      for (int k = 0; k < 4; k++) {
        cairo_save(cr);
        cairo_rotate(cr, k * M_PI / 2);
        cairo_move_to(cr, -14, -7);
        cairo_line_to(cr, -14, -14);
        cairo_line_to(cr, -7, -14);
        cairo_restore(cr);
      }
      NeonStroke(cr, kWhite, 2, 0.8);
      break;
    case 7:
      cairo_move_to(cr, -10, 0);
      cairo_line_to(cr, -3, 8);
      cairo_line_to(cr, 11, -8);
      NeonStroke(cr, kWhite, 4, 0.6);
      break;
    case 8:
      PolyPath(cr, 5, 13, 5.5, 0);
      WhiteFill(cr);
      break;
    case 9:
      cairo_arc(cr, -5, 8, 4, 0, kTau);
      cairo_new_sub_path(cr);
      cairo_arc(cr, 7, 5, 4, 0, kTau);
      WhiteFill(cr);
      cairo_move_to(cr, -1.5, 8);
      cairo_line_to(cr, -1.5, -10);
      cairo_line_to(cr, 10.5, -13);
      cairo_line_to(cr, 10.5, 5);
      NeonStroke(cr, kWhite, 2, 0.3);
      break;
    default: break;
  }
}

// Dial plaques carry the difficulty names; their hue runs from calm green to hot red.
void DialSegment(cairo_t* cr, int k) {
  static const double hues[6] = {130, 48, 0, 190, 230, 290};
  Rgb c = Hsv(hues[k], 0.75, 1);
  cairo_move_to(cr, -30, -10);
  cairo_curve_to(cr, -10, -14, 10, -14, 30, -10);
  cairo_line_to(cr, 28, 12);
  cairo_curve_to(cr, 10, 9, -10, 9, -28, 12);
  cairo_close_path(cr);
  SetColour(cr, Mix(c, kDark, 0.75), 0.85);
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 2, 0.7);
}

void ButtonFrame(cairo_t* cr, int i) {
  if (i < 6) {
    DialSegment(cr, i);
  } else if (i == 8) {
    GearLayer(cr, 12, 30, 25, 19, Rgb{0.1, 0.3, 0.5}, Rgb{0.3, 0.85, 1}, 1.6);
  } else if (i == 9) {
    GearLayer(cr, 8, 17, 13.5, 8, Rgb{0.45, 0.1, 0.4}, Rgb{1, 0.4, 0.85}, 1.4);
  } else if (i == 10) {
    PolyPath(cr, 5, 7.5, 3.2, 0);
    SetColour(cr, Rgb{1, 0.85, 0.3});
    cairo_fill_preserve(cr);
    NeonStroke(cr, Rgb{1, 0.75, 0.2}, 1, 0.5);
  } else if (i == 12) {
    cairo_arc(cr, 0, 0, 22, 0, kTau);
    SetColour(cr, Rgb{0.35, 0.22, 0.05});
    cairo_fill_preserve(cr);
    NeonStroke(cr, Rgb{1, 0.8, 0.25}, 2.2, 0.6);
    PolyPath(cr, 5, 15, 6.5, 0);
    SetColour(cr, Rgb{1, 0.9, 0.45});
    cairo_fill(cr);
  }
}

void DpadFrame(cairo_t* cr, int i) {
  Rgb grey{0.75, 0.78, 0.85};
  if (i <= 4) {
    cairo_rectangle(cr, -4.5, -13, 9, 26);
    cairo_rectangle(cr, -13, -4.5, 26, 9);
    SetColour(cr, grey, 0.9);
    cairo_fill(cr);
    if (i > 0) {
      cairo_save(cr);
      cairo_rotate(cr, (i - 1) * M_PI / 2);
      cairo_rectangle(cr, -4.5, -13, 9, 9);
      SetColour(cr, kWhite);
      cairo_fill(cr);
      Glow(cr, 0, -8.5, 8, kWhite, 0.7);
      cairo_restore(cr);
    }
  } else if (i <= 8) {
    Arrow(cr, (i - 5) * M_PI / 2);
    WhiteFill(cr);
  } else if (i <= 12) {
    static const double hues[4] = {140, 0, 210, 50};
    cairo_arc(cr, 0, 0, 11, 0, kTau);
    SetColour(cr, Hsv(hues[i - 9], 0.7, 1));
    cairo_fill_preserve(cr);
    NeonStroke(cr, kWhite, 1.2, 0.4);
  } else if (i <= 14) {
    RoundRectPath(cr, -13, -6, 26, 12, 5);
    SetColour(cr, grey);
    cairo_fill(cr);
    TextPath(cr, FontStyle::Bold, 10, i == 13 ? "L" : "R", 0, 3.5);
    SetColour(cr, kDark);
    cairo_fill(cr);
  } else {
    cairo_arc(cr, 0, 0, 13, 0, kTau);
    SetColour(cr, grey, 0.4);
    cairo_fill(cr);
    cairo_arc(cr, 0, 0, 7, 0, kTau);
    SetColour(cr, kWhite);
    cairo_fill(cr);
  }
}

void TestCard(cairo_t* cr, int) {
  cairo_rectangle(cr, -128, -128, 256, 256);
  SetColour(cr, Rgb{0.22, 0.22, 0.25});
  cairo_fill(cr);
  for (int k = -128; k <= 128; k += 16) {
    cairo_move_to(cr, k, -128);
    cairo_line_to(cr, k, 128);
    cairo_move_to(cr, -128, k);
    cairo_line_to(cr, 128, k);
  }
  cairo_set_line_width(cr, 1.5);
  SetColour(cr, kWhite, 0.85);
  cairo_stroke(cr);
  cairo_arc(cr, 0, 0, 112, 0, kTau);
  SetColour(cr, Rgb{0, 0, 0});
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  static const Rgb bars[8] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                              {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
  for (int k = 0; k < 8; k++) {
    cairo_rectangle(cr, -112 + k * 28, -80, 28, 80);
    SetColour(cr, Mix(bars[k], Rgb{0, 0, 0}, 0.1));
    cairo_fill(cr);
  }
  for (int k = 0; k < 8; k++) {
    cairo_rectangle(cr, -112 + k * 28, 40, 28, 30);
    double g = k / 7.0;
    SetColour(cr, Rgb{g, g, g});
    cairo_fill(cr);
  }
  for (int k = 0; k < 14; k++) {
    cairo_rectangle(cr, -112 + k * 16, 70, 8, 40);
  }
  SetColour(cr, kWhite);
  cairo_fill(cr);
  cairo_rectangle(cr, -112, 0, 224, 40);
  SetColour(cr, Rgb{0, 0, 0});
  cairo_fill(cr);
  TextPath(cr, FontStyle::Bold, 26, "SKARBLIT", 0, 30);
  SetColour(cr, kWhite);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_arc(cr, 0, 0, 112, 0, kTau);
  cairo_set_line_width(cr, 4);
  SetColour(cr, kWhite);
  cairo_stroke(cr);
  cairo_move_to(cr, 0, -124);
  cairo_line_to(cr, 0, 124);
  cairo_move_to(cr, -124, 0);
  cairo_line_to(cr, 124, 0);
  cairo_set_line_width(cr, 1);
  SetColour(cr, Rgb{1, 0.3, 0.3}, 0.8);
  cairo_stroke(cr);
  cairo_arc(cr, 0, 0, 56, 0, kTau);
  cairo_stroke(cr);
}

// The studio mark: a hexagonal emblem holding a folded ribbon T over the name.
void StudioMark(cairo_t* cr, int) {
  Rgb rim{1, 0.55, 0.15}, ink{0.35, 0.9, 1};
  PolyPath(cr, 6, 112, 0, 30);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, -112, 0, 112);
  cairo_pattern_add_color_stop_rgba(p, 0, 0.08, 0.1, 0.3, 1);
  cairo_pattern_add_color_stop_rgba(p, 1, 0.01, 0.01, 0.06, 1);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  NeonStroke(cr, rim, 5, 0.6);
  PolyPath(cr, 6, 98, 0, 30);
  cairo_set_line_width(cr, 1.5);
  SetColour(cr, rim, 0.5);
  cairo_stroke(cr);
  cairo_move_to(cr, -52, -62);
  cairo_line_to(cr, 52, -62);
  cairo_line_to(cr, 38, -40);
  cairo_line_to(cr, 12, -40);
  cairo_line_to(cr, 0, 22);
  cairo_line_to(cr, -12, -40);
  cairo_line_to(cr, -38, -40);
  cairo_close_path(cr);
  SetColour(cr, ink, 0.25);
  cairo_fill_preserve(cr);
  NeonStroke(cr, ink, 3.5, 0.8);
  Glow(cr, 0, 22, 14, kWhite, 0.9);
  TextPath(cr, FontStyle::Bold, 38, "TOVA", 0, 72);
  SetColour(cr, Rgb{1, 0.95, 0.85});
  cairo_fill(cr);
  cairo_move_to(cr, -46, 84);
  cairo_line_to(cr, 46, 84);
  NeonStroke(cr, rim, 2, 0.5);
}

// Emblems of the badges, chosen by the badge number.
void Emblem(cairo_t* cr, int kind) {
  switch (kind) {
    case 0: PolyPath(cr, 5, 12, 5, 0); break;
    case 1:
      cairo_move_to(cr, 3, -13);
      cairo_line_to(cr, -7, 2);
      cairo_line_to(cr, 0, 2);
      cairo_line_to(cr, -3, 13);
      cairo_line_to(cr, 7, -2);
      cairo_line_to(cr, 0, -2);
      cairo_close_path(cr);
      break;
    case 2:
      for (int k = 0; k < 3; k++) {
        cairo_move_to(cr, -10, -6 + k * 7);
        cairo_line_to(cr, 0, -12 + k * 7);
        cairo_line_to(cr, 10, -6 + k * 7);
        cairo_line_to(cr, 10, -2 + k * 7);
        cairo_line_to(cr, 0, -8 + k * 7);
        cairo_line_to(cr, -10, -2 + k * 7);
        cairo_close_path(cr);
      }
      break;
    case 3:
      cairo_arc(cr, 0, 0, 11, 0, kTau);
      cairo_arc_negative(cr, 0, 0, 6, kTau, 0);
      break;
    case 4: PolyPath(cr, 4, 13, 4, 45); break;
    case 5:
      cairo_arc(cr, 0, -3, 9, M_PI, 0);
      cairo_line_to(cr, 4, 6);
      cairo_line_to(cr, 4, 12);
      cairo_line_to(cr, -4, 12);
      cairo_line_to(cr, -4, 6);
      cairo_close_path(cr);
      break;
    case 6: PolyPath(cr, 3, 12, 0, 0); break;
    default:
      cairo_move_to(cr, 0, -12);
      cairo_curve_to(cr, 16, -22, 20, 2, 0, 12);
      cairo_curve_to(cr, -20, 2, -16, -22, 0, -12);
      cairo_close_path(cr);
      break;
  }
}

void Badge(cairo_t* cr, int i) {
  Rgb c = Hsv(i * 360.0 / 64 * 9, 0.7, 1);
  if (i == 0) c = Rgb{0.3, 1, 0.7};
  int sides = 3 + i % 6;
  if (sides == 3)
    cairo_arc(cr, 0, 0, 26, 0, kTau);
  else
    PolyPath(cr, sides, 27, 0, 180.0 / sides);
  SetColour(cr, Mix(c, kDark, 0.78));
  cairo_fill_preserve(cr);
  NeonStroke(cr, c, 2.4, 0.6);
  if (i == 0) {
    cairo_move_to(cr, -10, 0);
    cairo_line_to(cr, -3, 8);
    cairo_line_to(cr, 11, -9);
    NeonStroke(cr, kWhite, 4, 0.5);
    return;
  }
  Emblem(cr, (i / 6 + i) % 8);
  SetColour(cr, Mix(c, kWhite, 0.7));
  cairo_fill(cr);
}

}  // namespace

std::vector<Sheet> UiSheets() {
  return {
      {"common/icons", 32, 32, 4, 4, IconFrame, true},
      {"common/Buttons", 64, 64, 4, 4, ButtonFrame, true},
      {"common/dpad", 32, 32, 4, 4, DpadFrame, true},
      {"common/Testcard_Circle", 256, 256, 1, 1, TestCard, true},
      {"common/TOVALogo", 256, 256, 1, 1, StudioMark, true},
      {"BadgesA", 64, 64, 8, 8, Badge, true},
  };
}

}  // namespace gen
