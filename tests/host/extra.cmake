# The host's image and sound decoders come from libstb; the real-window test makes a window of
# its own on the X server, and runs a small program of its own on the host.
find_package(X11 REQUIRED)
target_link_libraries(test_host PRIVATE kx_deps_stb X11::X11)

add_executable(host_window_probe ${CMAKE_CURRENT_SOURCE_DIR}/host/progs/window_probe.cpp)
target_compile_options(host_window_probe PRIVATE ${KX_WARNINGS})
target_link_libraries(host_window_probe PRIVATE kx_host kx_deps_stb)
add_dependencies(test_host host_window_probe)
target_compile_definitions(test_host PRIVATE
  KX_HOST_WINDOW_PROBE="$<TARGET_FILE:host_window_probe>")

# The real-window test closes its window with the tests' X client.
add_dependencies(test_host kx_game_xtool)
