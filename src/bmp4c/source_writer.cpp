// Bitmap source writer: the output format, the hex digits and the walk
// over the stored rows from the top of the image down.
//
// Why it is shaped this way: writing items is nearly all the work of a
// large conversion, and bench/run holds the whole process to at most 16
// machine instructions per pixel byte (callgrind on 2048 x 2048; 15.0 now).
// A plain loop that copies each item from the same table and checks the
// buffer's room every time costs 31, and 75 ms against 57 ms on 8192 x 8192.
// So the text of every item is made once, in a table indexed by the stored
// byte, and copied as a fixed 8 bytes, one machine move; the output then
// advances by the item's true length. Whole lines of eight are copied with
// no check of the line's end, and rows shifted by half a byte are joined a
// batch at a time so that they go the same way.
#include "source_writer.hpp"

#include "../shared/bytes.hpp"
#include "bmp_intake.hpp"
#include "image_name.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace bmp4c {
namespace {

constexpr int itemsperline = 8;

// An item is "0x", two digits and a comma, with a newline after every
// eighth. Its table entry is copied as itemroom bytes whatever its length,
// so every item must fit its entry, and the buffer keeps room for a whole
// entry past the last item.
constexpr char longestitem[] = "0x00,\n";
constexpr std::size_t itemlength = sizeof longestitem - 2; // without the newline
constexpr std::size_t itemroom = 8;
static_assert(sizeof longestitem - 1 <= itemroom, "an item must fit its table entry");
constexpr std::size_t linelength = itemsperline * itemlength + 1;
constexpr std::size_t outbuffersize = 256 * 1024;

char outbuffer[outbuffersize];
std::size_t outlength = 0;
int itemcount = 0;

// A module's rows are always padded, as framebuf.GS4_HMSB reads them.
bool padded() {
  return padrows != 0 || outputform == pythonform;
}

// The item for each stored byte value: the digits of its complement, and
// the newline that follows when the item ends a line.
constexpr int bytevalues = 256;
char itemtexts[bytevalues][itemroom];

// Rows shifted by half a byte are joined this many bytes at a time.
constexpr std::int64_t batchlength = 4096;

void flushoutput() {
  errno = 0;
  if (std::fwrite(outbuffer, 1, outlength, textfile) != outlength) {
    failwrite(errno);
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

// Fills every entry of the table, in the order of the stored byte values;
// low first, the two digits change places.
void prepareitems() {
  std::uint8_t stored = 0;
  for (char *text : itemtexts) {
    hexconvert(static_cast<std::uint8_t>(~stored++));
    const auto first = static_cast<char>(lowfirst != 0 ? templ : temph);
    const auto second = static_cast<char>(lowfirst != 0 ? temph : templ);
    const char item[itemroom] = {'0', 'x', first, second, ',', '\n'};
    std::memcpy(text, item, itemroom);
  }
}

// Copies the item for a stored byte and returns where the next one goes.
// The item's place on its output line is a local of the caller: a store
// through a char pointer could alias a variable of the module.
char *copyitem(char *out, std::uint8_t stored, int &place) {
  std::memcpy(out, itemtexts[stored], itemroom);
  place = place == itemsperline - 1 ? 0 : place + 1;
  return out + (place == 0 ? itemlength + 1 : itemlength);
}

// An item's byte, for a MicroPython module or the bytes alone: the
// complement of the stored byte, its halves swapped for low first.
std::uint8_t itembyte(std::uint8_t stored) {
  const auto b = static_cast<std::uint8_t>(~stored);
  return lowfirst != 0 ? static_cast<std::uint8_t>(b << 4 | b >> 4) : b;
}

// A module's DATA holds this many bytes a line, each line a bytes literal
// of its own, b'\xfe\xdc...'; pythonplace is the place on the current one.
constexpr int pythonline = 16;
int pythonplace = 0;

void putbytes(const std::uint8_t *stored, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) {
    const std::uint8_t b = itembyte(stored[i]);
    if (outputform == rawform) {
      put(reinterpret_cast<const char *>(&b), 1);
      continue;
    }
    if (pythonplace == 0) put("    b'", 6);
    const char text[] = {'\\', 'x', bmp4cshared::hexdigits[b >> 4],
                         bmp4cshared::hexdigits[b & 0x0f]};
    put(text, sizeof text);
    if (++pythonplace == pythonline) {
      put("'\n", 2);
      pythonplace = 0;
    }
  }
}

// Items for n stored bytes, as many as the buffer takes at a time: the
// items that finish the current line, then whole lines of eight, whose
// places are known in advance, then the rest.
void writeitems(const std::uint8_t *stored, std::int64_t n) {
  if (outputform != cform) {
    putbytes(stored, n);
    return;
  }
  while (n > 0) {
    if (outbuffersize - outlength < linelength + itemroom) {
      flushoutput();
    }
    // Every eight items in a row take one line, wherever they start.
    const auto fits = static_cast<std::int64_t>((outbuffersize - outlength - itemroom) /
                                                linelength * itemsperline);
    const std::int64_t batch = std::min(n, fits);
    const std::uint8_t *const end = stored + batch;
    char *out = outbuffer + outlength;
    int place = itemcount;
    while (stored < end && place != 0) {
      out = copyitem(out, *stored++, place);
    }
    for (; end - stored >= itemsperline; stored += itemsperline, out += linelength) {
      for (int i = 0; i < itemsperline; ++i) {
        std::memcpy(out + static_cast<std::size_t>(i) * itemlength, itemtexts[stored[i]], itemroom);
      }
    }
    while (stored < end) {
      out = copyitem(out, *stored++, place);
    }
    itemcount = place;
    outlength = static_cast<std::size_t>(out - outbuffer);
    n -= batch;
  }
}

void writeitem(std::uint8_t stored) {
  writeitems(&stored, 1);
}

// Items for a row whose pixels start half a byte late: each item joins the
// pixel carried from before with the high half of the next stored byte,
// whose low half is carried on.
void writeshiftedrow(const std::uint8_t *row, std::int64_t n, std::uint8_t carry) {
  std::uint8_t joined[batchlength];
  for (std::int64_t done = 0; done < n;) {
    const std::int64_t batch = std::min(n - done, batchlength);
    for (std::int64_t i = 0; i < batch; ++i) {
      const std::uint8_t b = row[done + i];
      joined[i] = static_cast<std::uint8_t>(carry | b >> 4);
      carry = static_cast<std::uint8_t>(b << 4);
    }
    writeitems(joined, batch);
    done += batch;
  }
}

// The stored row that comes out as a given row of the image, counted from
// the top.
std::int64_t storedrow(std::int64_t imagerow) {
  return height > 0 ? pixelrows - 1 - imagerow : imagerow;
}

// Items for the rows of an image `columns` pixels wide, top row first:
// row r starts at byte first + r x step of `data`, two pixels a byte. An
// odd width leaves half a byte at the end of every other row: its pixel
// is carried into the high half of the next row's first item, and the
// pixels of that row shift by half a byte. A carried pixel with no row
// left to join is paired with a 0 pixel. Padded, every row starts on a new
// byte, and an odd row's last item holds the padding digit 0 after its
// last pixel (a stored f, complemented).
void writerows(const std::uint8_t *data, std::int64_t first, std::int64_t step, std::int64_t rows,
               std::int64_t columns) {
  itemcount = 0;
  const std::int64_t halfwidth = columns / 2;
  const bool oddwidth = (columns & 1) != 0;
  bool carrying = false;
  std::uint8_t carry = 0;
  for (std::int64_t r = 0; r < rows; ++r) {
    const std::uint8_t *const row = data + (first + r * step);
    if (padded()) {
      writeitems(row, halfwidth);
      if (oddwidth) writeitem(static_cast<std::uint8_t>(row[halfwidth] | 0x0f));
    } else if (!carrying) {
      writeitems(row, halfwidth);
      if (oddwidth) {
        carry = static_cast<std::uint8_t>(row[halfwidth] & 0xf0);
        carrying = true;
      }
    } else {
      writeshiftedrow(row, halfwidth + 1, carry);
      carrying = false;
    }
  }
  if (carrying) {
    writeitem(carry);
  }
}

// The pixel at column x of a row as stored: the left one of a byte is its
// high half.
int pixelat(const std::uint8_t *row, std::int64_t x) {
  const std::uint8_t byte = row[x / 2];
  return x % 2 == 0 ? byte >> 4 : byte & 0x0f;
}

// The tile whose top left pixel is (left, top), as a bitmap of that tile
// alone stores it top down: rows of (tilewidth + 1) / 2 bytes, each
// starting with its first pixel in a high half.
void gathertile(std::int64_t left, std::int64_t top, std::vector<std::uint8_t> &tile) {
  const std::int64_t tilerow = (tilewidth + 1) / 2;
  std::fill(tile.begin(), tile.end(), std::uint8_t{0});
  for (std::int64_t y = 0; y < tileheight; ++y) {
    const std::uint8_t *const row = bmpdata + storedrow(top + y) * rowsize;
    for (std::int64_t x = 0; x < tilewidth; ++x) {
      auto &byte = tile[static_cast<std::size_t>(y * tilerow + x / 2)];
      byte = static_cast<std::uint8_t>(byte | pixelat(row, left + x) << (x % 2 == 0 ? 4 : 0));
    }
  }
}

std::int64_t tilecount() {
  return pixelrows == 0 ? 0 : width / tilewidth * (pixelrows / tileheight);
}

// The items of a tile, its rows joined or padded.
std::int64_t tilebytes() {
  return padded() ? (tilewidth + 1) / 2 * std::int64_t{tileheight}
                  : (std::int64_t{tilewidth} * tileheight + 1) / 2;
}

// Each tile in reading order, left to right, then top to bottom, between
// braces of its own lines, its items eight a line.
void writetiles() {
  if (tilecount() == 0) return; // nor any room for a tile, which may be of any size then
  const std::int64_t tilerow = (tilewidth + 1) / 2;
  std::vector<std::uint8_t> tile(static_cast<std::size_t>(tilerow * tileheight));
  for (std::int64_t top = 0; top < pixelrows; top += tileheight) {
    for (std::int64_t left = 0; left < width; left += tilewidth) {
      // A module's or the bytes' tiles follow one another, with no braces.
      const bool braced = outputform == cform;
      if (braced) put("{\n", 2);
      gathertile(left, top, tile);
      writerows(tile.data(), 0, tilerow, tileheight, tilewidth);
      if (braced && itemcount != 0) put("\n", 1);
      if (braced) put("},\n", 3);
    }
  }
}

} // namespace

void hexconvert(std::uint8_t b) {
  temph = static_cast<std::uint8_t>(bmp4cshared::hexdigits[b >> 4]);
  templ = static_cast<std::uint8_t>(bmp4cshared::hexdigits[b & 0x0f]);
}

void checktiles() {
  // An array of no items, or of no tiles, does not compile; the default
  // form's empty array is kept, as it always was.
  if ((tilewidth != 0 || !imagename.empty() || outputform == pythonform) && pixelrows == 0) {
    fail("No pixels: a named or tiled header of an image without pixels would not compile\n");
  }
  if (tilewidth == 0) return;
  if (!delays.empty() && std::ssize(delays) != tilecount()) {
    const std::string message = "Not a delay for each tile: " + std::to_string(delays.size()) +
                                (delays.size() == 1 ? " delay" : " delays") + " for " +
                                std::to_string(tilecount()) + " tiles\n";
    fail(message.c_str());
  }
  if (width % tilewidth != 0 || pixelrows % tileheight != 0) {
    const std::string message = "Not a whole number of tiles: " + std::to_string(width) + " x " +
                                std::to_string(pixelrows) + " pixels in tiles of " +
                                std::to_string(tilewidth) + " x " + std::to_string(tileheight) +
                                "\n";
    fail(message.c_str());
  }
}

// A MicroPython module's sizes and the opening of DATA.
void writepythonpreamble() {
  std::string text = lowfirst != 0
                         ? "# bmp4c: 16 greys, two pixels a byte, the first in the low half"
                         : "# bmp4c: 16 greys, two pixels a byte, the first in the high half";
  text += ",\n# each row from a new byte" +
          std::string(lowfirst != 0 ? "" : ": framebuf.GS4_HMSB") + "\n";
  text += "WIDTH = " + std::to_string(tilewidth != 0 ? tilewidth : width) + "\n";
  text += "HEIGHT = " + std::to_string(tilewidth != 0 ? tileheight : imagerows()) + "\n";
  if (tilewidth != 0) text += "TILES = " + std::to_string(tilecount()) + "\n";
  text += "DATA = (\n";
  put(text.data(), text.size());
}

// The delays, after the image: "100,100,150", or with blanks for Python.
std::string delaylist(const char *between) {
  std::string list;
  for (const std::int32_t delay : delays)
    list += (list.empty() ? "" : between) + std::to_string(delay);
  return list;
}

void writedelays() {
  if (delays.empty()) return;
  std::string text;
  if (outputform == pythonform)
    text = "DELAYS = (" + delaylist(", ") + (delays.size() == 1 ? ",)\n" : ")\n");
  else if (imagename.empty())
    text = "unsigned short delays[TILES] = {" + delaylist(",") + "};\n";
  else
    text = "static const unsigned short " + imagename + "_delays[" + uppercase(imagename) +
           "_TILES] BMP4C_FLASH = {" + delaylist(",") + "};\n";
  put(text.data(), text.size());
}

// The defines and the array's opening. Named, the header is guarded, so
// that it may be included twice, and the array is static const, so that
// it stays in flash and two files of a program may include it.
void writepreamble() {
  if (outputform == pythonform) return writepythonpreamble();
  if (outputform == rawform) return;
  const bool named = !imagename.empty(), tiled = tilewidth != 0;
  const std::string prefix = named ? uppercase(imagename) + "_" : "";
  std::string text;
  // Names that differ only in case (logo, LOGO) share their macros: the
  // second image's header stops the compile rather than redefine them.
  if (named) {
    text += "#ifndef BMP4C_IMAGE_" + imagename + "\n#define BMP4C_IMAGE_" + imagename + "\n";
    text += "#ifdef " + prefix + "WIDTH\n#error \"" + prefix +
            "WIDTH is defined already: two images whose names differ only in case give the same "
            "macros\"\n#endif\n";
  }
  text += "#define " + prefix + "WIDTH " + std::to_string(tiled ? tilewidth : width) + "\n";
  text += "#define " + prefix + "HEIGHT " + std::to_string(tiled ? tileheight : imagerows()) + "\n";
  if (tiled) text += "#define " + prefix + "TILES " + std::to_string(tilecount()) + "\n";
  text += named ? "#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char " +
                      imagename
                : "char bitmap";
  text += tiled ? "[" + prefix + "TILES][" + std::to_string(tilebytes()) + "]" : "[]";
  text += named ? " BMP4C_FLASH = {\n" : " = {\n";
  put(text.data(), text.size());
}

void writepixels() {
  prepareitems();
  if (tilewidth != 0) {
    writetiles();
  } else {
    writerows(bmpdata, storedrow(0) * rowsize, height > 0 ? -rowsize : rowsize, pixelrows, width);
  }
  if (outputform == cform) put("};\n", 3);
  if (outputform == pythonform) {
    if (pythonplace != 0) put("'\n", 2);
    put(")\n", 2);
  }
  writedelays();
  if (outputform == cform && !imagename.empty()) put("#endif\n", 7);
  flushoutput();
}

} // namespace bmp4c
