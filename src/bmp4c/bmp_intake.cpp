// Bitmap intake: the input format, the header fields, the row size and the
// capture of the pixel data.
//
// An uncompressed 4-bit Windows bitmap starts with a 54-byte header. These
// little-endian fields of it matter here:
//
//   bytes  2..5   filesize     size of the whole file
//   bytes 10..13  offset       file position of the first pixel byte
//   bytes 18..21  width        pixels per row
//   bytes 22..25  height       rows; negative for a top-down bitmap
//   bytes 28..29  bit count    bits per pixel: 4 (16 bits wide)
//   bytes 30..33  compression  0 for none
//
// The colour table between the header and the pixel data is skipped: the
// pixels are palette indices and stay so. Each stored row holds two pixels
// to a byte, the left one in the high half, and is padded to a multiple of
// 4 bytes. Rows are stored bottom row first unless the height is negative.
// The signature, header size, plane count and colour counts are not looked
// at, so a file that fills only the fields above converts.
#include "bmp_intake.hpp"

#include "../shared/bytes.hpp"

#include <algorithm>
#include <cstdlib>

namespace bmp4c {
namespace {

constexpr int filesizefield = 2;
constexpr int offsetfield = 10;
constexpr int widthfield = 18;
constexpr int heightfield = 22;
constexpr int bitcountfield = 28;
constexpr int compressionfield = 30;

// Bit counts the pixel data may have: 4, or 0 in files that fill only the
// fields the converter uses and leave the rest of the header zero.
constexpr std::int32_t fourbits = 4;
constexpr std::int32_t unsetbits = 0;
constexpr std::int32_t uncompressed = 0;

// Buffer positions and file counters are signed 32-bit values, so no
// buffer may hold more bytes than the largest of them.
constexpr std::int64_t largestposition = 2147483647;

// The buffer grows with the data actually read, never beyond its capacity,
// so a header that claims a huge image costs no memory by itself.
constexpr std::int64_t firstallocation = 64 * 1024;

constexpr int endofinput = std::filebuf::traits_type::eof();

const char *const shortheadererror = "Incomplete header\n";
const char *const allocationerror = "Error allocating bitmap memory\n";
// The words before the colon are what build recipes and scripts look for.
const char *const formaterror =
    "Not a 4-bit uncompressed bitmap: bmp4c-grey makes one from any picture\n";
const char *const pixeldataerror = "Incomplete pixel data\n";

// The bytes the items are made from: every stored row up to the last pixel
// of the last one (that row's padding is not needed). Capture must bring
// at least these, or the run is refused.
std::int64_t pixelbytes = 0;

// Reads one byte into bword; false once the input has ended.
bool readbyte() {
  const int c = binarysource->sbumpc();
  if (c == endofinput) {
    return false;
  }
  bword = static_cast<std::uint8_t>(c);
  return true;
}

// The little-endian field of 2 or 4 bytes at a header position, assembled
// unsigned and then taken as a signed 32-bit value (2^31 and above read as
// negative).
std::int32_t headerfield(int position, int bytes = 4) {
  return static_cast<std::int32_t>(
      bmp4cshared::readle(bmpheader, static_cast<std::size_t>(position), bytes));
}

void growbuffer() {
  const std::int64_t wanted =
      std::min<std::int64_t>(capacity, std::max(firstallocation, 2 * std::int64_t{allocated}));
  void *grown = std::realloc(bmpdata, static_cast<std::size_t>(wanted));
  if (grown == nullptr) {
    fail(allocationerror);
  }
  bmpdata = static_cast<std::uint8_t *>(grown);
  allocated = static_cast<std::int32_t>(wanted);
}

// Bytes of one stored row of a 4-bit bitmap of positive width, padding
// included: two pixels to a byte, rounded up to whole 4-byte words.
std::int32_t storedrowsize(std::int32_t pixels) {
  return (pixels % 8 != 0) ? (pixels / 8 + 1) * 4 : pixels / 2;
}

// Reads into bmpdata up to position stop; false once the input has ended.
bool capturerun(std::int32_t stop) {
  // Locals: a store through a byte pointer could alias the shared counters
  // and the pointer to the input.
  std::uint8_t *const data = bmpdata;
  std::streambuf *const source = binarysource;
  std::int32_t position = count;
  int c = 0;
  while (position < stop && (c = source->sbumpc()) != endofinput) {
    data[position++] = static_cast<std::uint8_t>(c);
  }
  filecounter += position - count;
  count = position;
  return c != endofinput;
}

// Reads and drops the bytes before offset: the rest of the information
// header and the colour table. True once the next byte is the first pixel
// byte, false if filesize or the input ends first.
bool skiptopixels() {
  while (filecounter < filesize) {
    ++filecounter;
    if (!readbyte()) {
      return false;
    }
    if (filecounter == offset) {
      count = 0;
      packstart = 1;
      return true;
    }
  }
  return false;
}

} // namespace

void readheader() {
  filecounter = 0;
  for (headercount = 0; headercount < headersize; ++headercount) {
    if (!readbyte()) {
      fail(shortheadererror);
    }
    ++filecounter;
    bmpheader[static_cast<std::size_t>(headercount)] = bword;
  }
  offset = headerfield(offsetfield);
  filesize = headerfield(filesizefield);
  width = headerfield(widthfield);
  height = headerfield(heightfield);
}

// What the header's values mean, decided in one place, in this order:
// - Only 4-bit uncompressed pixel data converts: any other depth or a
//   compression would come out as meaningless items.
// - A width of 0 or less gives rows of no pixels: an empty array.
// - The height's size is the number of rows, its sign their order.
// - The buffer holds |height| x rowsize + 1 bytes, and no more than a
//   signed 32-bit position can reach.
// - The pixels must lie between offset and filesize. Capture starts once
//   the byte before offset has been read, so an offset of 54 or less,
//   inside the header, captures nothing. This refuses a header that
//   claims a huge image in a tiny file before anything is read or written;
//   a file that ends early is refused once capture has met its end.
void preparebuffer() {
  const std::int32_t bitcount = headerfield(bitcountfield, 2);
  if ((bitcount != fourbits && bitcount != unsetbits) ||
      headerfield(compressionfield) != uncompressed) {
    fail(formaterror);
  }
  rowsize = width > 0 ? storedrowsize(width) : 0;
  const std::int64_t needed = imagerows() * rowsize + 1;
  if (needed > largestposition) {
    fail(allocationerror);
  }
  capacity = static_cast<std::int32_t>(needed);
  pixelrows = rowsize == 0 ? 0 : static_cast<std::int32_t>(imagerows());
  pixelbytes = pixelrows == 0 ? 0 : (pixelrows - 1) * std::int64_t{rowsize} + (width + 1LL) / 2;
  if (pixelbytes > 0 && (offset <= headersize || std::int64_t{filesize} - offset < pixelbytes)) {
    fail(pixeldataerror);
  }
}

void capturepixels() {
  if (skiptopixels()) {
    const std::int32_t end = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{filesize} - filecounter, capacity));
    while (count < end) {
      if (count == allocated) {
        growbuffer();
      }
      if (!capturerun(std::min(end, allocated))) {
        break;
      }
    }
  }
  if (count < pixelbytes) {
    fail(pixeldataerror);
  }
}

} // namespace bmp4c
