// PNG writer: an image of item digits as a greyscale PNG, with nothing but
// the standard library.
//
//   const std::string why = writepng("logo.png", picture, {.ink = false, .scale = 8});
//   // "" once written; otherwise why not, and no file cut short is left
//
// Each pixel is its item digit d as a grey: d x 17, from 0 black to f
// white, as a display of 16 grey levels shows it; or, for ink, 255 - d x 17,
// f black as on paper. A scale of N draws every pixel as an N x N square.
#pragma once

#include "header_reader.hpp"

#include <string>

namespace bmp4cpreview {

struct drawing {
  bool ink = false;
  std::int64_t scale = 1;
};

std::string writepng(const std::string &name, const image &picture, const drawing &how);

} // namespace bmp4cpreview
