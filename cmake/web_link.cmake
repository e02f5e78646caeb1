# A link to the page, pasted in a message, shows a picture beside its title
# when the giver names the site's address: -DBARU_SITE_URL=https://…/.
# The page then names its address (og:url) and its picture there
# (og:image, a large card), preview.png in the site: the frame of stars with
# the greeting and the date, as the video's first frame shows them, drawn
# from the letter by the video's tool, built for this machine in native/
# (it needs what the video needs). Without the address, no picture: its
# address would have to name the host.
set(BARU_SITE_URL "" CACHE STRING
    "The site's address, https://…/, for a link's preview with a picture")
set(link_tags ${CMAKE_BINARY_DIR}/link_tags.html)
set(tags "")
if(BARU_SITE_URL)
  if(NOT BARU_SITE_URL MATCHES "^https?://[^/]+")
    message(FATAL_ERROR "BARU_SITE_URL names the site's whole address, as a "
                        "link to it reads: https://example.org/letter/")
  endif()
  set(url "${BARU_SITE_URL}")
  if(NOT url MATCHES "/$")
    string(APPEND url "/")
  endif()
  string(REPLACE "&" "&amp;" url "${url}")
  string(REPLACE "\"" "&quot;" url "${url}")
  string(CONCAT tags
    "<meta property=\"og:url\" content=\"${url}\">\n"
    "<meta property=\"og:image\" content=\"${url}preview.png\">\n"
    "<meta property=\"og:image:width\" content=\"1200\">\n"
    "<meta property=\"og:image:height\" content=\"630\">\n"
    "<meta name=\"twitter:card\" content=\"summary_large_image\">\n")

  include(ExternalProject)
  set(native ${CMAKE_BINARY_DIR}/native)
  set(picture ${native}/baru-${PROJECT_VERSION}-link.png)
  ExternalProject_Add(
    native_link_picture
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${native}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target link_picture
    BUILD_BYPRODUCTS ${picture}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  add_custom_command(
    OUTPUT ${site}/preview.png
    COMMAND ${CMAKE_COMMAND} -E copy ${picture} ${site}/preview.png
    DEPENDS native_link_picture ${picture})
  add_custom_target(link_picture ALL DEPENDS ${site}/preview.png)
  install(FILES ${site}/preview.png DESTINATION .)
endif()
# The page's tags, written only when they change, so that the page is made
# again then and only then.
set(before "")
if(EXISTS ${link_tags})
  file(READ ${link_tags} before)
endif()
if(NOT before STREQUAL tags OR NOT EXISTS ${link_tags})
  file(WRITE ${link_tags} "${tags}")
endif()
