# The build step of bmp4c_add_image, run as
#   cmake -DBMP4C=<converter> [-DCONVERTING=<options>] [-DGREY=<bmp4c-grey> -DGREYING=<options>]
#         [-DPREVIEW=<bmp4c-preview> [-DPANEL=<light>]] -DBITMAP=<image> -DHEADER=<header>
#         -P bmp4cConvert.cmake
# Relative paths are taken from the current folder, and a program given by
# its name alone is looked for on PATH. With GREY, bmp4c-grey first makes
# the bitmap from the image, with the options given (blank-separated), and
# keeps it beside the header, of the same name ending in .bmp, and its
# note on an odd width or its frames is shown. The converter takes the
# options CONVERTING (blank-separated). With PREVIEW, the header is drawn
# as a PNG beside it, of the same name ending in .preview.png, with --ink
# and --low-first when the options hold them, and the panel's light PANEL.
#
# The converter runs in a folder of its own, on a copy of the bitmap, with
# plain names as its two arguments: the real paths may hold blanks, quotes
# or, on Windows, letters that the arguments' code page cannot carry. The
# header (and the PNG) stay only when all went well; a failure removes any
# older ones, so that a later build cannot take them as up to date.
cmake_policy(VERSION 3.25)
get_filename_component(BITMAP "${BITMAP}" ABSOLUTE)
get_filename_component(HEADER "${HEADER}" ABSOLUTE)
cmake_path(REPLACE_EXTENSION HEADER LAST_ONLY .preview.png OUTPUT_VARIABLE png)
cmake_path(REPLACE_EXTENSION HEADER LAST_ONLY .bmp OUTPUT_VARIABLE greybitmap)
separate_arguments(GREYING)
separate_arguments(CONVERTING)
foreach(program BMP4C GREY PREVIEW)
  if(${program} MATCHES "[/\\]")
    get_filename_component(${program} "${${program}}" ABSOLUTE)
  endif()
endforeach()
set(work "${HEADER}.work")
file(REMOVE_RECURSE "${work}" "${HEADER}" "${png}")
file(MAKE_DIRECTORY "${work}")
set(program "${BMP4C}")
if(GREY)
  # Its one message names the image and says what is wrong.
  set(program "${GREY}")
  file(REMOVE "${greybitmap}")
  cmake_path(GET BITMAP EXTENSION LAST_ONLY extension)
  configure_file("${BITMAP}" "${work}/image${extension}" COPYONLY)
  execute_process(COMMAND "${GREY}" ${GREYING} "image${extension}" in.bmp WORKING_DIRECTORY "${work}"
                  OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
  if(status STREQUAL "0")
    configure_file("${work}/in.bmp" "${greybitmap}" COPYONLY)
    set(program "${BMP4C}")
    # On success it may note an odd width, or its frames: shown, and an odd
    # width not again by the preview.
    # A GIF's frames carry their delays into the header, with the tiles
    # that bmp4c_add_image gives.
    if(said MATCHES "--delays ([0-9,]+)" AND "--tile" IN_LIST CONVERTING)
      list(APPEND CONVERTING --delays "${CMAKE_MATCH_1}")
    endif()
    if(said)
      string(REPLACE "bmp4c-grey: in.bmp:" "bmp4c-grey: ${greybitmap}:" said "${said}")
      string(REPLACE "bmp4c-grey: image${extension}:" "bmp4c-grey: ${BITMAP}:" said "${said}")
      string(STRIP "${said}" said)
      message("${said}")
      set(noted TRUE)
    endif()
  endif()
else()
  configure_file("${BITMAP}" "${work}/in.bmp" COPYONLY)
  set(status 0)
endif()
if(status STREQUAL "0")
  execute_process(COMMAND "${BMP4C}" ${CONVERTING} in.bmp out.h WORKING_DIRECTORY "${work}"
                  OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
endif()
if(status STREQUAL "0")
  file(RENAME "${work}/out.h" "${HEADER}")
endif()
file(REMOVE_RECURSE "${work}")
if(status STREQUAL "0" AND PREVIEW)
  # Its one message names the header and says what is wrong; on success
  # it may note an odd width, which is shown as it is.
  set(program "${PREVIEW}")
  set(drawing "")
  if("--ink" IN_LIST GREYING)
    set(drawing --ink)
  endif()
  if("--low-first" IN_LIST CONVERTING)
    list(APPEND drawing --low-first)
  endif()
  if(PANEL)
    list(APPEND drawing --panel "${PANEL}")
  endif()
  execute_process(COMMAND "${PREVIEW}" ${drawing} "${HEADER}" "${png}"
                  OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
  if(status STREQUAL "0" AND said AND NOT noted)
    string(STRIP "${said}" said)
    message("${said}")
  endif()
endif()
if(NOT status STREQUAL "0")
  file(REMOVE "${HEADER}" "${png}")
  if(GREY)
    file(REMOVE "${greybitmap}")
  endif()
endif()
if(NOT status MATCHES "^[0-9]+$")
  # Not started at all: the status is the system's reason.
  message(FATAL_ERROR "bmp4c could not start ${program}: ${status}")
elseif(NOT status STREQUAL "0")
  # Each program's one message names the file it ran on, which is named
  # here as the project knows it; it is indented to keep CMake from
  # wrapping it.
  string(REPLACE "bmp4c: in.bmp:" "bmp4c: ${BITMAP}:" said "${said}")
  string(REPLACE "bmp4c: out.h:" "bmp4c: ${HEADER}:" said "${said}")
  string(REPLACE "bmp4c-grey: image${extension}:" "bmp4c-grey: ${BITMAP}:" said "${said}")
  string(STRIP "${said}" said)
  message(FATAL_ERROR "bmp4c could not convert ${BITMAP}:\n  ${said}")
endif()
