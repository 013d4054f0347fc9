// Scene previews for judging the artwork in place: a frame of play and the main menu, composed
// at 640x480 from the 2x sheets drawn at half size with nearest sampling, as the game does.
#pragma once
#include <string>

namespace gen {

bool WritePreviews(const std::string& dir);

}  // namespace gen
