// bmp4c-grey: makes the bitmap that bmp4c converts from the picture people
// have, a PNG or JPEG in colour, with transparency, of any size, by a grey
// that anyone can compute (levels.hpp says how).
//
//   bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] [--panel LIGHT] [--frames] IMAGE [BMP]
//
// It owns the exit statuses (0 written, 1 bad input or output, 2 a usage
// error) and the bitmap's name: by default the picture's with .bmp, never
// the picture itself, always ending in .bmp, and never a bitmap that it did
// not write, so that no other picture is ever written over. "-" is
// standard input or output. On success it prints nothing on standard
// output; on standard error, one line when the width is odd, and one that
// says the frames of a GIF: with --frames their delays and the tile to
// give bmp4c, without it that only the first was taken.
#include "../shared/commandline.hpp"
#include "../shared/messages.hpp"
#include "../shared/names.hpp"
#include "../shared/output.hpp"
#include "../shared/panel.hpp"
#include "bmp_writer.hpp"
#include "levels.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>
#include <vector>

#ifndef BMP4C_STB_VERSION
#define BMP4C_STB_VERSION "unknown"
#endif

namespace bmp4cgrey {
namespace {

using namespace bmp4cshared;

constexpr std::string_view usage =
    R"(usage: bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] [--panel LIGHT] [--frames]
                  IMAGE [BMP]
Makes a 4-bit bitmap of 16 greys that bmp4c converts, from a PNG, JPEG,
GIF, BMP, TGA or binary PNM picture: by default IMAGE with its extension
replaced by .bmp. Each pixel becomes the level whose light on the panel is
nearest to its luminance. It writes over no bitmap but one it wrote; "-" is
standard input or output.
  --ink          for a display that draws ink: a white background, and digits
                 that are darkness (default: a black background, f brightest)
  --dither       Floyd-Steinberg error diffusion, in linear light
  --fit WxH      exactly W x H pixels: a larger picture shrinks to fit,
                 and the picture is centred on the background
  --even         one background column on the right of an odd width
  --panel LIGHT  the light of the panel's 16 levels: linear (the default),
                 srgb (the default with --ink), the 15 numbers of its grey
                 table (GS1 to GS15), or 16 measured lights, comma-separated
  --frames       every frame of an animated GIF, each greyed as a still, one
                 below the other, for bmp4c --tile
  --help         this text
  --version      the version
)";

const program thisprogram{"bmp4c-grey",
                          usage,
                          "bmp4c-grey " BMP4C_VERSION " (stb_image " BMP4C_STB_VERSION ")",
                          {"--ink", "--dither", "--even", "--frames"},
                          {{"--fit", "a size WxH"}, {"--panel", "the light of the levels"}}};

struct request {
  greying how;
  bool frames = false;
  std::string image, bmp;
};

// "128x64": both sides 1 or more, and no more pixels than a picture may
// have.
void readfit(std::string_view text, greying &how) {
  const auto [width, height] = readsides(text);
  how.fitwidth = width;
  how.fitheight = height;
  if (how.fitwidth < 1 || how.fitheight < 1 || how.fitwidth > largestpicture ||
      how.fitheight > largestpicture || how.fitwidth * how.fitheight > largestpicture) {
    usageerror(thisprogram, "--fit takes a size WxH such as 128x64, of at most " +
                                std::to_string(largestpicture) + " pixels");
  }
}

request readarguments(int argc, char **argv) {
  request asked;
  const commandline line = readcommandline(thisprogram, argc, argv);
  for (const auto &[option, value] : line.options) {
    asked.how.ink |= option == "--ink";
    asked.how.dither |= option == "--dither";
    asked.how.even |= option == "--even";
    asked.frames |= option == "--frames";
    if (option == "--fit") readfit(value, asked.how);
  }
  asked.how.light = panelof(thisprogram, line, asked.how.ink);
  if (line.names.empty() || line.names.size() > 2) {
    usageerror(thisprogram, "give a picture, and at most one BMP");
  }
  asked.image = line.names[0];
  // "logo.png" gives "logo.bmp"; standard input, standard output.
  asked.bmp = line.names.size() == 2        ? line.names[1]
              : asked.image == standardname ? asked.image
                                            : withextension(line.names[0], ".bmp");
  if (!hasextension(asked.bmp, ".bmp") && asked.bmp != standardname) {
    usageerror(thisprogram, asked.bmp + ": the name must end in .bmp, for the file is a bitmap "
                                        "whatever its name");
  }
  return asked;
}

// The greys of a picture; memory that runs out says what the picture
// takes, and what it is fitted to.
greyimage greyed(const picture &image, const request &asked) {
  try {
    return greylevels(image, asked.how);
  } catch (const std::bad_alloc &) {
    const std::string fitted = asked.how.fitwidth == 0
                                   ? ""
                                   : ", fitted to " + std::to_string(asked.how.fitwidth) + " x " +
                                         std::to_string(asked.how.fitheight);
    fail(asked.image, outofmemory(image.width, image.height,
                                  image.channels * (image.largestsample == 255 ? 1 : 2)) +
                          fitted);
  }
}

// Frames one below the other, the first on top: the rows stored bottom
// up are the last frame's first.
greyimage stacked(const std::vector<greyimage> &frames) {
  greyimage strip = frames.front();
  strip.rows.clear();
  strip.height = 0;
  for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
    strip.rows.insert(strip.rows.end(), frame->rows.begin(), frame->rows.end());
    strip.height += frame->height;
  }
  return strip;
}

