# The whole-program test runs the game and drives it with a small X client of its own
# (screenshots, a window that steals the focus, the close request).
find_package(X11 REQUIRED)
add_executable(kx_game_xtool ${CMAKE_CURRENT_SOURCE_DIR}/game/progs/xtool.cpp)
target_compile_options(kx_game_xtool PRIVATE ${KX_WARNINGS})
target_link_libraries(kx_game_xtool PRIVATE X11::X11 kx_deps_stb)
set_target_properties(kx_game_xtool PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(TARGET test_game)
  target_sources(test_game PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/game_world.cpp)
  add_dependencies(test_game kx_game_xtool)
  if(TARGET skarblit)
    add_dependencies(test_game skarblit)
  endif()
endif()
