// Images: a surface seen as a row or grid of equally sized frames with a handle (the point
// drawn at the given position). A font is an image whose frames are its glyphs.
#pragma once
#include "graphics/surface.h"
#include "runtime/runtime.h"

class c_Frame : public Object {
 public:
  int m_x = 0;
  int m_y = 0;
  c_Frame* m_new(int x, int y);
};

class c_Image : public Object {
 public:
  static const int kMidHandle = 1;
  static const int kXPadding = 2;
  static const int kYPadding = 4;
  static const int kFullFrame = 65536;

  gxtkSurface* m_surface = nullptr;
  int m_width = 0;
  int m_height = 0;
  Array<c_Frame*> m_frames;
  int m_flags = 0;
  float m_tx = 0;
  float m_ty = 0;
  c_Image* m_source = nullptr;

  c_Image* m_new();
  // Frames in one row across the whole surface.
  c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
  // Frames of the given size laid out in rows inside the source rectangle.
  c_Image* p_Init2(gxtkSurface* surface, int x, int y, int frameWidth, int frameHeight,
                   int frameCount, int flags, c_Image* source, int srcx, int srcy, int srcw,
                   int srch);
  void p_SetHandle(float x, float y);
  void p_ApplyFlags(int flags);
  void mark() override;
};

c_Image* kx_graphics_LoadImage(String path, int frameCount, int flags);
c_Image* kx_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags);
