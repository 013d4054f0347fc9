// The chart of plot.h: a white canvas, framed panels with grid lines, the series as a thick
// polyline with a dot at every sample, and stb's bitmap font for the labels.
#include "tests/game/soak/plot.h"

#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace soak {
namespace {

const int kWidth = 900;
const int kPanelHeight = 260;
const int kLeft = 90, kRight = 30, kTop = 40, kBottom = 56;

struct Canvas {
  int w, h;
  std::vector<unsigned char> rgb;
  Canvas(int width, int height) : w(width), h(height), rgb(width * height * 3, 255) {}

  void Fill(int x0, int y0, int x1, int y1, unsigned colour) {
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y) {
      for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
        unsigned char* p = &rgb[(y * w + x) * 3];
        p[0] = colour >> 16;
        p[1] = (colour >> 8) & 255;
        p[2] = colour & 255;
      }
    }
  }
  // A line of the given thickness, stamped along its length.
  void Line(double x0, double y0, double x1, double y1, int thick, unsigned colour) {
    int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
      int x = static_cast<int>(std::lround(x0 + (x1 - x0) * i / steps));
      int y = static_cast<int>(std::lround(y0 + (y1 - y0) * i / steps));
      Fill(x - thick / 2, y - thick / 2, x - thick / 2 + thick, y - thick / 2 + thick, colour);
    }
  }
  // Text at twice the font's size; `right` aligns its end at x.
  void Text(int x, int y, const std::string& text, unsigned colour, bool right = false) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    if (right) x -= 2 * stb_easy_font_width(buffer.data());
    static float quads[4000 * 4 * 4];
    int n = stb_easy_font_print(0, 0, buffer.data(), nullptr, quads, sizeof quads);
    for (int q = 0; q < n; ++q) {
      const float* v = quads + q * 16;  // four vertices of x, y, z, colour
      Fill(x + 2 * static_cast<int>(v[0]), y + 2 * static_cast<int>(v[1]),
           x + 2 * static_cast<int>(v[8]), y + 2 * static_cast<int>(v[9]), colour);
    }
  }
};

std::string Number(double value) {
  char text[32];
  const char* format = value >= 10 || value == 0 ? "%.0f" : value >= 1 ? "%.1f" : "%.2f";
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void Panel(Canvas& c, int top, const std::string& xLabel, const std::vector<double>& xs,
           const Series& s) {
  const int x0 = kLeft, x1 = kWidth - kRight, y0 = top + kTop, y1 = top + kPanelHeight - kBottom;
  double xMax = xs.empty() || xs.back() <= 0 ? 1 : xs.back();
  double yMax = 0;
  for (double v : s.values) yMax = std::max(yMax, v);
  yMax = yMax <= 0 ? 1 : yMax * 1.25;
  auto px = [&](double x) { return x0 + (x1 - x0) * x / xMax; };
  auto py = [&](double y) { return y1 - (y1 - y0) * y / yMax; };
  c.Text(x0, top + 10, s.title, 0x202020);
  for (int i = 0; i <= 4; ++i) {
    double y = yMax * i / 4;
    c.Line(x0, py(y), x1, py(y), 1, 0xdddddd);
    c.Text(x0 - 8, static_cast<int>(py(y)) - 6, Number(y), 0x404040, true);
  }
  for (int i = 0; i <= 6; ++i) {
    double x = xMax * i / 6;
    c.Line(px(x), y0, px(x), y1, 1, 0xeeeeee);
    c.Text(static_cast<int>(px(x)) - 8, y1 + 8, Number(x), 0x404040);
  }
  c.Text(x1, y1 + 30, xLabel, 0x404040, true);
  c.Line(x0, y0, x0, y1, 2, 0x000000);
  c.Line(x0, y1, x1, y1, 2, 0x000000);
  for (size_t i = 0; i < s.values.size() && i < xs.size(); ++i) {
    if (i > 0) c.Line(px(xs[i - 1]), py(s.values[i - 1]), px(xs[i]), py(s.values[i]), 3, 0x1f5fbf);
    c.Fill(static_cast<int>(px(xs[i])) - 3, static_cast<int>(py(s.values[i])) - 3,
           static_cast<int>(px(xs[i])) + 4, static_cast<int>(py(s.values[i])) + 4, 0xc03020);
  }
}

}  // namespace

bool WritePlot(const std::string& path, const std::string& xLabel, const std::vector<double>& xs,
               const std::vector<Series>& series) {
  Canvas canvas(kWidth, kPanelHeight * static_cast<int>(series.size()));
  for (size_t i = 0; i < series.size(); ++i) {
    Panel(canvas, kPanelHeight * static_cast<int>(i), xLabel, xs, series[i]);
  }
  return stbi_write_png(path.c_str(), canvas.w, canvas.h, 3, canvas.rgb.data(), canvas.w * 3) != 0;
}

}  // namespace soak
