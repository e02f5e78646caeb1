# baru_world: the letter with lines in other scripts added (accents, a date
# in Chinese, emoji, marks that join the character before them), for the
# tests, which show it as they show the letter itself.
add_custom_command(
  OUTPUT world.cpp
  COMMAND sed -f ${PROJECT_SOURCE_DIR}/tests/world_letter.sed
          ${PROJECT_SOURCE_DIR}/baru.cpp > world.cpp
  DEPENDS ${PROJECT_SOURCE_DIR}/baru.cpp
          ${PROJECT_SOURCE_DIR}/tests/world_letter.sed)
add_show(baru_world world.cpp)
# In the Windows build for the tests: what reads the console's own cells
# back from Wine's console window.
if(WIN32)
  add_executable(console_cells ${PROJECT_SOURCE_DIR}/tests/console_cells.cpp)
  target_link_options(console_cells PRIVATE -static)
endif()
