# bmp4c_add_image(<target> <bitmap> [OUTPUT <header>])
#
# Converts <bitmap> (relative to the current source folder) into the C
# header <header> at build time, before <target> is compiled, and puts the
# header's folder on <target>'s include path. The header defaults to the
# bitmap's name with .h, in the folder bmp4c of the current binary folder.
# The conversion runs again when the bitmap or the converter changes. A
# failed conversion fails the build with the converter's message.
function(bmp4c_add_image target bitmap)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "OUTPUT" "")
  if(arg_UNPARSED_ARGUMENTS OR NOT TARGET ${target})
    message(FATAL_ERROR "usage: bmp4c_add_image(<target> <bitmap> [OUTPUT <header>])")
  endif()
  get_filename_component(bitmap "${bitmap}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(stem "${bitmap}" NAME_WLE)
  set(header "${CMAKE_CURRENT_BINARY_DIR}/bmp4c/${stem}.h")
  if(arg_OUTPUT)
    get_filename_component(header "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  get_filename_component(folder "${header}" DIRECTORY)
  get_filename_component(name "${header}" NAME_WE)
  set(convert "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/bmp4cConvert.cmake")
  add_custom_command(OUTPUT "${header}"
    COMMAND "${CMAKE_COMMAND}" "-DBMP4C=$<TARGET_FILE:bmp4c::bmp4c>" "-DBITMAP=${bitmap}"
            "-DHEADER=${header}" -P "${convert}"
    DEPENDS "${bitmap}" "$<TARGET_FILE:bmp4c::bmp4c>" "${convert}"
    COMMENT "bmp4c: converting ${bitmap}"
    VERBATIM)
  # A step of its own lets the target live in another folder of the project.
  string(MAKE_C_IDENTIFIER "bmp4c_${target}_${name}" step)
  add_custom_target(${step} DEPENDS "${header}")
  add_dependencies(${target} ${step})
  target_include_directories(${target} PRIVATE "${folder}")
endfunction()
