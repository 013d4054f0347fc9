// The driver table behind the graphics module's OpenGL seam.
#include "graphics/gl.h"

const KxGlApi& kx_graphics_DriverGl() {
  static const KxGlApi driver = {
      glViewport,      glMatrixMode,      glLoadIdentity,  glOrtho,          glEnableClientState,
      glVertexPointer, glTexCoordPointer, glColorPointer,  glEnable,         glDisable,
      glBlendFunc,     glScissor,         glClearColor,    glClear,          glDrawArrays,
      glDrawElements,  glReadPixels,      glGenTextures,   glDeleteTextures, glBindTexture,
      glTexParameteri, glTexImage2D,      glTexSubImage2D, glPixelStorei,    glGetError,
  };
  return driver;
}

KxGlApi kx_graphics_gl = kx_graphics_DriverGl();
