// Bitmap source writer: the output format, the hex digits and the walk
// over the stored rows from the top of the image down.
#include "source_writer.hpp"

#include "bmp_intake.hpp"

#include <cstring>

namespace bmp4c {
namespace {

constexpr int itemsperline = 8;
constexpr std::size_t outbuffersize = 64 * 1024;
constexpr char hexdigits[] = "0123456789abcdef";

char outbuffer[outbuffersize];
std::size_t outlength = 0;
int itemcount = 0;

void flushoutput() {
  if (std::fwrite(outbuffer, 1, outlength, textfile) != outlength) {
    fail(writeerror);
  }
  outlength = 0;
}

void put(const char *text, std::size_t length) {
  if (outlength + length > outbuffersize) {
    flushoutput();
  }
  std::memcpy(outbuffer + outlength, text, length);
  outlength += length;
}

// One item for a stored byte: its two pixels are complemented, and a
// newline follows every eighth item, counted across rows.
void writeitem(std::uint8_t stored) {
  bword = static_cast<std::uint8_t>(~stored);
  hexconvert(bword);
  if (itemcount == itemsperline) {
    itemcount = 0;
  }
  ++itemcount;
  const char item[] = {'0', 'x', static_cast<char>(temph), static_cast<char>(templ), ',', '\n'};
  put(item, itemcount == itemsperline ? sizeof item : sizeof item - 1);
}

// The stored row that comes out at a given line of the image.
std::int64_t storedrow(std::int64_t line, std::int64_t rows) {
  return height > 0 ? rows - 1 - line : line;
}

} // namespace

void hexconvert(std::uint8_t b) {
  temph = static_cast<std::uint8_t>(hexdigits[b >> 4]);
  templ = static_cast<std::uint8_t>(hexdigits[b & 0x0f]);
}

void writepreamble() {
  char text[80];
  const int length =
      std::snprintf(text, sizeof text, "#define WIDTH %d\n#define HEIGHT %lld\nchar bitmap[] = {\n",
                    static_cast<int>(width), static_cast<long long>(imagerows()));
  put(text, static_cast<std::size_t>(length));
}

// An odd width leaves half a byte at the end of every other row: its pixel
// is carried into the high half of the next row's first item, and the
// pixels of that row shift by half a byte. A carried pixel with no row
// left to join is paired with a 0 pixel.
void writepixels() {
  itemcount = 0;
  const std::int64_t rows = width <= 0 ? 0 : imagerows();
  const std::int64_t halfwidth = width / 2;
  const bool oddwidth = (width & 1) != 0;
  bool carrying = false;
  std::uint8_t carry = 0;
  for (std::int64_t line = 0; line < rows; ++line) {
    const std::int64_t start = storedrow(line, rows) * rowsize;
    if (!carrying) {
      for (std::int64_t col = 0; col < halfwidth; ++col) {
        writeitem(pixelbyte(start + col));
      }
      if (oddwidth) {
        carry = static_cast<std::uint8_t>(pixelbyte(start + halfwidth) & 0xf0);
        carrying = true;
      }
    } else {
      for (std::int64_t col = 0; col <= halfwidth; ++col) {
        const std::uint8_t b = pixelbyte(start + col);
        writeitem(static_cast<std::uint8_t>(carry | b >> 4));
        carry = static_cast<std::uint8_t>(b << 4);
      }
      carrying = false;
    }
  }
  if (carrying) {
    writeitem(carry);
  }
  put("};\n", 3);
  flushoutput();
}

} // namespace bmp4c
