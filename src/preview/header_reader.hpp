// Header reader: the image of a header that bmp4c wrote, read as C.
//
//   const image picture = readheaderfile("logo.h");
//   // picture.width, picture.height; digitat(picture, n) for pixel n
//
// Comments are dropped, WIDTH and HEIGHT come from their #define lines
// (LOGO_WIDTH and LOGO_HEIGHT for bmp4c --name logo), and the items are
// the hex bytes between the array's braces, however they are laid out and
// whatever the array is declared as. A tiled header (bmp4c --tile) also
// defines TILES, and each tile's items stand in braces of their own: the
// tiles are drawn one below the other. A header that cannot be read, or
// whose items do not make its pixels, ends the program with one line on
// standard error and status 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmp4cpreview {

// The image as the items hold it: its tiles one below the other, each
// tileheight rows, and each tile's pixels in reading order, two to an
// item, the first in the high half. An odd pixel count leaves the low half
// of a tile's last item unused. An image of one tile is the whole image.
struct image {
  std::int64_t width = 0, height = 0, tileheight = 0;
  std::vector<std::uint8_t> items;
  bool padded = false;    // every row from a new byte (bmp4c --pad-rows)
  std::string widthmacro; // WIDTH, or LOGO_WIDTH
};

image readheaderfile(const std::string &name);

// The item digit of pixel n, counted in reading order: 0 to 15. Padded,
// each row of a tile takes (width + 1) / 2 items.
inline int digitat(const image &picture, std::int64_t n) {
  const std::int64_t tilepixels = picture.width * picture.tileheight;
  const std::int64_t within = n % tilepixels, tile = n / tilepixels;
  const std::int64_t rowitems = (picture.width + 1) / 2;
  const std::int64_t x = within % picture.width, y = within / picture.width;
  const std::int64_t at = picture.padded ? (tile * picture.tileheight + y) * rowitems + x / 2
                                         : tile * ((tilepixels + 1) / 2) + within / 2;
  const int item = picture.items[static_cast<std::size_t>(at)];
  const bool high = picture.padded ? x % 2 == 0 : within % 2 == 0;
  return high ? item >> 4 : item & 0x0f;
}

// Prints "bmp4c-preview: FILE: WHAT" on standard error and ends the
// program with status 1.
[[noreturn]] void fail(const std::string &file, const std::string &what);

} // namespace bmp4cpreview
