// Run-length-encoded bitmaps. After the 14-byte file header and the
// information header (its size at byte 14: width at 18, height at 22, bits
// a pixel at 28, compression at 30, colours used at 46) come the palette,
// entries of blue, green, red and 0, and at the offset given in bytes
// 10 to 13 the codes, two bytes each, rows from the bottom up:
//
//   n v        n > 0: n pixels of index v; at 4 bits, the halves of v in turn
//   0 0        end of the row
//   0 1        end of the bitmap
//   0 2 dx dy  move dx pixels right and dy rows up
//   0 n ...    n >= 3: n indices as they are (two a byte at 4 bits), in
//              bytes padded to an even count
//
// The caller has checked the size: at least one pixel, at most
// largestpicture of them, and a file large enough for them. A run or a
// move may reach the end of its row's padding, whose pixels are dropped;
// beyond it, or past the last row, the file is damaged.
#include "rle_bitmap.hpp"

#include "../shared/bytes.hpp"

#include <algorithm>
#include <array>

namespace bmp4cgrey {
namespace {

constexpr std::uint32_t rle8 = 1, rle4 = 2;
constexpr std::size_t infoheaderat = 14, headersize = 54, paletteentry = 4, channels = 3;
constexpr std::uint8_t endofrow = 0, endofbitmap = 1, move = 2;

std::uint32_t field(const std::vector<std::uint8_t> &file, std::size_t at, int bytes) {
  return bmp4cshared::readle(file, at, bytes);
}

// The picture being decoded: its samples, top row first, and the palette.
// A run may cover the padding of its row, as the stored rows of an
// uncompressed bitmap have it (ImageMagick codes a row of 70 pixels as
// 72); those pixels are dropped.
struct canvas {
  std::int64_t width = 0, height = 0, paddedwidth = 0;
  std::vector<std::array<std::uint8_t, channels>> palette; // red, green, blue
  std::uint8_t *samples = nullptr;
};

[[noreturn]] void damaged(const std::string &name, const std::string &why) {
  fail(name, "is damaged (" + why + ")");
}

// Offsets are 64-bit: a 32-bit build (the web page's) must not wrap a
// huge header field round to a small one.
std::vector<std::array<std::uint8_t, channels>>
readpalette(const std::string &name, const std::vector<std::uint8_t> &file, std::uint32_t bits) {
  const std::uint64_t start = infoheaderat + std::uint64_t{field(file, infoheaderat, 4)};
  const std::uint64_t offset = field(file, 10, 4), most = std::uint64_t{1} << bits;
  std::uint64_t colours = field(file, 46, 4);
  if (colours == 0 || colours > most) colours = most;
  colours = offset > start ? std::min(colours, (offset - start) / paletteentry) : 0;
  if (colours == 0 || start + colours * paletteentry > file.size()) {
    damaged(name, "no palette before the pixels");
  }
  std::vector<std::array<std::uint8_t, channels>> palette(static_cast<std::size_t>(colours));
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::uint8_t *const entry = &file[static_cast<std::size_t>(start) + i * paletteentry];
    palette[i] = {entry[2], entry[1], entry[0]};
  }
  return palette;
}

// Index v at (x, y), y counted from the bottom row up.
void put(const std::string &name, canvas &c, std::int64_t x, std::int64_t y, std::uint8_t v) {
  if (v >= c.palette.size()) damaged(name, "a pixel's index is past the palette");
  if (x >= c.width) return;
  std::copy(c.palette[v].begin(), c.palette[v].end(),
            c.samples + ((c.height - 1 - y) * c.width + x) * static_cast<std::int64_t>(channels));
}

// Checks that n pixels from x fit in row y.
void fits(const std::string &name, const canvas &c, std::int64_t x, std::int64_t y,
          std::int64_t n) {
  if (y >= c.height) damaged(name, "a run past the last row");
  if (x + n > c.paddedwidth) damaged(name, "a run past the end of its row");
}

[[noreturn]] void cutshort(const std::string &name) {
  fail(name, "is cut short: the file ends before its last pixel");
}

} // namespace

bool isrlebitmap(const std::uint8_t *first, std::size_t n) {
  if (n < 34 || first[0] != 'B' || first[1] != 'M') return false;
  return (first[30] == rle8 || first[30] == rle4) && first[31] == 0 && first[32] == 0 &&
         first[33] == 0;
}

picture readrlebitmap(const std::string &name, const std::vector<std::uint8_t> &file) {
  if (file.size() < headersize) cutshort(name);
  const std::uint32_t bits = field(file, 28, 2), compression = field(file, 30, 4);
  if (bits != (compression == rle8 ? 8 : 4)) {
    damaged(name, "run-length encoding " + std::to_string(compression) + " of " +
                      std::to_string(bits) + " bits a pixel");
  }
  const auto height = static_cast<std::int32_t>(field(file, 22, 4));
  if (height < 0) damaged(name, "a run-length-encoded bitmap stored top down");
  const auto width = static_cast<std::int32_t>(field(file, 18, 4));
  canvas c{width, height, (width * std::int64_t{bits} + 31) / 32 * 32 / bits,
           readpalette(name, file, bits)};
  const auto size = static_cast<std::size_t>(c.width * c.height) * channels;
  picture image{
      c.width, c.height, static_cast<int>(channels), 255,
      std::shared_ptr<void>(new std::uint8_t[size], std::default_delete<std::uint8_t[]>())};
  c.samples = static_cast<std::uint8_t *>(image.samples.get());
  for (std::size_t i = 0; i < size; i += channels)
    std::copy_n(c.palette[0].begin(), channels, c.samples + i);
  std::uint64_t at = field(file, 10, 4);
  std::int64_t x = 0, y = 0;
  auto need = [&](std::uint64_t n) {
    if (at > file.size() || file.size() - at < n) cutshort(name);
  };
  auto byte = [&](std::uint64_t i) { return file[static_cast<std::size_t>(at + i)]; };
  const bool four = bits == 4;
  while (true) {
    if (at + 2 > file.size() && y >= c.height) break; // every row ended; no end code
    need(2);
    const std::uint8_t n = byte(0), v = byte(1);
    at += 2;
    if (n > 0) {
      fits(name, c, x, y, n);
      for (int i = 0; i < n; ++i) put(name, c, x++, y, four ? (i % 2 == 0 ? v >> 4 : v & 15) : v);
    } else if (v == endofrow) {
      x = 0;
      ++y;
    } else if (v == endofbitmap) {
      break;
    } else if (v == move) {
      need(2);
      x += byte(0);
      y += byte(1);
      at += 2;
      if (x > c.width || y > c.height) damaged(name, "a move past the end of the bitmap");
    } else {
      const std::uint64_t bytes = four ? (v + 1u) / 2 : v;
      need(bytes);
      fits(name, c, x, y, v);
      for (int i = 0; i < v; ++i) {
        const std::uint8_t b = byte(static_cast<std::uint64_t>(four ? i / 2 : i));
        put(name, c, x++, y, four ? (i % 2 == 0 ? b >> 4 : b & 15) : b);
      }
      at += bytes + bytes % 2;
    }
  }
  return image;
}

} // namespace bmp4cgrey
