// bmp4c-preview: draws the image of a header that bmp4c wrote as a PNG, so
// that polarity, orientation and odd widths can be checked before the
// image is flashed.
//
//   bmp4c-preview [--ink] [--scale N] [--panel LIGHT] [--low-first] HEADER [PNG]
//
// It owns the command line, the exit statuses (0 written, 1 bad input or
// output, 2 a usage error) and the default PNG name, which is never the
// name of the artwork that the header came from, nor of any PNG it did not
// draw. "-" is standard input or output. On success it prints nothing on
// standard output, and one line on standard error when the width is odd.
#include "../shared/commandline.hpp"
#include "../shared/messages.hpp"
#include "../shared/names.hpp"
#include "../shared/output.hpp"
#include "../shared/panel.hpp"
#include "header_reader.hpp"
#include "png_writer.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bmp4cpreview {
namespace {

using namespace bmp4cshared;

constexpr std::int64_t largestscale = 64;

// PNG sizes are 31-bit numbers.
constexpr std::int64_t largestpngside = 2147483647;

constexpr std::string_view usage =
    R"(usage: bmp4c-preview [--ink] [--scale N] [--panel LIGHT] [--low-first] HEADER [PNG]
Draws the image of a header that bmp4c wrote as a PNG, by default HEADER
with .h replaced by .preview.png; the tiles of a tiled header one below
the other. Each pixel is its level's light on the panel, as a grey. It
writes over no PNG but one it drew; "-" is standard input or output.
  --ink          f black and 0 white, as on paper (default: 0 black, f white)
  --scale N      each pixel as an N x N square, N from 1 to 64
  --panel LIGHT  the light of the panel's 16 levels: linear (the default),
                 srgb (the default with --ink), the 15 numbers of its grey
                 table (GS1 to GS15), or 16 measured lights, comma-separated
  --low-first    the first pixel of each pair in the low digit (bmp4c --low-first)
  --help         this text
  --version      the version
)";

const program thisprogram{"bmp4c-preview",
                          usage,
                          "bmp4c-preview " BMP4C_VERSION,
                          {"--ink", "--low-first"},
                          {{"--scale", "a number"}, {"--panel", "the light of the levels"}}};

struct request {
  drawing how;
  bool ink = false, lowfirst = false;
  std::string header, png;
};

std::int64_t readscale(std::string_view text) {
  std::int64_t scale = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
  if (error != std::errc() || stop != text.data() + text.size() || scale < 1 ||
      scale > largestscale) {
    usageerror(thisprogram,
               "--scale takes a whole number from 1 to " + std::to_string(largestscale));
  }
  return scale;
}

// "logo.h" gives "logo.preview.png"; a name without .h gets .preview.png
// added. Never "logo.png": that is what the artwork is called. A header
// from standard input is drawn to standard output.
std::string pngname(const std::string &header) {
  if (header == standardname) return header;
  const bool endsinh = header.size() > 2 && header.ends_with(".h");
  return header.substr(0, header.size() - (endsinh ? 2 : 0)) + ".preview.png";
}

// The preview splits joined rows apart again, so an odd width looks right
// here and sheared in a library that pads rows: say so, where it matters
// (not for a header of padded rows), by the header's own width macro.
void noteoddwidth(const std::string &header, const image &picture) {
  if (picture.width % 2 == 0 || picture.padded) return;
  say(thisprogram.name, header, oddwidthnote(picture.widthmacro, picture.width));
}

request readarguments(int argc, char **argv) {
  request asked;
  const commandline line = readcommandline(thisprogram, argc, argv);
  for (const auto &[option, value] : line.options) {
    asked.ink |= option == "--ink";
    asked.lowfirst |= option == "--low-first";
    if (option == "--scale") asked.how.scale = readscale(value);
  }
  const panel drawn = panelof(thisprogram, line, asked.ink);
  // Digit d is level d, or for ink level 15 - d.
  for (int d = 0; d < panellevels; ++d)
    asked.how.greys[static_cast<std::size_t>(d)] =
        static_cast<std::uint8_t>(panelgrey(drawn, asked.ink ? panellevels - 1 - d : d));
  if (line.names.empty() || line.names.size() > 2) {
    usageerror(thisprogram, "give a header, and at most one PNG");
  }
  asked.header = line.names[0];
  asked.png = line.names.size() == 2 ? line.names[1] : pngname(line.names[0]);
  // Two headers given by a glob (*.h) must not make the second a PNG.
  if (!hasextension(asked.png, ".png") && asked.png != standardname) {
    usageerror(thisprogram, asked.png + ": the name must end in .png, for the file is a PNG "
                                        "whatever its name");
  }
  return asked;
}

// Reads the header and draws it; memory that runs out is said (a header
// of hundreds of megabytes, say).
void draw(const request &asked) {
  image picture = readheaderfile(asked.header);
  // Nothing in a header says which half holds the first pixel.
  if (asked.lowfirst) {
    for (std::uint8_t &item : picture.items)
      item = static_cast<std::uint8_t>(item << 4 | item >> 4);
  }
  if (picture.width * asked.how.scale > largestpngside ||
      picture.height * asked.how.scale > largestpngside) {
    fail(asked.header, "too large for a PNG at scale " + std::to_string(asked.how.scale));
  }
  std::error_code ignored;
  if (asked.png != bmp4cshared::standardname &&
      std::filesystem::equivalent(bmp4cshared::pathof(asked.header), bmp4cshared::pathof(asked.png),
                                  ignored)) {
    fail(asked.png, "is the header itself");
  }
  // Only a PNG that it drew is drawn over: the name may be the artwork's,
  // or a link to anything.
  if (asked.png != bmp4cshared::standardname) {
    const std::string what = bmp4cshared::replaceable(asked.png, judgepng);
    if (!what.empty()) fail(asked.png, what);
  }
  const std::string why = writepng(asked.png, picture, asked.how);
  if (!why.empty()) fail(asked.png, "cannot be written: " + why);
  noteoddwidth(asked.header, picture);
}

} // namespace

void fail(const std::string &file, const std::string &what) {
  failabout(thisprogram, file, what);
}

} // namespace bmp4cpreview

int main(int argc, char **argv) {
  const bmp4cpreview::request asked = bmp4cpreview::readarguments(argc, argv);
  try {
    bmp4cpreview::draw(asked);
  } catch (const std::bad_alloc &) {
    bmp4cpreview::fail(asked.header,
                       "memory ran out: its items and pixels take more than there is");
  }
  return EXIT_SUCCESS;
}
