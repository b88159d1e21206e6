# bmp4c_add_image(<target> <image> [OUTPUT <header>] [PREVIEW] [INK] [DITHER]
#                 [FIT <W>x<H>] [EVEN] [PANEL <light>] [NAME <name>] [TILE <W>x<H>]
#                 [FRAMES] [LOW_FIRST] [PAD_ROWS])
#
# Converts <image> (relative to the current source folder) into the C
# header <header> at build time, before <target> is compiled, and puts the
# header's folder on <target>'s include path. The header defaults to the
# image's name with .h, in the folder bmp4c of the current binary folder.
# An image whose name does not end in .bmp, or any call given INK, DITHER,
# FIT or EVEN, goes through bmp4c-grey with those options first, into a
# bitmap beside the header (its name ending in .bmp). With PREVIEW,
# bmp4c-preview draws the header as a PNG beside it, of the same name
# ending in .preview.png, with --ink for INK. PANEL gives both programs
# the light of the panel's levels (--panel): linear, srgb, or 15 or 16
# numbers, comma-separated. NAME, TILE and LOW_FIRST give bmp4c --name,
# --tile and --low-first (and the preview --low-first): the image's own
# names, kept in flash, its tiles, and the first pixel of each pair in the
# low half; PAD_ROWS gives bmp4c --pad-rows, every row from a new byte.
# FRAMES makes a GIF's frames one below the other
# (bmp4c-grey --frames) and an array of them (bmp4c --tile) with their
# delays (bmp4c --delays), each frame the
# size of FIT (one column wider for an odd FIT with EVEN), or of TILE. The
# conversion runs again when the image or the programs change. A failed
# conversion fails the build with the program's message and removes the
# header and the PNG.
#
# Each header is written by one build step, a custom target named bmp4c_
# and the header's path in the build folder (bmp4c_bmp4c_logo_h), however
# many targets use it: two steps writing one header would run at once in a
# parallel build. The step keeps its header, image (with the programs'
# options) and PREVIEW as properties, so a later call for the same header
# only adds its target to the step, and a call that would write another
# image into that header, or ask for a preview the step does not make,
# stops configuring.
include_guard(GLOBAL)

