// Header reader: the image of a header that bmp4c wrote, read as C.
//
//   const image picture = readheaderfile("logo.h");
//   // picture.width, picture.height; digitat(picture, n) for pixel n
//
// Comments are dropped, WIDTH and HEIGHT come from their #define lines, and
// the items are the hex bytes between the array's braces, however they are
// laid out and whatever the array is declared as. A header that cannot be
// read, or whose items do not make WIDTH x HEIGHT pixels, ends the program
// with one line on standard error and status 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmp4cpreview {

// The image as the items hold it: its pixels in reading order, two to an
// item, the first in the high half. An odd pixel count leaves the low half
// of the last item unused.
struct image {
  std::int64_t width = 0, height = 0;
  std::vector<std::uint8_t> items;
};

image readheaderfile(const std::string &name);

// The item digit of pixel n, counted in reading order: 0 to 15.
inline int digitat(const image &picture, std::int64_t n) {
  const int item = picture.items[static_cast<std::size_t>(n / 2)];
  return n % 2 == 0 ? item >> 4 : item & 0x0f;
}

// Prints "bmp4c-preview: FILE: WHAT" on standard error and ends the
// program with status 1.
[[noreturn]] void fail(const std::string &file, const std::string &what);

} // namespace bmp4cpreview
