// The audio framework: the OpenAL device with its samples and music, and the sound module the
// game plays its cues through.
#pragma once
#include "audio/device.h"
#include "audio/sound.h"
