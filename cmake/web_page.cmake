# Run by the web build (cmake -P) with -D page=<web/> -D xterm=<xterm.js's
# package> -D site=<site/> -D link_tags=<the link's tags> -D font=<the
# page's font> -D cells_font=<Letter Cells, or an empty file> -D
# base64=<coreutils' base64>: the page and the terminal as
# the site serves them, lighter and quicker to show than the packages give
# them.
#
# index.html takes xterm.js's stylesheet in the place marked for it: a
# stylesheet of its own would hold back the page's first words until it
# came, a request later on a slow link.
file(READ ${page}/index.html html)
file(READ ${xterm}/css/xterm.css css)
set(mark "<!-- xterm.css: put here by the build -->")
string(FIND "${html}" "${mark}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${page}/index.html has no ${mark}")
endif()
string(REPLACE "${mark}" "<style>\n${css}</style>" html "${html}")
# A link's preview with a picture, where the site's address is known
# (cmake/web_link.cmake): its tags at the head's end.
file(READ ${link_tags} tags)
string(REPLACE "</head>" "${tags}</head>" html "${html}")

# Its fonts inside it too (cmake/web_font.cmake), there for the first
# words; Letter Cells only where the letter needs it, its face gone else.
foreach(face letter cells)
  set(named "url(${face}.woff2)")
  string(FIND "${html}" "${named}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${page}/index.html names no ${named}")
  endif()
  set(file ${font})
  if(face STREQUAL cells)
    set(file ${cells_font})
  endif()
  file(SIZE ${file} size)
  if(size EQUAL 0)
    string(REGEX REPLACE "[^}]*@font-face {[^}]*url\\(${face}.woff2\\)[^}]*}"
                         "" html "${html}")
    continue()
  endif()
  execute_process(COMMAND ${base64} -w 0 ${file} OUTPUT_VARIABLE encoded
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${base64} could not read ${file}")
  endif()
  string(REPLACE "${named}" "url(data:font/woff2;base64,${encoded})" html
                 "${html}")
endforeach()
file(WRITE ${site}/index.html "${html}")

# xterm.js from its module build, a third smaller, made a classic script:
# a page opened from disk may not load a module.
file(READ ${xterm}/lib/xterm.mjs code)
string(REGEX MATCH "export{([A-Za-z0-9_$]+) as Terminal};" export "${code}")
if(NOT export)
  message(FATAL_ERROR "${xterm}/lib/xterm.mjs exports no Terminal")
endif()
string(REPLACE "${export}" "return ${CMAKE_MATCH_1};" code "${code}")
string(REPLACE "//# sourceMappingURL=xterm.mjs.map" "" code "${code}")
file(WRITE ${site}/xterm.js
     "var Terminal = (() => {\n'use strict';\n${code}})();\n")
