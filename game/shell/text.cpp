// Bitmap text laid out glyph by glyph into the draw-command list, the right-aligned number
// formatter, and the pointer hit tests of buttons and touch areas.
#include <cstdio>
#include <vector>

#include "game/shell/myapp.h"
#include "runtime/kxmath.h"

static const Char kEscape = 0xAC;  // "¬" followed by a letter inserts a button picture

// Per-glyph spacing adjustment; sets d only for the listed glyphs.
static void ApplySpacing(int g, int& d) {
  switch (g) {
    case 87: case 77: d = 2; break;                                          // w m
    case 55: case 45: d = 1; break;                                          // W M
    case 73: case 70: case 76: d = -3; break;                                // i f l
    case 74: case 83: case 75: case 82: case 90: case 84: case 78: d = -1; break;  // j s k r z t n
    default: break;
  }
}

// Glyph and spacing of the button picture named by an escape letter (before the keyboard shift).
static void EscapeGlyph(Char letter, int& g, int& d) {
  static const char kLetters[] = "JKLIUOQEFWSAD";
  for (int i = 0; kLetters[i]; ++i) {
    if (letter == static_cast<Char>(kLetters[i])) {
      g = 96 + i;
      d = (letter == 'U' || letter == 'O') ? 6 : 4;
      return;
    }
  }
  g = letter;
  d = 4;
}

// The text as laid out: one space, then the given text (read in place, nothing is copied).
struct LeadingSpace {
  const String& text;
  int Length() const { return text.Length() + 1; }
  Char operator[](int i) const { return i == 0 ? Char(' ') : text[i - 1]; }
};

static bool IsLineBreak(const LeadingSpace& t, int i) {
  return t[i] == '\\' && i + 1 < t.Length() && t[i + 1] == 'n';
}

void c_MyApp::p_Text(float x, float y, String text, float alignX, float alignY, int slotOffset) {
  const double kRad = 3.14159265358979323846 / 180.0;
  float a = -m_rotation;
  float ux = static_cast<float>(kx_math_Cos(a * kRad));
  float uy = static_cast<float>(kx_math_Sin(a * kRad));
  float cw = static_cast<float>(m_imageInfo[m_font * 3]);
  float ch = static_cast<float>(m_imageInfo[m_font * 3 + 1]);
  const LeadingSpace t{text};
  int n = t.Length();

  // Width from the first glyph's centre to the last one's, as if on one line.
  int width = 0;
  for (int i = 0; i < n - 1; ++i) {
    int d = 0;
    if (t[i] == kEscape && i + 1 < n) {
      d = 2;
      ++i;
    } else {
      ApplySpacing(t[i] - 32, d);
    }
    width = static_cast<int>(width + (cw + d) * m_sizeX);
  }

  float lift = ch * m_sizeY * (alignY - 1) / 2;
  float startX = x - ux * (width * alignX / 2) + uy * lift;
  float startY = y - uy * (width * alignX / 2) - ux * lift;
  float qx = startX;
  float qy = startY;
  int lines = 0;
  for (int i = 0; i < n; ++i) {
    Char c = t[i];
    int g = c - 32;
    int d = 0;
    if (c == kEscape && i + 1 < n) {
      EscapeGlyph(t[++i], g, d);
      if (m_inputStyle == 0) g += 16;
    }
    ApplySpacing(g, d);
    if (IsLineBreak(t, i)) {
      ++lines;
      ++i;
      float down = lines * ch * m_sizeY;
      qx = startX - uy * down + ux * cw * m_sizeX;
      qy = startY + ux * down;
      continue;
    }
    if (c == 0) continue;
    if (g >= 1 && g <= 127) p_DrawImg(m_font + slotOffset, qx, qy, static_cast<float>(g));
    qx += ux * ((cw + d) * m_sizeX);
    qy += uy * ((cw + d) * m_sizeX);
  }
}

// The value after width + 1 copies of the pad (cut to its last width units), keeping the last
// width units of all that; built straight into the result's one allocation.
String c_MyApp::p_rstr(int width, int value, String pad) {
  if (width <= 0) return String();
  const int skip = pad.Length() > width ? pad.Length() - width : 0;
  const int fillLength = pad.Length() - skip;
  char digits[16];
  const int digitCount = std::snprintf(digits, sizeof digits, "%i", value);
  const long long padded = static_cast<long long>(width + 1) * fillLength;
  const long long total = padded + digitCount;
  const int length = total > width ? width : static_cast<int>(total);
  Char small[64];
  std::vector<Char> large(length > 64 ? length : 0);
  Char* out = length > 64 ? large.data() : small;
  for (int j = 0; j < length; ++j) {
    const long long k = total - length + j;
    out[j] = k < padded ? pad[skip + static_cast<int>(k % fillLength)]
                        : static_cast<Char>(digits[k - padded]);
  }
  return String(out, length);
}

bool c_MyApp::TouchInside(int i, float left, float top, float right, float bottom) {
  if (!m_touchDown[i]) return false;
  float px = static_cast<float>(m_touchX[i]);
  float py = static_cast<float>(m_touchY[i]);
  return left < px && px < right && top < py && py < bottom;
}

int c_MyApp::p_Button(int slot, float x, float y, int frame) {
  p_DrawImg(slot, x, y, static_cast<float>(frame));
  float hw = m_imageInfo[slot * 3] * m_imageScale * m_sizeX * 0.5f;
  float hh = m_imageInfo[slot * 3 + 1] * m_imageScale * m_sizeY * 0.5f;
  m_buttonHit = 0;
  if (m_pointerCount > 0) {
    for (int i = 0; i < m_touchX.Length(); ++i) {
      if (TouchInside(i, x - hw, y - hh, x + hw, y + hh)) m_buttonHit = 1;
    }
  }
  return m_buttonHit;
}

int c_MyApp::p_Button0(int slot, float x, float y, int frame) {
  p_DrawImg(slot, x, y, static_cast<float>(frame));
  float hw = m_imageInfo[slot * 3] * m_imageScale * m_sizeX * 0.5f;
  float hh = m_imageInfo[slot * 3 + 1] * m_imageScale * m_sizeY * 0.5f;
  return m_pointerCount > 0 && TouchInside(0, x - hw, y - hh, x + hw, y + hh) ? 1 : 0;
}

int c_MyApp::p_MouseIn(float x, float y, float w, float h) {
  for (int i = 0; i < m_touchX.Length(); ++i) {
    if (TouchInside(i, x, y, x + w, y + h)) return 1;
  }
  return 0;
}

int c_MyApp::p_MouseIn_Centered(float x, float y, float w, float h) {
  return p_MouseIn(x - w / 2, y - h / 2, w, h);
}

int c_MyApp::p_MouseIn_Radius(float x, float y, float w, float h) {
  float reach = (w / 2) * (w / 2) + (h / 2) * (h / 2);
  for (int i = 0; i < m_touchX.Length(); ++i) {
    if (!m_touchDown[i]) continue;
    float dx = m_touchX[i] - x;
    float dy = m_touchY[i] - y;
    if (dx * dx + dy * dy <= reach) return 1;
  }
  return 0;
}

int c_MyApp::p_Touch(float x, float y, float w, float h) {
  p_Rect(x, y, w, h);
  for (int i = 0; i < m_touchX.Length(); ++i) {
    if (TouchInside(i, x - 6, y - 6, x + w + 12, y + h + 12)) return 1;
  }
  return 0;
}