function(bmp4c_add_image target bitmap)
  cmake_parse_arguments(PARSE_ARGV 2 arg "PREVIEW;INK;DITHER;EVEN;FRAMES;LOW_FIRST;PAD_ROWS"
                        "OUTPUT;FIT;PANEL;NAME;TILE" "")
  set(namerefused "")
  set(panelrefused "")
  if(DEFINED arg_NAME)
    _bmp4c_refusal(namerefused bmp4c::bmp4c --name "${arg_NAME}")
  endif()
  if(DEFINED arg_PANEL)
    _bmp4c_refusal(panelrefused bmp4c::bmp4c-preview --panel "${arg_PANEL}" -)
  endif()
  set(size "^[1-9][0-9]*x[1-9][0-9]*$")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "usage: bmp4c_add_image(<target> <image> [OUTPUT <header>] [PREVIEW] "
                        "[INK] [DITHER] [FIT <W>x<H>] [EVEN] [PANEL <light>] [NAME <name>] "
                        "[TILE <W>x<H>] [FRAMES] [LOW_FIRST] [PAD_ROWS])")
  elseif("OUTPUT" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): OUTPUT needs the header's name")
  elseif(("FIT" IN_LIST arg_KEYWORDS_MISSING_VALUES OR DEFINED arg_FIT)
         AND NOT arg_FIT MATCHES "${size}")
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): FIT takes a size WxH, such as 128x64")
  elseif(("TILE" IN_LIST arg_KEYWORDS_MISSING_VALUES OR DEFINED arg_TILE)
         AND NOT arg_TILE MATCHES "${size}")
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): TILE takes a size WxH, such as 16x16")
  elseif("NAME" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): NAME needs the image's C name")
  elseif(namerefused)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): NAME: ${namerefused}")
  elseif(arg_FRAMES AND NOT arg_FIT AND NOT arg_TILE)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): FRAMES needs the size of a frame: "
                        "give FIT (the display's size) or TILE (the GIF's own)")
  elseif("PANEL" IN_LIST arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): PANEL needs the light of the "
                        "panel's levels: linear, srgb, or 15 or 16 numbers, comma-separated")
  elseif(panelrefused)
    message(FATAL_ERROR "bmp4c_add_image(${target} ${bitmap}): PANEL: ${panelrefused}")
  endif()
  _bmp4c_compilingtarget(${target})
  set(call "bmp4c_add_image(${target} ${bitmap}) in ${CMAKE_CURRENT_LIST_FILE}")
  # The command that makes the bitmap, when bmp4c-grey makes it.
  set(greying "")
  if(arg_INK OR arg_DITHER OR arg_FIT OR arg_EVEN OR arg_FRAMES
     OR NOT bitmap MATCHES "\\.[bB][mM][pP]$")
    if(NOT TARGET bmp4c::bmp4c-grey)
      message(FATAL_ERROR "${call}: ${bitmap} needs bmp4c-grey, which this bmp4c was built "
                          "without. Give it stb_image v2.30 (tools/stb-image.sh in "
                          "bmp4c's source, or Debian 13's libstb-dev) and build bmp4c again, or "
                          "give a 4-bit bitmap.")
    endif()
    set(greying bmp4c-grey)
    foreach(option INK DITHER EVEN FRAMES)
      string(TOLOWER "--${option}" flag)
      if(arg_${option})
        list(APPEND greying ${flag})
      endif()
    endforeach()
    if(arg_FIT)
      list(APPEND greying --fit ${arg_FIT})
    endif()
    if(arg_PANEL)
      list(APPEND greying --panel ${arg_PANEL})
    endif()
  endif()
  # bmp4c's options: a frame is FIT (with EVEN's column) unless TILE says.
  set(converting "")
  if(arg_FRAMES AND NOT arg_TILE)
    string(REGEX MATCH "^([0-9]+)x([0-9]+)$" arg_TILE "${arg_FIT}")
    if(arg_EVEN)
      math(EXPR framewidth "${CMAKE_MATCH_1} + ${CMAKE_MATCH_1} % 2")
      set(arg_TILE "${framewidth}x${CMAKE_MATCH_2}")
    endif()
  endif()
  if(arg_NAME)
    list(APPEND converting --name ${arg_NAME})
  endif()
  if(arg_TILE)
    list(APPEND converting --tile ${arg_TILE})
  endif()
  if(arg_LOW_FIRST)
    list(APPEND converting --low-first)
  endif()
  if(arg_PAD_ROWS)
    list(APPEND converting --pad-rows)
  endif()
  get_filename_component(bitmap "${bitmap}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(stem "${bitmap}" NAME_WLE)
  set(header "${CMAKE_CURRENT_BINARY_DIR}/bmp4c/${stem}.h")
  if(arg_OUTPUT)
    get_filename_component(header "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  # A bitmap outside the build folder must be there now: a typo in its name
  # is caught here, with the call. One inside the build folder is left to
  # the rule that makes it, which may come later in the project.
  cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${bitmap}" NORMALIZE made)
  if(NOT made AND NOT EXISTS "${bitmap}")
    message(FATAL_ERROR "${call}: there is no image ${bitmap}, and no rule of the build makes it.")
  endif()
  _bmp4c_step(step "${bitmap}" "${greying}" "${converting}" "${header}" "${arg_PREVIEW}"
              "${arg_PANEL}" "${call}")
  add_dependencies(${target} ${step})
  get_filename_component(folder "${header}" DIRECTORY)
  target_include_directories(${target} PRIVATE "${folder}")
endfunction()

# Why the installed program refuses an option's value, or "" when it takes
# it: the program is asked, the one place where its rules live (a name's,
# a panel's). bmp4c --name X without names, and bmp4c-preview --panel X
# on an empty header, refuse a value with a usage error, status 2, and
# take it otherwise. A program built in this same project is not there yet
# when configuring: it says so itself when the image is converted.
function(_bmp4c_refusal result target)
  set(${result} "" PARENT_SCOPE)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(imported ${target} IMPORTED)
  if(NOT imported)
    return()
  endif()
  get_target_property(program ${target} LOCATION)
  set(empty "${CMAKE_BINARY_DIR}/CMakeFiles/bmp4c-empty")
  file(TOUCH "${empty}")
  execute_process(COMMAND "${program}" ${ARGN} INPUT_FILE "${empty}" OUTPUT_QUIET
                  ERROR_VARIABLE said RESULT_VARIABLE status)
  if(status STREQUAL "2")
    string(REGEX REPLACE "\n.*" "" said "${said}")
    set(${result} "${said}" PARENT_SCOPE)
  endif()
endfunction()

# Stops configuring unless the target exists and compiles sources, which
# are what include the header.
function(_bmp4c_compilingtarget target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "bmp4c_add_image: there is no target ${target}. "
                        "Create it (add_executable, add_library) before converting its images.")
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(imported ${target} IMPORTED)
  get_target_property(alias ${target} ALIASED_TARGET)
  if(imported OR alias OR type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
    message(FATAL_ERROR "bmp4c_add_image: ${target} is an imported, alias, interface or custom "
                        "target, which compiles nothing of its own. Give the target whose "
                        "sources include the header.")
  endif()
endfunction()

# The step that writes a header, made on the header's first call and found
# again by its name on later ones. Headers whose paths differ only in
# punctuation (icon.small.h, icon_small.h) would share a name, so the
# second gets a number.
function(_bmp4c_step result bitmap greying converting header preview panel call)
  file(RELATIVE_PATH relative "${CMAKE_BINARY_DIR}" "${header}")
  string(MAKE_C_IDENTIFIER "bmp4c_${relative}" name)
  set(step ${name})
  set(number 1)
  while(TARGET ${step})
    get_target_property(written ${step} BMP4C_HEADER)
    if(written STREQUAL header)
      get_target_property(converted ${step} BMP4C_BITMAP)
      get_target_property(previewed ${step} BMP4C_PREVIEW)
      get_target_property(greyed ${step} BMP4C_GREYING)
      get_target_property(lit ${step} BMP4C_PANEL)
      get_target_property(formed ${step} BMP4C_CONVERTING)
      if(NOT converted STREQUAL bitmap OR NOT greyed STREQUAL greying OR NOT lit STREQUAL panel
         OR NOT formed STREQUAL converting)
        set(options ${greyed} ${formed})
        if(options)
          string(REPLACE ";" " " greyed " (${options})")
        endif()
        message(FATAL_ERROR "${call}: ${header} is already the header of ${converted}${greyed}, so "
                            "${bitmap} cannot be converted into it as asked. Give one of them an OUTPUT of its own.")
      elseif(preview AND NOT previewed)
        message(FATAL_ERROR "${call}: an earlier call converts ${bitmap} into ${header} without "
                            "PREVIEW. Give PREVIEW to the first call for that header too.")
      endif()
      set(${result} ${step} PARENT_SCOPE)
      return()
    endif()
    math(EXPR number "${number} + 1")
    set(step ${name}_${number})
  endwhile()
  set(convert "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/bmp4cConvert.cmake")
  set(programs "$<TARGET_FILE:bmp4c::bmp4c>")
  set(outputs "${header}")
  set(drawing "")
  set(greyingfirst "")
  if(greying)
    list(APPEND programs "$<TARGET_FILE:bmp4c::bmp4c-grey>")
    cmake_path(REPLACE_EXTENSION header LAST_ONLY .bmp OUTPUT_VARIABLE greybitmap)
    list(APPEND outputs "${greybitmap}")
    set(options ${greying})
    list(POP_FRONT options) # the program's name
    list(JOIN options " " options)
    set(greyingfirst "-DGREY=$<TARGET_FILE:bmp4c::bmp4c-grey>" "-DGREYING=${options}")
  endif()
  if(preview)
    list(APPEND programs "$<TARGET_FILE:bmp4c::bmp4c-preview>")
    cmake_path(REPLACE_EXTENSION header LAST_ONLY .preview.png OUTPUT_VARIABLE png)
    list(APPEND outputs "${png}")
    set(drawing "-DPREVIEW=$<TARGET_FILE:bmp4c::bmp4c-preview>" "-DPANEL=${panel}")
  endif()
  list(JOIN converting " " forms)
  add_custom_command(OUTPUT ${outputs}
    COMMAND "${CMAKE_COMMAND}" "-DBMP4C=$<TARGET_FILE:bmp4c::bmp4c>" "-DCONVERTING=${forms}"
            ${greyingfirst} ${drawing} "-DBITMAP=${bitmap}" "-DHEADER=${header}" -P "${convert}"
    DEPENDS "${bitmap}" ${programs} "${convert}"
    COMMENT "bmp4c: converting ${bitmap}"
    VERBATIM)
  add_custom_target(${step} DEPENDS "${header}")
  set_target_properties(${step} PROPERTIES BMP4C_HEADER "${header}" BMP4C_BITMAP "${bitmap}"
                                           BMP4C_GREYING "${greying}" BMP4C_PREVIEW "${preview}"
                                           BMP4C_PANEL "${panel}" BMP4C_CONVERTING "${converting}")
  set(${result} ${step} PARENT_SCOPE)
endfunction()
