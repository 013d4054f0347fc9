# The host's image and sound decoders come from libstb; the real-window test speaks to the X
# server directly to send a close request, and runs a small program of its own on the host.
find_package(X11 REQUIRED)
target_link_libraries(test_host PRIVATE kx_deps_stb X11::X11)

add_executable(host_window_probe ${CMAKE_CURRENT_SOURCE_DIR}/host/progs/window_probe.cpp)
target_compile_options(host_window_probe PRIVATE ${KX_WARNINGS})
target_link_libraries(host_window_probe PRIVATE kx_host kx_deps_stb)
add_dependencies(test_host host_window_probe)
target_compile_definitions(test_host PRIVATE
  KX_HOST_WINDOW_PROBE="$<TARGET_FILE:host_window_probe>")

# A run that ends in a run-time error, recorded and replayed in processes of its own (the
# recording goes on to the debugger's stop, which reads standard input).
add_executable(host_error_run ${CMAKE_CURRENT_SOURCE_DIR}/host/progs/error_run.cpp)
target_compile_options(host_error_run PRIVATE ${KX_WARNINGS})
target_link_libraries(host_error_run PRIVATE kx_host)
add_dependencies(test_host host_error_run)
target_compile_definitions(test_host PRIVATE KX_HOST_ERROR_RUN="$<TARGET_FILE:host_error_run>")
