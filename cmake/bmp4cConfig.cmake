# The installed bmp4c package: the converter as the imported executable
# bmp4c::bmp4c, and bmp4c_add_image() to convert bitmaps as part of a build.
#
#   find_package(bmp4c 1.0 REQUIRED)
#   bmp4c_add_image(game logo.bmp)   # game's sources can #include "logo.h"
include("${CMAKE_CURRENT_LIST_DIR}/bmp4cTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/bmp4cAddImage.cmake")
