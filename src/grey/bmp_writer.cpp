// Bitmap writer. The file: a 14-byte file header ("BM", the file size, the
// offset of the pixels), a 40-byte information header (size, width,
// height, 1 plane, 4 bits, no compression, the pixel data's size, the
// resolution, 16 colours), 16 palette entries of blue, green, red and 0,
// then the rows. Numbers are little-endian.
#include "bmp_writer.hpp"

#include "../shared/output.hpp"

#include <cerrno>
#include <cstdio>

namespace bmp4cgrey {
namespace {

constexpr std::uint32_t fileheadersize = 14, infoheadersize = 40, palettesize = 16 * 4;
constexpr std::uint32_t pixeloffset = fileheadersize + infoheadersize + palettesize;
constexpr std::uint32_t pixelspermetre = 2835; // 72 dots an inch

void putle(std::vector<std::uint8_t> &bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> headers(const greyimage &grey) {
  const auto datasize = static_cast<std::uint32_t>(grey.rows.size());
  std::vector<std::uint8_t> bytes = {'B', 'M'};
  putle(bytes, pixeloffset + datasize, 4);
  putle(bytes, 0, 4); // reserved
  putle(bytes, pixeloffset, 4);
  putle(bytes, infoheadersize, 4);
  putle(bytes, static_cast<std::uint32_t>(grey.width), 4);
  putle(bytes, static_cast<std::uint32_t>(grey.height), 4);
  putle(bytes, 1, 2); // planes
  putle(bytes, 4, 2); // bits a pixel
  putle(bytes, 0, 4); // no compression
  putle(bytes, datasize, 4);
  putle(bytes, pixelspermetre, 4);
  putle(bytes, pixelspermetre, 4);
  putle(bytes, 16, 4); // colours used
  putle(bytes, 0, 4);  // all of them important
  for (int index = 0; index < 16; ++index) {
    const std::uint8_t shade = grey.greys[static_cast<std::size_t>(grey.ink ? index : 15 - index)];
    bytes.insert(bytes.end(), {shade, shade, shade, 0});
  }
  return bytes;
}

} // namespace

greyimage newgreyimage(std::int64_t width, std::int64_t height, bool ink) {
  greyimage grey{width, height, (width + 7) / 8 * 4, ink, {}};
  grey.rows.assign(static_cast<std::size_t>(grey.rowsize * height), 0);
  return grey;
}

std::string writebmp(const std::string &name, const greyimage &grey) {
  bmp4cshared::output out;
  if (std::string why = bmp4cshared::openoutput(name, "wb", out); !why.empty()) return why;
  const std::vector<std::uint8_t> start = headers(grey);
  errno = 0;
  const bool written =
      std::fwrite(start.data(), 1, start.size(), out.file) == start.size() &&
      std::fwrite(grey.rows.data(), 1, grey.rows.size(), out.file) == grey.rows.size();
  return bmp4cshared::closeoutput(out, written ? 0 : errno != 0 ? errno : EIO);
}

} // namespace bmp4cgrey
