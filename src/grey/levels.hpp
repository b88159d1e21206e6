// The grey: a picture turned into 16 levels, k from 0 (black) to 15
// (white), by a rule that anyone can compute and every build follows to
// the same bytes.
//
//   const greyimage grey = greylevels(image, {.dither = true, .fitwidth = 128, .fitheight = 64});
//
// 1. Samples are sRGB, decoded to linear light; Y = 0.2126 R + 0.7152 G +
//    0.0722 B. Colour profiles are ignored.
// 2. Alpha a mixes in the background: a Y + (1 - a) B, B black, or white
//    for ink.
// 3. A fit shrinks a larger picture into W x H, keeping its aspect,
//    averaging in linear light, and centres it on the background.
// 4. The level is the one whose light on the panel (../shared/panel.hpp),
//    sRGB-encoded, is nearest to Y's, a tie going to the brighter and
//    levels of equal light to the lowest; with the panel srgb this is
//    round(15 encode(Y)), a half rounding up. Dithered, it is the level
//    whose light is nearest to Y plus the error received, clamped to 0 to
//    1, and the error passed on is that value minus the level's light
//    (Floyd-Steinberg, in linear light).
// 5. Even adds a background column to an odd width.
// The palette holds each level's light as its sRGB grey, so that a viewer
// shows the bitmap as the panel will.
//
// No floating-point library function decides a level: linear values come
// from tables that only + - * / make, which IEEE 754 rounds alike
// everywhere, and everything after them is integer arithmetic.
#pragma once

#include "../shared/panel.hpp"
#include "bmp_writer.hpp"
#include "picture_reader.hpp"

namespace bmp4cgrey {

struct greying {
  bool ink = false, dither = false, even = false;
  std::int64_t fitwidth = 0, fitheight = 0; // 0: no fit
  bmp4cshared::panel light = bmp4cshared::defaultpanel(false);
};

greyimage greylevels(const picture &image, const greying &how);

} // namespace bmp4cgrey
