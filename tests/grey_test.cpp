// bmp4c-grey as its users meet it: hand-worked pictures through bmp4c to their digits, read back
// by ImageMagick, and every refusal and usage error with the bitmap left as it was, a row a test.
#include "support.hpp"

#include <map>

namespace {

using namespace bmp4ctest;

// bmp4c-grey, in a folder that holds the picture, an older in.bmp that it wrote, the artwork b.png
// (and art.bmp, a link to it) and a user's 24-bit user.bmp: its
// status, what it says, and, once it has written in.bmp, the digits that bmp4c converts it into, in
// reading order, two to an item. ImageMagick, where installed, must see the same picture in in.bmp:
// each grey d x 17 for a light display, 255 - d x 17 for ink. A refusal must leave in.bmp as it
// was, and b.png must survive every run. For a dithered row, the digits are counted, and the counts
// must match the pattern given. A picture given as "$ command" is made by that command
// (ImageMagick). For a row marked likemagick, ImageMagick's own decoding of the picture must make
// the same bitmap.
struct Greying {
  std::string proves, picture, name, arguments;
  int status;
  std::string said, digits = "";
  bool counted = false, likemagick = false;
};

// A TGA of BGRA pixels, top row first.
std::string tga(int width, int height, const std::string &bgra) {
  return "\0\0\2\0\0\0\0\0\0\0\0\0"s + char(width) + '\0' + char(height) + '\0' + "\x20\x28"s +
         bgra;
}

// A 24-bit bitmap of the given stored rows, and a run-length-encoded one of 4 or 8 bits, its
// palette (blue, green, red, 0 an entry, their count at 46) and its codes.
// A GIF of frames of 1 x 1 at the top left of a canvas of width x height, with a comment of
// padding bytes to hold what so large a canvas needs. Crafted, each frame's Graphic Control
// Extension claims 5 bytes, which the decoder skips and a count of blocks misreads.
std::string gif(int width, int height, int frames, bool crafted = false) {
  auto le16 = [](int v) { return std::string{char(v), char(v >> 8)}; };
  const std::string frame = (crafted ? "\x21\xf9\x05\0\0\0\0\0"s : ""s) +
                            "\x2c\0\0\0\0\1\0\1\0\x80\0\0\0\xff\xff\xff\x02\x02\x44\x01\0"s;
  const std::string padding = "\x21\xfe" + repeated("\xff" + std::string(255, ' '), 40) + "\0"s;
  return "GIF89a" + le16(width) + le16(height) + "\0\0\0"s + padding + repeated(frame, frames) +
         "\x3b";
}

std::string bmp24(std::int32_t width, std::int32_t height, const std::string &stored) {
  return patched(bitmap(width, height, stored, 54), 28, "\x18"s);
}

std::string rle(char bits, std::int32_t width, std::int32_t height, const std::string &palette,
                const std::string &codes) {
  const std::string file =
      bitmap(width, height, codes, 54 + static_cast<std::int32_t>(palette.size()));
  const std::string counts = {bits, '\0', bits == 8 ? '\1' : '\2'}; // at 28 and 30
  return patched(patched(patched(file, 54, palette), 28, counts), 46,
                 std::string(1, char(palette.size() / 4)));
}

std::string ramp() {
  std::string samples, digits;
  for (int g = 0; g < 256; ++g) samples += char(g), digits += "0123456789abcdef"[(2 * g + 17) / 34];
  return samples + "|" + digits;
}

std::string picturefile(const std::string &name) {
  return slurp(BMP4C_SOURCE "/tests/pictures/" + name);
}

std::string oddnote(const std::string &file, int width) {
  return "bmp4c-grey: " + file + ": WIDTH " + std::to_string(width) +
         " is odd, so each row shares a byte with the next: a library that pads rows to whole "
         "bytes draws it sheared. bmp4c --pad-rows starts every row on a new byte; or one more "
         "column on the right (bmp4c-grey --even) makes the width even.\n";
}

const std::string artwork = pngstart + "the artwork\n";
const std::string colours = pnm("P6", 4, 1, "\xff\0\0\0\xff\0\0\0\xff\xff\xff\xff"s),
                  blackwhite = pnm("P5", 4, 1, "\0\xff\0\xff"s),
                  olderbmp = "BM\0\0\0\0b4cg, an older bitmap that bmp4c-grey wrote\n"s,
                  greytry = "\nTry 'bmp4c-grey --help'\n",
                  cutshort = ": is cut short: the file ends before its last pixel\n";
const std::string fitusage =
    "bmp4c-grey: --fit takes a size WxH such as 128x64, of at most 67108864 pixels" + greytry;
// Black, white and grey 136 (level 8); a 5 x 3 picture in their indices, coded bottom row first: a
// run of 1 2 1 and the end of the row; a move 3 right, a run of 1 1, the end; 5 indices as they
// are (2 1 2 0 1, padded to 4 bytes), the end of the bitmap. What no code sets is entry 0, black.
// The greys 0, 17, ... 255, and the table Adafruit's SSD1327 driver would load after 0xB8.
const std::string greysteps =
                      pnm("P5", 16, 1,
                          "\0\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff"s),
                  adafruit = "0,1,2,3,4,5,6,7,8,16,24,32,47,56,63";
const std::string threegreys = "\0\0\0\0\xff\xff\xff\0\x88\x88\x88\0"s,
                  rle4codes = "\3\x12\0\0\0\2\3\0\2\x11\0\0\0\5\x21\x20\x10\0\0\1"s;
const Greying greyings[] = {
    {"red, green, blue and white: luminance in linear light, rounded in sRGB terms; f brightest",
     colours, "in.ppm", "--panel srgb in.ppm", 0, "", "7d4f"},
    {"--ink: the same levels written as darkness", colours, "in.ppm", "--ink in.ppm", 0, "",
     "82b0"},
    {"a grey ramp 0 to 255: level k from 17k - 8 to 17k + 8, every boundary",
     pnm("P5", 256, 1, ramp().substr(0, 256)), "in.pgm", "--panel srgb in.pgm", 0, "",
     ramp().substr(257)},
    {"half-transparent white and black, over black", tga(2, 1, "\xff\xff\xff\x80\0\0\0\x80"s),
     "in.tga", "--panel srgb in.tga", 0, "", "b0"},
    {"half-transparent white and black, over white for ink",
     tga(2, 1, "\xff\xff\xff\x80\0\0\0\x80"s), "in.tga", "--ink in.tga", 0, "", "04"},
    {"a palette PNG", picturefile("palette.png"), "in.png", "--panel srgb in.png", 0, "", "7d4f"},
    {"a 16-bit PNG, every bit counted: 2184 and 2185 of 65535 either side of level 0's end",
     picturefile("deep.png"), "in.png", "--panel srgb in.png", 0, "", "01"},
    {"a fit averages in linear light: black and white make b, not 8; an odd width is said",
     pnm("P5", 2, 1, "\0\xff"s), "in.pgm", "--panel srgb --fit=1x1 in.pgm", 0, oddnote("in.bmp", 1),
     "bf"},
    {"a wide picture shrinks to the fit's width, 2x2 blocks averaged, at the top",
     pnm("P5", 6, 4, repeated("\0\xff"s, 12)), "in.pgm", "--panel srgb --fit 3x3 in.pgm", 0,
     oddnote("in.bmp", 3), "bbbbbb000f"},
    {"a tall picture shrinks to the fit's height, at the left",
     pnm("P5", 4, 6, repeated("\0\0\0\0\xff\xff\xff\xff"s, 3)), "in.pgm",
     "--panel srgb --fit 3x3 in.pgm", 0, oddnote("in.bmp", 3), "bb0bb0bb0f"},
    {"a picture that fits is not enlarged, but centred on the background", pnm("P5", 1, 1, "\xff"s),
     "in.pgm", "--panel srgb --fit 3x3 in.pgm", 0, oddnote("in.bmp", 3), "0000f0000f"},
    {"the background of a fit for ink is white", pnm("P5", 1, 1, "\0"s), "in.pgm",
     "--ink --fit 3x1 in.pgm", 0, oddnote("in.bmp", 3), "0f0f"},
    {"--even: a background column on the right of an odd width, on every row; nothing said",
     pnm("P5", 3, 2, "\xff\xff\xff\0\0\0"s), "in.pgm", "--panel srgb --even in.pgm", 0, "",
     "fff00000"},
    {"--even leaves an even width alone", blackwhite, "in.pgm", "--panel srgb --even in.pgm", 0, "",
     "0f0f"},
    {"--dither on a flat grey that is a level: flat", pnm("P5", 4, 2, std::string(8, '\x88')),
     "in.pgm", "--panel srgb --dither in.pgm", 0, "", "88888888"},
    {"--dither on grey 128, between levels 7 and 8 at 0.51: about half of each",
     pnm("P5", 16, 16, std::string(256, '\x80')), "in.pgm", "--panel srgb --dither in.pgm", 0, "",
     "7:1[23][0-9] 8:1[23][0-9] ", true},
    {"--dither by hand, grey 128 (linear 0.2159; levels 7 and 8 at 0.1845 and 0.2462): 8 sends "
     "-0.0304 on, 7/16 right, 5/16 below, 1/16 below right; then 7 sends +0.0181",
     pnm("P5", 2, 2, std::string(4, '\x80')), "in.pgm", "--panel srgb --dither in.pgm", 0, "",
     "8778"},
    {"a linear panel, by default: each of the greys 17j takes the level whose light k/15, "
     "sRGB-encoded (0 73 102 124 141 156 170 182 193 203 213 222 231 239 247 255), is nearest",
     greysteps, "in.pgm", "in.pgm", 0, "", "0001112345679bdf"},
    {"15 numbers, Adafruit's table: GS1 of 0 makes levels 0 and 1 equal, and black takes the "
     "lower; grey 17 is nearer level 2 (34)",
     greysteps, "in.pgm", "--panel " + adafruit + " in.pgm", 0, "", "0223579aabbccdef"},
    {"the same dithered: 17 (linear 0.0056) is nearer level 0 than level 2 (1/63); 7/16 of its "
     "error brings the next to 0.0081, nearer level 2",
     pnm("P5", 2, 1, "\x11\x11"s), "in.pgm", "--dither --panel=" + adafruit + " in.pgm", 0, "",
     "02"},
    {"16 numbers, 8 levels of 10, 7 of 60, one of 200: greys up to 102 below the midpoint 106 take "
     "level 0, those to 187 level 8, the rest level 15",
     greysteps, "in.pgm", "--panel 10,10,10,10,10,10,10,10,60,60,60,60,60,60,60,200 in.pgm", 0, "",
     "000000088888ffff"},
    {"dithered on a linear panel, grey 131 (linear 0.226966; levels 3 and 4 at 0.2 and 0.266667): "
     "3, sending +0.026966 on, 7/16 right, 5/16 below, 1/16 below right; 4 at 0.238764, sending "
     "-0.027903, 3/16 below left, 5/16 below; 3 at 0.230161, sending +0.030161 right; 3 at "
     "0.233126, nearer 3 by 0.0004",
     pnm("P5", 2, 2, std::string(4, '\x83')), "in.pgm", "--dither in.pgm", 0, "", "3433"},
    {"dithered, black and white fitted into one pixel: exactly half white's light, as far from "
     "level 7 as from 8 of a linear panel; the tie goes to the brighter",
     pnm("P5", 2, 1, "\0\xff"s), "in.pgm", "--dither --fit 1x1 in.pgm", 0, oddnote("in.bmp", 1),
     "8f"},
    {"a fit of 3 pixels into 2: each shown pixel covers one and a half; black, white, black gives "
     "a third of white's light in both, level 5 of a linear panel",
     pnm("P5", 3, 1, "\0\xff\0"s), "in.pgm", "--fit 2x1 in.pgm", 0, "", "55"},
    {"a JPEG in colour, shrunk and dithered, into another name", picturefile("photo.jpg"), "in.jpg",
     "--panel srgb --dither --fit 24x12 in.jpg in.bmp", 0, "", "[0-9a-f]{288}"},
    {"an interlaced PNG with transparency", picturefile("cutout.png"), "in.png",
     "--panel srgb --fit 6x4 in.png", 0, "", "[0-9a-f]{24}"},
    {"a bitmap stored top down converts upright",
     bmp24(2, -2, "\0\0\0\xff\xff\xff\0\0\xff\xff\xff\0\0\0\0\0"s), "td.bmp",
     "--panel srgb td.bmp in.bmp", 0, "", "0ff0"},
    {"an 8-bit run-length-encoded bitmap as ImageMagick writes it, runs over each row's padding",
     "$ convert rose: -colors 200 BMP3:rle.bmp", "rle.bmp", "--panel srgb rle.bmp in.bmp", 0, "",
     "[0-9a-f]{3220}", false, true},
    {"a 4-bit run-length-encoded bitmap by hand: runs, a move, indices as they are, ends of row "
     "and bitmap; what no code sets is entry 0",
     rle(4, 5, 3, threegreys, rle4codes), "rle.bmp", "--panel srgb rle.bmp in.bmp", 0,
     oddnote("in.bmp", 5), "8f80f000fff8f00f", false, true},
    {"a run-length-encoded bitmap cut short inside its indices",
     rle(4, 5, 3, threegreys, rle4codes.substr(0, 15)), "rle.bmp", "rle.bmp in.bmp", 1,
     "bmp4c-grey: rle.bmp" + cutshort},
    {"a run-length-encoded bitmap whose last code, an end of row, ends exactly at the file's end: "
     "read",
     rle(8, 5, 1, threegreys, "\x05\1\0\0"s), "rle.bmp", "--panel srgb rle.bmp in.bmp", 0,
     oddnote("in.bmp", 5), "ffffff"},
    {"one that ends after its first row of three", rle(8, 5, 3, threegreys, "\x05\1\0\0"s),
     "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp" + cutshort},
    {"a run past its row's padding", rle(8, 5, 1, threegreys, "\x09\1\0\1"s), "rle.bmp",
     "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (a run past the end of its row)\n"},
    {"a run-length-encoded bitmap of width -2, which the fuzzer found",
     rle(4, -2, 3, threegreys, rle4codes), "rle.bmp", "rle.bmp in.bmp", 1,
     "bmp4c-grey: rle.bmp: is damaged (a width below 0)\n"},
    {"a run-length-encoded bitmap whose pixels start where its palette would",
     rle(8, 5, 1, "", "\x05\1\0\1"s), "rle.bmp", "rle.bmp in.bmp", 1,
     "bmp4c-grey: rle.bmp: is damaged (no palette before the pixels)\n"},
    {"an index past the palette", rle(8, 5, 1, threegreys, "\x02\3\0\1"s), "rle.bmp",
     "rle.bmp in.bmp", 1,
     "bmp4c-grey: rle.bmp: is damaged (a pixel's index is past the palette)\n"},
    {"a run-length-encoded bitmap stored top down", rle(4, 5, -3, threegreys, rle4codes), "rle.bmp",
     "rle.bmp in.bmp", 1,
     "bmp4c-grey: rle.bmp: is damaged (a run-length-encoded bitmap stored top down)\n"},
    {"--frames: a sprite GIF's frames, whole canvases with transparency disposed to the "
     "background, one below the other, as ImageMagick composes them",
     "$ convert -dispose Background -delay 10 \\( -size 16x12 xc:none -fill red -draw 'circle 4,6 "
     "4,2' \\) \\( -size 16x12 xc:none -fill lime -draw 'circle 8,6 8,2' \\) \\( -size 16x12 "
     "xc:none -fill blue -draw 'circle 12,6 12,2' \\) sprite.gif",
     "sprite.gif", "--frames sprite.gif in.bmp", 0,
     "bmp4c-grey: in.bmp: 3 frames of 16 x 12, shown for 100 100 100 ms: bmp4c --tile 16x12 "
     "--delays 100,100,100\n",
     "[0-9a-f]{576}", false, true},
    {"--frames: an overlay GIF, small frames at offsets on an opaque first, kept; the delays as "
     "set",
     "$ convert -dispose None -delay 20 -size 16x12 xc:gray50 -delay 5 -page +2+2 -size 4x4 "
     "xc:white -delay 35 -page +8+5 -size 5x3 xc:black overlay.gif",
     "overlay.gif", "--frames overlay.gif in.bmp", 0,
     "bmp4c-grey: in.bmp: 3 frames of 16 x 12, shown for 200 50 350 ms: bmp4c --tile 16x12 "
     "--delays 200,50,350\n",
     "[0-9a-f]{576}", false, true},
    {"--frames: a frame disposed to the background after one kept clears its whole rectangle, as "
     "browsers do, and no pixel beside it",
     "$ convert -delay 30 -dispose None -size 16x12 xc:red -dispose Background -page +3+3 -size "
     "6x5 xc:white -dispose None -page +1+1 -size 4x4 xc:gray40 mixed.gif",
     "mixed.gif", "--fit 8x6 --frames mixed.gif in.bmp", 0,
     "bmp4c-grey: in.bmp: 3 frames of 8 x 6, shown for 300 300 300 ms: bmp4c --tile 8x6 --delays "
     "300,300,300\n",
     "[0-9a-f]{144}", false, true},
    {"--frames of a still picture: one frame", colours, "in.ppm", "--panel srgb --frames in.ppm", 0,
     "bmp4c-grey: in.bmp: 1 frame of 4 x 1, shown for 0 ms: bmp4c --tile 4x1 --delays 0\n", "7d4f"},
    {"--frames: a GIF whose blocks a count misreads is held to the limit as it is decoded",
     gif(2048, 2048, 17, true), "big.gif", "--fit 1x1 --frames big.gif in.bmp", 1,
     "bmp4c-grey: big.gif: is at least 17 frames of 2048 x 2048 pixels, over the limit of 67108864 "
     "(64 megapixels) on a picture as stored, its frames counted together, whatever --fit asks\n"},
    {"--frames: frames fitted past the limit, together (65 of 1024 x 1024)", gif(1, 1, 70),
     "many.gif", "--fit 1024x1024 --frames many.gif in.bmp", 1,
     "bmp4c-grey: many.gif: makes a bitmap of 65 frames of 1024 x 1024 pixels or more, over the "
     "limit of 67108864 (64 megapixels)\n"},
    {"--frames: a frame partly outside its canvas is clipped, as browsers and ImageMagick draw it",
     "$ convert -dispose None -delay 20 -size 16x12 xc:gray50 -delay 5 -page +12+8 -size 8x8 "
     "xc:white outside.gif",
     "outside.gif", "--frames outside.gif in.bmp", 0,
     "bmp4c-grey: in.bmp: 2 frames of 16 x 12, shown for 200 50 ms: bmp4c --tile 16x12 --delays "
     "200,50\n",
     "[0-9a-f]{384}", false, true},
    {"the same GIF as a still: its first frame",
     "$ convert -dispose None -delay 20 -size 16x12 xc:gray50 -delay 5 -page +12+8 -size 8x8 "
     "xc:white outside.gif",
     "outside.gif", "--panel srgb outside.gif in.bmp", 0,
     "bmp4c-grey: outside.gif: has 2 frames; only the first is greyed: --frames takes them all\n",
     "7{192}"},
    {"a run-length-encoded bitmap 60000000 pixels wide: past the sides the fit's sums hold",
     rle(8, 60000000, 1, threegreys, "\0\1"s), "wide.bmp", "--fit 1x1 wide.bmp in.bmp", 1,
     "bmp4c-grey: wide.bmp: is 60000000 x 1 pixels, over the limit of 16777216 pixels a side, "
     "whatever --fit asks\n"},
    {"- reads standard input, here empty: no picture", colours, "in.ppm", "- -", 1,
     "bmp4c-grey: -: is empty, not a picture\n"},
    {"--frames: a GIF whose frames add up past the limit, refused before any is decoded",
     "GIF89a\0\x10\0\x10\0\0\0"s + repeated("\x2c\0\0\0\0\0\x10\0\x10\0\x02\0"s, 5) + "\x3b",
     "big.gif", "--frames big.gif in.bmp", 1,
     "bmp4c-grey: big.gif: is 5 frames of 4096 x 4096 pixels, over the limit of 67108864 (64 "
     "megapixels) on a picture as stored, its frames counted together, whatever --fit asks\n"},
    {"a critical PNG chunk named ESC [ 2 J: its name shown escaped",
     "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\1\0\0\0\1\x08\0\0\0\0\0\0\0\0\0\0\0\0\x1b[2J\0\0\0\0"s,
     "in.png", "in.png", 1, "bmp4c-grey: in.png: is damaged (\\x1b[2J PNG chunk not known)\n"},
    {"a run-length-encoded bitmap one byte longer than 65536, the reading's chunk: read whole",
     rle(8, 5, 1, threegreys + std::string(65467, '\0'), "\x05\1\0\1"s), "rle.bmp",
     "--panel srgb rle.bmp in.bmp", 0, oddnote("in.bmp", 5), "ffffff"},
    {"a missing picture", "", "in.png", "none.png", 1,
     "bmp4c-grey: none.png: cannot be read: No such file or directory\n"},
    {"a folder", "", "in.png", "folder.png", 1,
     "bmp4c-grey: folder.png: is a folder, not a picture\n"},
    {"an empty file", "", "in.png", "in.png", 1, "bmp4c-grey: in.png: is empty, not a picture\n"},
    {"a file that no decoder reads: the formats that are read", "hello\n", "in.png", "in.png", 1,
     "bmp4c-grey: in.png: is not a picture that bmp4c-grey reads: it reads PNG, JPEG, GIF, BMP, "
     "TGA and PNM\n"},
    {"a PNG whose compressed data is damaged: the decoder's reason",
     patched(picturefile("cutout.png"), 2000, repeated("\xa5"s, 10)), "in.png", "in.png", 1,
     "bmp4c-grey: in.png: is damaged (bad dist)\n"},
    {"a JPEG whose Huffman table has more than 256 codes, before its frame",
     picturefile("jpeg-huffman-1.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1,
     "bmp4c-grey: in.jpg: is damaged (bad DHT header)\n"},
    {"the same after its frame, where the decoder would keep what it has",
     picturefile("jpeg-huffman-2.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1,
     "bmp4c-grey: in.jpg: is damaged (bad DHT header)\n"},
    {"a PNG whose first image data chunk is empty", picturefile("png-empty-idat.png"), "in.png",
     "--dither --fit 64x32 in.png", 1, "bmp4c-grey: in.png" + cutshort},
    {"6 bytes whose segment runs past the end: the end stays the end after the skip",
     picturefile("jpeg-endless-6-bytes.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1,
     "bmp4c-grey: in.jpg" + cutshort},
    {"a JPEG whose first segment claims 32767 bytes",
     "\xff\xd8\xff\xe0\x7f\xff"s + picturefile("photo.jpg").substr(6, 200), "in.jpg", "in.jpg", 1,
     "bmp4c-grey: in.jpg" + cutshort},
    {"a PNG cut short", picturefile("cutout.png").substr(0, 2000), "in.png", "in.png", 1,
     "bmp4c-grey: in.png" + cutshort},
    {"a JPEG cut short", picturefile("photo.jpg").substr(0, 1500), "in.jpg", "in.jpg", 1,
     "bmp4c-grey: in.jpg" + cutshort},
    {"a PPM cut short", colours.substr(0, colours.size() - 1), "in.ppm", "in.ppm", 1,
     "bmp4c-grey: in.ppm" + cutshort},
    {"a picture 0 pixels wide", bmp24(0, 5, ""), "no.bmp", "no.bmp in.bmp", 1,
     "bmp4c-grey: no.bmp: has no pixels\n"},
    {"the same with a fit, which would divide by its width", bmp24(0, 5, ""), "no.bmp",
     "--fit 64x32 no.bmp in.bmp", 1, "bmp4c-grey: no.bmp: has no pixels\n"},
    {"a picture 0 rows high", bmp24(5, 0, ""), "no.bmp", "no.bmp in.bmp", 1,
     "bmp4c-grey: no.bmp: has no pixels\n"},
    {"the same with a fit", bmp24(5, 0, ""), "no.bmp", "--dither --fit 64x32 no.bmp in.bmp", 1,
     "bmp4c-grey: no.bmp: has no pixels\n"},
    {"a picture over the limit: refused from its header", "P5\n8193 8192\n255\n", "in.pgm",
     "--fit 64x32 in.pgm", 1,
     "bmp4c-grey: in.pgm: is 8193 x 8192 pixels, over the limit of 67108864 (64 megapixels) on a "
     "picture as stored, whatever --fit asks\n"},
    {"7 x 16777211 pixels, top down, in 154 bytes: over the limit whatever the height's sign",
     bmp24(7, -16777211, std::string(100, '\0')), "big.bmp", "big.bmp in.bmp", 1,
     "bmp4c-grey: big.bmp: is 7 x 16777211 pixels, over the limit of 67108864 (64 megapixels) on a "
     "picture as stored, whatever --fit asks\n"},
    {"7 x 16777211 bottom up", bmp24(7, 16777211, std::string(100, '\0')), "big.bmp",
     "big.bmp in.bmp", 1,
     "bmp4c-grey: big.bmp: is 7 x 16777211 pixels, over the limit of 67108864 (64 megapixels) on a "
     "picture as stored, whatever --fit asks\n"},
    {"7 x 1000000 in 154 bytes: cut short, before anything is decoded",
     bmp24(7, -1000000, std::string(100, '\0')), "big.bmp", "big.bmp in.bmp", 1,
     "bmp4c-grey: big.bmp: is cut short: its 154 bytes cannot hold the 7 x 1000000 pixels that its "
     "header gives\n"},
    {"a PNG of 8192 x 8192 in 41 bytes: deflate shrinks no more than 1032 to 1",
     "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x20\0\0\0\x20\0\x08\x02\0\0\0\0\0\0\0\0\0\0\0IDAT"s,
     "big.png", "big.png in.bmp", 1,
     "bmp4c-grey: big.png: is cut short: its 41 bytes cannot hold the 8192 x 8192 pixels that its "
     "header gives\n"},
    {"a JPEG of 8000 x 8000 in 21 bytes: a bit at least for each 8 x 8 block",
     "\xff\xd8\xff\xc0\0\x11\x08\x1f\x40\x1f\x40\x03\x01\x22\0\x02\x11\x01\x03\x11\x01"s, "big.jpg",
     "big.jpg in.bmp", 1,
     "bmp4c-grey: big.jpg: is cut short: its 21 bytes cannot hold the 8000 x 8000 pixels that its "
     "header gives\n"},
    {"a GIF of 8000 x 8000 in 13 bytes: 12 bits at least for each 4096 pixels",
     "GIF89a\x40\x1f\x40\x1f\0\0\0"s, "big.gif", "big.gif in.bmp", 1,
     "bmp4c-grey: big.gif: is cut short: its 13 bytes cannot hold the 8000 x 8000 pixels that its "
     "header gives\n"},
    {"a run-length-encoded TGA of 8000 x 8000 in 18 bytes: a run is at most 128 pixels",
     "\0\0\x0a\0\0\0\0\0\0\0\0\0\x40\x1f\x40\x1f\x18\0"s, "big.tga", "big.tga in.bmp", 1,
     "bmp4c-grey: big.tga: is cut short: its 18 bytes cannot hold the 8000 x 8000 pixels that its "
     "header gives\n"},
    {"a run-length-encoded bitmap of 8000 x 8000 ended at once: a code of two bytes makes at most "
     "255 pixels",
     rle(8, 8000, 8000, threegreys, "\0\1"s), "big.bmp", "big.bmp in.bmp", 1,
     "bmp4c-grey: big.bmp: is cut short: its 68 bytes cannot hold the 8000 x 8000 pixels that its "
     "header gives\n"},
    {"an output in a missing folder", colours, "in.ppm", "in.ppm nowhere/in.bmp", 1,
     "bmp4c-grey: nowhere/in.bmp: cannot be written: No such file or directory\n"},
    {"a full disk, through a link: the device is not removed", colours, "in.ppm", "in.ppm full.bmp",
     1, "bmp4c-grey: full.bmp: cannot be written: No space left on device\n"},
    {"the picture as its own output, by default", picturefile("palette.png"), "in.bmp", "in.bmp", 1,
     "bmp4c-grey: in.bmp: is the picture itself\n"},
    {"the picture as its own output, through a link", colours, "in.ppm", "in.ppm link.bmp", 1,
     "bmp4c-grey: link.bmp: is the picture itself\n"},
    {"an output name in upper case", colours, "in.ppm", "in.ppm OUT.BMP", 0, ""},
    {"a user's 24-bit bitmap as the output: refused, kept", colours, "in.ppm", "in.ppm user.bmp", 1,
     "bmp4c-grey: user.bmp: is a bitmap that bmp4c-grey did not write: remove it, or name another "
     "file\n"},
    {"a picture whose default name is a user's bitmap (photo.jpg beside photo.bmp)", colours,
     "user.ppm", "user.ppm", 1,
     "bmp4c-grey: user.bmp: is a bitmap that bmp4c-grey did not write: remove it, or name another "
     "file\n"},
    {"a link named .bmp to the artwork b.png: what it leads to is judged", colours, "in.ppm",
     "in.ppm art.bmp", 1,
     "bmp4c-grey: art.bmp: is not a bitmap: remove it, or name another file\n"},
    {"a GIF of three frames without --frames: the first frame, and a note of the others",
     "$ convert -delay 10 -size 4x2 xc:white xc:black xc:gray anim.gif", "anim.gif",
     "anim.gif in.bmp", 0,
     "bmp4c-grey: anim.gif: has 3 frames; only the first is greyed: --frames takes them all\n",
     "ffffffff"},
    {"an output that is not a bitmap's name: the picture b.png is not written over", colours,
     "in.ppm", "in.ppm b.png", 2,
     "bmp4c-grey: b.png: the name must end in .bmp, for the file is a bitmap whatever its name" +
         greytry},
    {"a panel of 14 numbers", colours, "in.ppm", "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14 in.ppm",
     2,
     "bmp4c-grey: --panel takes linear, srgb, or 15 or 16 whole numbers separated by commas, not "
     "14" +
         greytry},
    {"a panel of 17 numbers", colours, "in.ppm", "--panel 0," + adafruit + ",70 in.ppm", 2,
     "bmp4c-grey: --panel takes linear, srgb, or 15 or 16 whole numbers separated by commas, not "
     "17" +
         greytry},
    {"a panel whose numbers decrease", colours, "in.ppm",
     "--panel 0,1,2,3,4,5,6,7,8,16,24,32,47,63,56 in.ppm", 2,
     "bmp4c-grey: --panel: the numbers must not decrease, and 56 comes after 63" + greytry},
    {"a panel whose last number is 0", colours, "in.ppm",
     "--panel=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0 in.ppm", 2,
     "bmp4c-grey: --panel: the last number, level 15's light, must be above 0" + greytry},
    {"a panel number above 65535", colours, "in.ppm",
     "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14,65536 in.ppm", 2,
     "bmp4c-grey: --panel: \"65536\" is not a whole number from 0 to 65535" + greytry},
    {"a panel of a word it does not know: its forms", colours, "in.ppm", "--panel sRGB in.ppm", 2,
     "bmp4c-grey: --panel: \"sRGB\" is none of its forms: linear, srgb, or 15 or 16 whole numbers "
     "separated by commas" +
         greytry},
    {"a panel with an empty item", colours, "in.ppm", "--panel 1,2,,4 in.ppm", 2,
     "bmp4c-grey: --panel: \"\" is not a whole number from 0 to 65535" + greytry},
    {"no picture named", colours, "in.ppm", "--ink", 2,
     "bmp4c-grey: give a picture, and at most one BMP" + greytry},
    {"three names", colours, "in.ppm", "in.ppm a.bmp b.bmp", 2,
     "bmp4c-grey: give a picture, and at most one BMP" + greytry},
    {"a fit without its x", colours, "in.ppm", "--fit 128 in.ppm", 2, fitusage},
    {"a fit of 0", colours, "in.ppm", "--fit 0x64 in.ppm", 2, fitusage},
    {"a fit over the limit", colours, "in.ppm", "--fit 8193x8192 in.ppm", 2, fitusage},
    {"a fit with letters after it", colours, "in.ppm", "--fit=128x64px in.ppm", 2, fitusage},
    {"--fit without its size", colours, "in.ppm", "in.ppm --fit", 2,
     "bmp4c-grey: --fit needs a size WxH" + greytry},
    {"an unknown option", colours, "in.ppm", "--gamma in.ppm", 2,
     "bmp4c-grey: no option --gamma" + greytry},
    {"--help: the usage on standard output", colours, "in.ppm", "--help", 0,
     "usage: bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] [--panel LIGHT] [--frames]\n"},
    {"--version, with the stb_image it was built with", colours, "in.ppm", "--version", 0,
     "bmp4c-grey 1.0 (stb_image 2."},
};

// The headers of files made by the same options, joined in order: the bitmaps that bmp4c-grey
// makes of each and bmp4c converts. False where a step fails.
bool convertall(const Folder &folder, std::vector<std::string> options,
                const std::vector<std::string> &pictures, std::string &items) {
  options.insert(options.begin(), BMP4C_GREY);
  for (const std::string &picture : pictures) {
    std::vector<std::string> command = options;
    command.insert(command.end(), {picture, picture + ".bmp"});
    if (folder.start(command) != 0 ||
        folder.start({BMP4C_PATH, picture + ".bmp", picture + ".h"}) != 0)
      return false;
    items += itemdigits(folder.read(picture + ".h"));
  }
  return true;
}

// ImageMagick's decoding of the picture through bmp4c-grey with the same options gives the same
// bitmap; a GIF's frames, as ImageMagick composes them, one after the other, give the same items.
void checklikemagick(const Folder &folder, const Greying &g, std::vector<std::string> options) {
  const bool frames = std::erase(options, "--frames") > 0;
  std::vector<std::string> pictures;
  if (frames) {
    ASSERT_EQ(folder.start({"convert", g.name, "-coalesce", "m-%d.png"}), 0) << g.proves;
    for (int i = 0; fs::exists(folder.path / ("m-" + std::to_string(i) + ".png")); ++i)
      pictures.push_back("m-" + std::to_string(i) + ".png");
  } else {
    ASSERT_EQ(folder.start({"convert", g.name, "-depth", "8", "magick.ppm"}), 0) << g.proves;
    pictures.push_back("magick.ppm");
  }
  std::string items;
  ASSERT_TRUE(convertall(folder, options, pictures, items)) << g.proves << folder.read("said");
  if (frames)
    EXPECT_EQ(items, itemdigits(folder.read("in.h"))) << g.proves;
  else
    EXPECT_EQ(folder.read("magick.ppm.bmp"), folder.read("in.bmp")) << g.proves;
}

// What a viewer shows of the bitmap is what bmp4c-preview draws of its header with the same
// display and panel, grey for grey.
void checkpreview(const Folder &folder, const Greying &g, const std::vector<std::string> &options) {
  std::vector<std::string> drawing = {BMP4C_PREVIEW};
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i] == "--ink" || options[i].starts_with("--panel=")) drawing.push_back(options[i]);
    if (options[i] == "--panel") drawing.insert(drawing.end(), {"--panel", options[i + 1]});
  }
  drawing.push_back("in.h");
  EXPECT_EQ(folder.start(drawing), 0) << g.proves;
  EXPECT_EQ(folder.start({"convert", "in.bmp", "-depth", "8", "gray:bmp"}), 0);
  EXPECT_EQ(folder.start({"convert", "in.preview.png", "-depth", "8", "gray:png"}), 0);
  EXPECT_EQ(folder.read("bmp"), folder.read("png")) << g.proves;
}

class Grey : public testing::TestWithParam<std::size_t> {};

TEST_P(Grey, MakesTheBitmapOfThePicture) {
  const Greying &g = greyings[GetParam()];
  const bool imagemagick = installed("convert");
  const Folder folder;
  if (g.picture.starts_with("$ ") && !imagemagick) GTEST_SKIP() << "ImageMagick makes its picture";
  if (g.picture.starts_with("$ "))
    ASSERT_EQ(folder.run(g.picture.substr(2)), 0) << folder.read("said");
  else if (!g.picture.empty() || g.status == 1)
    folder.write(g.name, g.picture);
  if (g.name != "in.bmp") folder.write("in.bmp", olderbmp);
  folder.write("b.png", artwork);
  const std::string photo = bmp24(1, 1, "\0\0\0\0"s);
  folder.write("user.bmp", photo);
  fs::create_directory(folder.path / "folder.png");
  fs::create_symlink(g.name, folder.path / "link.bmp");
  fs::create_symlink("b.png", folder.path / "art.bmp");
  fs::create_symlink("/dev/full", folder.path / "full.bmp");
  std::vector<std::string> command = words(g.arguments);
  command.insert(command.begin(), BMP4C_GREY);
  EXPECT_EQ(folder.start(command), g.status) << g.proves;
  const std::string said = folder.read("out") + folder.read("said"); // --help: how it starts
  EXPECT_EQ(g.status == 0 && g.digits.empty() ? said.substr(0, g.said.size()) : said, g.said)
      << g.proves;
  EXPECT_EQ(folder.read("b.png") + folder.read("user.bmp"), artwork + photo) << g.proves;
  if (g.status != 0 || g.digits.empty()) {
    EXPECT_EQ(folder.read("in.bmp"), g.name == "in.bmp" ? g.picture : olderbmp) << g.proves;
    return;
  }
  ASSERT_EQ(folder.start({BMP4C_PATH, "in.bmp", "in.h"}), 0) << g.proves;
  std::string digits = itemdigits(folder.read("in.h"));
  if (g.counted) {
    std::map<char, int> counts;
    for (const char d : digits) ++counts[d];
    digits.clear();
    for (const auto &[d, n] : counts) digits += d + ":"s + std::to_string(n) + " ";
  }
  EXPECT_TRUE(std::regex_match(digits, std::regex(g.digits))) << g.proves << ": " << digits;
  if (!imagemagick) GTEST_SKIP() << "bitmaps not read back: ImageMagick not installed";
  // The options alone: without the names and their order.
  std::vector<std::string> options(command.begin() + 1, command.end());
  std::erase(options, g.name);
  std::erase(options, "in.bmp");
  if (g.likemagick) checklikemagick(folder, g, options);
  if (!g.counted) checkpreview(folder, g, options);
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Grey, testing::Range<std::size_t>(0, std::size(greyings)),
                         [](const auto &row) {
                           return rowname(greyings[row.param].proves, row.param);
                         });

} // namespace
