// The driver table behind the graphics module's OpenGL seam.
#include "graphics/gl.h"

const KxGlApi& kx_graphics_DriverGl() {
  static const KxGlApi driver = {
      glViewport,      glMatrixMode,      glLoadIdentity,  glOrtho,          glEnableClientState,
      glVertexPointer, glTexCoordPointer, glColorPointer,  glEnable,         glDisable,
      glBlendFunc,     glScissor,         glClearColor,    glClear,          glDrawArrays,
      glDrawElements,  glReadPixels,      glGenTextures,   glDeleteTextures, glBindTexture,
      glTexParameteri, glTexImage2D,      glTexSubImage2D, glPixelStorei,    glGetError,
      glFinish,
  };
  return driver;
}

KxGlApi kx_graphics_gl = kx_graphics_DriverGl();

namespace {

template <typename R, typename... A>
R Nothing(A...) {
  return R();
}

// Texture names that never repeat, so surfaces still tell their textures apart.
void NameTextures(GLsizei n, GLuint* names) {
  static GLuint next = 0;
  for (GLsizei i = 0; i < n; ++i) names[i] = ++next;
}

}  // namespace

const KxGlApi& kx_graphics_NullGl() {
  static const KxGlApi null = {
      Nothing, Nothing, Nothing,      Nothing, Nothing, Nothing, Nothing, Nothing, Nothing,
      Nothing, Nothing, Nothing,      Nothing, Nothing, Nothing, Nothing, Nothing, NameTextures,
      Nothing, Nothing, Nothing,      Nothing, Nothing, Nothing, Nothing, Nothing,
  };
  return null;
}
