// Display modes as the application sees them: the host's list without duplicates, and the
// desktop's mode.
#include <unordered_set>

#include "app/app.h"

c_DisplayMode* c_DisplayMode::m_new(int width, int height) {
  m_width = width;
  m_height = height;
  return this;
}

c_DisplayMode* c_DisplayMode::m_new2() { return this; }

// Keeps the first of each width and height in the host's order.
void kx_app_EnumDisplayModes() {
  Array<KxDisplayMode*> modes = kx_app__game->GetDisplayModes();
  std::unordered_set<long long> seen;
  int kept = 0;
  Array<c_DisplayMode*> distinct(modes.Length());
  for (int i = 0; i < modes.Length(); ++i) {
    KxDisplayMode* mode = modes[i];
    long long key = (static_cast<long long>(mode ? mode->width : 0) << 32) |
                    static_cast<unsigned int>(mode ? mode->height : 0);
    if (!mode || !seen.insert(key).second) continue;
    gc_assign(distinct[kept++], (new c_DisplayMode)->m_new(mode->width, mode->height));
  }
  gc_assign(kx_app__displayModes, distinct.Resize(kept));
  KxDisplayMode* desktop = kx_app__game->GetDesktopMode();
  c_DisplayMode* desktopMode = desktop ? (new c_DisplayMode)->m_new(desktop->width, desktop->height)
                                       : (new c_DisplayMode)->m_new(kx_app__devWidth, kx_app__devHeight);
  gc_assign(kx_app__desktopMode, desktopMode);
}
