// Joysticks in the game's layout: pads whose layout the windowing library knows, read through
// its gamepad mapping; other joysticks as they come, rearranged by their button count; and
// the extra mappings players add at start-up.
#pragma once
#include "host/glfw2.h"
#include "runtime/runtime.h"

// Fills the game's arrays from a pad of known layout: sticks 0 (left) and 1 (right) in joyx
// and joyy with up positive, the triggers in joyz from 0 released to 1 fully pressed, and
// buttons 0 A, 1 B, 2 X, 3 Y, 4 and 5 the left and right shoulder, 6 back, 7 start, 8 to 11
// the d-pad's left, up, right and down, 12 and 13 the left and right stick clicks, 14 guide;
// the buttons after those read as up. The arrays hold at least 2 and 32 entries. `moved`
// belongs to the pad, from its connection on: whether each trigger has read anything but
// exactly 0, which is what tells a trigger its mapping binds from one it does not.
void kx_gamepad_Map(const glfw2::GamepadState& pad, bool moved[2], Array<float> joyx,
                    Array<float> joyy, Array<float> joyz, Array<bool> buttons);
// Fills them from a joystick of unknown layout: all six `axes` (up-positive), of which it has
// `axisCount`, and `count` button states of up to 32; every button it does not have reads as
// up, so none is left held from another pad.
void kx_gamepad_MapRaw(const float axes[6], int axisCount, const unsigned char* state,
                       int count, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                       Array<bool> buttons);
// Adds the mappings of ./gamecontrollerdb.txt (past a byte-order mark) and then those of the
// environment variable SDL_GAMECONTROLLERCONFIG (so these win) to the library's; a source with
// lines the library refuses, or a file that is there but cannot be read, is reported once on
// standard output, and the source's other lines still count.
void kx_gamepad_AddMappings();
