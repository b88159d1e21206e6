# The build step of bmp4c_add_image, run as
#   cmake -DBMP4C=<converter> [-DPREVIEW=<bmp4c-preview>] -DBITMAP=<bitmap> -DHEADER=<header>
#         -P bmp4cConvert.cmake
# Relative paths are taken from the current folder, and a program given by
# its name alone is looked for on PATH. With PREVIEW, the header is drawn
# as a PNG beside it, of the same name ending in .preview.png.
#
# The converter runs in a folder of its own, on a copy of the bitmap, with
# plain names as its two arguments: the real paths may hold blanks, quotes
# or, on Windows, letters that the arguments' code page cannot carry. The
# header (and the PNG) stay only when all went well; a failure removes any
# older ones, so that a later build cannot take them as up to date.
get_filename_component(BITMAP "${BITMAP}" ABSOLUTE)
get_filename_component(HEADER "${HEADER}" ABSOLUTE)
cmake_path(REPLACE_EXTENSION HEADER LAST_ONLY .preview.png OUTPUT_VARIABLE png)
foreach(program BMP4C PREVIEW)
  if(${program} MATCHES "[/\\]")
    get_filename_component(${program} "${${program}}" ABSOLUTE)
  endif()
endforeach()
set(work "${HEADER}.work")
file(REMOVE_RECURSE "${work}" "${HEADER}" "${png}")
file(MAKE_DIRECTORY "${work}")
configure_file("${BITMAP}" "${work}/in.bmp" COPYONLY)
execute_process(COMMAND "${BMP4C}" in.bmp out.h WORKING_DIRECTORY "${work}"
                OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
if(status STREQUAL "0")
  file(RENAME "${work}/out.h" "${HEADER}")
endif()
file(REMOVE_RECURSE "${work}")
set(program "${BMP4C}")
if(status STREQUAL "0" AND PREVIEW)
  # Its one message names the header and says what is wrong; on success
  # it may note an odd width, which is shown as it is.
  set(program "${PREVIEW}")
  execute_process(COMMAND "${PREVIEW}" "${HEADER}" "${png}"
                  OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
  if(status STREQUAL "0" AND said)
    string(STRIP "${said}" said)
    message("${said}")
  endif()
endif()
if(NOT status STREQUAL "0")
  file(REMOVE "${HEADER}" "${png}")
endif()
if(NOT status MATCHES "^[0-9]+$")
  # Not started at all: the status is the system's reason.
  message(FATAL_ERROR "bmp4c could not start ${program}: ${status}")
elseif(NOT status STREQUAL "0")
  # The converter's banner and prompts come before its one message; the
  # message is indented to keep CMake from wrapping it.
  string(REGEX REPLACE "^.*write: \n" "" said "${said}")
  string(STRIP "${said}" said)
  message(FATAL_ERROR "bmp4c could not convert ${BITMAP}:\n  ${said}")
endif()