// "100 150" as bmp4c --delays takes it: "100,150".
std::string commas(std::string list) {
  std::replace(list.begin(), list.end(), ' ', ',');
  return list;
}

// Every frame greyed as a still would be, and what bmp4c needs to know:
// how many, their delays, and the tile each is. The bitmap they make
// together is held to the limit of a picture too, whatever --fit asks:
// its rows are work and memory, and its size a 32-bit header field.
greyimage greyframes(const request &asked, std::string &said) {
  std::vector<greyimage> frames;
  std::string delays;
  std::int64_t pixels = 0, count = 0, width = 0, height = 0;
  auto strip = [&] {
    return std::to_string(count) + " frames of " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels";
  };
  readframes(asked.image, [&](const picture &frame, int delay) {
    greyimage grey = greyed(frame, asked);
    pixels += grey.width * grey.height;
    ++count, width = grey.width, height = grey.height;
    try {
      frames.push_back(std::move(grey));
    } catch (const std::bad_alloc &) {
      fail(asked.image, "memory ran out: its bitmap of " + strip() + " takes over " +
                            std::to_string(pixels / 2) + " bytes");
    }
    if (pixels > largestpicture) {
      fail(asked.image, "makes a bitmap of " + strip() + " or more, over the limit of " +
                            std::to_string(largestpicture) + " (64 megapixels)");
    }
    if (!delays.empty()) delays += ' ';
    delays += std::to_string(delay);
  });
  const greyimage &first = frames.front();
  const std::string tile = std::to_string(first.width) + "x" + std::to_string(first.height);
  said = std::to_string(frames.size()) + (frames.size() == 1 ? " frame" : " frames") + " of " +
         std::to_string(first.width) + " x " + std::to_string(first.height) + ", shown for " +
         delays + " ms: bmp4c --tile " + tile + " --delays " + commas(delays);
  try {
    return stacked(frames);
  } catch (const std::bad_alloc &) {
    fail(asked.image, "memory ran out: its bitmap of " + strip() + " takes " +
                          std::to_string(pixels / 2) + " bytes");
  }
}

// The picture itself is never written over, nor any file but a bitmap
// that bmp4c-grey wrote.
void checkoutput(const request &asked) {
  if (asked.bmp == standardname) return;
  std::error_code ignored;
  if ((asked.bmp == asked.image && asked.image != standardname) ||
      std::filesystem::equivalent(pathof(asked.image), pathof(asked.bmp), ignored)) {
    fail(asked.bmp, "is the picture itself");
  }
  if (const std::string what = replaceable(asked.bmp, judgebmp); !what.empty()) {
    fail(asked.bmp, what);
  }
}

// What a run says besides its bitmap, on standard error: a GIF's frames,
// and an odd width. Said after the bitmap is written: a build without a
// preview hears it too.
void note(const std::string &bmp, const std::string &what) {
  say(thisprogram.name, bmp, what);
}

} // namespace

void fail(const std::string &file, const std::string &what) {
  failabout(thisprogram, file, what);
}

} // namespace bmp4cgrey

int main(int argc, char **argv) {
  using namespace bmp4cgrey;
  const request asked = readarguments(argc, argv);
  checkoutput(asked);
  std::string frames, unused;
  greyimage grey;
  if (asked.frames) {
    grey = greyframes(asked, frames);
  } else {
    const picture image = readpicture(asked.image);
    grey = greyed(image, asked);
    if (image.frames > 1) {
      unused = "has " + std::to_string(image.frames) +
               " frames; only the first is greyed: --frames takes them all";
    }
  }
  const std::string why = writebmp(asked.bmp, grey);
  if (!why.empty()) fail(asked.bmp, "cannot be written: " + why);
  if (!frames.empty()) note(asked.bmp, frames);
  if (!unused.empty()) note(asked.image, unused);
  if (grey.width % 2 != 0) note(asked.bmp, oddwidthnote("WIDTH", grey.width));
  return EXIT_SUCCESS;
}
