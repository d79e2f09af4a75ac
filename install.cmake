# install.cmake — `cmake --install <build> --prefix P` lays out:
#   P/share/orbelune/        the base directory: donnees.txt, help.sh,
#                            DONNEES/ and TEXTURES/, and simulgrav, a relative
#                            symlink to the executable in P/lib/orbelune/
#   P/lib/orbelune/simulgrav the window program (machine code stays out of
#                            share/, which holds only data)
#   P/bin/orbelune           launcher: starts P/share/orbelune/simulgrav by its
#                            full path, from any directory, through any symlink
#   P/bin/orbelune-trace     the scenario checker without a window
#   P/share/applications/orbelune.desktop   desktop entry (runs the launcher)
#   P/share/icons/hicolor/scalable/apps/orbelune.svg, and PNG renderings of
#                            it in the usual sizes when rsvg-convert is found
#   P/share/metainfo/org.orbelune.orbelune.metainfo.xml   software-centre entry
#   P/share/man/man1, P/share/man/fr/man1   orbelune(1), orbelune-trace(1)
# The program derives its data directory from the path it was started by (the
# symlink's, not the executable's), so it always finds the data beside it.
set(ORBELUNE_SHARE share/orbelune)

install(TARGETS simulgrav RUNTIME DESTINATION lib/orbelune)
install(TARGETS orbelune-trace RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${ORBELUNE_SHARE} USE_SOURCE_PERMISSIONS)
install(CODE [[
  set(link "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/orbelune/simulgrav")
  message(STATUS "Installing: ${link}")
  file(REMOVE "${link}")
  file(CREATE_LINK ../../lib/orbelune/simulgrav "${link}" SYMBOLIC)
]])
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/orbelune DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/orbelune.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.orbelune.orbelune.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/man/orbelune.1 ${CMAKE_SOURCE_DIR}/packaging/man/orbelune-trace.1
  DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/man/fr/orbelune.1 ${CMAKE_SOURCE_DIR}/packaging/man/fr/orbelune-trace.1
  DESTINATION share/man/fr/man1)

# Menus and software centres that do not scale SVG icons take these.
find_program(ORBELUNE_RSVG rsvg-convert)
if(ORBELUNE_RSVG)
  set(ORBELUNE_ICONS)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/orbelune.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${ORBELUNE_RSVG} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/packaging/orbelune.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/orbelune.svg VERBATIM)
    list(APPEND ORBELUNE_ICONS ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${ORBELUNE_ICONS})
endif()

# The desktop entry names the launcher by its absolute path, which is only
# known at install time (--prefix); it is written then, quoted and escaped
# as desktop entries want.
install(CODE "set(ORBELUNE_SRC \"${CMAKE_SOURCE_DIR}\")")
install(CODE [[
  set(bin "${CMAKE_INSTALL_PREFIX}/bin/orbelune")
  string(REPLACE "\\" "\\\\\\\\" bin "${bin}")
  foreach(c "\"" "`" "$")
    string(REPLACE "${c}" "\\\\${c}" bin "${bin}")
  endforeach()
  string(REPLACE "%" "%%" bin "${bin}")
  set(ORBELUNE_BIN "${bin}")
  set(out "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/orbelune.desktop")
  message(STATUS "Installing: ${out}")
  file(READ "${ORBELUNE_SRC}/packaging/orbelune.desktop.in" entry)
  string(CONFIGURE "${entry}" entry @ONLY)
  file(WRITE "${out}" "${entry}")
]])
