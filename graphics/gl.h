// The OpenGL entry points the renderer and its surfaces use. Every call goes through this one
// table, so a test can count draw calls and a benchmark can replace the driver altogether; the
// table starts out pointing at the real driver functions.
#pragma once
#include <GL/gl.h>

struct KxGlApi {
  void (*Viewport)(GLint x, GLint y, GLsizei width, GLsizei height);
  void (*MatrixMode)(GLenum mode);
  void (*LoadIdentity)();
  void (*Ortho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                GLdouble zFar);
  void (*EnableClientState)(GLenum array);
  void (*VertexPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
  void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
  void (*ColorPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer);
  void (*Enable)(GLenum cap);
  void (*Disable)(GLenum cap);
  void (*BlendFunc)(GLenum sfactor, GLenum dfactor);
  void (*Scissor)(GLint x, GLint y, GLsizei width, GLsizei height);
  void (*ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
  void (*Clear)(GLbitfield mask);
  void (*DrawArrays)(GLenum mode, GLint first, GLsizei count);
  void (*DrawElements)(GLenum mode, GLsizei count, GLenum type, const void* indices);
  void (*ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                     void* pixels);
  void (*GenTextures)(GLsizei n, GLuint* textures);
  void (*DeleteTextures)(GLsizei n, const GLuint* textures);
  void (*BindTexture)(GLenum target, GLuint texture);
  void (*TexParameteri)(GLenum target, GLenum name, GLint value);
  void (*TexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                     GLsizei height, GLint border, GLenum format, GLenum type, const void* pixels);
  void (*TexSubImage2D)(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* pixels);
  void (*PixelStorei)(GLenum name, GLint value);
  GLenum (*GetError)();
  void (*Finish)();
};

// The table every graphics call goes through.
extern KxGlApi kx_graphics_gl;

// The driver's own entry points, to restore the table or to forward to from a wrapper.
const KxGlApi& kx_graphics_DriverGl();
// Entry points that do nothing, for running the game where no picture is wanted (verifying a
// replay): every draw is made and thrown away.
const KxGlApi& kx_graphics_NullGl();
