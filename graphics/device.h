// The render device: a 2D immediate-mode drawer over fixed-function OpenGL. Primitives are
// transformed on the processor and collected in one client-side vertex batch, which is drawn
// only when the kind of primitive or the texture changes, the batch is full, OpenGL-held state
// changes, or the frame ends.
#pragma once
#include "graphics/surface.h"
#include "runtime/runtime.h"

// One vertex as OpenGL reads it from the client arrays.
struct KxVertex {
  float x, y, u, v;
  unsigned int color;  // bytes in memory: red, green, blue, alpha
};
static_assert(sizeof(KxVertex) == 20, "the client arrays use a stride of 20 bytes");

class gxtkGraphics : public Object {
 public:
  static const int kMaxVertices = 1024;

  int width = 0;
  int height = 0;
  unsigned int colorARGB = 0;
  float r = 0, g = 0, b = 0, alpha = 0;
  float ix = 0, iy = 0, jx = 0, jy = 0, tx = 0, ty = 0;
  bool tformed = false;
  KxVertex vertices[kMaxVertices];
  unsigned short quadIndices[kMaxVertices / 4 * 6];
  int primType = 0;
  int primCount = 0;
  gxtkSurface* primSurf = nullptr;
  // A blend or scissor request that matches what OpenGL already holds is skipped, so it does
  // not break the batch; switched off, every request flushes and is sent again.
  bool filterState = true;

  gxtkGraphics();

  virtual int Width();
  virtual int Height();
  virtual int BeginRender();
  virtual void EndRender();
  virtual void DiscardGraphics();
  virtual gxtkSurface* LoadSurface(String path);
  virtual gxtkSurface* CreateSurface(int width, int height);
  virtual bool LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
  virtual void Cls(float r, float g, float b);
  virtual void SetAlpha(float alpha);
  virtual void SetColor(float r, float g, float b);
  virtual void SetBlend(int blend);
  virtual void SetScissor(int x, int y, int width, int height);
  virtual void SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
  virtual void DrawPoint(float x, float y);
  virtual void DrawRect(float x, float y, float width, float height);
  virtual void DrawLine(float x1, float y1, float x2, float y2);
  virtual void DrawOval(float x, float y, float width, float height);
  virtual void DrawPoly(Array<float> xy);
  virtual void DrawPoly2(Array<float> xyuv, gxtkSurface* surface, int srcx, int srcy);
  virtual void DrawSurface(gxtkSurface* surface, float x, float y);
  virtual void DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw,
                            int srch);
  virtual void ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset,
                          int pitch);
  virtual void WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int width,
                            int height, int offset, int pitch);

  // Reserves `count` vertices of primitive `type` with `surface`; returns the first to fill.
  KxVertex* Begin(int type, int count, gxtkSurface* surface);
  void Flush();

 private:
  // OpenGL's blend and scissor state as last set by this device; blendSet -1 and scissorKnown
  // false mean not set since the frame began.
  int blendSet = -1;
  bool scissorKnown = false;
  bool scissorOn = false;
  int scissorBox[4] = {0, 0, 0, 0};

  void UpdateColor();
  void ReadWindowSize();
  // Fills vertex v with the position (x, y) through the matrix and the current colour.
  void Put(KxVertex* v, float x, float y) const;
  // Number of segments of an oval with the given radii under the current matrix.
  int OvalSegments(float xr, float yr) const;
};
