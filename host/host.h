// Everything the host offers the layers above it.
#pragma once
#include "host/data.h"
#include "host/game.h"
#include "host/glfw2.h"
#include "host/glfwgame.h"
#include "host/vantorgame.h"
