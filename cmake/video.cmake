# `cmake --build <dir> --target video`: the show as baru-<version>.mp4 and
# baru-<version>.cast in the build folder, made by baru_video (video/),
# which is built only for it; `--target link_picture`, the video's first
# frame as a link's preview, baru-<version>-link.png. What they need
# (ffmpeg, libvterm, FreeType, HarfBuzz, fonts) is looked for here; if
# anything is missing, the targets say what to install instead, and the
# build and packages go on without.

# The show's clock, preloaded into it by the video tool and the tests:
# pauses return at once.
add_library(show_clock MODULE EXCLUDE_FROM_ALL video/show_clock.cpp)
target_include_directories(show_clock PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(show_clock PRIVATE ${CMAKE_DL_LIBS})

find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(VIDEO_LIBS QUIET IMPORTED_TARGET freetype2 harfbuzz)
  pkg_check_modules(VIDEO_VTERM QUIET vterm)
endif()
# libvterm linked statically, so that it counts cells by today's widths
# (video/vterm_widths.cpp).
find_library(VTERM_ARCHIVE libvterm.a HINTS ${VIDEO_VTERM_LIBRARY_DIRS})
find_program(FFMPEG ffmpeg)

set(video_missing)
if(NOT VIDEO_LIBS_FOUND OR NOT VTERM_ARCHIVE)
  list(APPEND video_missing pkg-config libvterm-dev libfreetype-dev
       libharfbuzz-dev)
endif()
if(NOT FFMPEG)
  list(APPEND video_missing ffmpeg)
endif()
# The fonts, in the order a character is looked for, each with its
# package: the cell's own, the rest of DejaVu, Thai, CJK, colour emoji.
foreach(
  font IN
  ITEMS "MONO;truetype/dejavu/DejaVuSansMono.ttf;fonts-dejavu-core"
        "SANS;truetype/dejavu/DejaVuSans.ttf;fonts-dejavu-core"
        "THAI;truetype/tlwg/TlwgMono.ttf;fonts-tlwg-mono-ttf"
        "CJK;opentype/noto/NotoSansCJK-Regular.ttc;fonts-noto-cjk"
        "EMOJI;truetype/noto/NotoColorEmoji.ttf;fonts-noto-color-emoji")
  list(GET font 0 name)
  list(GET font 1 file)
  list(GET font 2 package)
  find_file(FONT_${name} ${file} PATHS /usr/share/fonts NO_DEFAULT_PATH)
  if(NOT FONT_${name})
    list(APPEND video_missing ${package})
  endif()
endforeach()
list(REMOVE_DUPLICATES video_missing)

if(video_missing)
  list(JOIN video_missing " " packages)
  # What is found is kept from the configure step: it must run again.
  set(again "cmake -S ${PROJECT_SOURCE_DIR} -B ${CMAKE_BINARY_DIR}")
  message(STATUS "The video target needs: sudo apt-get install ${packages}"
                 ", then ${again}")
  foreach(target video link_picture)
    add_custom_target(
      ${target}
      COMMAND ${CMAKE_COMMAND} -E echo
              "The video and the link picture need: sudo apt-get install ${packages}"
      COMMAND ${CMAKE_COMMAND} -E echo "then configure again: ${again}"
      COMMAND ${CMAKE_COMMAND} -E false)
  endforeach()
  return()
endif()

add_executable(
  baru_video EXCLUDE_FROM_ALL
  video/main.cpp video/record.cpp video/fonts.cpp video/draw.cpp
  video/frames.cpp video/encode.cpp video/h264.cpp video/terminal.cpp
  video/vterm_widths.cpp)
target_include_directories(baru_video PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(baru_video PRIVATE PkgConfig::VIDEO_LIBS ${VTERM_ARCHIVE}
                                         util)
foreach(name MONO SANS THAI CJK EMOJI)
  target_compile_definitions(baru_video PRIVATE FONT_${name}="${FONT_${name}}")
endforeach()
target_compile_definitions(baru_video PRIVATE FFMPEG="${FFMPEG}")

# The video's title: the page's, the letter's own in its language.
include(cmake/said.cmake)
said(page_title title)
target_compile_definitions(baru_video PRIVATE VIDEO_TITLE="${title}")
# Last, where fonts-noto-core is installed: Noto for the other scripts.
target_compile_definitions(
  baru_video PRIVATE FONTS_OTHER_SCRIPTS="/usr/share/fonts/truetype/noto")
if(BARU_SANITIZE)
  target_compile_options(baru_video PRIVATE ${sanitize})
  target_link_options(baru_video PRIVATE ${sanitize})
endif()

# The music file may come, change or go: a stamp stands for it, written
# anew only when it does (cmake/video_music.cmake).
set(music ${PROJECT_SOURCE_DIR}/athousandyears.mp3)
set(music_stamp ${CMAKE_BINARY_DIR}/video_music.stamp)
add_custom_target(
  video_music
  COMMAND ${CMAKE_COMMAND} -D music=${music} -D stamp=${music_stamp} -P
          ${PROJECT_SOURCE_DIR}/cmake/video_music.cmake
  BYPRODUCTS ${music_stamp})

set(video ${CMAKE_BINARY_DIR}/baru-${PROJECT_VERSION})
add_custom_command(
  OUTPUT ${video}.mp4 ${video}.cast
  COMMAND baru_video $<TARGET_FILE:baru> $<TARGET_FILE:show_clock> ${music}
          ${video}
  DEPENDS baru baru_video show_clock ${music_stamp}
  USES_TERMINAL
  COMMENT "The show as baru-${PROJECT_VERSION}.mp4 and .cast")
add_custom_target(video DEPENDS ${video}.mp4 ${video}.cast)
add_dependencies(video video_music)

set(link_picture ${CMAKE_BINARY_DIR}/baru-${PROJECT_VERSION}-link.png)
add_custom_command(
  OUTPUT ${link_picture}
  COMMAND baru_video --link-picture $<TARGET_FILE:baru>
          $<TARGET_FILE:show_clock> ${link_picture}
  DEPENDS baru baru_video show_clock
  COMMENT "The greeting and the date as a link's picture")
add_custom_target(link_picture DEPENDS ${link_picture})
