// The input module's functions: every query reads the current device.
#include "input/input.h"

c_InputDevice* kx_input_device;

void kx_input_SetInputDevice(c_InputDevice* device) { gc_assign(kx_input_device, device); }

bool kx_input_KeyDown(int key) { return kx_input_device->p_KeyDown(key); }
int kx_input_KeyHit(int key) { return kx_input_device->p_KeyHit(key); }
int kx_input_GetChar() { return kx_input_device->p_GetChar(); }
float kx_input_MouseX() { return kx_input_device->p_MouseX(); }
float kx_input_MouseY() { return kx_input_device->p_MouseY(); }

// The key a query offsets into, or 0 (never held, never hit) when the sum leaves the key space.
// Summed wide so that absurd arguments cannot overflow.
static int OffsetKey(int base, long long offset) {
  long long key = base + offset;
  return key > 0 && key < kx_input_KEY_COUNT ? static_cast<int>(key) : 0;
}

bool kx_input_MouseDown(int button) { return kx_input_KeyDown(OffsetKey(1, button)); }
int kx_input_MouseHit(int button) { return kx_input_KeyHit(OffsetKey(1, button)); }

float kx_input_TouchX(int index) { return kx_input_device->p_TouchX(index); }
float kx_input_TouchY(int index) { return kx_input_device->p_TouchY(index); }
bool kx_input_TouchDown(int index) {
  return kx_input_KeyDown(OffsetKey(kx_input_KEY_TOUCH0, index));
}

float kx_input_JoyX(int index, int port) { return kx_input_device->p_JoyX(index, port); }
float kx_input_JoyY(int index, int port) { return kx_input_device->p_JoyY(index, port); }

static int JoyKey(int button, int port) {
  return OffsetKey(kx_input_KEY_JOY0, 32LL * port + button);
}
bool kx_input_JoyDown(int button, int port) { return kx_input_KeyDown(JoyKey(button, port)); }
int kx_input_JoyHit(int button, int port) { return kx_input_KeyHit(JoyKey(button, port)); }

float kx_input_AccelX() { return kx_input_device->p_AccelX(); }
float kx_input_AccelY() { return kx_input_device->p_AccelY(); }

void kx_input_EnableKeyboard() { kx_input_device->p_SetKeyboardEnabled(true); }
void kx_input_DisableKeyboard() { kx_input_device->p_SetKeyboardEnabled(false); }

void kx_input_Init() {
  kx_input_device = nullptr;
  gc_add_root(60, &kx_input_device);
}
