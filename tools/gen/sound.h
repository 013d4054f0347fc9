// The game's sounds: the numbered effects and the looping tune.
#pragma once
#include <string>

namespace gen {

// Writes sfx/001.wav ... sfx/099.wav under dir; false when a file cannot be written.
bool WriteEffects(const std::string& dir);
// Writes sfx/Playful.ogg under dir.
bool WriteTune(const std::string& dir);

}  // namespace gen
