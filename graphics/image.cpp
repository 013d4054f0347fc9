// Images and their frames, and loading them from data files.
#include "graphics/image.h"

#include "graphics/context.h"
#include "host/data.h"

c_Frame* c_Frame::m_new(int x, int y) {
  m_x = x;
  m_y = y;
  return this;
}

c_Image* c_Image::m_new() { return this; }

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
  // A frame count below one would divide by zero; such an image has one frame.
  if (frameCount < 1) frameCount = 1;
  gc_assign(m_surface, surface);
  m_width = surface->Width() / frameCount;
  m_height = surface->Height();
  gc_assign(m_frames, Array<c_Frame*>(frameCount));
  for (int i = 0; i < frameCount; ++i) gc_assign(m_frames[i], (new c_Frame)->m_new(i * m_width, 0));
  p_ApplyFlags(flags);
  return this;
}

c_Image* c_Image::p_Init2(gxtkSurface* surface, int x, int y, int frameWidth, int frameHeight,
                          int frameCount, int flags, c_Image* source, int srcx, int srcy, int srcw,
                          int srch) {
  gc_assign(m_surface, surface);
  gc_assign(m_source, source);
  m_width = frameWidth;
  m_height = frameHeight;
  gc_assign(m_frames, Array<c_Frame*>(frameCount > 0 ? frameCount : 0));
  int cx = x, cy = y;
  for (int i = 0; i < frameCount; ++i) {
    if (cx + frameWidth > srcw) {
      if (frameWidth > srcw) kxError("Image frame outside surface");
      cx = 0;
      cy += frameHeight;
    }
    if (cy + frameHeight > srch) kxError("Image frame outside surface");
    gc_assign(m_frames[i], (new c_Frame)->m_new(cx + srcx, cy + srcy));
    cx += frameWidth;
  }
  p_ApplyFlags(flags);
  return this;
}

void c_Image::p_SetHandle(float x, float y) {
  m_tx = x;
  m_ty = y;
  m_flags &= ~kMidHandle;
}

void c_Image::p_ApplyFlags(int flags) {
  m_flags = flags;
  if (m_flags & kXPadding) {
    for (int i = 0; i < m_frames.Length(); ++i) m_frames[i]->m_x += 1;
    m_width -= 2;
  }
  if (m_flags & kYPadding) {
    for (int i = 0; i < m_frames.Length(); ++i) m_frames[i]->m_y += 1;
    m_height -= 2;
  }
  if (m_flags & kMidHandle) {
    m_flags &= ~kMidHandle;
    m_tx = m_width * 0.5f;
    m_ty = m_height * 0.5f;
  }
  if (m_frames.Length() == 1 && m_frames[0]->m_x == 0 && m_frames[0]->m_y == 0 &&
      m_width == m_surface->Width() && m_height == m_surface->Height()) {
    m_flags |= kFullFrame;
  }
}

void c_Image::mark() {
  gc_mark_q(m_surface);
  gc_mark_q(m_frames);
  gc_mark_q(m_source);
}

namespace {

gxtkSurface* LoadDataSurface(String path) {
  if (!kx_graphics_device) return nullptr;
  return kx_graphics_device->LoadSurface(kx_data_FixDataPath(path));
}

}  // namespace

c_Image* kx_graphics_LoadImage(String path, int frameCount, int flags) {
  gxtkSurface* surface = LoadDataSurface(path);
  if (!surface) return nullptr;
  return (new c_Image)->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* kx_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags) {
  gxtkSurface* surface = LoadDataSurface(path);
  if (!surface) return nullptr;
  return (new c_Image)
      ->m_new()
      ->p_Init2(surface, 0, 0, frameWidth, frameHeight, frameCount, flags, nullptr, 0, 0,
                surface->Width(), surface->Height());
}
