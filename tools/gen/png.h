// A PNG writer for cairo image surfaces: straight (not premultiplied) RGBA, the best of the
// five row filters per row, and quantised faint colours, to keep the data folder small.
#pragma once
#include <cairo.h>

#include <string>

namespace gen {

bool WritePng(cairo_surface_t* surface, const std::string& path);

}  // namespace gen
