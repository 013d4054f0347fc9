# The host's image and sound decoders come from libstb.
target_link_libraries(test_host PRIVATE kx_deps_stb)
