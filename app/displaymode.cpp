// Display modes as the application sees them: the host's list without duplicates, and the
// desktop's mode.
#include <unordered_set>

#include "app/app.h"

c_DisplayMode* c_DisplayMode::m_new(int width, int height) {
  m_width = width;
  m_height = height;
  return this;
}

// The collector hands out recycled blocks as they were left, so both sides are set here.
c_DisplayMode* c_DisplayMode::m_new2() { return m_new(0, 0); }

// Keeps the first of each width and height in the host's order. The key is wide enough to
// tell every pair apart.
void kx_app_EnumDisplayModes() {
  Array<KxDisplayMode*> modes = kx_app__game->GetDisplayModes();
  std::unordered_set<long long> seen;
  int kept = 0;
  Array<c_DisplayMode*> distinct(modes.Length());
  for (int i = 0; i < modes.Length(); ++i) {
    KxDisplayMode* mode = modes[i];
    if (!mode) continue;
    long long key = mode->width * 0x100000000LL + static_cast<unsigned int>(mode->height);
    if (!seen.insert(key).second) continue;
    gc_assign(distinct[kept++], (new c_DisplayMode)->m_new(mode->width, mode->height));
  }
  gc_assign(kx_app__displayModes, distinct.Resize(kept));
  KxDisplayMode* desktop = kx_app__game->GetDesktopMode();
  int width = desktop ? desktop->width : kx_app__devWidth;
  int height = desktop ? desktop->height : kx_app__devHeight;
  gc_assign(kx_app__desktopMode, (new c_DisplayMode)->m_new(width, height));
}
