# The window tests speak to the X server themselves and drive, besides the game, a program whose
# application reports what the loop does.
find_package(X11 REQUIRED)
target_link_libraries(test_app PRIVATE X11::X11)

add_executable(kx_app_probe ${CMAKE_CURRENT_SOURCE_DIR}/app/progs/probe.cpp)
target_compile_options(kx_app_probe PRIVATE ${KX_WARNINGS})
target_link_libraries(kx_app_probe PRIVATE kx_app)
set_target_properties(kx_app_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_dependencies(test_app kx_app_probe)
if(TARGET skarblit)
  add_dependencies(test_app skarblit)
endif()
