# install.cmake — `cmake --install <build> --prefix P` lays out:
#   P/share/orbelune/        the self-contained base directory: simulgrav beside
#                            donnees.txt, help.sh, DONNEES/ and TEXTURES/
#   P/bin/orbelune           launcher: starts P/share/orbelune/simulgrav by its
#                            full path, from any directory, through any symlink
#   P/share/applications/orbelune.desktop   desktop entry (runs the launcher)
#   P/share/icons/hicolor/scalable/apps/orbelune.svg
# The program derives its data directory from its own path, so the executable
# and the data always travel together in one directory.
set(ORBELUNE_SHARE share/orbelune)

install(TARGETS simulgrav RUNTIME DESTINATION ${ORBELUNE_SHARE})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${ORBELUNE_SHARE} USE_SOURCE_PERMISSIONS)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/orbelune DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/orbelune.svg DESTINATION share/icons/hicolor/scalable/apps)

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
