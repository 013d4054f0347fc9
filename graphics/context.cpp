// The graphics context and the kx_graphics_ drawing functions.
#include "graphics/context.h"

#include "graphics/convert.h"
#include "runtime/kxmath.h"

gxtkGraphics* kx_graphics_device = nullptr;
gxtkGraphics* kx_graphics_renderDevice = nullptr;
c_GraphicsContext* kx_graphics_context = nullptr;

namespace {

const int kInitialStackFloats = 192;

c_GraphicsContext* Ctx() { return kx_graphics_context; }

// Records a new current matrix; it reaches the device with the next draw.
void StoreMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext* c = Ctx();
  c->m_ix = ix;
  c->m_iy = iy;
  c->m_jx = jx;
  c->m_jy = jy;
  c->m_tx = tx;
  c->m_ty = ty;
  c->m_tformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
  c->m_matDirty = 1;
}

// The frame of an image, or null when the number is outside its frames.
c_Frame* FrameOf(c_Image* image, int frame) {
  if (frame < 0 || frame >= image->m_frames.Length()) return nullptr;
  return image->m_frames[frame];
}

// Draws a frame with its top left corner at (x, y) under the device's current matrix.
void DrawFrame(c_Image* image, c_Frame* f, float x, float y) {
  if (image->m_flags & c_Image::kFullFrame) {
    kx_graphics_renderDevice->DrawSurface(image->m_surface, x, y);
  } else {
    kx_graphics_renderDevice->DrawSurface2(image->m_surface, x, y, f->m_x, f->m_y, image->m_width,
                                           image->m_height);
  }
}

}  // namespace

c_GraphicsContext* c_GraphicsContext::m_new() {
  gc_assign(m_matrixStack, Array<float>(kInitialStackFloats));
  return this;
}

void c_GraphicsContext::p_Validate() {
  if (!m_matDirty) return;
  kx_graphics_renderDevice->SetMatrix(m_ix, m_iy, m_jx, m_jy, m_tx, m_ty);
  m_matDirty = 0;
}

void c_GraphicsContext::mark() {
  gc_mark_q(m_defaultFont);
  gc_mark_q(m_font);
  gc_mark_q(m_matrixStack);
}

void kx_graphics_Init() {
  kx_graphics_device = nullptr;
  kx_graphics_renderDevice = nullptr;
  gc_assign(kx_graphics_context, (new c_GraphicsContext)->m_new());
  gc_add_root(30, &kx_graphics_device);
  gc_add_root(40, &kx_graphics_context);
  gc_add_root(90, &kx_graphics_renderDevice);
}

void kx_graphics_SetGraphicsDevice(gxtkGraphics* device) { gc_assign(kx_graphics_device, device); }

void kx_graphics_BeginRender() {
  gc_assign(kx_graphics_renderDevice, kx_graphics_device);
  c_GraphicsContext* c = Ctx();
  c->m_matrixSp = 0;
  StoreMatrix(1, 0, 0, 1, 0, 0);
  kx_graphics_SetColor(255, 255, 255);
  kx_graphics_SetAlpha(1);
  kx_graphics_SetBlend(0);
  // The device reads the window size at the start of its frame, the same size the application
  // keeps as its device size.
  kx_graphics_SetScissor(0, 0, static_cast<float>(kx_graphics_renderDevice->Width()),
                         static_cast<float>(kx_graphics_renderDevice->Height()));
}

void kx_graphics_EndRender() { kx_graphics_renderDevice = nullptr; }

void kx_graphics_SetColor(float r, float g, float b) {
  c_GraphicsContext* c = Ctx();
  c->m_color_r = r;
  c->m_color_g = g;
  c->m_color_b = b;
  kx_graphics_renderDevice->SetColor(r, g, b);
}

void kx_graphics_SetAlpha(float alpha) {
  Ctx()->m_alpha = alpha;
  kx_graphics_renderDevice->SetAlpha(alpha);
}

void kx_graphics_SetBlend(int blend) {
  Ctx()->m_blend = blend;
  kx_graphics_renderDevice->SetBlend(blend);
}

