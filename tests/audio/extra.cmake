# The maker of tests/data/tone_stereo.ogg. The file is committed, so the tool is built only to
# keep it compiling, and only where the Vorbis encoder is installed.
pkg_check_modules(AUDIO_VORBISENC IMPORTED_TARGET vorbisenc vorbis ogg)
if(AUDIO_VORBISENC_FOUND)
  add_executable(make_test_ogg ${CMAKE_SOURCE_DIR}/tools/make_test_ogg.cpp)
  target_compile_options(make_test_ogg PRIVATE ${KX_WARNINGS})
  target_link_libraries(make_test_ogg PRIVATE PkgConfig::AUDIO_VORBISENC m)
endif()
