// Scene previews (not game data): play and menu screens put together from the sheets.
#include "tools/gen/preview.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "tools/gen/art.h"

namespace gen {
namespace {

const double kTau = 2 * M_PI;

struct Stage {
  cairo_t* cr;
  int res;  // resolution of the sheets used: 1, 2 or 4 pixels per unit
  std::map<std::string, Sheet> sheets;
  std::map<std::string, cairo_surface_t*> surfaces;  // by name and tint

  // The sheet at the stage's resolution with its colours multiplied by the tint, as the game's vertex colour does.
  cairo_surface_t* Surface(const std::string& name, Rgb tint) {
    char key[96];
    std::snprintf(key, sizeof key, "%s/%d/%.3f/%.3f/%.3f", name.c_str(), res, tint.r, tint.g, tint.b);
    auto it = surfaces.find(key);
    if (it != surfaces.end()) return it->second;
    cairo_surface_t* s = RenderSheet(sheets.at(name), res);
    unsigned char* d = cairo_image_surface_get_data(s);
    int n = cairo_image_surface_get_stride(s) * cairo_image_surface_get_height(s);
    for (int i = 0; i < n; i += 4) {
      d[i] = static_cast<unsigned char>(d[i] * tint.b);
      d[i + 1] = static_cast<unsigned char>(d[i + 1] * tint.g);
      d[i + 2] = static_cast<unsigned char>(d[i + 2] * tint.r);
    }
    cairo_surface_mark_dirty(s);
    surfaces[key] = s;
    return s;
  }

  // One frame by its centre, like an image record of the game.
  void Draw(const std::string& name, int frame, double x, double y, double scale = 1,
            double rotDeg = 0, double alpha = 1, Rgb tint = kWhite) {
    const Sheet& sh = sheets.at(name);
    int fw = sh.frameW * res, fh = sh.frameH * res;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, rotDeg * M_PI / 180);
    cairo_scale(cr, scale / res, scale / res);
    cairo_rectangle(cr, -fw / 2.0, -fh / 2.0, fw, fh);
    cairo_clip(cr);
    cairo_set_source_surface(cr, Surface(name, tint), -fw / 2.0 - (frame % sh.cols) * fw,
                             -fh / 2.0 - (frame / sh.cols) * fh);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
  }

  // Text the way the game lays it out: advance 7 plus the per-letter spacing, left aligned.
  void Text(const std::string& text, double x, double y, double scale, Rgb tint) {
    for (size_t i = 0; i < text.size(); i++) {
      char c = text[i];
      if (c == '\xac' && i + 1 < text.size()) {
        size_t k = std::string("JKLIUOQEFWSAD").find(text[++i]);
        Draw("fonts/shadow_editundo", 112 + static_cast<int>(k), x, y, scale, 0, 1, tint);
        x += (k == 4 || k == 5 ? 13 : 11) * scale;
        continue;
      }
      int d = 0;
      if (c == 'w' || c == 'm') d = 2;
      if (c == 'W' || c == 'M') d = 1;
      if (c == 'i' || c == 'f' || c == 'l') d = -3;
      if (std::string("jskrztn").find(c) != std::string::npos) d = -1;
      if (c > 32 && c < 127) Draw("fonts/shadow_editundo", c - 32, x, y, scale, 0, 1, tint);
      x += (7 + d) * scale;
    }
  }

