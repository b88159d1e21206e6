// bmp4c-grey: makes the bitmap that bmp4c converts from the picture people
// have, a PNG or JPEG in colour, with transparency, of any size, by a grey
// that anyone can compute (levels.hpp says how).
//
//   bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] IMAGE [BMP]
//
// It owns the command line, the exit statuses (0 written, 1 bad input or
// output, 2 a usage error) and the default bitmap name, which is never the
// picture's own. It prints nothing on success.
#include "levels.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

namespace bmp4cgrey {
namespace {

constexpr int exitusage = 2;

constexpr const char *usage =
    R"(usage: bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] IMAGE [BMP]
Makes a 4-bit bitmap of 16 greys that bmp4c converts, from a PNG, JPEG,
GIF, BMP, TGA or PNM picture: by default IMAGE with its extension replaced
by .bmp. Each pixel becomes the level nearest to its luminance.
  --ink        for a display that draws ink: a white background, and digits
               that are darkness (default: a black background, f brightest)
  --dither     Floyd-Steinberg error diffusion, in linear light
  --fit WxH    exactly W x H pixels: a larger picture shrinks to fit,
               and the picture is centred on the background
  --even       one background column on the right of an odd width
  --help       this text
  --version    the version
)";

struct request {
  greying how;
  std::string image, bmp;
};

[[noreturn]] void usageerror(const std::string &what) {
  std::fprintf(stderr, "bmp4c-grey: %s\n%s", what.c_str(), usage);
  std::exit(exitusage);
}

std::int64_t readside(std::string_view text) {
  std::int64_t side = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), side);
  return error == std::errc() && stop == text.data() + text.size() ? side : 0;
}

// "128x64": both sides 1 or more, and no more pixels than a picture may
// have.
void readfit(std::string_view text, greying &how) {
  const std::size_t cross = text.find('x');
  if (cross != text.npos) {
    how.fitwidth = readside(text.substr(0, cross));
    how.fitheight = readside(text.substr(cross + 1));
  }
  if (how.fitwidth < 1 || how.fitheight < 1 || how.fitwidth > largestpicture ||
      how.fitheight > largestpicture || how.fitwidth * how.fitheight > largestpicture) {
    usageerror("--fit takes a size WxH such as 128x64, of at most " +
               std::to_string(largestpicture) + " pixels");
  }
}

// "logo.png" gives "logo.bmp".
std::string bmpname(const std::string &image) {
  return std::filesystem::path(image).replace_extension(".bmp").string();
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
      std::puts("bmp4c-grey " BMP4C_VERSION);
      std::exit(EXIT_SUCCESS);
    } else if (argument == "--ink") {
      asked.how.ink = true;
    } else if (argument == "--dither") {
      asked.how.dither = true;
    } else if (argument == "--even") {
      asked.how.even = true;
    } else if (argument == "--fit") {
      if (++i == argc) usageerror("--fit needs a size WxH");
      readfit(argv[i], asked.how);
    } else if (argument.starts_with("-") && argument.size() > 1) {
      usageerror("no option " + std::string(argument));
    } else {
      names.emplace_back(argument);
    }
  }
  if (names.empty() || names.size() > 2) usageerror("give a picture, and at most one BMP");
  asked.image = names[0];
  asked.bmp = names.size() == 2 ? names[1] : bmpname(names[0]);
  return asked;
}

} // namespace

void fail(const std::string &file, const std::string &what) {
  std::fprintf(stderr, "bmp4c-grey: %s: %s\n", file.c_str(), what.c_str());
  std::exit(EXIT_FAILURE);
}

} // namespace bmp4cgrey

int main(int argc, char **argv) {
  using namespace bmp4cgrey;
  const request asked = readarguments(argc, argv);
  std::error_code ignored;
  if (asked.bmp == asked.image || std::filesystem::equivalent(asked.image, asked.bmp, ignored)) {
    fail(asked.bmp, "is the picture itself");
  }
  const picture image = readpicture(asked.image);
  const std::string why = writebmp(asked.bmp, greylevels(image, asked.how));
  if (!why.empty()) fail(asked.bmp, "cannot be written: " + why);
  return EXIT_SUCCESS;
}
