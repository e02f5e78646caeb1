# The web build (emcmake cmake): the show as baru.js, with the page and
# xterm.js, in build-web/site/, a folder that any static web server serves
# as it is, and that opens from disk too. `--target package` makes
# baru-<version>-web.zip: that folder with a README.txt for the giver.
set(site ${CMAKE_BINARY_DIR}/site)
set(page ${PROJECT_SOURCE_DIR}/web)

set_target_properties(baru PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${site})
# Asyncify keeps pauses and the final read blocking calls; the file system
# lets the page take stdout byte by byte; the page starts main itself, on
# the reader's gesture, and again after the end. The wasm goes inside
# baru.js, since a page opened from disk may not fetch it.
target_link_options(
  baru PRIVATE -sASYNCIFY -sFORCE_FILESYSTEM -sENVIRONMENT=web
  -sEXPORTED_RUNTIME_METHODS=callMain -sSINGLE_FILE)
# Debian's emcc runs its JavaScript tools with the machine's Node.js, which
# finds Debian's acorn only through NODE_PATH.
set_property(TARGET baru PROPERTY CXX_LINKER_LAUNCHER
  ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# The page's terminal counts cells by the show's own table (widths.js,
# which text/widths.py writes beside the program's).
foreach(script letter.js widths.js)
  configure_file(${page}/${script} ${site}/${script} COPYONLY)
endforeach()

# xterm.js as package-lock.json pins it, installed in the build folder.
set(npm ${CMAKE_BINARY_DIR}/npm)
set(xterm ${npm}/node_modules/@xterm/xterm)
file(MAKE_DIRECTORY ${npm})
add_custom_command(
  OUTPUT ${xterm}/lib/xterm.mjs ${xterm}/css/xterm.css
  COMMAND ${CMAKE_COMMAND} -E copy ${page}/package.json
          ${page}/package-lock.json ${npm}
  COMMAND npm ci --omit=dev --no-audit --no-fund --loglevel=error
  WORKING_DIRECTORY ${npm}
  DEPENDS ${page}/package.json ${page}/package-lock.json)
include(${PROJECT_SOURCE_DIR}/cmake/web_link.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/web_font.cmake)
# The page, with xterm.js's stylesheet and its font inside and, where the
# site's address is known, its link's picture named; and xterm.js from its
# module build (cmake/web_page.cmake); then the show's own words in it, as
# the letter's source says them (cmake/web_words.mjs).
find_program(NODE node REQUIRED)
add_custom_command(
  OUTPUT ${site}/index.html ${site}/xterm.js
  COMMAND ${CMAKE_COMMAND} -D page=${page} -D xterm=${xterm} -D site=${site}
          -D link_tags=${link_tags} -D font=${font}
          -D cells_font=${cells_font} -D base64=${BASE64}
          -P ${PROJECT_SOURCE_DIR}/cmake/web_page.cmake
  COMMAND ${NODE} ${PROJECT_SOURCE_DIR}/cmake/web_words.mjs
          ${letter_source} ${page}/widths.js ${site}/index.html
  DEPENDS ${page}/index.html ${xterm}/lib/xterm.mjs ${xterm}/css/xterm.css
          ${font} ${cells_font} ${PROJECT_SOURCE_DIR}/cmake/web_page.cmake
          ${link_tags} ${PROJECT_SOURCE_DIR}/cmake/web_words.mjs
          ${letter_source} ${page}/widths.js)
add_custom_target(xterm ALL DEPENDS ${site}/index.html ${site}/xterm.js)

# The package: the site's files by name, so a music file put into site/
# for a preview never goes with it; CRLF, for Notepad.
configure_file(${page}/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${site}/index.html ${site}/letter.js ${site}/baru.js
              ${site}/xterm.js ${site}/widths.js
              ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME web)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "A birthday letter, shown as an animated show in a browser page")
include(CPack)
