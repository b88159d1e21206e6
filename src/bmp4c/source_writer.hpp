// Bitmap source writer: turns the captured pixels into C source text.
//
//   writepreamble();   // #define WIDTH, #define HEIGHT, "char bitmap[] = {"
//   writepixels();     // one "0xhh," item per output byte, then "};"
//
// The output looks like this for a 4x2 image:
//
//   #define WIDTH 4
//   #define HEIGHT 2
//   char bitmap[] = {
//   0xfe,0xdc,0xba,0x98,};
//
// Rows come top row first without their padding, every pixel v is written
// as 15 - v, two pixels to a byte, and a line holds eight items. Text is
// gathered in a buffer that reaches the file only when full or at the end,
// so a run that fails before the pixel walk leaves the output file empty.
// A failed write ends the run with "Error writing text file".
#pragma once

#include "state.hpp"

namespace bmp4c {

// Sets temph and templ to the lowercase hex digits of b's two halves.
void hexconvert(std::uint8_t b);

void writepreamble();
void writepixels();

} // namespace bmp4c
