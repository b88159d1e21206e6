// Run-length-encoded bitmaps, which stb_image does not read: compression
// 1 (8 bits a pixel) and 2 (4 bits a pixel), as ImageMagick and older
// Windows tools write them.
//
//   if (isrlebitmap(first, n)) image = readrlebitmap(name, file);  // file: its bytes
//
// The picture comes out as RGB from the palette. Pixels that no code sets
// (those a delta skips, and the rest of a row or of the bitmap after its
// end code) take palette entry 0. A file cut short, a run or a move past
// the end of its row or of the last row, a palette index past the palette
// and a bitmap stored top down are refused, through fail().
#pragma once

#include "picture_reader.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace bmp4cgrey {

bool isrlebitmap(const std::uint8_t *first, std::size_t n);

picture readrlebitmap(const std::string &name, const std::vector<std::uint8_t> &file);

} // namespace bmp4cgrey