void kx_graphics_SetScissor(float x, float y, float width, float height) {
  c_GraphicsContext* c = Ctx();
  c->m_scissor_x = x;
  c->m_scissor_y = y;
  c->m_scissor_width = width;
  c->m_scissor_height = height;
  kx_graphics_renderDevice->SetScissor(kx_graphics_RoundInt(x), kx_graphics_RoundInt(y),
                                       kx_graphics_RoundInt(width), kx_graphics_RoundInt(height));
}

void kx_graphics_SetFont(c_Image* font, int firstChar) {
  c_GraphicsContext* c = Ctx();
  if (!font) {
    if (!c->m_defaultFont)
      gc_assign(c->m_defaultFont, kx_graphics_LoadImage("lumo_font.png", 96, 2));
    font = c->m_defaultFont;
    firstChar = 32;
  }
  gc_assign(c->m_font, font);
  c->m_firstChar = firstChar;
}

void kx_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  StoreMatrix(ix, iy, jx, jy, tx, ty);
}

void kx_graphics_SetMatrix2(Array<float> m) { StoreMatrix(m[0], m[1], m[2], m[3], m[4], m[5]); }

void kx_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty) {
  const c_GraphicsContext* c = Ctx();
  StoreMatrix(c->m_ix * ix + c->m_jx * iy, c->m_iy * ix + c->m_jy * iy, c->m_ix * jx + c->m_jx * jy,
              c->m_iy * jx + c->m_jy * jy, c->m_ix * tx + c->m_jx * ty + c->m_tx,
              c->m_iy * tx + c->m_jy * ty + c->m_ty);
}

void kx_graphics_Transform2(Array<float> m) {
  kx_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

void kx_graphics_Translate(float x, float y) { kx_graphics_Transform(1, 0, 0, 1, x, y); }

void kx_graphics_Scale(float x, float y) { kx_graphics_Transform(x, 0, 0, y, 0, 0); }

void kx_graphics_Rotate(float degrees) {
  const float a = degrees * 0.017453292f;
  const float c = static_cast<float>(kx_math_Cos(static_cast<double>(a)));
  const float s = static_cast<float>(kx_math_Sin(static_cast<double>(a)));
  kx_graphics_Transform(c, -s, s, c, 0, 0);
}

void kx_graphics_PushMatrix() {
  c_GraphicsContext* c = Ctx();
  const int length = c->m_matrixStack.Length();
  if (c->m_matrixSp + 6 > length) gc_assign(c->m_matrixStack, c->m_matrixStack.Resize(length * 2));
  float* top = c->m_matrixStack.Data() + c->m_matrixSp;
  top[0] = c->m_ix;
  top[1] = c->m_iy;
  top[2] = c->m_jx;
  top[3] = c->m_jy;
  top[4] = c->m_tx;
  top[5] = c->m_ty;
  c->m_matrixSp += 6;
}

void kx_graphics_PopMatrix() {
  c_GraphicsContext* c = Ctx();
  // An unmatched pop would read below the stack; it leaves the matrix as it is.
  if (c->m_matrixSp < 6) return;
  c->m_matrixSp -= 6;
  const float* top = c->m_matrixStack.Data() + c->m_matrixSp;
  StoreMatrix(top[0], top[1], top[2], top[3], top[4], top[5]);
}

void kx_graphics_DrawRect(float x, float y, float width, float height) {
  Ctx()->p_Validate();
  kx_graphics_renderDevice->DrawRect(x, y, width, height);
}

void kx_graphics_DrawLine(float x1, float y1, float x2, float y2) {
  Ctx()->p_Validate();
  kx_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
}

void kx_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius) {
  Ctx()->p_Validate();
  kx_graphics_renderDevice->DrawOval(x - xRadius, y - yRadius, xRadius * 2, yRadius * 2);
}

void kx_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
  Ctx()->p_Validate();
  c_Frame* f = FrameOf(image, frame);
  if (f) DrawFrame(image, f, x - image->m_tx, y - image->m_ty);
}

void kx_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                            float scaleY, int frame) {
  c_Frame* f = FrameOf(image, frame);
  if (!f) return;
  kx_graphics_PushMatrix();
  kx_graphics_Transform(1, 0, 0, 1, x, y);
  kx_graphics_Rotate(rotation);
  kx_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
  kx_graphics_Transform(1, 0, 0, 1, -image->m_tx, -image->m_ty);
  Ctx()->p_Validate();
  DrawFrame(image, f, 0, 0);
  kx_graphics_PopMatrix();
}
