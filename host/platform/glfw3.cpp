// The key translations both GLFW 3 platforms share, and the choice of the library the host
// talks to.
#include "host/platform/glfw3.h"

namespace glfw2 {
namespace {

// GLFW 3 key -> 2.7 key, for the keys whose numbers differ.
struct KeyPair {
  int v3;
  int v2;
};
const KeyPair kNamedKeys[] = {
    {GLFW_KEY_ESCAPE, KEY_ESC},         {GLFW_KEY_UP, KEY_UP},
    {GLFW_KEY_DOWN, KEY_DOWN},          {GLFW_KEY_LEFT, KEY_LEFT},
    {GLFW_KEY_RIGHT, KEY_RIGHT},        {GLFW_KEY_LEFT_SHIFT, KEY_LSHIFT},
    {GLFW_KEY_RIGHT_SHIFT, KEY_RSHIFT}, {GLFW_KEY_LEFT_CONTROL, KEY_LCTRL},
    {GLFW_KEY_RIGHT_CONTROL, KEY_RCTRL}, {GLFW_KEY_LEFT_ALT, KEY_LALT},
    {GLFW_KEY_RIGHT_ALT, KEY_RALT},     {GLFW_KEY_TAB, KEY_TAB},
    {GLFW_KEY_ENTER, KEY_ENTER},        {GLFW_KEY_BACKSPACE, KEY_BACKSPACE},
    {GLFW_KEY_INSERT, KEY_INSERT},      {GLFW_KEY_DELETE, KEY_DEL},
    {GLFW_KEY_PAGE_UP, KEY_PAGEUP},     {GLFW_KEY_PAGE_DOWN, KEY_PAGEDOWN},
    {GLFW_KEY_HOME, KEY_HOME},          {GLFW_KEY_END, KEY_END},
    {GLFW_KEY_KP_DIVIDE, KEY_KP_DIVIDE}, {GLFW_KEY_KP_MULTIPLY, KEY_KP_MULTIPLY},
    {GLFW_KEY_KP_SUBTRACT, KEY_KP_SUBTRACT}, {GLFW_KEY_KP_ADD, KEY_KP_ADD},
    {GLFW_KEY_KP_DECIMAL, KEY_KP_DECIMAL}, {GLFW_KEY_KP_EQUAL, KEY_KP_EQUAL},
    {GLFW_KEY_KP_ENTER, KEY_KP_ENTER},  {GLFW_KEY_NUM_LOCK, KEY_KP_NUM_LOCK},
    {GLFW_KEY_CAPS_LOCK, KEY_CAPS_LOCK}, {GLFW_KEY_SCROLL_LOCK, KEY_SCROLL_LOCK},
    {GLFW_KEY_PAUSE, KEY_PAUSE},        {GLFW_KEY_LEFT_SUPER, KEY_LSUPER},
    {GLFW_KEY_RIGHT_SUPER, KEY_RSUPER}, {GLFW_KEY_MENU, KEY_MENU},
};

}  // namespace

int KeyFrom3(int key) {
  if (key >= GLFW_KEY_SPACE && key <= GLFW_KEY_GRAVE_ACCENT) return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) return KEY_F1 + (key - GLFW_KEY_F1);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return KEY_KP_0 + (key - GLFW_KEY_KP_0);
  for (const KeyPair& p : kNamedKeys) {
    if (p.v3 == key) return p.v2;
  }
  return -1;
}

int ActionFrom3(int action, bool keyRepeat) {
  if (action == GLFW_REPEAT) return keyRepeat ? kPress : -1;
  return action == GLFW_PRESS ? kPress : kRelease;
}

int KeyTo3(int key) {
  if (key >= GLFW_KEY_SPACE && key <= GLFW_KEY_GRAVE_ACCENT) return key;
  if (key >= KEY_F1 && key <= KEY_F25) return GLFW_KEY_F1 + (key - KEY_F1);
  if (key >= KEY_KP_0 && key <= KEY_KP_0 + 9) return GLFW_KEY_KP_0 + (key - KEY_KP_0);
  for (const KeyPair& p : kNamedKeys) {
    if (p.v2 == key) return p.v3;
  }
  return -1;
}

// 2.7 closed the window only when the callback returned non-zero.
bool CloseAgreed(WindowCloseFun fun) { return !fun || fun() != 0; }

namespace {
Api* installed = nullptr;
}  // namespace

Api* Current() { return installed ? installed : Real(); }

void Install(Api* api) { installed = api; }

}  // namespace glfw2
