// A surface: one decoded image kept both as premultiplied pixels in memory and as an OpenGL
// texture. Keeping the pixels lets the texture be rebuilt after the window (and with it the
// OpenGL context) has been opened again.
#pragma once
#include "runtime/runtime.h"

class gxtkSurface : public Object {
 public:
  unsigned char* data = nullptr;
  int width = 0;
  int height = 0;
  int depth = 0;
  int format = 0;
  int seq = -1;
  unsigned int texture = 0;
  float uscale = 0;
  float vscale = 0;

  ~gxtkSurface();

  virtual void Discard();
  virtual int Width();
  virtual int Height();
  virtual bool Loaded();
  virtual void OnUnsafeLoadComplete();

  // Takes ownership of malloc'ed pixels and premultiplies them in place.
  void SetData(unsigned char* bytes, int width, int height, int depth);
  // Writes 0xAARRGGBB pixels (rows `pitch` ints apart) into an RGBA surface.
  void SetSubData(int x, int y, int width, int height, const unsigned int* pixels, int pitch);
  // Makes the texture current, creating and uploading it when it belongs to no or an old window.
  void Bind();
};
