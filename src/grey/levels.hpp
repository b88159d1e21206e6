// The grey: a picture turned into 16 levels, k from 0 (black) to 15
// (white), by a rule that anyone can compute and every build follows to
// the same bytes.
//
//   const greyimage grey = greylevels(image, {.ink = false, .dither = true, .fitwidth = 128,
//   .fitheight = 64});
//
// 1. Samples are sRGB, decoded to linear light; Y = 0.2126 R + 0.7152 G +
//    0.0722 B. Colour profiles are ignored.
// 2. Alpha a mixes in the background: a Y + (1 - a) B, B black, or white
//    for ink.
// 3. A fit shrinks a larger picture into W x H, keeping its aspect,
//    averaging in linear light, and centres it on the background.
// 4. The level is round(15 encode(Y)), a half rounding up, where encode
//    is the sRGB encoding; or, dithered, the level whose linear value is
//    nearest to Y plus the error received (Floyd-Steinberg, in linear
//    light).
// 5. Even adds a background column to an odd width.
//
// No floating-point library function decides a level: linear values come
// from tables that only + - * / make, which IEEE 754 rounds alike
// everywhere, and everything after them is integer arithmetic.
#pragma once

#include "bmp_writer.hpp"
#include "picture_reader.hpp"

namespace bmp4cgrey {

struct greying {
  bool ink = false, dither = false, even = false;
  std::int64_t fitwidth = 0, fitheight = 0; // 0: no fit
};

greyimage greylevels(const picture &image, const greying &how);

} // namespace bmp4cgrey
