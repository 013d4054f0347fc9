// The list of every image the game loads, each with the drawing of its frames.
#pragma once
#include <vector>

#include "tools/gen/canvas.h"

namespace gen {

std::vector<Sheet> PlaySheets();   // gfx, parts, common/circle
std::vector<Sheet> UiSheets();     // icons, Buttons, dpad, Testcard_Circle, TOVALogo, BadgesA
std::vector<Sheet> TitleSheets();  // logo, menu
std::vector<Sheet> FontSheets();   // fonts/shadow_editundo, lumo_font
std::vector<Sheet> AllSheets();

// Arena pieces, reused by the title pictures; 1x units, centred on the origin.
void DrawPost(cairo_t* cr, int stage);
void DrawCraft(cairo_t* cr, int frame);
void DrawFoe(cairo_t* cr, int kind, int frame);

}  // namespace gen
