# The web build's libraries: GLFW, OpenGL (the fixed-function calls through emscripten's legacy
# emulation) and OpenAL come with emscripten; stb is header-only, so its implementation is
# compiled here from Debian's headers; zstd is compiled from its source, unpacked by
# tools/web.sh into KX_ZSTD_SOURCE.
set(KX_ZSTD_SOURCE "" CACHE PATH "zstd's source tree (tools/web.sh unpacks Debian's)")
if(NOT EXISTS ${KX_ZSTD_SOURCE}/lib/zstd.h)
  message(FATAL_ERROR "The web build needs zstd's source: set KX_ZSTD_SOURCE (tools/web.sh does)")
endif()

# The same C++ exceptions as the desktop: the runtime throws managed objects and the quiet exit.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

add_library(kx_deps_glfw INTERFACE)
target_link_options(kx_deps_glfw INTERFACE -sUSE_GLFW=3)
add_library(kx_deps_gl INTERFACE)
target_link_options(kx_deps_gl INTERFACE -sLEGACY_GL_EMULATION=1)
add_library(kx_deps_openal INTERFACE)
target_link_libraries(kx_deps_openal INTERFACE openal)

# Only stb's folder of /usr/include: the rest of it is the desktop's C library.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/stb-include/stb SYMBOLIC)
add_library(kx_deps_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/web_stb.c)
target_include_directories(kx_deps_stb SYSTEM PUBLIC ${CMAKE_BINARY_DIR}/stb-include)
target_compile_options(kx_deps_stb PRIVATE -w)

file(GLOB zstd_srcs ${KX_ZSTD_SOURCE}/lib/common/*.c ${KX_ZSTD_SOURCE}/lib/compress/*.c
     ${KX_ZSTD_SOURCE}/lib/decompress/*.c)
add_library(kx_deps_zstd STATIC ${zstd_srcs})
target_include_directories(kx_deps_zstd SYSTEM PUBLIC ${KX_ZSTD_SOURCE}/lib)
target_compile_definitions(kx_deps_zstd PRIVATE ZSTD_DISABLE_ASM ZSTD_MULTITHREAD=0)
target_compile_options(kx_deps_zstd PRIVATE -w)

# The program as the page loads it: a module the page instantiates (again for each new game),
# started by the page once the player has clicked or pressed a key, its data preloaded into
# /data, the loop kept as it is by Asyncify (the windowing layer yields to the browser at each
# swap and sleep), the player's files in IndexedDB.
function(kx_web_program target)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  target_link_options(${target} PRIVATE
    -sMODULARIZE=1 -sEXPORT_NAME=Skarblit -sENVIRONMENT=web -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
    -sALLOW_MEMORY_GROWTH=1 -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
    -sEXPORTED_RUNTIME_METHODS=FS,IDBFS,callMain,addRunDependency,removeRunDependency -lidbfs.js
    --preload-file ${CMAKE_SOURCE_DIR}/data@/data)
endfunction()
