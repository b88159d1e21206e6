// PNG writer. A PNG file is an 8-byte signature and then chunks: IHDR (the
// size and the pixel format), IDAT (the rows, as one zlib stream that may
// be split over several chunks) and IEND. A chunk is its data's length, a
// 4-letter type, the data, and a CRC-32 of type and data, numbers
// big-endian. Each row starts with a filter byte (0: as it is).
//
// A palette of 16 greys at 4 bits a pixel takes the digits as they are:
// two pixels a byte, the left one in the high half, each index d shown as
// the grey of palette entry d (PLTE: red, green, blue a entry). A zlib
// stream would normally be compressed, but bmp4c adds no
// dependency, and deflate's stored blocks, which every decoder reads, hold
// the rows as they are. A preview is small, so the size costs little.
#include "png_writer.hpp"

#include "../shared/output.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace bmp4cpreview {
namespace {

constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::uint8_t bitdepth = 4, palette = 3;
constexpr std::uint8_t unfiltered = 0;

// The mark of a PNG that bmp4c-preview drew, a tEXt chunk that every
// reader passes over: the keyword Software, a NUL and the program's name.
// A PNG without it is the user's, and is never written over.
constexpr char markbytes[] = "Software\0bmp4c-preview";
constexpr std::string_view mark(markbytes, sizeof markbytes - 1);

// A zlib stream: a 2-byte header (deflate, 32 KiB window, no dictionary,
// its check bits set), the deflate blocks, and the Adler-32 of the data.
// A stored block is a byte that marks the last block, the length and its
// complement, and at most 65535 bytes.
constexpr std::uint8_t zlibheader[] = {0x78, 0x01};
constexpr std::size_t storedlimit = 65535;
constexpr std::uint32_t adlermodulus = 65521;

constexpr std::array<std::uint32_t, 256> crctable = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < table.size(); ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

// The file being written, and the rows not yet written in a block.
struct pngstream {
  std::FILE *file = nullptr;
  std::vector<std::uint8_t> block;
  std::uint32_t adlerlow = 1, adlerhigh = 0;
  bool started = false;
  int error = 0; // errno of the first failed write
};

void putbe32(std::vector<std::uint8_t> &bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putle16(std::vector<std::uint8_t> &bytes, std::uint16_t value) {
  bytes.insert(bytes.end(),
               {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}

// Keeps the reason of the first failure; a stream may fail without one.
void noteerror(pngstream &png) {
  if (png.error == 0) png.error = errno != 0 ? errno : EIO;
}

void writebytes(pngstream &png, const std::uint8_t *bytes, std::size_t n) {
  if (std::fwrite(bytes, 1, n, png.file) != n) noteerror(png);
}

void writechunk(pngstream &png, const char *type, const std::vector<std::uint8_t> &data) {
  std::vector<std::uint8_t> chunk;
  putbe32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  std::uint32_t crc = 0xffffffffu;
  for (std::size_t i = 4; i < chunk.size(); ++i)
    crc = crctable[(crc ^ chunk[i]) & 0xff] ^ (crc >> 8);
  putbe32(chunk, crc ^ 0xffffffffu);
  writebytes(png, chunk.data(), chunk.size());
}

// One IDAT chunk of one stored block: the zlib header before the first,
// the Adler-32 after the last.
void writeblock(pngstream &png, bool last) {
  std::vector<std::uint8_t> data;
  if (!png.started) data.assign(std::begin(zlibheader), std::end(zlibheader));
  png.started = true;
  const auto length = static_cast<std::uint16_t>(png.block.size());
  data.push_back(last ? 1 : 0);
  putle16(data, length);
  putle16(data, static_cast<std::uint16_t>(~length));
  for (const std::uint8_t byte : png.block) {
    png.adlerlow = (png.adlerlow + byte) % adlermodulus;
    png.adlerhigh = (png.adlerhigh + png.adlerlow) % adlermodulus;
  }
  data.insert(data.end(), png.block.begin(), png.block.end());
  if (last) putbe32(data, png.adlerhigh << 16 | png.adlerlow);
  writechunk(png, "IDAT", data);
  png.block.clear();
}

void putbytes(pngstream &png, const std::vector<std::uint8_t> &bytes) {
  for (const std::uint8_t byte : bytes) {
    png.block.push_back(byte);
    if (png.block.size() == storedlimit) writeblock(png, false);
  }
}

// Image row y as the PNG holds it: the filter byte, then each pixel scale
// times, two samples a byte.
std::vector<std::uint8_t> pngrow(const image &picture, std::int64_t y, const drawing &how) {
  const std::int64_t samples = picture.width * how.scale;
  std::vector<std::uint8_t> row(1 + static_cast<std::size_t>((samples + 1) / 2), unfiltered);
  for (std::int64_t x = 0; x < samples; ++x) {
    const auto sample =
        static_cast<std::uint8_t>(digitat(picture, y * picture.width + x / how.scale));
    row[1 + static_cast<std::size_t>(x / 2)] |=
        static_cast<std::uint8_t>(x % 2 == 0 ? sample << 4 : sample);
  }
  return row;
}

} // namespace

std::string judgepng(std::string_view start) {
  const std::string_view sign(reinterpret_cast<const char *>(signature), sizeof signature);
  if (!start.starts_with(sign)) return "not a PNG";
  const std::string chunk = "tEXt" + std::string(mark);
  return start.find(chunk) == std::string_view::npos ? "a PNG that bmp4c-preview did not draw" : "";
}

std::string writepng(const std::string &name, const image &picture, const drawing &how) {
  bmp4cshared::output out;
  if (std::string why = bmp4cshared::openoutput(name, "wb", out); !why.empty()) return why;
  pngstream png;
  png.file = out.file;
  writebytes(png, signature, sizeof signature);
  std::vector<std::uint8_t> header;
  putbe32(header, static_cast<std::uint32_t>(picture.width * how.scale));
  putbe32(header, static_cast<std::uint32_t>(picture.height * how.scale));
  header.insert(header.end(),
                {bitdepth, palette, 0, 0, 0}); // deflate, no filter choice, no interlace
  writechunk(png, "IHDR", header);
  writechunk(png, "tEXt", std::vector<std::uint8_t>(mark.begin(), mark.end()));
  std::vector<std::uint8_t> greys;
  for (const std::uint8_t grey : how.greys) greys.insert(greys.end(), {grey, grey, grey});
  writechunk(png, "PLTE", greys);
  for (std::int64_t y = 0; y < picture.height && png.error == 0; ++y) {
    const std::vector<std::uint8_t> row = pngrow(picture, y, how);
    for (std::int64_t copy = 0; copy < how.scale; ++copy) putbytes(png, row);
  }
  writeblock(png, true);
  writechunk(png, "IEND", {});
  return bmp4cshared::closeoutput(out, png.error);
}

} // namespace bmp4cpreview
