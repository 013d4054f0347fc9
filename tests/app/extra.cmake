# Programs the window tests drive: an application that reports its loop, and a small X client.
find_package(X11 REQUIRED)

add_executable(kx_app_probe ${CMAKE_CURRENT_SOURCE_DIR}/app/progs/probe.cpp)
target_compile_options(kx_app_probe PRIVATE ${KX_WARNINGS})
# The host's decoders need libstb after the host library on the link line.
target_link_libraries(kx_app_probe PRIVATE kx_app kx_deps_stb)

add_executable(kx_xclient ${CMAKE_CURRENT_SOURCE_DIR}/app/progs/xclient.cpp)
target_compile_options(kx_xclient PRIVATE ${KX_WARNINGS})
target_link_libraries(kx_xclient PRIVATE X11::X11)

set_target_properties(kx_app_probe kx_xclient PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(test_app kx_app_probe kx_xclient)
if(TARGET skarblit)
  add_dependencies(test_app skarblit)
endif()
