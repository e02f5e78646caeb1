# What `cmake --install` puts where, and the packages that
# `cmake --build <dir> --target package` makes: baru-<version>-Linux.deb
# and .tar.gz on Linux, holding baru, its man page and a short README;
# with the mingw-w64 toolchain file, baru-<version>-win64.zip, holding
# baru.exe and a short README.txt.
include(GNUInstallDirs)

# A release carries nothing to debug.
if(NOT MSVC AND NOT APPLE)
  target_link_options(baru PRIVATE $<$<CONFIG:Release>:-s>)
endif()

if(WIN32)
  # A folder to unzip anywhere and double-click in.
  configure_file(docs/README-windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS baru RUNTIME DESTINATION .)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  # The man page quotes the prompt, as the letter's source says it.
  include(cmake/said.cmake)
  said(prompt PROMPT)
  string(REPLACE "\\\\" "\\e" PROMPT "${PROMPT}")
  string(REPLACE "\\\"" "\"\"" PROMPT "${PROMPT}")
  configure_file(docs/baru.6 baru.6 @ONLY)
  # Compressed, as man pages are installed; -n leaves the date out.
  execute_process(COMMAND gzip -9nf baru.6
                  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  # In bin, not games: /usr/games is missing from root's PATH and from
  # some users', and the letter should start by its name for whoever
  # it is given to.
  install(TARGETS baru RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/baru.6.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  # For the reader; the developer's README.md stays with the source.
  configure_file(docs/README-linux.txt README @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "A birthday letter, shown as an animated show in the terminal")
set(CPACK_PACKAGE_CONTACT "The baru developers <baru@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mpg123 | ffmpeg | mpv")
include(CPack)
