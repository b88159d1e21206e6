// Bitmap intake: reads the input bitmap in one forward pass, one character
// at a time, and keeps its pixel data for the source writer.
//
//   readheader();      // the 54 header bytes; width, height, offset, filesize
//   preparebuffer();   // what the header means: the format, the row size,
//                      // the rows to write and the buffer's capacity
//   capturepixels();   // the bytes from offset up to filesize, into bmpdata
//
// A run whose file lacks any pixel byte is refused with "Incomplete pixel
// data", so after the capture every row the writer walks is in bmpdata.
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

} // namespace bmp4c
