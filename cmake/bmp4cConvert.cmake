# The build step of bmp4c_add_image, run as
#   cmake -DBMP4C=<converter> -DBITMAP=<bitmap> -DHEADER=<header> -P bmp4cConvert.cmake
# Relative paths are taken from the current folder, and a converter given
# by its name alone is looked for on PATH.
#
# The converter reads its two names from standard input as blank-separated
# words, so it runs in a folder of its own, on a copy of the bitmap, with
# plain names: the real paths may hold blanks. The header appears only when
# the conversion succeeded; a failure removes any older one, so that a later
# build cannot take it as up to date.
get_filename_component(BITMAP "${BITMAP}" ABSOLUTE)
get_filename_component(HEADER "${HEADER}" ABSOLUTE)
if(BMP4C MATCHES "[/\\]")
  get_filename_component(BMP4C "${BMP4C}" ABSOLUTE)
endif()
set(work "${HEADER}.work")
file(REMOVE_RECURSE "${work}" "${HEADER}")
file(MAKE_DIRECTORY "${work}")
configure_file("${BITMAP}" "${work}/in.bmp" COPYONLY)
file(WRITE "${work}/names" "in.bmp out.h\n")
execute_process(COMMAND "${BMP4C}" INPUT_FILE "${work}/names" WORKING_DIRECTORY "${work}"
                OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
if(status STREQUAL "0")
  file(RENAME "${work}/out.h" "${HEADER}")
endif()
file(REMOVE_RECURSE "${work}")
if(NOT status MATCHES "^[0-9]+$")
  # Not started at all: the status is the system's reason.
  message(FATAL_ERROR "bmp4c could not start ${BMP4C}: ${status}")
elseif(NOT status STREQUAL "0")
  # The banner and the prompts come before the converter's one message,
  # which is indented to keep CMake from wrapping it.
  string(REGEX REPLACE "^.*write: \n" "" said "${said}")
  string(STRIP "${said}" said)
  message(FATAL_ERROR "bmp4c could not convert ${BITMAP}:\n  ${said}")
endif()
