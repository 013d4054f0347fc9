// The graphics module: render device, surfaces, images and fonts, and the graphics context.
#pragma once
#include "graphics/context.h"
#include "graphics/device.h"
#include "graphics/image.h"
#include "graphics/surface.h"
