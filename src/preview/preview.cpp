// bmp4c-preview: draws the image of a header that bmp4c wrote as a PNG, so
// that polarity, orientation and odd widths can be checked before the
// image is flashed.
//
//   bmp4c-preview [--ink] [--scale N] HEADER [PNG]
//
// It owns the command line, the exit statuses (0 written, 1 bad input or
// output, 2 a usage error) and the default PNG name, which is never the
// name of the artwork that the header came from. On success it prints
// nothing, or one line when the width is odd.
#include "header_reader.hpp"
#include "png_writer.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace bmp4cpreview {
namespace {

constexpr int exitusage = 2;
constexpr std::int64_t largestscale = 64;

// PNG sizes are 31-bit numbers.
constexpr std::int64_t largestpngside = 2147483647;

constexpr const char *usage = R"(usage: bmp4c-preview [--ink] [--scale N] HEADER [PNG]
Draws the image of a header that bmp4c wrote as a PNG, by default HEADER
with .h replaced by .preview.png. Each pixel is its item digit as a grey.
  --ink        f black and 0 white, as on paper (default: 0 black, f white)
  --scale N    each pixel as an N x N square, N from 1 to 64
  --help       this text
  --version    the version
)";

struct request {
  drawing how;
  std::string header, png;
};

[[noreturn]] void usageerror(const std::string &what) {
  std::fprintf(stderr, "bmp4c-preview: %s\n%s", what.c_str(), usage);
  std::exit(exitusage);
}

std::int64_t readscale(std::string_view text) {
  std::int64_t scale = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
  if (error != std::errc() || stop != text.data() + text.size() || scale < 1 ||
      scale > largestscale) {
    usageerror("--scale takes a whole number from 1 to " + std::to_string(largestscale));
  }
  return scale;
}

// "logo.h" gives "logo.preview.png"; a name without .h gets .preview.png
// added. Never "logo.png": that is what the artwork is called.
std::string pngname(const std::string &header) {
  const bool endsinh = header.size() > 2 && header.ends_with(".h");
  return header.substr(0, header.size() - (endsinh ? 2 : 0)) + ".preview.png";
}

// The preview splits joined rows apart again, so an odd width looks right
// here and sheared in a library that pads rows: say so, where it matters.
void noteoddwidth(const std::string &header, const image &picture) {
  if (picture.width % 2 == 0) return;
  std::fprintf(stderr,
               "bmp4c-preview: %s: WIDTH %lld is odd, so each row shares a byte with the next: "
               "a library that pads rows to whole bytes draws it sheared. One more column on the "
               "right (bmp4c-grey --even) makes the width even.\n",
               header.c_str(), static_cast<long long>(picture.width));
}

request readarguments(int argc, char **argv) {
  request asked;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fputs(usage, stdout);
      std::exit(EXIT_SUCCESS);
    } else if (argument == "--version") {
      std::puts("bmp4c-preview " BMP4C_VERSION);
      std::exit(EXIT_SUCCESS);
    } else if (argument == "--ink") {
      asked.how.ink = true;
    } else if (argument == "--scale") {
      if (++i == argc) usageerror("--scale needs a number");
      asked.how.scale = readscale(argv[i]);
    } else if (argument.starts_with("-") && argument.size() > 1) {
      usageerror("no option " + std::string(argument));
    } else {
      names.emplace_back(argument);
    }
  }
  if (names.empty() || names.size() > 2) usageerror("give a header, and at most one PNG");
  asked.header = names[0];
  asked.png = names.size() == 2 ? names[1] : pngname(names[0]);
  return asked;
}

} // namespace

void fail(const std::string &file, const std::string &what) {
  std::fprintf(stderr, "bmp4c-preview: %s: %s\n", file.c_str(), what.c_str());
  std::exit(EXIT_FAILURE);
}

} // namespace bmp4cpreview

int main(int argc, char **argv) {
  using namespace bmp4cpreview;
  const request asked = readarguments(argc, argv);
  const image picture = readheaderfile(asked.header);
  if (picture.width * asked.how.scale > largestpngside ||
      picture.height * asked.how.scale > largestpngside) {
    fail(asked.header, "too large for a PNG at scale " + std::to_string(asked.how.scale));
  }
  std::error_code ignored;
  if (std::filesystem::equivalent(asked.header, asked.png, ignored)) {
    fail(asked.png, "is the header itself");
  }
  const std::string why = writepng(asked.png, picture, asked.how);
  if (!why.empty()) fail(asked.png, "cannot be written: " + why);
  noteoddwidth(asked.header, picture);
  return EXIT_SUCCESS;
}
