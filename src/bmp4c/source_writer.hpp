// Bitmap source writer: turns the captured pixels into C source text.
//
//   checktiles();      // with --tile, the bitmap must be whole tiles
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
// gathered in a buffer that reaches the file only when full or at the end.
// A failed write ends the run with "Error writing text file".
//
// The command line may change the form (state.hpp). --name logo gives
// LOGO_WIDTH, LOGO_HEIGHT and "static const unsigned char logo[]
// BMP4C_FLASH", in a guard; --tile WxH writes each tile as a bitmap of that
// tile alone would be written, in braces of its own, with NAME_TILES (or
// TILES) tiles of WIDTH x HEIGHT; --low-first swaps the two digits of every
// item.
#pragma once

#include "state.hpp"

namespace bmp4c {

// Sets temph and templ to the lowercase hex digits of b's two halves.
void hexconvert(std::uint8_t b);

// A tiled bitmap whose sides are not whole tiles ends the run with "Not a
// whole number of tiles", and a named or tiled one without pixels with "No
// pixels".
void checktiles();
void writepreamble();
void writepixels();

} // namespace bmp4c
