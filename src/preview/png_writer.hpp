// PNG writer: an image of item digits as a greyscale PNG, with nothing but
// the standard library.
//
//   const std::string why = writepng("logo.png", picture, {.scale = 8, .greys = shades});
//   // "" once written; otherwise why not, and the old file stays
//
// Each pixel is its item digit d drawn as the grey greys[d]: the light
// that d's level gives on the panel (bmp4c-preview chooses them). A scale
// of N draws every pixel as an N x N square. The PNG is marked as
// bmp4c-preview's own, so that no other PNG is ever written over.
#pragma once

#include "header_reader.hpp"

#include <array>
#include <string>
#include <string_view>

namespace bmp4cpreview {

struct drawing {
  std::int64_t scale = 1;
  std::array<std::uint8_t, 16> greys{}; // the sRGB grey of each digit
};

// "-" writes to standard output, unless it is a terminal.
std::string writepng(const std::string &name, const image &picture, const drawing &how);

// What an existing PNG name holds, from its first bytes: "" for a PNG that
// bmp4c-preview drew (it carries a tEXt chunk naming bmp4c-preview), and
// may be drawn again; otherwise what it is.
std::string judgepng(std::string_view start);

} // namespace bmp4cpreview
