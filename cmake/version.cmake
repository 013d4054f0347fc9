# The program's version, read by the main build and the fuzz build alike so that every
# build of command_line.cpp prints the same --version.
set(KX_VERSION 1.0.0)

function(kx_stamp_version)
  set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_DEFINITIONS KX_VERSION="${KX_VERSION}")
endfunction()
