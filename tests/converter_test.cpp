// bmp4c as its users meet it, each run in a fresh folder: the dialogue's transcript, or the
// quiet command line's one line on standard error, the exit status and the files left, for runs
// worked out by hand, a row a test, and for random bitmaps worked out pixel by pixel.
#include "support.hpp"

#include <random>

namespace {

using namespace bmp4ctest;

const std::string prompts = "This file convert a 4-bit BMP into 2-bit DC.b file \nPls enter binary "
                            "file name to read: \nPls enter text file name to write: \n";
const std::string done = "Convertion Completed\n",
                  toomany = "Too many names: put a name with blanks in double quotes\n",
                  old = "a header of an earlier run\n",
                  notfourbit =
                      "Not a 4-bit uncompressed bitmap: bmp4c-grey makes one from any picture\n",
                  incomplete = "Incomplete pixel data\n",
                  badinput = "Error opening binaryfile file for reading: ",
                  badoutput = "Error opening text file for writing\n";
// The starts of files that are not text: pictures and a binary file.
const std::string jpegstart = "\xff\xd8\xff\xe0\0\x10JFIF"s, gifstart = "GIF89a\1\0\1\0"s,
                  binary = "data\0more\n"s;
const std::string refused = ": remove it, or name another file\n",
                  quietusage = "Try 'bmp4c --help'\n", nameusage = "bmp4c: --name takes no \"";
// A 6 x 3 sheet whose pixels are 0 to 5, 6 to b and c to 1 in its rows from the top.
const std::string sheet = bitmap(6, 3, "\xcd\xef\x01\0\x67\x89\xab\0\x01\x23\x45\0"s);
// bmp4c's usage error for a name it does not take, and why.
std::string refusal(const std::string &name, const std::string &why) {
  return nameusage + name + "\": " + why + "\n" + quietusage;
}
const std::string entry = "it is the name of every C program's entry point",
                  ours = "names that start with BMP4C_ are bmp4c's own, such as BMP4C_FLASH",
                  kept = "C and C++ keep names that start with _ or hold __ for themselves",
                  library = "a program that includes the C library's headers or <avr/pgmspace.h> "
                            "already has that name";

struct Case {
  std::string proves, input, answers, said; // input: in.bmp, if any; said: after the prompts
  int status;
  std::string out = "(none)", before = "(none)"; // out.h as the run leaves it, and as it found it
  std::string arguments = "";                    // bmp4c's, as the shell reads them
};

// Beside in.bmp, every run finds "my in.bmp" and out.bmp, links to it, and "my out.h", a link to
// out.h. The dialogue says its lines, the prompts first, on standard output; given names, bmp4c
// says nothing there, and a failure or a usage error (status 2) on standard error.
const Case cases[] = {
    {"rows top down, padding dropped, v as 15-v; a row's last pixel joins the next one's first, "
     "the very last gets f; eight items a line",
     fivebythree, "in.bmp out.h", done, 0, itsitems},
    {"a top-down bitmap, and names on two lines",
     bitmap(5, -3, "\x01\x23\x4f\xff\x56\x78\x9f\xff\xab\xcd\xef\xff"s), "in.bmp\nout.h\n", done, 0,
     itsitems},
    {"missing input: named, and no output made", "", "none.bmp out.h", badinput + "none.bmp \n", 1},
    {"no answers: an empty name", "", "", badinput + " \n", 1},
    {"a folder as input", "", ". out.h", badinput + ". \n", 1},
    {"a long name is kept whole", "", std::string(3000, 'n') + " out.h",
     badinput + std::string(3000, 'n') + " \n", 1},
    {"output in a missing folder", fivebythree, "in.bmp nowhere/out.h", badoutput, 1},
    {"30-byte input: short header, no output made", fivebythree.substr(0, 30), "in.bmp out.h",
     "Incomplete header\n", 1},
    {"the same name twice leaves the bitmap intact", fivebythree, "in.bmp in.bmp", badoutput, 1},
    {"the same file by another name", fivebythree, "in.bmp ./in.bmp", badoutput, 1},
    {"the same file through a link", fivebythree, "in.bmp \"my in.bmp\"", badoutput, 1},
    {"a full disk", fivebythree, "in.bmp /dev/full", "Error writing text file\n", 1},
    {"a buffer past 2^31-1 bytes, no output made", bitmap(8, 1 << 30, ""), "in.bmp out.h",
     "Error allocating bitmap memory\n", 1},
    {"the most negative height", bitmap(8, INT32_MIN, ""), "in.bmp out.h",
     "Error allocating bitmap memory\n", 1},
    {"24 bits a pixel, as Paint saves: refused, no output made", patched(fivebythree, 28, "\x18"s),
     "in.bmp out.h", notfourbit, 1},
    {"a bit count whose high byte is set", patched(fivebythree, 29, "\4"s), "in.bmp out.h",
     notfourbit, 1},
    {"4 bits, compressed (RLE4)", patched(fivebythree, 30, "\2"s), "in.bmp out.h", notfourbit, 1},
    {"a compression set in its high byte only", patched(fivebythree, 33, "\1"s), "in.bmp out.h",
     notfourbit, 1},
    {"24 bits and a huge image: refused for its format first",
     patched(bitmap(8, 1 << 30, ""), 28, "\x18"s), "in.bmp out.h", notfourbit, 1},
    {"cut short inside the pixel data: refused, no output made", fivebythree.substr(0, 128),
     "in.bmp out.h", incomplete, 1},
    {"cut short by exactly the last row's padding: converts", fivebythree.substr(0, 129),
     "in.bmp out.h", done, 0, itsitems},
    {"a filesize short of the data", patched(fivebythree, 2, "\x80"s), "in.bmp out.h", incomplete,
     1},
    {"a filesize past the end of a complete file: converts", patched(fivebythree, 2, "\xff\xff"s),
     "in.bmp out.h", done, 0, itsitems},
    {"an offset of 54: the data would start inside the header", patched(fivebythree, 10, "\x36"s),
     "in.bmp out.h", incomplete, 1},
    {"an offset past the end of the file",
     patched(patched(fivebythree, 10, "\xff"s), 2, "\xff\xff"s), "in.bmp out.h", incomplete, 1},
    {"85 bytes that claim 520093713 x 4 pixels: refused at once",
     bitmap(520093713, 4, std::string(31, '\xff'), 25, 103), "in.bmp out.h", incomplete, 1},
    {"only the four fields used filled, all else zero: converts",
     patched(patched(patched(fivebythree, 0, "\0\0"s), 14, "\0\0\0\0"s), 26, "\0\0\0\0"s),
     "in.bmp out.h", done, 0, itsitems},
    {"quoted names with blanks; a success through a link, which is kept", fivebythree,
     "\"my in.bmp\" \"my out.h\"", done, 0, itsitems},
    {"a quoted name alone on its line", fivebythree, "\"my in.bmp\"\nout.h\n", done, 0, itsitems},
    {"a quote left open runs to the end of its line, CR dropped", fivebythree, "in.bmp \"out.h\r\n",
     done, 0, itsitems},
    {"CR LF line ends; the line after the names is not read", fivebythree,
     "in.bmp out.h \r\nin.bmp\n", done, 0, itsitems},
    {"empty quotes: an empty name", fivebythree, "in.bmp \"\"", badoutput, 1},
    {"a quote left open with nothing after it: an empty name", fivebythree, "in.bmp \"\nout.h\n",
     badoutput, 1},
    {"a quoted name is named without its quotes", "", "\"no such.bmp\" out.h",
     badinput + "no such.bmp \n", 1},
    {"a quote inside a word is part of it", "", "in\"x.bmp out.h", badinput + "in\"x.bmp \n", 1},
    {"three names: no file opened", fivebythree, "in.bmp out.h more.h", toomany, 1, old, old},
    {"an output name with a blank, unquoted: neither part created", fivebythree,
     "in.bmp my out.h\n", toomany, 1},
    {"short header over a header: bytes and time stamp kept", fivebythree.substr(0, 30),
     "in.bmp out.h", "Incomplete header\n", 1, old, old},
    {"another format, through a link to a header: both kept", patched(fivebythree, 28, "\x18"s),
     "in.bmp \"my out.h\"", notfourbit, 1, old, old},
    {"too large over a header", bitmap(8, 1 << 30, ""), "in.bmp out.h",
     "Error allocating bitmap memory\n", 1, old, old},
    {"pixel data cut short over a header", fivebythree.substr(0, 128), "in.bmp out.h", incomplete,
     1, old, old},
    {"pixel data cut short through a link to no file: none made", fivebythree.substr(0, 128),
     "in.bmp \"my out.h\"", incomplete, 1},
    {"a header replaced", fivebythree, "in.bmp out.h", done, 0, itsitems, old},
    {"two names as arguments: nothing said, the same header, and standard input is not read",
     fivebythree, "none.bmp none.h", "", 0, itsitems, "(none)", "in.bmp out.h"},
    {"arguments with blanks, as the shell passes them, through links", fivebythree, "", "", 0,
     itsitems, "(none)", "'my in.bmp' 'my out.h'"},
    {"a missing input as an argument: named, with the system's reason", "", "",
     "bmp4c: none.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)",
     "none.bmp out.h"},
    {"a folder as an argument", "", "", "bmp4c: .: is a folder, not a bitmap\n", 1, "(none)",
     "(none)", ". out.h"},
    {"a refusal through arguments: the bitmap named, the hint to bmp4c-grey, the header kept",
     patched(fivebythree, 28, "\x18"s), "", "bmp4c: in.bmp: " + notfourbit, 1, old, old,
     "in.bmp out.h"},
    {"a short header through arguments", fivebythree.substr(0, 30), "",
     "bmp4c: in.bmp: Incomplete header\n", 1, old, old, "in.bmp out.h"},
    {"a full disk through arguments: the file and the system's reason", fivebythree, "",
     "bmp4c: /dev/full: cannot be written: No space left on device\n", 1, "(none)", "(none)",
     "in.bmp /dev/full"},
    {"three names (a glob's): a usage error, nothing read or written", fivebythree, "in.bmp out.h",
     "bmp4c: give at most two names: the bitmap, then the text\n" + quietusage, 2, old, old,
     "none.bmp none.h more.h"},
    {"a bitmap alone: its name with .h, and standard input is not read", fivebythree,
     "none.bmp none.h", "", 0, itsitems, "(none)", "out.bmp"},
    {"a bitmap alone beside a bitmap of its name with .h: refused, kept", fivebythree, "",
     "bmp4c: out.h: is a bitmap, not text" + refused, 1, fivebythree, fivebythree, "out.bmp"},
    {"a bitmap named as the text, by the dialogue: refused, kept", fivebythree, "in.bmp out.h",
     badoutput, 1, fivebythree, fivebythree},
    {"a PNG named as the text, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1,
     pngstart, pngstart},
    {"a JPEG, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, jpegstart, jpegstart},
    {"a GIF, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, gifstart, gifstart},
    {"a binary file, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, binary, binary},
    {"a 24-bit bitmap, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1,
     patched(fivebythree, 28, "\x18"s), patched(fivebythree, 28, "\x18"s)},
    {"a bitmap by arguments, through a link: the name given", fivebythree, "",
     "bmp4c: my out.h: is a bitmap, not text" + refused, 1, fivebythree, fivebythree,
     "in.bmp 'my out.h'"},
    {"a PNG by arguments (logo.* gives the artwork as the text)", fivebythree, "",
     "bmp4c: out.h: is a PNG picture, not text" + refused, 1, pngstart, pngstart, "in.bmp out.h"},
    {"a JPEG by arguments", fivebythree, "", "bmp4c: out.h: is a JPEG picture, not text" + refused,
     1, jpegstart, jpegstart, "in.bmp out.h"},
    {"a GIF by arguments", fivebythree, "", "bmp4c: out.h: is a GIF picture, not text" + refused, 1,
     gifstart, gifstart, "in.bmp out.h"},
    {"a binary file by arguments: a NUL byte in its first 4 KiB", fivebythree, "",
     "bmp4c: out.h: is a binary file, not text" + refused, 1, std::string(4091, 'x') + binary,
     std::string(4091, 'x') + binary, "in.bmp out.h"},
    {"a NUL byte past the first 4 KiB: text, replaced", fivebythree, "", "", 0, itsitems,
     std::string(4096, 'x') + binary, "in.bmp out.h"},
    {"a text file that starts with B, not BM, is written over", fivebythree, "", "", 0, itsitems,
     "Bitmaps: logo.bmp\n", "in.bmp out.h"},
    {"a stray byte 0x9b, an 8-bit terminal's command, shown escaped; letters of any script kept",
     "", "", "bmp4c: \\x9b\xce\xb1.bmp: cannot be read: No such file or directory\n", 1, "(none)",
     "(none)", "'\x9b\xce\xb1.bmp' out.h"},
    {"a named header of no pixels would not compile: refused", bitmap(16, 0, ""), "",
     "bmp4c: in.bmp: No pixels: a named or tiled header of an image without pixels would not "
     "compile\n",
     1, old, old, "--name logo in.bmp out.h"},
    {"nor a tiled one", bitmap(0, 16, ""), "",
     "bmp4c: in.bmp: No pixels: a named or tiled header of an image without pixels would not "
     "compile\n",
     1, "(none)", "(none)", "--tile 16x16 in.bmp out.h"},
    {"the default form keeps its empty array", bitmap(16, 0, ""), "", "", 0,
     "#define WIDTH 16\n#define HEIGHT 0\nchar bitmap[] = {\n};\n", "(none)", "in.bmp out.h"},
    {"a name's control characters are shown escaped", "", "",
     "bmp4c: a\\x1b[2J.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)",
     "'a\x1b[2J.bmp' out.h"},
    {"--name: the image's own names, static const, in flash, guarded",
     bitmap(4, 2, "\x45\x67\0\0\x01\x23\0\0"s), "", "", 0,
     "#ifndef BMP4C_IMAGE_logo\n#define BMP4C_IMAGE_logo\n#ifdef LOGO_WIDTH\n#error \"LOGO_WIDTH "
     "is defined already: two images whose names differ only in case give the same "
     "macros\"\n#endif\n#define LOGO_WIDTH 4\n#define LOGO_HEIGHT 2\n#ifndef BMP4C_FLASH\n#define "
     "BMP4C_FLASH\n#endif\nstatic const unsigned char logo[] BMP4C_FLASH = "
     "{\n0xfe,0xdc,0xba,0x98,};\n#endif\n",
     "(none)", "--name logo in.bmp out.h"},
    {"--name=, odd x odd: the last item ends in f",
     bitmap(3, 3, "\x67\x80\0\0\x34\x50\0\0\x01\x20\0\0"s), "", "", 0,
     "#ifndef BMP4C_IMAGE_Icon_2\n#define BMP4C_IMAGE_Icon_2\n#ifdef ICON_2_WIDTH\n#error "
     "\"ICON_2_WIDTH is defined already: two images whose names differ only in case give the same "
     "macros\"\n#endif\n#define ICON_2_WIDTH 3\n#define ICON_2_HEIGHT 3\n#ifndef "
     "BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char Icon_2[] BMP4C_FLASH = "
     "{\n0xfe,0xdc,0xba,0x98,0x7f,};\n#endif\n",
     "(none)", "--name=Icon_2 in.bmp out.h"},
    {"--tile 3x2 on 6 x 4: tiles in reading order, each as a bitmap of its own, in braces",
     bitmap(6, 4, "\x23\x45\x67\0\xcd\xef\x01\0\x67\x89\xab\0\x01\x23\x45\0"s), "", "", 0,
     "#define WIDTH 3\n#define HEIGHT 2\n#define TILES 4\nchar bitmap[TILES][3] = "
     "{\n{\n0xfe,0xd9,0x87,\n},\n{\n0xcb,0xa6,0x54,\n},\n{\n0x32,0x1d,0xcb,\n},\n{\n0x0f,0xea,0x98,"
     "\n},\n};\n",
     "(none)", "--tile 3x2 out.bmp"},
    {"--tile=3x3 on 6 x 3, named, low first: odd x odd tiles each end in f, digits swapped",
     bitmap(6, 3, "\xcd\xef\x01\0\x67\x89\xab\0\x01\x23\x45\0"s), "", "", 0,
     "#ifndef BMP4C_IMAGE_sheet\n#define BMP4C_IMAGE_sheet\n#ifdef SHEET_WIDTH\n#error "
     "\"SHEET_WIDTH is defined already: two images whose names differ only in case give the same "
     "macros\"\n#endif\n#define SHEET_WIDTH 3\n#define SHEET_HEIGHT 3\n#define SHEET_TILES "
     "2\n#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char "
     "sheet[SHEET_TILES][5] BMP4C_FLASH = "
     "{\n{\n0xef,0x9d,0x78,0x23,0xf1,\n},\n{\n0xbc,0x6a,0x45,0xf0,0xfe,\n},\n};\n#endif\n",
     "(none)", "--low-first --name sheet --tile=3x3 in.bmp out.h"},
    {"--tile 5x1: each row a tile, its odd last pixel paired with f", fivebythree, "", "", 0,
     "#define WIDTH 5\n#define HEIGHT 1\n#define TILES 3\nchar bitmap[TILES][3] = {\n{\n0xfe,0xdc,"
     "0xbf,\n},\n{\n0xa9,0x87,0x6f,\n},\n{\n0x54,0x32,0x1f,\n},\n};\n",
     "(none)", "--tile 5x1 in.bmp out.h"},
    {"--pad-rows on 5 x 3: every row from a new byte, an odd row's last ending in the digit 0",
     fivebythree, "", "", 0, header(5, 3, "0xfe,0xdc,0xb0,0xa9,0x87,0x60,0x54,0x32,\n0x10,"),
     "(none)", "--pad-rows in.bmp out.h"},
    {"--pad-rows --low-first: the padding digit 0 in the high half", fivebythree, "", "", 0,
     header(5, 3, "0xef,0xcd,0x0b,0x9a,0x78,0x06,0x45,0x23,\n0x01,"), "(none)",
     "--low-first --pad-rows in.bmp out.h"},
    {"--tile 3x3 --pad-rows on 6 x 3: each tile's rows padded, 6 items a tile", sheet, "", "", 0,
     "#define WIDTH 3\n#define HEIGHT 3\n#define TILES 2\nchar bitmap[TILES][6] = {\n{\n0xfe,0xd0,"
     "0x98,0x70,0x32,0x10,\n},\n{\n0xcb,0xa0,0x65,0x40,0x0f,0xe0,\n},\n};\n",
     "(none)", "--tile 3x3 --pad-rows in.bmp out.h"},
    {"--pad-rows on an even width: the same bytes as without",
     bitmap(4, 2, "\x45\x67\0\0\x01\x23\0\0"s), "", "", 0, header(4, 2, "0xfe,0xdc,0xba,0x98,"),
     "(none)", "--pad-rows in.bmp out.h"},
    {"--micropython: WIDTH, HEIGHT and DATA, rows padded as framebuf.GS4_HMSB reads them",
     fivebythree, "", "", 0,
     "# bmp4c: 16 greys, two pixels a byte, the first in the high half,\n# each row from a new "
     "byte: framebuf.GS4_HMSB\nWIDTH = 5\nHEIGHT = 3\nDATA = (\n    "
     "b'\\xfe\\xdc\\xb0\\xa9\\x87\\x60\\x54\\x32\\x10'\n)\n",
     "(none)", "--micropython in.bmp out.h"},
    {"--micropython, tiled with delays: TILES, DATA the tiles one after another, DELAYS a tuple",
     sheet, "", "", 0,
     "# bmp4c: 16 greys, two pixels a byte, the first in the high half,\n# each row from a new "
     "byte: framebuf.GS4_HMSB\nWIDTH = 3\nHEIGHT = 3\nTILES = 2\nDATA = (\n    "
     "b'\\xfe\\xd0\\x98\\x70\\x32\\x10\\xcb\\xa0\\x65\\x40\\x0f\\xe0'\n)\nDELAYS = (100, 150)\n",
     "(none)", "--micropython --tile 3x3 --delays 100,150 in.bmp out.h"},
    {"--micropython: 16 bytes a line, each a bytes literal of its own",
     bitmap(8, 5, std::string(20, '\0')), "", "", 0,
     "# bmp4c: 16 greys, two pixels a byte, the first in the high half,\n# each row from a new "
     "byte: framebuf.GS4_HMSB\nWIDTH = 8\nHEIGHT = 5\nDATA = (\n    b'" +
         repeated("\\xff", 16) + "'\n    b'" + repeated("\\xff", 4) + "'\n)\n",
     "(none)", "--micropython in.bmp out.h"},
    {"--raw: the header's items' bytes alone", fivebythree, "", "", 0,
     "\xfe\xdc\xba\x98\x76\x54\x32\x1f"s, "(none)", "--raw in.bmp out.h"},
    {"--delays, named: an array of the tiles' times beside the image, in flash", sheet, "", "", 0,
     "#ifndef BMP4C_IMAGE_walk\n#define BMP4C_IMAGE_walk\n#ifdef WALK_WIDTH\n#error "
     "\"WALK_WIDTH is defined already: two images whose names differ only in case give the same "
     "macros\"\n#endif\n#define WALK_WIDTH 3\n#define WALK_HEIGHT 3\n#define WALK_TILES 2\n#ifndef "
     "BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char walk[WALK_TILES][5] "
     "BMP4C_FLASH = {\n{\n0xfe,0xd9,0x87,0x32,0x1f,\n},\n{\n0xcb,0xa6,0x54,0x0f,0xef,\n},\n};\n"
     "static const unsigned short walk_delays[WALK_TILES] BMP4C_FLASH = {100,150};\n#endif\n",
     "(none)", "--name walk --tile 3x3 --delays 100,150 in.bmp out.h"},
    {"a delay for each tile or none: refused, nothing written", sheet, "",
     "bmp4c: in.bmp: Not a delay for each tile: 1 delay for 2 tiles\n", 1, old, old,
     "--tile 3x3 --delays 100 in.bmp out.h"},
    {"--delays without tiles", fivebythree, "",
     "bmp4c: --delays gives each tile's time: it needs --tile, and a header or module to hold "
     "them\n" +
         quietusage,
     2, old, old, "--delays 100 in.bmp out.h"},
    {"a delay past 65535", sheet, "",
     "bmp4c: --delays takes whole numbers from 0 to 65535, comma-separated, not \"1,70000\"\n" +
         quietusage,
     2, old, old, "--tile 3x3 --delays 1,70000 in.bmp out.h"},
    {"a module's names are its own: --name refused", fivebythree, "",
     "bmp4c: --name is for C: a module's names are its own (logo.WIDTH), and the bytes alone have "
     "none\n" +
         quietusage,
     2, old, old, "--micropython --name logo in.bmp out.h"},
    {"--low-first, odd width: every item's digits swapped, the padding f too", fivebythree, "", "",
     0,
     "#define WIDTH 5\n#define HEIGHT 3\nchar bitmap[] = "
     "{\n0xef,0xcd,0xab,0x89,0x67,0x45,0x23,0xf1,\n};\n",
     "(none)", "--low-first in.bmp out.h"},
    {"not whole tiles: refused, the old header kept", fivebythree, "",
     "bmp4c: in.bmp: Not a whole number of tiles: 5 x 3 pixels in tiles of 2 x 3\n", 1, old, old,
     "--tile 2x3 in.bmp out.h"},
    {"-- ends the options: a name may start with -", "", "",
     "bmp4c: -none.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)",
     "--low-first -- -none.bmp out.h"},
    {"an unknown option: nothing read or written", fivebythree, "in.bmp out.h",
     "bmp4c: no option -x\nTry 'bmp4c --help'\n", 2, old, old, "-x none.h"},
    {"a name that starts with a digit", fivebythree, "",
     "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no "
     "keyword, not \"9x\"\nTry 'bmp4c --help'\n",
     2, old, old, "--name 9x in.bmp out.h"},
    {"a keyword as a name", fivebythree, "",
     "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no "
     "keyword, not \"int\"\nTry 'bmp4c --help'\n",
     2, old, old, "--name int in.bmp out.h"},
    {"a name with a letter outside ASCII", fivebythree, "",
     "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no "
     "keyword, not \"caf\xc3\xa9\"\nTry 'bmp4c --help'\n",
     2, old, old, "--name café in.bmp out.h"},
    {"a tile of 0", fivebythree, "",
     "bmp4c: --tile takes a size WxH such as 16x16, not \"0x2\"\nTry 'bmp4c --help'\n", 2, old, old,
     "--tile 0x2 in.bmp out.h"},
    {"a tile without its x", fivebythree, "",
     "bmp4c: --tile takes a size WxH such as 16x16, not \"3\"\nTry 'bmp4c --help'\n", 2, old, old,
     "--tile 3 in.bmp out.h"},
    {"main, the program's own", fivebythree, "", refusal("main", entry), 2, old, old,
     "--name main in.bmp out.h"},
    {"BMP4C_FLASH: bmp4c's own, which would expand to nothing", fivebythree, "",
     refusal("BMP4C_FLASH", ours), 2, old, old, "--name BMP4C_FLASH in.bmp out.h"},
    {"bmp4c_logo, whose macros would start BMP4C_", fivebythree, "", refusal("bmp4c_logo", ours), 2,
     old, old, "--name bmp4c_logo in.bmp out.h"},
    {"PROGMEM, which the AVR recipe needs", fivebythree, "", refusal("PROGMEM", library), 2, old,
     old, "--name PROGMEM in.bmp out.h"},
    {"_ and a capital: reserved", fivebythree, "", refusal("_Logo", kept), 2, old, old,
     "--name _Logo in.bmp out.h"},
    {"__ at the start", fivebythree, "", refusal("__x", kept), 2, old, old,
     "--name __x in.bmp out.h"},
    {"__ inside: reserved in C++", fivebythree, "", refusal("a__b", kept), 2, old, old,
     "--name a__b in.bmp out.h"},
    {"NULL", fivebythree, "", refusal("NULL", library), 2, old, old, "--name NULL in.bmp out.h"},
    {"EOF", fivebythree, "", refusal("EOF", library), 2, old, old, "--name EOF in.bmp out.h"},
    {"index, which glibc's <string.h> declares", fivebythree, "", refusal("index", library), 2, old,
     old, "--name index in.bmp out.h"},
    {"uint_least16_t, of a family of names", fivebythree, "", refusal("uint_least16_t", library), 2,
     old, old, "--name uint_least16_t in.bmp out.h"},
    {"std, C++'s", fivebythree, "", refusal("std", "it is the name of C++'s standard library"), 2,
     old, old, "--name std in.bmp out.h"},
    {"size, whose SIZE_WIDTH is C23's <stdint.h>'s", fivebythree, "",
     refusal("size", "its macro SIZE_WIDTH is one that the C library defines"), 2, old, old,
     "--name size in.bmp out.h"},
    {"three names with an option", fivebythree, "",
     "bmp4c: give at most two names: the bitmap, then the text\nTry 'bmp4c --help'\n", 2, old, old,
     "--low-first in.bmp out.h more.h"},
    {"--help: the usage, and no dialogue", "", "",
     "usage: bmp4c\n       bmp4c [--name NAME] [--tile WxH [--delays MS,...]] [--low-first] "
     "[--pad-rows]\n",
     0, "(none)", "(none)", "--help"},
    {"--version", "", "", "bmp4c 1.0\n", 0, "(none)", "(none)", "--version"},
};

void check(const Case &c) {
  const Folder folder;
  const fs::path out = folder.path / "out.h";
  const auto past = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) -
                    std::chrono::hours(1000);
  if (!c.input.empty()) std::ofstream(folder.path / "in.bmp", std::ios::binary) << c.input;
  if (c.before != "(none)") {
    std::ofstream(out) << c.before;
    fs::last_write_time(out, past);
  }
  std::ofstream(folder.path / "answers") << c.answers;
  fs::create_symlink("in.bmp", folder.path / "my in.bmp");
  fs::create_symlink("out.h", folder.path / "my out.h");
  fs::create_symlink("in.bmp", folder.path / "out.bmp");
  auto files = [&] { return std::distance(fs::directory_iterator(folder.path), {}); };
  const auto found = files();
  std::vector<std::string> command = words(c.arguments);
  command.insert(command.begin(), BMP4C_PATH);
  EXPECT_EQ(folder.start(command, "answers"), c.status) << c.proves;
  // --help and --version answer alone; their text starts as given.
  const std::string printed = folder.read("out"), errors = folder.read("said");
  if (c.arguments.starts_with("--help") || c.arguments.starts_with("--version"))
    EXPECT_EQ(printed.substr(0, c.said.size()), c.said) << c.proves;
  else if (c.arguments.empty())
    EXPECT_EQ(printed + errors, prompts + c.said) << c.proves;
  else
    EXPECT_EQ(printed + "|" + errors, "|" + c.said) << c.proves;
  EXPECT_EQ(slurp(folder.path / "in.bmp"), c.input.empty() ? "(none)" : c.input) << c.proves;
  EXPECT_EQ(slurp(out), c.out) << c.proves;
  if (c.out == c.before && fs::exists(out)) {
    EXPECT_EQ(fs::last_write_time(out), past) << c.proves;
  }
  // Only "out" and "said" are new, and out.h if the run made it.
  EXPECT_EQ(files(), found + 2 + (c.before == "(none)" && c.out != "(none)")) << c.proves;
}

class Converter : public testing::TestWithParam<std::size_t> {};

TEST_P(Converter, RunsAsWorkedOut) {
  check(cases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Converter, testing::Range<std::size_t>(0, std::size(cases)),
                         [](const auto &row) {
                           return rowname(cases[row.param].proves, row.param);
                         });

// What the converter must make of a bitmap file, worked out one pixel at a
// time from its fields (filesize as the header gives it).
Case expected(const std::string &proves, const std::string &file, std::int64_t width,
              std::int64_t height, std::int64_t offset, std::int64_t filesize) {
  if (file.size() < 54) return {proves, file, "in.bmp out.h", "Incomplete header\n", 1};
  const std::int64_t rows = std::abs(height), rowsize = width > 0 ? (width + 7) / 8 * 4 : 0;
  if (rows * rowsize >= INT32_MAX)
    return {proves, file, "in.bmp out.h", "Error allocating bitmap memory\n", 1};
  // Capture starts once the byte before offset is read, and stops at filesize or the buffer's end;
  // it must bring every stored row up to the last pixel of the last one.
  std::string data, digits; // digits: each pixel v as the hex digit of 15 - v, in reading order
  if (offset > 54 && offset <= std::min<std::int64_t>(filesize, std::ssize(file)))
    data = file.substr(static_cast<std::size_t>(offset),
                       static_cast<std::size_t>(std::min(filesize - offset, rows * rowsize + 1)));
  if (width > 0 && rows > 0 && std::ssize(data) < (rows - 1) * rowsize + (width + 1) / 2)
    return {proves, file, "in.bmp out.h", incomplete, 1};
  for (std::int64_t line = 0; width > 0 && line < rows; ++line) {
    for (std::int64_t x = 0; x < width; ++x) {
      const auto at =
          static_cast<std::size_t>((height > 0 ? rows - 1 - line : line) * rowsize + x / 2);
      const int stored = static_cast<std::uint8_t>(data[at]);
      digits += "fedcba9876543210"[x % 2 ? stored & 15 : stored >> 4];
    }
  }
  std::string out = "#define WIDTH " + std::to_string(width) + "\n#define HEIGHT " +
                    std::to_string(rows) + "\nchar bitmap[] = {\n";
  if (digits.size() % 2) digits += 'f';
  for (std::size_t i = 0; i < digits.size(); i += 2)
    out += "0x" + digits.substr(i, 2) + (i % 16 == 14 ? ",\n" : ",");
  return {proves, file, "in.bmp out.h", done, 0, out + "};\n"};
}

// Random fields (huge and negative ones too) and data. A huge width only comes with a height of no
// rows or too large a buffer, to keep outputs small.
TEST(Converter, RandomBitmapsAsWorkedOut) {
  std::mt19937 rng(2026);
  auto pick = [&](std::vector<std::int64_t> odd, std::int64_t low, std::int64_t high) {
    return static_cast<std::int32_t>(rng() % 3 ? std::uniform_int_distribution(low, high)(rng)
                                               : odd[rng() % odd.size()]);
  };
  std::string noise(270000, '\0');
  for (char &c : noise) c = static_cast<char>(rng());
  // Rows longer than the writer's batches, and output many times its buffer.
  const Case large = expected("8195x65", bitmap(8195, 65, noise), 8195, 65, 118, 118 + 270000);
  ASSERT_EQ(large.said, done); // all its pixels are there
  check(large);
  for (int i = 0; i < 300; ++i) {
    const std::int32_t width = pick({0, -1, INT32_MIN, INT32_MAX, 1 << 30}, 1, 40),
                       offset = pick({0, 54, INT32_MAX, -7}, 54, 130);
    const std::int32_t height =
        width > 40 ? pick({0, INT32_MIN}, 0, 0) : pick({INT32_MIN, INT32_MAX, 1 << 29}, -12, 12);
    const std::int64_t filesize = pick({-1, INT32_MAX, INT32_MIN}, 0, 600); // -1: the real size
    const std::string file =
        bitmap(width, height, noise.substr(rng() % 1000, rng() % 400), offset, filesize);
    const std::string cut = file.substr(0, rng() % 8 ? file.size() : 1 + rng() % 53);
    check(expected("random " + std::to_string(i), cut, width, height, offset,
                   filesize < 0 ? std::ssize(file) : filesize));
  }
}

} // namespace
