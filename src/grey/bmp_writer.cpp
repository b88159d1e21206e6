// Bitmap writer. The file: a 14-byte file header ("BM", the file size, the
// offset of the pixels), a 40-byte information header (size, width,
// height, 1 plane, 4 bits, no compression, the pixel data's size, the
// resolution, 16 colours), 16 palette entries of blue, green, red and 0,
// then the rows. Numbers are little-endian.
//
// The file header's 4 reserved bytes, which every reader passes over, are
// the mark of a bitmap that bmp4c-grey wrote: "b4cg". A palette could not
// tell, since a user's own 16-grey bitmap may hold the very same one, and
// bmp4c-grey must never write over a bitmap that it did not make.
#include "bmp_writer.hpp"

#include "../shared/output.hpp"

#include <cerrno>
#include <cstdio>

namespace bmp4cgrey {
namespace {

constexpr std::uint32_t fileheadersize = 14, infoheadersize = 40, palettesize = 16 * 4;
constexpr std::uint32_t pixeloffset = fileheadersize + infoheadersize + palettesize;
constexpr std::uint32_t pixelspermetre = 2835; // 72 dots an inch
constexpr std::string_view signature = "BM", mark = "b4cg";

void putle(std::vector<std::uint8_t> &bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> headers(const greyimage &grey) {
  const auto datasize = static_cast<std::uint32_t>(grey.rows.size());
  std::vector<std::uint8_t> bytes(signature.begin(), signature.end());
  putle(bytes, pixeloffset + datasize, 4);
  bytes.insert(bytes.end(), mark.begin(), mark.end()); // reserved
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

std::string judgebmp(std::string_view start) {
  if (!start.starts_with(signature)) return "not a bitmap";
  constexpr std::size_t reserved = 6;
  const bool marked =
      start.size() >= reserved + mark.size() && start.substr(reserved, mark.size()) == mark;
  return marked ? "" : "a bitmap that bmp4c-grey did not write";
}

greyimage newgreyimage(std::int64_t width, std::int64_t height, bool ink) {
  greyimage grey{width, height, (width + 7) / 8 * 4, ink, {}};
  grey.rows.assign(static_cast<std::size_t>(grey.rowsize * height), 0);
  return grey;
}

std::string writebmp(const std::string &name, const greyimage &grey) {
  // The header holds the sizes in 32 bits, the height signed.
  if (grey.rows.size() > UINT32_MAX - pixeloffset || grey.height > INT32_MAX ||
      grey.width > INT32_MAX) {
    return "a bitmap's header cannot hold its size";
  }
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
