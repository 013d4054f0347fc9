// Scene previews for judging the artwork in place: play, the main menu and the loading screen,
// composed at 640x480 from the sheets with nearest sampling, as the game draws them.
#pragma once
#include <string>

namespace gen {

bool WritePreviews(const std::string& dir);

}  // namespace gen
