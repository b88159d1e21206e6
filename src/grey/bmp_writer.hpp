// Bitmap writer: 16 grey levels as the 4-bit uncompressed Windows bitmap
// that bmp4c converts.
//
//   greyimage grey = newgreyimage(128, 64, false);
//   setlevel(grey, x, y, k);           // k from 0 (black) to 15 (white)
//   const std::string why = writebmp("logo.bmp", grey);  // "" once written; otherwise
//                                                       // why not, and the old file stays
//
// For a light display, pixel index v is 15 - k, so that bmp4c writes the
// digit k; for ink, v is k, and bmp4c writes 15 - k. Palette entry v is
// the grey of v's level (greys[k], the panel's light of level k), so that
// an image viewer shows the picture as the panel will. The bitmap is
// marked as bmp4c-grey's own, so that no other bitmap is written over.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bmp4cgrey {

// The rows as the file stores them: bottom row first, each padded to 4
// bytes, two pixels a byte, the left one in the high half.
struct greyimage {
  std::int64_t width = 0, height = 0, rowsize = 0;
  bool ink = false;
  std::vector<std::uint8_t> rows;
  std::array<std::uint8_t, 16> greys{}; // the sRGB grey of each level k
};

greyimage newgreyimage(std::int64_t width, std::int64_t height, bool ink);

inline void setlevel(greyimage &grey, std::int64_t x, std::int64_t y, int level) {
  const int index = grey.ink ? level : 15 - level;
  auto &byte = grey.rows[static_cast<std::size_t>((grey.height - 1 - y) * grey.rowsize + x / 2)];
  byte = static_cast<std::uint8_t>(x % 2 == 0 ? (byte & 0x0f) | index << 4 : (byte & 0xf0) | index);
}

// "-" writes to standard output, unless it is a terminal.
std::string writebmp(const std::string &name, const greyimage &grey);

// What an existing bitmap name holds, from its first bytes: "" for a
// bitmap that bmp4c-grey wrote (its file header's reserved bytes hold
// "b4cg"), which may be written again; otherwise what it is.
std::string judgebmp(std::string_view start);

} // namespace bmp4cgrey
