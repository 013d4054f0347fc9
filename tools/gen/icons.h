// The program's icon for desktop menus: the arena's craft on a dark disc, drawn anew at every
// size the icon theme asks for, so that the small ones stay sharp instead of shrunk.
#pragma once
#include <cairo.h>

#include <string>

namespace gen {

// The sizes of the hicolor theme's application icons.
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// The icon at size x size pixels, transparent around the disc.
cairo_surface_t* RenderIcon(int size);
// Writes <dir>/skarblit-<size>.png for every size.
bool WriteIcons(const std::string& dir);

}  // namespace gen
