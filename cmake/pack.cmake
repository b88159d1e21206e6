# Makes the three packages of a release into packages/, each from a fresh
# configuration of its own (the workflow presets of CMakePresets.json):
#
#   cmake -P cmake/pack.cmake
#
# Each carries the web page, made first by the web preset (needs emscripten).
# deb    bmp4c_<version>_amd64.deb, dynamic, as Debian asks (needs dpkg-dev)
# linux  bmp4c-<version>-Linux-x86_64.tar.gz, static, for a fast start
# win64  bmp4c-<version>-win64.zip (needs MinGW-w64: g++-mingw-w64-x86-64-posix)
cmake_minimum_required(VERSION 3.25)
get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}" DIRECTORY)
file(REMOVE_RECURSE "${source}/build-package" "${source}/packages")
# The web page first: every package carries it.
foreach(step "--preset;web" "--build;--preset;web")
  execute_process(COMMAND "${CMAKE_COMMAND}" ${step} WORKING_DIRECTORY "${source}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "bmp4c: the web page could not be made (see above; it needs emscripten)")
  endif()
endforeach()
foreach(preset deb linux win64)
  execute_process(COMMAND "${CMAKE_COMMAND}" --workflow --preset ${preset} --fresh
                  WORKING_DIRECTORY "${source}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "bmp4c: the ${preset} package could not be made (see above)")
  endif()
endforeach()
file(REMOVE_RECURSE "${source}/packages/_CPack_Packages") # CPack's work folder
file(GLOB made RELATIVE "${source}" "${source}/packages/bmp4c*")
list(JOIN made "\n  " made)
message(STATUS "bmp4c: made\n  ${made}")
