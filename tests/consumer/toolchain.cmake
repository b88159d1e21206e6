# A firmware toolchain file's package search: only under the target's
# sysroot, here an empty one, where no tool for the build machine lives.
set(CMAKE_FIND_ROOT_PATH "${CMAKE_CURRENT_LIST_DIR}/sysroot")
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
