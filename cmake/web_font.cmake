# The page's own font, so that the letter stands the same on every browser
# whatever its monospace: DejaVu Sans Mono, as the video draws its cells,
# cut down by fontTools to what the page shows (printable ASCII, for the
# frame, the loading bar and the words of the program and the page, and
# every character of the letter's source but those two cells wide),
# without hinting, as WOFF2, and beside it, where the letter needs it,
# Letter Cells. The page carries them inside, as base64
# (cmake/web_page.cmake): a font of its own would come a request after the
# page on a slow link, and a page opened from disk may not fetch it. A
# character they lack (another script, an emoji) the browser takes from
# its own fonts.
#
# The font is the build machine's, not one in the compiler's system root.
find_file(DEJAVU_SANS_MONO truetype/dejavu/DejaVuSansMono.ttf
          PATHS /usr/share/fonts NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_program(PYFTSUBSET pyftsubset)
find_program(BASE64 base64)
# WOFF2 is compressed with brotli, which fontTools finds in its own Python.
if(PYFTSUBSET)
  file(STRINGS ${PYFTSUBSET} interpreter LIMIT_COUNT 1 REGEX "^#!")
  string(REGEX REPLACE "^#! *" "" interpreter "${interpreter}")
  separate_arguments(interpreter)
  execute_process(COMMAND ${interpreter} -c "import brotli"
                  RESULT_VARIABLE no_brotli OUTPUT_QUIET ERROR_QUIET)
endif()
if(NOT DEJAVU_SANS_MONO OR NOT PYFTSUBSET OR no_brotli OR NOT BASE64)
  message(
    FATAL_ERROR
      "The web build carries its font, made with fontTools: sudo apt-get "
      "install fonts-dejavu-core fonttools python3-brotli, then configure "
      "again: emcmake cmake -S ${PROJECT_SOURCE_DIR} -B ${CMAKE_BINARY_DIR}")
endif()

set(letter_text ${CMAKE_BINARY_DIR}/letter_text.txt)
set(font ${CMAKE_BINARY_DIR}/letter.woff2)
set(cells_font ${CMAKE_BINARY_DIR}/cells.woff2)
# The letter's characters as the page gets them: composed, as the build
# types them (e and U+0301 as é); and Letter Cells, for its one-cell
# characters that DejaVu Sans Mono lacks, from Noto's fonts
# (web/letter_font.py).
add_custom_command(
  OUTPUT ${letter_text} ${cells_font}
  COMMAND ${interpreter} ${page}/letter_font.py ${letter_source}
          ${PROJECT_SOURCE_DIR}/text/widths.h ${DEJAVU_SANS_MONO}
          ${letter_text} ${cells_font}
  DEPENDS ${letter_source} ${page}/letter_font.py
          ${PROJECT_SOURCE_DIR}/text/widths.h ${DEJAVU_SANS_MONO}
  VERBATIM)
# Every name of the font's is kept: its copyright and licence go with it.
# FFTM, a font editor's timestamps, fontTools cannot cut.
add_custom_command(
  OUTPUT ${font}
  COMMAND
    ${PYFTSUBSET} ${DEJAVU_SANS_MONO} --unicodes=U+0020-007E
    --text-file=${letter_text} --no-hinting --name-IDs=*
    --drop-tables+=FFTM --flavor=woff2 --output-file=${font}
  DEPENDS ${letter_text} ${DEJAVU_SANS_MONO}
  VERBATIM)