  void Begin(Rgb backdrop) {
    SetColour(cr, backdrop);
    cairo_paint(cr);
  }
};

void PlayScene(Stage& st) {
  st.Begin(Rgb{0, 0, 0});
  Rng rng(5);
  for (int k = 0; k < 100; k++)
    st.Draw("parts", static_cast<int>(rng.Next() * 256), rng.Range(0, 640), rng.Range(0, 480), 1, 0,
            rng.Range(0.2, 0.8));
  double cx = 300, cy = 250;
  st.Draw("gfx", 9, cx, cy);
  st.Draw("gfx", 32, cx, cy, 1.2, 30);
  static const double posts[3][3] = {{240, 200, 1}, {460, 330, 5}, {130, 380, 7}};
  for (const auto& p : posts) {
    st.Draw("gfx", static_cast<int>(p[2]), p[0], p[1], 1, 20);
    st.Draw("common/circle", 3, p[0], p[1], 0.75, 0, 0.15);
    st.Draw("gfx", 8, p[0], p[1], 0.75, 110);
  }
  st.Draw("common/circle", 2, 460, 330, 0.6, 40, 1);
  // One linked post's bolt, in the game's colours.
  for (int layer = 0; layer < 3; layer++) {
    Rng b(9);
    cairo_move_to(st.cr, 240, 200);
    for (int n = 1; n <= 14; n++) cairo_line_to(st.cr, 240 + n * 6 + b.Range(-5, 5), 200 + n * 5.3 + b.Range(-5, 5));
    SetColour(st.cr, layer == 0 ? Rgb{0, 0.3, 0.9} : layer == 1 ? Rgb{0.4, 0.55, 0.95} : Rgb{0.7, 0.8, 1},
              0.8);
    cairo_set_line_width(st.cr, 3 - layer);
    cairo_stroke(st.cr);
  }
  for (int k = 0; k < 14; k++) {
    int kind = 1 + k % 4;
    double x = 60 + (k * 97) % 540, y = 60 + (k * 61) % 380;
    st.Draw("gfx", kind * 4 + k % 4 + 12, x, y, 1, k * 40, 0.95);
    st.Draw("gfx", kind * 4 + k % 4 + 12, x, y, 1.2, k * 40, 0.2);
  }
  static const Rgb palette[4] = {{1, 0.1, 0.1}, {1, 0.5, 0.1}, {1, 1, 0.1}, {0.1, 1, 1}};
  for (int k = 0; k < 24; k++) {
    double a = k * kTau / 24, r = 12 + (k % 3) * 8;
    st.Draw("parts", k * 11, 420 + std::sin(a) * r, 150 - std::cos(a) * r, 1, k * 30, 0.9, palette[k % 4]);
  }
  st.Text("5", 400, 120, 1, Rgb{1, 1, 0.1});
  st.Text("15", 180, 330, 1, Rgb{1, 1, 0.1});
  SetColour(st.cr, kWhite, 0.5);
  cairo_rectangle(st.cr, 320 - 101, 31, 202, 10);
  cairo_fill(st.cr);
  SetColour(st.cr, Rgb{0, 1, 0}, 0.6);
  cairo_rectangle(st.cr, 220, 32, 140, 8);
  cairo_fill(st.cr);
  st.Text("00012345", 320 - 7 * 2 * 3.5, 50, 2, Rgb{0.4, 1, 0.4});
  st.Text("00020000 3rd", 320 - 7 * 5.5, 12, 1, Rgb{1, 1, 0.4});
  st.Draw("common/icons", 0, 16, 16, 1, 0, 0.2);
  st.Text("Press \xac" "J to zap! Keys: \xac" "W\xac" "A\xac" "S\xac" "D", 40, 450, 1, kWhite);
}

void MenuScene(Stage& st) {
  st.Begin(Rgb{0, 0, 80 / 255.0});
  double W = 640, H = 480, P = 140;
  st.Draw("menu", 0, W / 2, 0.4 * H, 3);
  st.Draw("menu", 2, (W - P) / 2, H / 2, 1.5, 0, 0.75);
  st.Draw("menu", 1, W / 2, H / 2, 2, 0, 0.5);
  st.Draw("logo", 0, (W - P) / 2, 90, 1.5);
  SetColour(st.cr, Rgb{0, 0, 0}, 0.45);
  cairo_rectangle(st.cr, W - P, 0, P, H);
  cairo_fill(st.cr);
  st.Text("Top 5", W - P + 20, 66, 1.5, Rgb{1, 0.78, 0.4});
  for (int k = 0; k < 5; k++) st.Text("     12340", W - P + 20, 81 + k * 15, 1.5, Rgb{1, 0.78, 0.4});
  st.Draw("common/icons", 3, W - P / 2, H - 48, 4, 0, 0.5, Rgb{0.4, 1, 0.4});
  double gx = 38, gy = H - 64;
  st.Draw("common/circle", 3, gx, gy, 1.5625, 10, 0.8);
  st.Draw("common/circle", 1, gx, gy, 0.5, 0, 0.8);
  st.Draw("common/Buttons", 8, gx, gy, 1.5, 10);
  st.Draw("common/Buttons", 9, gx, gy, 1.5, -20);
  st.Draw("common/Buttons", 10, gx, gy, 1.5, 40);
  static const char* names[3] = {"Easy", "Normal", "Hard"};
  for (int k = 0; k < 3; k++) {
    double a = 32 * k + 16, b = std::fabs(a - 45) <= 45 ? (45 - std::fabs(a - 45)) * 1.5 : 0;
    double qx = gx + std::sin(a * M_PI / 180) * (b + 116), qy = gy - std::cos(a * M_PI / 180) * (b + 116);
    double sc = k == 1 ? b / 60 + 1 : 1;
    st.Draw("common/Buttons", k, qx, qy, sc, (a - 55) / 2, k == 1 ? 1 : 0.5);
    double tw = std::string(names[k]).size() * 7 * 1.5 * sc;
    st.Text(names[k], qx - tw / 2 + 3.5 * 1.5 * sc, qy, 1.5 * sc, kWhite);
  }
  st.Text("Nice and easy does it.", 240, H - 52, 1.5, kWhite);
  st.Draw("BadgesA", 0, 300, 440, 0.5);
}

void LoadingScene(Stage& st) {
  st.Begin(Rgb{40 / 255.0, 40 / 255.0, 80 / 255.0});
  SetColour(st.cr, Rgb{1, 1, 0}, 0.8);
  cairo_arc(st.cr, 320, 240, 144, 0, kTau);
  cairo_fill(st.cr);
  SetColour(st.cr, Rgb{250 / 255.0, 160 / 255.0, 60 / 255.0}, 0.7);
  cairo_rectangle(st.cr, 0, 192, 640, 96);
  cairo_fill(st.cr);
  st.Draw("common/TOVALogo", 0, 320, 0.48 * 480);
  st.Draw("common/Testcard_Circle", 0, 100, 100, 0.6);
  st.Draw("common/dpad", 0, 560, 60);
  st.Draw("common/Buttons", 12, 560, 400);
}

}  // namespace

bool WritePreviews(const std::string& dir) {
  Stage st;
  for (const Sheet& s : AllSheets()) st.sheets.emplace(s.name, s);
  bool ok = true;
  const std::pair<const char*, void (*)(Stage&)> scenes[] = {
      {"scene_play", PlayScene}, {"scene_menu", MenuScene}, {"scene_loading", LoadingScene}};
  // A window of 640x480 loads the 2x sheets, a smaller one the 1x sheets.
  for (int res : {1, 2}) {
    st.res = res;
    for (const auto& scene : scenes) {
      cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 480);
      st.cr = cairo_create(s);
      scene.second(st);
      cairo_destroy(st.cr);
      std::string file = dir + "/" + scene.first + (res == 1 ? "-1x.png" : "-2x.png");
      ok = ok && cairo_surface_write_to_png(s, file.c_str()) == CAIRO_STATUS_SUCCESS;
      cairo_surface_destroy(s);
    }
  }
  for (auto& s : st.surfaces) cairo_surface_destroy(s.second);
  return ok;
}

}  // namespace gen
