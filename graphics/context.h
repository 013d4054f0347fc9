// The graphics context: the state the game draws with (matrix and its stack, colour, alpha,
// blend, scissor, font) and the module functions that change it and draw through the render
// device. The matrix is composed here and handed to the device only before the next draw.
#pragma once
#include "graphics/device.h"
#include "graphics/image.h"
#include "runtime/runtime.h"

class c_GraphicsContext : public Object {
 public:
  c_Image* m_defaultFont = nullptr;
  c_Image* m_font = nullptr;
  int m_firstChar = 0;
  int m_matrixSp = 0;
  float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;
  int m_tformed = 0;
  int m_matDirty = 0;
  float m_color_r = 0, m_color_g = 0, m_color_b = 0;
  float m_alpha = 0;
  int m_blend = 0;
  float m_scissor_x = 0, m_scissor_y = 0, m_scissor_width = 0, m_scissor_height = 0;
  Array<float> m_matrixStack;

  c_GraphicsContext* m_new();
  // Hands the matrix to the render device if it changed since the last hand-over.
  void p_Validate();
  void mark() override;
};

extern gxtkGraphics* kx_graphics_device;
extern gxtkGraphics* kx_graphics_renderDevice;
extern c_GraphicsContext* kx_graphics_context;

// The module's share of global initialisation: creates the context and registers the roots.
void kx_graphics_Init();

void kx_graphics_SetGraphicsDevice(gxtkGraphics* device);
void kx_graphics_BeginRender();
void kx_graphics_EndRender();

void kx_graphics_SetColor(float r, float g, float b);
void kx_graphics_SetAlpha(float alpha);
void kx_graphics_SetBlend(int blend);
void kx_graphics_SetScissor(float x, float y, float width, float height);
void kx_graphics_SetFont(c_Image* font, int firstChar);

void kx_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
void kx_graphics_SetMatrix2(Array<float> m);
void kx_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty);
void kx_graphics_Transform2(Array<float> m);
void kx_graphics_Translate(float x, float y);
void kx_graphics_Scale(float x, float y);
void kx_graphics_Rotate(float degrees);
void kx_graphics_PushMatrix();
void kx_graphics_PopMatrix();

void kx_graphics_DrawRect(float x, float y, float width, float height);
void kx_graphics_DrawLine(float x1, float y1, float x2, float y2);
void kx_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius);
void kx_graphics_DrawImage(c_Image* image, float x, float y, int frame);
void kx_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                            float scaleY, int frame);
