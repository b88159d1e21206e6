// Bitmap intake: reads the input bitmap in one forward pass, one character
// at a time, and keeps its pixel data for the source writer.
//
//   readheader();      // the 54 header bytes; width, height, offset, filesize
//   preparebuffer();   // what the header means: the format, the row size,
//                      // the rows to write and the buffer's capacity
//   capturepixels();   // the bytes from offset up to filesize, into bmpdata
//
// After the capture, pixelbyte(p) gives the byte at buffer position p.
#pragma once

#include "state.hpp"

namespace bmp4c {

void readheader();
void preparebuffer();
void capturepixels();

// Rows of the image, whichever way they are stored (a negative height
// marks a top-down bitmap); wide enough for the most negative height.
inline std::int64_t imagerows() {
  return height < 0 ? -std::int64_t{height} : std::int64_t{height};
}

// Positions that the capture never reached read as 0.
inline std::uint8_t pixelbyte(std::int64_t position) {
  return position < count ? bmpdata[position] : std::uint8_t{0};
}

} // namespace bmp4c
