# Imported targets for the system libraries, so each module names only what it uses. The web
# build takes them from emscripten and from sources instead (cmake/web.cmake).
if(EMSCRIPTEN)
  include(${CMAKE_CURRENT_LIST_DIR}/web.cmake)
  return()
endif()
pkg_check_modules(GLFW3 REQUIRED IMPORTED_TARGET glfw3)
add_library(kx_deps_glfw INTERFACE)
target_link_libraries(kx_deps_glfw INTERFACE PkgConfig::GLFW3)

set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED)
add_library(kx_deps_gl INTERFACE)
target_link_libraries(kx_deps_gl INTERFACE OpenGL::GL)

pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
add_library(kx_deps_openal INTERFACE)
target_link_libraries(kx_deps_openal INTERFACE PkgConfig::OPENAL)

# Debian's libstb-dev ships the headers under <stb/...> and one shared library.
find_library(STB_LIBRARY stb REQUIRED)
add_library(kx_deps_stb INTERFACE)
target_link_libraries(kx_deps_stb INTERFACE ${STB_LIBRARY})

# Replay files are compressed with zstd.
pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
add_library(kx_deps_zstd INTERFACE)
target_link_libraries(kx_deps_zstd INTERFACE PkgConfig::ZSTD)
