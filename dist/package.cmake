# Installation in the layout Debian uses for games, and the .deb package made from it:
#   <prefix>/lib/games/skarblit/skarblit     the program
#   <prefix>/share/games/skarblit/data/      its data
#   <prefix>/games/skarblit (or bin/)        the launcher, which runs the program in the
#                                            player's own folder
# with the menu entry, the icons, the AppStream metadata, the manual page and the documents.
set(kx_dist ${CMAKE_SOURCE_DIR}/dist)
set(kx_app_id example.skarblit.Skarblit)
set(kx_contact "The Skarblit maintainers <maintainers@skarblit.example>")

install(TARGETS skarblit DESTINATION lib/games/skarblit)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION share/games/skarblit/data)

# The launcher goes where the system keeps its games (/usr/games and /usr/local/games are on
# Debian's PATH) and beside the other programs of any other prefix (~/.local/bin). Decided at
# install time, since `cmake --install --prefix` and the packager choose the prefix then.
install(CODE "
  set(kx_launcher_dir bin)
  if(CMAKE_INSTALL_PREFIX MATCHES \"/usr(/local)?$\")
    set(kx_launcher_dir games)
  endif()
  file(INSTALL ${kx_dist}/skarblit.sh DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${kx_launcher_dir}\"
       RENAME skarblit FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)")

install(FILES ${kx_dist}/${kx_app_id}.desktop DESTINATION share/applications)
install(FILES ${kx_dist}/${kx_app_id}.metainfo.xml DESTINATION share/metainfo)
# The icons are the data generator's: build/tools/kx_datagen --icons data/icons remakes them.
# The game sets them on its windows from the data folder; the desktop finds them in the theme.
file(GLOB kx_icons CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/icons/skarblit-*.png)
foreach(icon ${kx_icons})
  string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size ${icon})
  install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME skarblit.png)
endforeach()

# Debian wants the manual page and the changelog compressed, and without a time stamp, so
# that two builds make the same package.
set(kx_gzipped)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
foreach(doc skarblit.6 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/${doc}.gz
    COMMAND gzip -9n -c ${kx_dist}/${doc} > ${CMAKE_BINARY_DIR}/dist/${doc}.gz
    DEPENDS ${kx_dist}/${doc} VERBATIM)
  list(APPEND kx_gzipped ${CMAKE_BINARY_DIR}/dist/${doc}.gz)
endforeach()
add_custom_target(kx_dist_docs ALL DEPENDS ${kx_gzipped})
install(FILES ${CMAKE_BINARY_DIR}/dist/skarblit.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_BINARY_DIR}/dist/changelog.gz ${kx_dist}/copyright
        DESTINATION share/doc/skarblit)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skarblit)
set(CPACK_PACKAGE_CONTACT ${kx_contact})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: lure the foes into the lightning of the zap posts")
set(CPACK_PACKAGE_DESCRIPTION "\
Skarblit is a single-player arcade game. You steer a small craft around a
one-screen arena while foes appear at the edges and home in on you. Zap posts
appear at random places and slowly decay; fly close to one, but not onto it,
and it throws two bolts of lightning that destroy every foe they touch.
It plays with the keyboard, the mouse, a joystick or an iCade cabinet, and
keeps its settings and score tables in the player's home.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://skarblit.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
