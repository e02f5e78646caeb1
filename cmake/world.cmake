# The world letter: the letter with lines in other scripts added (accents,
# a date in Chinese, emoji, marks that join the character before them),
# for the tests, which show it as they show the letter itself: baru_world,
# or in the web build the site's own show, so that its page is seen with
# them (the page's font cut to them too).
add_custom_command(
  OUTPUT world.cpp
  COMMAND sed -f ${PROJECT_SOURCE_DIR}/tests/world_letter.sed
          ${PROJECT_SOURCE_DIR}/baru.cpp > world.cpp
  DEPENDS ${PROJECT_SOURCE_DIR}/baru.cpp
          ${PROJECT_SOURCE_DIR}/tests/world_letter.sed)
if(EMSCRIPTEN)
  set(letter_source ${CMAKE_CURRENT_BINARY_DIR}/world.cpp)
else()
  add_show(baru_world world.cpp)
endif()
# In the Windows build for the tests: what reads the console's own cells
# back from Wine's console window.
if(WIN32)
  add_executable(console_cells ${PROJECT_SOURCE_DIR}/tests/console_cells.cpp)
  target_link_options(console_cells PRIVATE -static)
endif()
