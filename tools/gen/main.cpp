// Generates the game's data folder: every image at its resolutions, the fonts, the sound
// effects and the tune. Usage: kx_datagen <data folder> [<folder for contact sheets and
// scene previews>]. The desktop icons are data too: the game sets them on its windows.
// The output depends on nothing but this program and the DejaVu fonts, so two runs agree
// byte for byte.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "tools/gen/art.h"
#include "tools/gen/icons.h"
#include "tools/gen/png.h"
#include "tools/gen/preview.h"
#include "tools/gen/sound.h"

namespace {

const char* const kSuffix[3] = {"", "-hd", "-hd2"};
const int kScale[3] = {1, 2, 4};

bool MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++) {
    if (i == path.size() || path[i] == '/') {
      std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

std::string Flat(std::string name) {
  for (char& c : name)
    if (c == '/') c = '_';
  return name;
}

// A contact sheet shows the image over a dark checker with its frame grid, so transparent
// edges, glow clipping and frame placement are all visible.
bool WriteContactSheet(cairo_surface_t* image, const gen::Sheet& sheet, int scale,
                       const std::string& path) {
  int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(s);
  int cell = 4 * scale;
  for (int y = 0; y < h; y += cell)
    for (int x = 0; x < w; x += cell) {
      double g = ((x + y) / cell) % 2 ? 0.07 : 0.1;
      cairo_set_source_rgb(cr, g, g, g);
      cairo_rectangle(cr, x, y, cell, cell);
      cairo_fill(cr);
    }
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_paint(cr);
  cairo_set_source_rgba(cr, 0.3, 0.3, 0.6, 0.6);
  cairo_set_line_width(cr, 1);
  for (int c = 1; c < sheet.cols; c++) {
    cairo_move_to(cr, c * sheet.frameW * scale + 0.5, 0);
    cairo_line_to(cr, c * sheet.frameW * scale + 0.5, h);
  }
  for (int r = 1; r < sheet.rows; r++) {
    cairo_move_to(cr, 0, r * sheet.frameH * scale + 0.5);
    cairo_line_to(cr, w, r * sheet.frameH * scale + 0.5);
  }
  cairo_stroke(cr);
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

bool WriteImages(const std::string& dir, const std::string& sheetsDir) {
  for (const gen::Sheet& sheet : gen::AllSheets()) {
    for (int r = 0; r < (sheet.allResolutions ? 3 : 1); r++) {
      std::string file = dir + "/" + sheet.name + kSuffix[r] + ".png";
      cairo_surface_t* image = gen::RenderSheet(sheet, kScale[r]);
      bool ok = gen::WritePng(image, file);
      if (ok && !sheetsDir.empty())
        ok = WriteContactSheet(image, sheet, kScale[r],
                               sheetsDir + "/" + Flat(sheet.name) + kSuffix[r] + ".png");
      cairo_surface_destroy(image);
      if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <data folder> [<contact sheet folder>]\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1], sheetsDir = argc > 2 ? argv[2] : "";
  if (!MakeDirs(dir + "/common") || !MakeDirs(dir + "/fonts") || !MakeDirs(dir + "/sfx") ||
      !MakeDirs(dir + "/icons") ||
      (!sheetsDir.empty() && !MakeDirs(sheetsDir))) {
    std::fprintf(stderr, "cannot create the folders under %s\n", dir.c_str());
    return 1;
  }
  if (!gen::LoadFonts()) {
    std::fprintf(stderr, "cannot read the DejaVu fonts under /usr/share/fonts/truetype/dejavu\n");
    return 1;
  }
  bool ok = WriteImages(dir, sheetsDir) && (sheetsDir.empty() || gen::WritePreviews(sheetsDir));
  gen::ReleaseFonts();
  if (ok && !gen::WriteIcons(dir + "/icons")) {
    std::fprintf(stderr, "cannot write the icons under %s/icons\n", dir.c_str());
    ok = false;
  }
  if (ok && !gen::WriteEffects(dir)) {
    std::fprintf(stderr, "cannot write the sound effects\n");
    ok = false;
  }
  if (ok && !gen::WriteTune(dir)) {
    std::fprintf(stderr, "cannot write the tune\n");
    ok = false;
  }
  return ok ? 0 : 1;
}
