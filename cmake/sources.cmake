# The sources of one module folder, shared by the main build and the fuzz build so both
# pick the same files: everything but a program's main, and of the windowing platforms
# only this build's (the window-less one serves every build).
function(kx_module_sources out dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(EMSCRIPTEN)
    list(FILTER srcs EXCLUDE REGEX "/platform/desktop\\.cpp$")
  else()
    list(FILTER srcs EXCLUDE REGEX "/platform/web\\.cpp$")
  endif()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()
