# said(<name> <variable>): one of the show's own words as the letter's
# source says it (const char *<name> = ...<"words">;), as a C string's
# body, into <variable>. The build is configured again when the source
# changes.
function(said name variable)
  set(source ${PROJECT_SOURCE_DIR}/baru.cpp)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  if(NOT text MATCHES "char \\*${name} = [a-z_]+<\"(([^\"\\\\]|\\\\.)*)\">")
    message(FATAL_ERROR "${source} says no ${name}")
  endif()
  set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
