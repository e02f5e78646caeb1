# Run by the video target (cmake -P) with -D music=<the music file> -D
# stamp=<its stamp>: the stamp names the music file, or says there is none,
# and is written anew when that changes or the file is newer, so that the
# video is made again when the music comes, changes or goes, and only then.
if(EXISTS ${music})
  set(now "${music}")
else()
  set(now "no music")
endif()
set(before "")
if(EXISTS ${stamp})
  file(READ ${stamp} before)
endif()
if(NOT before STREQUAL now OR (EXISTS ${music} AND ${music} IS_NEWER_THAN
                                                   ${stamp}))
  file(WRITE ${stamp} "${now}")
endif()
