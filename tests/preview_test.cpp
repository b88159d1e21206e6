// bmp4c-preview as its users meet it: a header drawn and read back by ImageMagick pixel by pixel,
// and every refusal and usage error with the PNG left as it was, a row a test.
#include "support.hpp"

namespace {

using namespace bmp4ctest;

// bmp4c-preview, in a folder that holds in.h (or in.bmp, which bmp4c converts into in.h first), the
// artwork in.png, an older in.preview.png that it drew, and links full.png to /dev/full, link.png
// to in.h and view.png to the bitmap pic.bmp: what it says on standard error and output, its
// status, and the pixels of in.preview.png as ImageMagick reads them, a line a row: a hex digit
// for each grey d x 17, or, where the row gives them so, the greys in decimal. The artwork must
// survive every run, and so must in.h and pic.bmp, and a refusal must leave the older preview as it
// was. Each output starts with the text given, and is empty when that is.
struct Drawing {
  std::string proves, header, arguments;
  int status;
  std::string said, pixels = "", out = "";
};

// A PNG that bmp4c-preview drew (its mark in a tEXt chunk), and the user's artwork, a PNG it did
// not.
const std::string olderpng = pngstart + pngmark + "an older picture\n",
                  artwork = pngstart + "the artwork\n";
const std::string fourbytwo = header(4, 2, "0xfe,0xdc,0xba,0x98,"),
                  odd = "bmp4c-preview: in.h: WIDTH ", tryhelp = "\nTry 'bmp4c-preview --help'\n";
const std::string scaleusage = "bmp4c-preview: --scale takes a whole number from 1 to 64" + tryhelp,
                  onlyone = "bmp4c-preview: give a header, and at most one PNG" + tryhelp;
const Drawing drawings[] = {
    {"4x2: digits as greys, 0 black, f white, top row first; in.preview.png by default, beside the "
     "artwork in.png",
     fourbytwo, "--panel srgb in.h", 0, "", "fedc\nba98\n"},
    {"5x3: the rows joined for an odd width split again, the last half item unused; the odd width "
     "said",
     header(5, 3, "0xfe,0xdc,0xba,0x98,0x76,0x54,0x32,0x10,"), "--panel srgb in.h", 0,
     odd + "5 is odd, so each row shares a byte with the next: a library that pads rows to whole "
           "bytes draws it sheared. bmp4c --pad-rows starts every row on a new byte; or one more "
           "column on the right (bmp4c-grey --even) makes the width even.\n",
     "fedcb\na9876\n54321\n"},
    {"1x1", header(1, 1, "0x3f,"), "--panel srgb in.h", 0, odd + "1 is odd", "3\n"},
    {"5x3 with rows padded (bmp4c --pad-rows), told by its count of items: the same picture, "
     "and no note",
     header(5, 3, "0xfe,0xdc,0xb0,0xa9,0x87,0x60,0x54,0x32,0x10,"), "--panel srgb in.h", 0, "",
     "fedcb\na9876\n54321\n"},
    {"padded tiles of 3 x 3",
     "#define WIDTH 3\n#define HEIGHT 3\n#define TILES 2\n{{0xfe,0xd0,0x98,"
     "0x70,0x32,0x10},{0xcb,0xa0,0x65,0x40,0x0f,0xe0}};",
     "--panel srgb in.h", 0, "", "fed\n987\n321\ncba\n654\n0fe\n"},
    {"a named header's odd width: the note names its own macro",
     "#define EPDODD_WIDTH 1\n#define EPDODD_HEIGHT 1\nstatic const unsigned char epdodd[] = "
     "{0x3f};",
     "--panel srgb in.h", 0, "bmp4c-preview: in.h: EPDODD_WIDTH 1 is odd", "3\n"},
    {"a top-down bitmap, converted by bmp4c, stands upright",
     bitmap(5, -3, "\x01\x23\x4f\xff\x56\x78\x9f\xff\xab\xcd\xef\xff"s), "--panel srgb in.h", 0,
     odd + "5 is odd", "fedcb\na9876\n54321\n"},
    {"--ink: f black, 0 white; a scale of 1", fourbytwo, "--ink --scale 1 in.h", 0, "",
     "0123\n4567\n"},
    {"--scale=2: each pixel a 2x2 square", header(3, 1, "0x1e,0x5f,"),
     "--panel srgb --scale=2 in.h", 0, odd + "3 is odd", "11ee55\n11ee55\n"},
    {"--scale 64, the largest", header(1, 1, "0x3f,"), "--panel srgb --scale 64 in.h", 0,
     odd + "1 is odd", repeated(repeated("3", 64) + "\n", 64)},
    {"rows of more than one stored block", header(64, 128, repeated("0x5a,", 4096)),
     "--panel srgb --scale 4 in.h", 0, "", repeated(repeated("5555aaaa", 32) + "\n", 512)},
    {"reformatted by hand: comments, const unsigned char, upper case, one digit",
     "# define HEIGHT 2 // rows {\n#define WIDTH 4\nstatic const unsigned char logo[]={0xFE , /* } "
     "*/0XdC,\n0xba,0x9};",
     "--panel srgb in.h", 0, "", "fedc\nba09\n"},
    {"a linear panel by default: level k's light k/15 as an sRGB grey",
     header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "in.h", 0, "",
     "0 73 102 124 141 156 170 182 193 203 213 222 231 239 247 255\n"},
    {"--ink on a linear panel: digit d is level 15 - d",
     header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "--ink --panel linear in.h", 0, "",
     "255 247 239 231 222 213 203 193 182 170 156 141 124 102 73 0\n"},
    {"15 numbers, Adafruit's table: GS_k/63, level 0 dark",
     header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"),
     "--panel=0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 in.h", 0, "",
     "0 0 34 50 62 71 80 87 94 100 138 166 189 224 242 255\n"},
    {"16 numbers: n_k/n_15, level 0 lit", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"),
     "--panel 10,10,10,10,10,10,10,10,60,60,60,60,60,60,60,200 in.h", 0, "",
     "63 63 63 63 63 63 63 63 149 149 149 149 149 149 149 255\n"},
    {"a bad panel, a number with a letter after it: the old preview kept", fourbytwo,
     "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15a in.h", 2,
     "bmp4c-preview: --panel: \"15a\" is not a whole number from 0 to 65535" + tryhelp},
    {"a missing header", "", "none.h", 1,
     "bmp4c-preview: none.h: cannot be read: No such file or directory\n"},
    {"a folder", "", ".", 1, "bmp4c-preview: .: is a folder, not a header\n"},
    {"no WIDTH", "#define HEIGHT 1\n{0x00};", "in.h", 1, "bmp4c-preview: in.h: no #define WIDTH\n"},
    {"no HEIGHT", "#define WIDTH 1\n{0x00};", "in.h", 1,
     "bmp4c-preview: in.h: no #define HEIGHT\n"},
    {"a size of 0", header(1, 0, ""), "in.h", 1,
     "bmp4c-preview: in.h:2: HEIGHT must be a whole number from 1 to 2147483647, not \"0\"\n"},
    {"a size with letters after it", "#define WIDTH 4x\n#define HEIGHT 1\n{0x00,0x00};", "in.h", 1,
     "bmp4c-preview: in.h:1: WIDTH must be a whole number from 1 to 2147483647, not \"4x\"\n"},
    {"a size past 32 bits", "#define WIDTH 2147483648\n#define HEIGHT 1\n{0x00};", "in.h", 1,
     "bmp4c-preview: in.h:1: WIDTH must be a whole number from 1 to 2147483647, not "
     "\"2147483648\"\n"},
    {"an item that is not a hex byte, with its line below a comment",
     "/* drawn\n by hand */\n" + header(2, 2, "0x00,\n 0x1g,"), "in.h", 1,
     "bmp4c-preview: in.h:7: \"0x1g\" is not a hex byte\n"},
    {"an item of three digits is not a byte", header(1, 1, "0x100,"), "in.h", 1,
     "bmp4c-preview: in.h:4: \"0x100\" is not a hex byte\n"},
    {"an empty item", header(2, 2, "0x00,,0x11"), "in.h", 1,
     "bmp4c-preview: in.h:4: \"\" is not a hex byte\n"},
    {"too few items: both counts", header(4, 2, "0xfe,0xdc,0xba,"), "in.h", 1,
     "bmp4c-preview: in.h: 3 items, where 4 x 2 pixels need 4\n"},
    {"too many items", header(1, 1, "0xfe,0xdc,"), "in.h", 1,
     "bmp4c-preview: in.h: 2 items, where 1 x 1 pixels need 1\n"},
    {"a huge size and one item: refused at once", header(2147483647, 2147483647, "0x00"), "in.h", 1,
     "bmp4c-preview: in.h: 1 item, where 2147483647 x 2147483647 pixels need "
     "2305843007066210305\n"},
    {"no array", "#define WIDTH 1\n#define HEIGHT 1\n0x00", "in.h", 1,
     "bmp4c-preview: in.h: no array: no items between { and }\n"},
    {"an output in a missing folder", fourbytwo, "in.h nowhere/in.png", 1,
     "bmp4c-preview: nowhere/in.png: cannot be written: No such file or directory\n"},
    {"a full disk, through a link: the device is not removed", fourbytwo, "in.h full.png", 1,
     "bmp4c-preview: full.png: cannot be written: No space left on device\n"},
    {"the header as its own PNG, through a link", fourbytwo, "in.h link.png", 1,
     "bmp4c-preview: link.png: is the header itself\n"},
    {"the artwork, a PNG it did not draw: refused, kept", fourbytwo, "in.h in.png", 1,
     "bmp4c-preview: in.png: is a PNG that bmp4c-preview did not draw: remove it, or name another "
     "file\n"},
    {"a link named .png to a bitmap: what the link leads to is judged", fourbytwo, "in.h view.png",
     1, "bmp4c-preview: view.png: is not a PNG: remove it, or name another file\n"},
    {"a PNG name that does not end in .png (a glob's two headers): nothing read, the header kept",
     fourbytwo, "none.h in.h", 2,
     "bmp4c-preview: in.h: the name must end in .png, for the file is a PNG whatever its name" +
         tryhelp},
    {"--low-first: the first pixel of each pair in the low digit", fourbytwo,
     "--panel srgb --low-first in.h", 0, "", "efcd\nab89\n"},
    {"a header of bmp4c --name",
     "#ifndef BMP4C_IMAGE_logo\n#define BMP4C_IMAGE_logo\n#ifdef LOGO_WIDTH\n#error \"LOGO_WIDTH "
     "is defined already: two images whose names differ only in case give the same "
     "macros\"\n#endif\n#define LOGO_WIDTH 4\n#define LOGO_HEIGHT 2\n#ifndef BMP4C_FLASH\n#define "
     "BMP4C_FLASH\n#endif\nstatic const unsigned char logo[] BMP4C_FLASH = "
     "{\n0xfe,0xdc,0xba,0x98,};\n#endif\n",
     "--panel srgb in.h", 0, "", "fedc\nba98\n"},
    {"tiles of 3 x 3, named, one below the other, each tile's last item ending in f",
     "#define SHEET_WIDTH 3\n#define SHEET_HEIGHT 3\n#define SHEET_TILES 2\nstatic const unsigned "
     "char sheet[SHEET_TILES][5] = "
     "{\n{\n0xfe,0xd9,0x87,0x32,0x1f,\n},\n{\n0xcb,0xa6,0x54,0x0f,0xef,\n},\n};\n",
     "--panel srgb in.h", 0, "bmp4c-preview: in.h: SHEET_WIDTH 3 is odd",
     "fed\n987\n321\ncba\n654\n0fe\n"},
    {"tiles of one item too few",
     "#define WIDTH 1\n#define HEIGHT 1\n#define TILES 3\nchar bitmap[TILES][1] = "
     "{\n{0x3f,},{0x3f,},};\n",
     "in.h", 1, "bmp4c-preview: in.h: 2 items, where 3 tiles of 1 x 1 pixels need 3\n"},
    {"an item that does not start 0x", header(1, 1, "1x2f,"), "in.h", 1,
     "bmp4c-preview: in.h:4: \"1x2f\" is not a hex byte\n"},
    {"a header's control characters shown escaped", header(1, 1, "\x1b[2J,"), "in.h", 1,
     "bmp4c-preview: in.h:4: \"\\x1b[2J\" is not a hex byte\n"},
    {"a panel of a word it does not know: its forms", fourbytwo, "--panel ssd1327 in.h", 2,
     "bmp4c-preview: --panel: \"ssd1327\" is none of its forms: linear, srgb, or 15 or 16 whole "
     "numbers separated by commas" +
         tryhelp},
    {"16 numbers whose dark levels give under 0.31% of the light: sRGB's linear part, 12.92 x "
     "light",
     header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"),
     "--panel 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,65535 in.h", 0, "",
     "0 0 0 0 0 0 0 0 0 0 1 1 1 1 1 255\n"},
    {"no header named", fourbytwo, "", 2, onlyone},
    {"three names", fourbytwo, "in.h in.png more.png", 2, onlyone},
    {"a scale of 0", fourbytwo, "--scale 0 in.h", 2, scaleusage},
    {"a scale of 65", fourbytwo, "--scale 65 in.h", 2, scaleusage},
    {"a scale that is not only a number", fourbytwo, "--scale 2x in.h", 2, scaleusage},
    {"--scale without its number", fourbytwo, "in.h --scale", 2,
     "bmp4c-preview: --scale needs a number" + tryhelp},
    {"an unknown option", fourbytwo, "--big in.h", 2, "bmp4c-preview: no option --big" + tryhelp},
    {"--help: the usage on standard output", fourbytwo, "--help", 0, "", "",
     "usage: bmp4c-preview [--ink] [--scale N] [--panel LIGHT] [--low-first] HEADER [PNG]\n"},
    {"--version", fourbytwo, "--version in.h", 0, "", "", "bmp4c-preview 1.0\n"},
};

// The greys of a PNG as ImageMagick reads them, a line a row: a hex digit for each grey d x 17
// when digits, otherwise the greys in decimal. Empty where ImageMagick is missing.
std::string greysof(const Folder &folder, const std::string &png, bool digits) {
  if (!installed("convert") || folder.start({"identify", "-format", "%w", png}) != 0) return "";
  const std::size_t width = std::stoul(folder.read("out"));
  if (folder.start({"convert", png, "-depth", "8", "gray:greys"}) != 0) return "(unread)";
  const std::string greys = folder.read("greys");
  std::string shown;
  for (std::size_t i = 0; i < greys.size(); ++i) {
    const int grey = static_cast<std::uint8_t>(greys[i]);
    if (digits)
      shown += grey % 17 ? '?' : "0123456789abcdef"[grey / 17];
    else
      shown.append(i % width ? " " : "").append(std::to_string(grey));
    if (i % width == width - 1) shown += "\n";
  }
  return shown;
}

class Preview : public testing::TestWithParam<std::size_t> {};

TEST_P(Preview, DrawsWhatTheItemsHold) {
  const Drawing &d = drawings[GetParam()];
  auto starts = [](const std::string &text, const std::string &start) {
    return text.starts_with(start) && text.empty() == start.empty();
  };
  const Folder folder;
  const bool bmp = d.header.starts_with("BM");
  folder.write(bmp ? "in.bmp" : "in.h", d.header);
  folder.write("in.png", artwork);
  folder.write("in.preview.png", olderpng);
  fs::create_symlink("/dev/full", folder.path / "full.png");
  fs::create_symlink("in.h", folder.path / "link.png");
  folder.write("pic.bmp", fivebythree);
  fs::create_symlink("pic.bmp", folder.path / "view.png");
  if (bmp) folder.start({BMP4C_PATH, "in.bmp", "in.h"});
  const std::string before = folder.read("in.h");
  std::vector<std::string> command = words(d.arguments);
  command.insert(command.begin(), BMP4C_PREVIEW);
  EXPECT_EQ(folder.start(command), d.status) << d.proves;
  EXPECT_TRUE(starts(folder.read("said"), d.said)) << d.proves << ": " << folder.read("said");
  EXPECT_TRUE(starts(folder.read("out"), d.out)) << d.proves << ": " << folder.read("out");
  EXPECT_EQ(folder.read("in.png") + folder.read("pic.bmp"), artwork + fivebythree) << d.proves;
  EXPECT_EQ(folder.read("in.h"), before) << d.proves;
  EXPECT_TRUE(fs::is_character_file("/dev/full")) << "a failed write removed a device";
  if (d.pixels.empty()) {
    EXPECT_EQ(folder.read("in.preview.png"), olderpng) << d.proves;
    return;
  }
  if (installed("pngcheck")) {
    EXPECT_EQ(folder.start({"pngcheck", "-q", "in.preview.png"}), 0) << folder.read("out");
  }
  const std::string pixels = greysof(folder, "in.preview.png", d.pixels.find(' ') == d.pixels.npos);
  if (pixels.empty()) GTEST_SKIP() << "pixels not compared: ImageMagick not installed";
  EXPECT_EQ(pixels, d.pixels) << d.proves;
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Preview, testing::Range<std::size_t>(0, std::size(drawings)),
                         [](const auto &row) {
                           return rowname(drawings[row.param].proves, row.param);
                         });

} // namespace
