# The host decodes images and audio with the shared stb library, which its own library does not
# list yet; keep that library on the link line wherever it lands in the static link order.
if(TARGET test_game)
  target_link_options(test_game PRIVATE -Wl,--no-as-needed)
endif()
