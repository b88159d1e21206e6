// bmp4c as its users meet it, each run in a fresh folder: the converter's
// transcript, exit status and files left, for runs worked out by hand and
// for random bitmaps worked out pixel by pixel; bmp4c-preview's pictures
// and refusals; a CMake project that embeds its images with
// bmp4c_add_image; and the README's examples as written.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A file's bytes; "(none)" if there is no such file.
std::string slurp(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(none)";
}

// A 54-byte header with the given fields, zeros up to offset (at most 64 KiB
// of them), then the stored rows. A negative filesize means the real size.
std::string bitmap(std::int32_t width, std::int32_t height, const std::string &stored,
                   std::int32_t offset = 118, std::int64_t filesize = -1) {
  auto le32 = [](std::int64_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  const std::int64_t start = std::clamp(offset, 54, 1 << 16);
  return "BM" + le32(filesize < 0 ? start + std::ssize(stored) : filesize) + le32(0) +
         le32(offset) + le32(40) + le32(width) + le32(height) + "\1\0\4\0"s +
         std::string(static_cast<std::size_t>(start - 30), '\0') + stored;
}

// The file with some of its bytes replaced, from a position on.
std::string patched(std::string file, std::size_t at, const std::string &bytes) {
  return file.replace(at, bytes.size(), bytes);
}

// A fresh folder, removed afterwards, where shell commands run.
struct Folder {
  // Installs this build's bmp4c into a prefix in the folder.
  int install(const std::string &prefix) const {
    return run(BMP4C_CMAKE " --install " BMP4C_BUILD " --config " BMP4C_CONFIG " --prefix " +
               prefix);
  }
  std::string name = (fs::temp_directory_path() / "bmp4c-XXXXXX").string();
  fs::path path = mkdtemp(name.data());
  ~Folder() {
    fs::remove_all(path);
  }
  // The command's exit status; what it printed is left in the file "said".
  int run(const std::string &command) const {
    const int status =
        std::system(("cd '" + path.string() + "' && (" + command + ") >said 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// clang-format off
const std::string prompts = "This file convert a 4-bit BMP into 2-bit DC.b file \nPls enter binary file name to read: \nPls enter text file name to write: \n";
const std::string done = "Convertion Completed\n", toomany = "Too many names: put a name with blanks in double quotes\n", old = "a header of an earlier run\n", notfourbit = "Not a 4-bit uncompressed bitmap: bmp4c-grey makes one from any picture\n", incomplete = "Incomplete pixel data\n", badinput = "Error opening binaryfile file for reading: ", badoutput = "Error opening text file for writing\n";
// A 5x3 image whose pixels are 0 to e in reading order, stored bottom row first with
// padding (fff) that must never show, and what the converter makes of it.
const std::string fivebythree = bitmap(5, 3, "\xab\xcd\xef\xff\x56\x78\x9f\xff\x01\x23\x4f\xff"s);
const std::string itsitems = "#define WIDTH 5\n#define HEIGHT 3\nchar bitmap[] = {\n0xfe,0xdc,0xba,0x98,0x76,0x54,0x32,0x1f,\n};\n";
// The starts of files that are not text: pictures and a binary file.
const std::string pngstart = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s, jpegstart = "\xff\xd8\xff\xe0\0\x10JFIF"s, gifstart = "GIF89a\1\0\1\0"s, binary = "data\0more\n"s;
const std::string refused = ": remove it, or name another file\n", quietusage = "Try 'bmp4c --help'\n", nameusage = "bmp4c: --name takes no \"";
// clang-format on

struct Case {
  std::string proves, input, answers, said; // input: in.bmp, if any; said: after the prompts
  int status;
  std::string out = "(none)", before = "(none)"; // out.h as the run leaves it, and as it found it
  std::string arguments = "";                    // bmp4c's, as the shell reads them
};

// Beside in.bmp, every run finds "my in.bmp" and out.bmp, links to it, and "my out.h", a link to
// out.h. The dialogue says its lines, the prompts first, on standard output; given names, bmp4c
// says nothing there, and a failure or a usage error (status 2) on standard error.
// clang-format off
const Case cases[] = {
  {"rows top down, padding dropped, v as 15-v; a row's last pixel joins the next one's first, the very last gets f; eight items a line", fivebythree, "in.bmp out.h", done, 0, itsitems},
  {"a top-down bitmap, and names on two lines", bitmap(5, -3, "\x01\x23\x4f\xff\x56\x78\x9f\xff\xab\xcd\xef\xff"s), "in.bmp\nout.h\n", done, 0, itsitems},
  {"missing input: named, and no output made", "", "none.bmp out.h", badinput + "none.bmp \n", 1},
  {"no answers: an empty name", "", "", badinput + " \n", 1},
  {"a folder as input", "", ". out.h", badinput + ". \n", 1},
  {"a long name is kept whole", "", std::string(3000, 'n') + " out.h", badinput + std::string(3000, 'n') + " \n", 1},
  {"output in a missing folder", fivebythree, "in.bmp nowhere/out.h", badoutput, 1},
  {"30-byte input: short header, no output made", fivebythree.substr(0, 30), "in.bmp out.h", "Incomplete header\n", 1},
  {"the same name twice leaves the bitmap intact", fivebythree, "in.bmp in.bmp", badoutput, 1},
  {"the same file by another name", fivebythree, "in.bmp ./in.bmp", badoutput, 1},
  {"the same file through a link", fivebythree, "in.bmp \"my in.bmp\"", badoutput, 1},
  {"a full disk", fivebythree, "in.bmp /dev/full", "Error writing text file\n", 1},
  {"a buffer past 2^31-1 bytes, no output made", bitmap(8, 1 << 30, ""), "in.bmp out.h", "Error allocating bitmap memory\n", 1},
  {"the most negative height", bitmap(8, INT32_MIN, ""), "in.bmp out.h", "Error allocating bitmap memory\n", 1},
  {"24 bits a pixel, as Paint saves: refused, no output made", patched(fivebythree, 28, "\x18"s), "in.bmp out.h", notfourbit, 1},
  {"a bit count whose high byte is set", patched(fivebythree, 29, "\4"s), "in.bmp out.h", notfourbit, 1},
  {"4 bits, compressed (RLE4)", patched(fivebythree, 30, "\2"s), "in.bmp out.h", notfourbit, 1},
  {"a compression set in its high byte only", patched(fivebythree, 33, "\1"s), "in.bmp out.h", notfourbit, 1},
  {"24 bits and a huge image: refused for its format first", patched(bitmap(8, 1 << 30, ""), 28, "\x18"s), "in.bmp out.h", notfourbit, 1},
  {"cut short inside the pixel data: refused, no output made", fivebythree.substr(0, 128), "in.bmp out.h", incomplete, 1},
  {"cut short by exactly the last row's padding: converts", fivebythree.substr(0, 129), "in.bmp out.h", done, 0, itsitems},
  {"a filesize short of the data", patched(fivebythree, 2, "\x80"s), "in.bmp out.h", incomplete, 1},
  {"a filesize past the end of a complete file: converts", patched(fivebythree, 2, "\xff\xff"s), "in.bmp out.h", done, 0, itsitems},
  {"an offset of 54: the data would start inside the header", patched(fivebythree, 10, "\x36"s), "in.bmp out.h", incomplete, 1},
  {"an offset past the end of the file", patched(patched(fivebythree, 10, "\xff"s), 2, "\xff\xff"s), "in.bmp out.h", incomplete, 1},
  {"85 bytes that claim 520093713 x 4 pixels: refused at once", bitmap(520093713, 4, std::string(31, '\xff'), 25, 103), "in.bmp out.h", incomplete, 1},
  {"only the four fields used filled, all else zero: converts", patched(patched(patched(fivebythree, 0, "\0\0"s), 14, "\0\0\0\0"s), 26, "\0\0\0\0"s), "in.bmp out.h", done, 0, itsitems},
  {"quoted names with blanks; a success through a link, which is kept", fivebythree, "\"my in.bmp\" \"my out.h\"", done, 0, itsitems},
  {"a quoted name alone on its line", fivebythree, "\"my in.bmp\"\nout.h\n", done, 0, itsitems},
  {"a quote left open runs to the end of its line, CR dropped", fivebythree, "in.bmp \"out.h\r\n", done, 0, itsitems},
  {"CR LF line ends; the line after the names is not read", fivebythree, "in.bmp out.h \r\nin.bmp\n", done, 0, itsitems},
  {"empty quotes: an empty name", fivebythree, "in.bmp \"\"", badoutput, 1},
  {"a quote left open with nothing after it: an empty name", fivebythree, "in.bmp \"\nout.h\n", badoutput, 1},
  {"a quoted name is named without its quotes", "", "\"no such.bmp\" out.h", badinput + "no such.bmp \n", 1},
  {"a quote inside a word is part of it", "", "in\"x.bmp out.h", badinput + "in\"x.bmp \n", 1},
  {"three names: no file opened", fivebythree, "in.bmp out.h more.h", toomany, 1, old, old},
  {"an output name with a blank, unquoted: neither part created", fivebythree, "in.bmp my out.h\n", toomany, 1},
  {"short header over a header: bytes and time stamp kept", fivebythree.substr(0, 30), "in.bmp out.h", "Incomplete header\n", 1, old, old},
  {"another format, through a link to a header: both kept", patched(fivebythree, 28, "\x18"s), "in.bmp \"my out.h\"", notfourbit, 1, old, old},
  {"too large over a header", bitmap(8, 1 << 30, ""), "in.bmp out.h", "Error allocating bitmap memory\n", 1, old, old},
  {"pixel data cut short over a header", fivebythree.substr(0, 128), "in.bmp out.h", incomplete, 1, old, old},
  {"pixel data cut short through a link to no file: none made", fivebythree.substr(0, 128), "in.bmp \"my out.h\"", incomplete, 1},
  {"a header replaced", fivebythree, "in.bmp out.h", done, 0, itsitems, old},
  {"two names as arguments: nothing said, the same header, and standard input is not read", fivebythree, "none.bmp none.h", "", 0, itsitems, "(none)", "in.bmp out.h"},
  {"arguments with blanks, as the shell passes them, through links", fivebythree, "", "", 0, itsitems, "(none)", "'my in.bmp' 'my out.h'"},
  {"a missing input as an argument: named, with the system's reason", "", "", "bmp4c: none.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)", "none.bmp out.h"},
  {"a folder as an argument", "", "", "bmp4c: .: is a folder, not a bitmap\n", 1, "(none)", "(none)", ". out.h"},
  {"a refusal through arguments: the bitmap named, the hint to bmp4c-grey, the header kept", patched(fivebythree, 28, "\x18"s), "", "bmp4c: in.bmp: " + notfourbit, 1, old, old, "in.bmp out.h"},
  {"a short header through arguments", fivebythree.substr(0, 30), "", "bmp4c: in.bmp: Incomplete header\n", 1, old, old, "in.bmp out.h"},
  {"a full disk through arguments: the file and the system's reason", fivebythree, "", "bmp4c: /dev/full: cannot be written: No space left on device\n", 1, "(none)", "(none)", "in.bmp /dev/full"},
  {"three names (a glob's): a usage error, nothing read or written", fivebythree, "in.bmp out.h", "bmp4c: give at most two names: the bitmap, then the text\n" + quietusage, 2, old, old, "none.bmp none.h more.h"},
  {"a bitmap alone: its name with .h, and standard input is not read", fivebythree, "none.bmp none.h", "", 0, itsitems, "(none)", "out.bmp"},
  {"a bitmap alone beside a bitmap of its name with .h: refused, kept", fivebythree, "", "bmp4c: out.h: is a bitmap, not text" + refused, 1, fivebythree, fivebythree, "out.bmp"},
  {"a bitmap named as the text, by the dialogue: refused, kept", fivebythree, "in.bmp out.h", badoutput, 1, fivebythree, fivebythree},
  {"a PNG named as the text, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, pngstart, pngstart},
  {"a JPEG, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, jpegstart, jpegstart},
  {"a GIF, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, gifstart, gifstart},
  {"a binary file, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, binary, binary},
  {"a 24-bit bitmap, by the dialogue", fivebythree, "in.bmp out.h", badoutput, 1, patched(fivebythree, 28, "\x18"s), patched(fivebythree, 28, "\x18"s)},
  {"a bitmap by arguments, through a link: the name given", fivebythree, "", "bmp4c: my out.h: is a bitmap, not text" + refused, 1, fivebythree, fivebythree, "in.bmp 'my out.h'"},
  {"a PNG by arguments (logo.* gives the artwork as the text)", fivebythree, "", "bmp4c: out.h: is a PNG picture, not text" + refused, 1, pngstart, pngstart, "in.bmp out.h"},
  {"a JPEG by arguments", fivebythree, "", "bmp4c: out.h: is a JPEG picture, not text" + refused, 1, jpegstart, jpegstart, "in.bmp out.h"},
  {"a GIF by arguments", fivebythree, "", "bmp4c: out.h: is a GIF picture, not text" + refused, 1, gifstart, gifstart, "in.bmp out.h"},
  {"a binary file by arguments: a NUL byte in its first 4 KiB", fivebythree, "", "bmp4c: out.h: is a binary file, not text" + refused, 1, std::string(4091, 'x') + binary, std::string(4091, 'x') + binary, "in.bmp out.h"},
  {"a NUL byte past the first 4 KiB: text, replaced", fivebythree, "", "", 0, itsitems, std::string(4096, 'x') + binary, "in.bmp out.h"},
  {"a text file that starts with B, not BM, is written over", fivebythree, "", "", 0, itsitems, "Bitmaps: logo.bmp\n", "in.bmp out.h"},
  {"a name's control characters are shown escaped", "", "", "bmp4c: a\\x1b[2J.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)", "\"$(printf 'a\\033[2J.bmp')\" out.h"},
  {"--name: the image's own names, static const, in flash, guarded", bitmap(4, 2, "\x45\x67\0\0\x01\x23\0\0"s), "", "", 0, "#ifndef BMP4C_IMAGE_logo\n#define BMP4C_IMAGE_logo\n#ifdef LOGO_WIDTH\n#error \"LOGO_WIDTH is defined already: two images whose names differ only in case give the same macros\"\n#endif\n#define LOGO_WIDTH 4\n#define LOGO_HEIGHT 2\n#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char logo[] BMP4C_FLASH = {\n0xfe,0xdc,0xba,0x98,};\n#endif\n", "(none)", "--name logo in.bmp out.h"},
  {"--name=, odd x odd: the last item ends in f", bitmap(3, 3, "\x67\x80\0\0\x34\x50\0\0\x01\x20\0\0"s), "", "", 0, "#ifndef BMP4C_IMAGE_Icon_2\n#define BMP4C_IMAGE_Icon_2\n#ifdef ICON_2_WIDTH\n#error \"ICON_2_WIDTH is defined already: two images whose names differ only in case give the same macros\"\n#endif\n#define ICON_2_WIDTH 3\n#define ICON_2_HEIGHT 3\n#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char Icon_2[] BMP4C_FLASH = {\n0xfe,0xdc,0xba,0x98,0x7f,};\n#endif\n", "(none)", "--name=Icon_2 in.bmp out.h"},
  {"--tile 3x2 on 6 x 4: tiles in reading order, each as a bitmap of its own, in braces", bitmap(6, 4, "\x23\x45\x67\0\xcd\xef\x01\0\x67\x89\xab\0\x01\x23\x45\0"s), "", "", 0, "#define WIDTH 3\n#define HEIGHT 2\n#define TILES 4\nchar bitmap[TILES][3] = {\n{\n0xfe,0xd9,0x87,\n},\n{\n0xcb,0xa6,0x54,\n},\n{\n0x32,0x1d,0xcb,\n},\n{\n0x0f,0xea,0x98,\n},\n};\n", "(none)", "--tile 3x2 out.bmp"},
  {"--tile=3x3 on 6 x 3, named, low first: odd x odd tiles each end in f, digits swapped", bitmap(6, 3, "\xcd\xef\x01\0\x67\x89\xab\0\x01\x23\x45\0"s), "", "", 0, "#ifndef BMP4C_IMAGE_sheet\n#define BMP4C_IMAGE_sheet\n#ifdef SHEET_WIDTH\n#error \"SHEET_WIDTH is defined already: two images whose names differ only in case give the same macros\"\n#endif\n#define SHEET_WIDTH 3\n#define SHEET_HEIGHT 3\n#define SHEET_TILES 2\n#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char sheet[SHEET_TILES][5] BMP4C_FLASH = {\n{\n0xef,0x9d,0x78,0x23,0xf1,\n},\n{\n0xbc,0x6a,0x45,0xf0,0xfe,\n},\n};\n#endif\n", "(none)", "--low-first --name sheet --tile=3x3 in.bmp out.h"},
  {"--low-first, odd width: every item's digits swapped, the padding f too", fivebythree, "", "", 0, "#define WIDTH 5\n#define HEIGHT 3\nchar bitmap[] = {\n0xef,0xcd,0xab,0x89,0x67,0x45,0x23,0xf1,\n};\n", "(none)", "--low-first in.bmp out.h"},
  {"not whole tiles: refused, the old header kept", fivebythree, "", "bmp4c: in.bmp: Not a whole number of tiles: 5 x 3 pixels in tiles of 2 x 3\n", 1, old, old, "--tile 2x3 in.bmp out.h"},
  {"-- ends the options: a name may start with -", "", "", "bmp4c: -none.bmp: cannot be read: No such file or directory\n", 1, "(none)", "(none)", "--low-first -- -none.bmp out.h"},
  {"an unknown option: nothing read or written", fivebythree, "in.bmp out.h", "bmp4c: no option -x\nTry 'bmp4c --help'\n", 2, old, old, "-x none.h"},
  {"a name that starts with a digit", fivebythree, "", "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no keyword, not \"9x\"\nTry 'bmp4c --help'\n", 2, old, old, "--name 9x in.bmp out.h"},
  {"a keyword as a name", fivebythree, "", "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no keyword, not \"int\"\nTry 'bmp4c --help'\n", 2, old, old, "--name int in.bmp out.h"},
  {"a name with a letter outside ASCII", fivebythree, "", "bmp4c: --name takes a C name: ASCII letters, digits and _, not a digit first, and no keyword, not \"caf\xc3\xa9\"\nTry 'bmp4c --help'\n", 2, old, old, "--name café in.bmp out.h"},
  {"a tile of 0", fivebythree, "", "bmp4c: --tile takes a size WxH such as 16x16, not \"0x2\"\nTry 'bmp4c --help'\n", 2, old, old, "--tile 0x2 in.bmp out.h"},
  {"a tile without its x", fivebythree, "", "bmp4c: --tile takes a size WxH such as 16x16, not \"3\"\nTry 'bmp4c --help'\n", 2, old, old, "--tile 3 in.bmp out.h"},
  {"main, the program's own", fivebythree, "", nameusage + "main\": it is the name of every C program's entry point\n" + quietusage, 2, old, old, "--name main in.bmp out.h"},
  {"BMP4C_FLASH: bmp4c's own, which would expand to nothing", fivebythree, "", nameusage + "BMP4C_FLASH\": names that start with BMP4C_ are bmp4c's own, such as BMP4C_FLASH\n" + quietusage, 2, old, old, "--name BMP4C_FLASH in.bmp out.h"},
  {"bmp4c_logo, whose macros would start BMP4C_", fivebythree, "", nameusage + "bmp4c_logo\": names that start with BMP4C_ are bmp4c's own, such as BMP4C_FLASH\n" + quietusage, 2, old, old, "--name bmp4c_logo in.bmp out.h"},
  {"PROGMEM, which the AVR recipe needs", fivebythree, "", nameusage + "PROGMEM\": a program that includes the C library's headers or <avr/pgmspace.h> already has that name\n" + quietusage, 2, old, old, "--name PROGMEM in.bmp out.h"},
  {"_ and a capital: reserved", fivebythree, "", nameusage + "_Logo\": C and C++ keep names that start with _ or hold __ for themselves\n" + quietusage, 2, old, old, "--name _Logo in.bmp out.h"},
  {"__ at the start", fivebythree, "", nameusage + "__x\": C and C++ keep names that start with _ or hold __ for themselves\n" + quietusage, 2, old, old, "--name __x in.bmp out.h"},
  {"__ inside: reserved in C++", fivebythree, "", nameusage + "a__b\": C and C++ keep names that start with _ or hold __ for themselves\n" + quietusage, 2, old, old, "--name a__b in.bmp out.h"},
  {"NULL", fivebythree, "", nameusage + "NULL\": a program that includes the C library's headers or <avr/pgmspace.h> already has that name\n" + quietusage, 2, old, old, "--name NULL in.bmp out.h"},
  {"EOF", fivebythree, "", nameusage + "EOF\": a program that includes the C library's headers or <avr/pgmspace.h> already has that name\n" + quietusage, 2, old, old, "--name EOF in.bmp out.h"},
  {"index, which glibc's <string.h> declares", fivebythree, "", nameusage + "index\": a program that includes the C library's headers or <avr/pgmspace.h> already has that name\n" + quietusage, 2, old, old, "--name index in.bmp out.h"},
  {"uint_least16_t, of a family of names", fivebythree, "", nameusage + "uint_least16_t\": a program that includes the C library's headers or <avr/pgmspace.h> already has that name\n" + quietusage, 2, old, old, "--name uint_least16_t in.bmp out.h"},
  {"std, C++'s", fivebythree, "", nameusage + "std\": it is the name of C++'s standard library\n" + quietusage, 2, old, old, "--name std in.bmp out.h"},
  {"size, whose SIZE_WIDTH is C23's <stdint.h>'s", fivebythree, "", nameusage + "size\": its macro SIZE_WIDTH is one that the C library defines\n" + quietusage, 2, old, old, "--name size in.bmp out.h"},
  {"three names with an option", fivebythree, "", "bmp4c: give at most two names: the bitmap, then the text\nTry 'bmp4c --help'\n", 2, old, old, "--low-first in.bmp out.h more.h"},
  {"--help: the usage, and no dialogue", "", "", "usage: bmp4c\n       bmp4c [--name NAME] [--tile WxH] [--low-first] [BITMAP [TEXT]]\n", 0, "(none)", "(none)", "--help"},
  {"--version", "", "", "bmp4c 1.0\n", 0, "(none)", "(none)", "--version"},
};
// clang-format on

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
  EXPECT_EQ(folder.run(BMP4C_PATH " " + c.arguments + " <answers >stdout"), c.status) << c.proves;
  // --help and --version answer alone; their text starts as given.
  const std::string printed = slurp(folder.path / "stdout"), errors = slurp(folder.path / "said");
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
  // Only "said" and "stdout" are new, and out.h if the run made it.
  EXPECT_EQ(files(), found + 2 + (c.before == "(none)" && c.out != "(none)")) << c.proves;
}

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

// The runs worked out by hand; then random fields (huge and negative ones
// too) and data. A huge width only comes with a height of no rows or too
// large a buffer, to keep outputs small.
TEST(Converter, RunsAsWorkedOut) {
  for (const Case &c : cases) check(c);
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

// bmp4c-preview, in a folder that holds in.h (or in.bmp, which bmp4c converts into in.h first), the
// artwork in.png, an older in.preview.png that it drew, and links full.png to /dev/full, link.png to
// in.h and view.png to the bitmap pic.bmp:
// what it says on standard error and output, its
// status, and the pixels of in.preview.png as ImageMagick reads them, a line a row: a hex digit
// for each grey d x 17, or, where the row gives them so, the greys in decimal. The artwork must
// survive every run, and so must in.h and pic.bmp, and a refusal must leave the older preview as it was. Each
// output starts with the text given, and is empty when that is.
struct Drawing {
  std::string proves, header, arguments;
  int status;
  std::string said, pixels = "", out = "";
};

std::string header(int width, int height, const std::string &items) {
  return "#define WIDTH " + std::to_string(width) + "\n#define HEIGHT " + std::to_string(height) +
         "\nchar bitmap[] = {\n" + items + "};\n";
}

std::string repeated(const std::string &text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// clang-format off
// A PNG that bmp4c-preview drew (its mark in a tEXt chunk), and the user's artwork, a PNG it did not.
const std::string pngmark = "\0\0\0\x16tEXtSoftware\0bmp4c-preview"s, olderpng = pngstart + pngmark + "an older picture\n", artwork = pngstart + "the artwork\n";
const std::string fourbytwo = header(4, 2, "0xfe,0xdc,0xba,0x98,"), odd = "bmp4c-preview: in.h: WIDTH ", tryhelp = "\nTry 'bmp4c-preview --help'\n";
const Drawing drawings[] = {
  {"4x2: digits as greys, 0 black, f white, top row first; in.preview.png by default, beside the artwork in.png", fourbytwo, "--panel srgb in.h", 0, "", "fedc\nba98\n"},
  {"5x3: the rows joined for an odd width split again, the last half item unused; the odd width said", header(5, 3, "0xfe,0xdc,0xba,0x98,0x76,0x54,0x32,0x10,"), "--panel srgb in.h", 0, odd + "5 is odd, so each row shares a byte with the next: a library that pads rows to whole bytes draws it sheared. One more column on the right (bmp4c-grey --even) makes the width even.\n", "fedcb\na9876\n54321\n"},
  {"1x1", header(1, 1, "0x3f,"), "--panel srgb in.h", 0, odd + "1 is odd", "3\n"},
  {"a top-down bitmap, converted by bmp4c, stands upright", bitmap(5, -3, "\x01\x23\x4f\xff\x56\x78\x9f\xff\xab\xcd\xef\xff"s), "--panel srgb in.h", 0, odd + "5 is odd", "fedcb\na9876\n54321\n"},
  {"--ink: f black, 0 white; a scale of 1", fourbytwo, "--ink --scale 1 in.h", 0, "", "0123\n4567\n"},
  {"--scale=2: each pixel a 2x2 square", header(3, 1, "0x1e,0x5f,"), "--panel srgb --scale=2 in.h", 0, odd + "3 is odd", "11ee55\n11ee55\n"},
  {"--scale 64, the largest", header(1, 1, "0x3f,"), "--panel srgb --scale 64 in.h", 0, odd + "1 is odd", repeated(repeated("3", 64) + "\n", 64)},
  {"rows of more than one stored block", header(64, 128, repeated("0x5a,", 4096)), "--panel srgb --scale 4 in.h", 0, "", repeated(repeated("5555aaaa", 32) + "\n", 512)},
  {"reformatted by hand: comments, const unsigned char, upper case, one digit", "# define HEIGHT 2 // rows {\n#define WIDTH 4\nstatic const unsigned char logo[]={0xFE , /* } */0XdC,\n0xba,0x9};", "--panel srgb in.h", 0, "", "fedc\nba09\n"},
  {"a linear panel by default: level k's light k/15 as an sRGB grey", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "in.h", 0, "", "0 73 102 124 141 156 170 182 193 203 213 222 231 239 247 255\n"},
  {"--ink on a linear panel: digit d is level 15 - d", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "--ink --panel linear in.h", 0, "", "255 247 239 231 222 213 203 193 182 170 156 141 124 102 73 0\n"},
  {"15 numbers, Adafruit's table: GS_k/63, level 0 dark", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "--panel=0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 in.h", 0, "", "0 0 34 50 62 71 80 87 94 100 138 166 189 224 242 255\n"},
  {"16 numbers: n_k/n_15, level 0 lit", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "--panel 10,10,10,10,10,10,10,10,60,60,60,60,60,60,60,200 in.h", 0, "", "63 63 63 63 63 63 63 63 149 149 149 149 149 149 149 255\n"},
  {"a bad panel, a number with a letter after it: the old preview kept", fourbytwo, "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15a in.h", 2, "bmp4c-preview: --panel: \"15a\" is not a whole number from 0 to 65535" + tryhelp},
  {"a missing header", "", "none.h", 1, "bmp4c-preview: none.h: cannot be read: No such file or directory\n"},
  {"a folder", "", ".", 1, "bmp4c-preview: .: is a folder, not a header\n"},
  {"no WIDTH", "#define HEIGHT 1\n{0x00};", "in.h", 1, "bmp4c-preview: in.h: no #define WIDTH\n"},
  {"no HEIGHT", "#define WIDTH 1\n{0x00};", "in.h", 1, "bmp4c-preview: in.h: no #define HEIGHT\n"},
  {"a size of 0", header(1, 0, ""), "in.h", 1, "bmp4c-preview: in.h:2: HEIGHT must be a whole number from 1 to 2147483647, not \"0\"\n"},
  {"a size with letters after it", "#define WIDTH 4x\n#define HEIGHT 1\n{0x00,0x00};", "in.h", 1, "bmp4c-preview: in.h:1: WIDTH must be a whole number from 1 to 2147483647, not \"4x\"\n"},
  {"a size past 32 bits", "#define WIDTH 2147483648\n#define HEIGHT 1\n{0x00};", "in.h", 1, "bmp4c-preview: in.h:1: WIDTH must be a whole number from 1 to 2147483647, not \"2147483648\"\n"},
  {"an item that is not a hex byte, with its line below a comment", "/* drawn\n by hand */\n" + header(2, 2, "0x00,\n 0x1g,"), "in.h", 1, "bmp4c-preview: in.h:7: \"0x1g\" is not a hex byte\n"},
  {"an item of three digits is not a byte", header(1, 1, "0x100,"), "in.h", 1, "bmp4c-preview: in.h:4: \"0x100\" is not a hex byte\n"},
  {"an empty item", header(2, 2, "0x00,,0x11"), "in.h", 1, "bmp4c-preview: in.h:4: \"\" is not a hex byte\n"},
  {"too few items: both counts", header(4, 2, "0xfe,0xdc,0xba,"), "in.h", 1, "bmp4c-preview: in.h: 3 items, where 4 x 2 pixels need 4\n"},
  {"too many items", header(1, 1, "0xfe,0xdc,"), "in.h", 1, "bmp4c-preview: in.h: 2 items, where 1 x 1 pixels need 1\n"},
  {"a huge size and one item: refused at once", header(2147483647, 2147483647, "0x00"), "in.h", 1, "bmp4c-preview: in.h: 1 item, where 2147483647 x 2147483647 pixels need 2305843007066210305\n"},
  {"no array", "#define WIDTH 1\n#define HEIGHT 1\n0x00", "in.h", 1, "bmp4c-preview: in.h: no array: no items between { and }\n"},
  {"an output in a missing folder", fourbytwo, "in.h nowhere/in.png", 1, "bmp4c-preview: nowhere/in.png: cannot be written: No such file or directory\n"},
  {"a full disk, through a link: the device is not removed", fourbytwo, "in.h full.png", 1, "bmp4c-preview: full.png: cannot be written: No space left on device\n"},
  {"the header as its own PNG, through a link", fourbytwo, "in.h link.png", 1, "bmp4c-preview: link.png: is the header itself\n"},
  {"the artwork, a PNG it did not draw: refused, kept", fourbytwo, "in.h in.png", 1, "bmp4c-preview: in.png: is a PNG that bmp4c-preview did not draw: remove it, or name another file\n"},
  {"a link named .png to a bitmap: what the link leads to is judged", fourbytwo, "in.h view.png", 1, "bmp4c-preview: view.png: is not a PNG: remove it, or name another file\n"},
  {"a PNG name that does not end in .png (a glob's two headers): nothing read, the header kept", fourbytwo, "none.h in.h", 2, "bmp4c-preview: in.h: the name must end in .png, for the file is a PNG whatever its name" + tryhelp},
  {"--low-first: the first pixel of each pair in the low digit", fourbytwo, "--panel srgb --low-first in.h", 0, "", "efcd\nab89\n"},
  {"a header of bmp4c --name", "#ifndef BMP4C_IMAGE_logo\n#define BMP4C_IMAGE_logo\n#ifdef LOGO_WIDTH\n#error \"LOGO_WIDTH is defined already: two images whose names differ only in case give the same macros\"\n#endif\n#define LOGO_WIDTH 4\n#define LOGO_HEIGHT 2\n#ifndef BMP4C_FLASH\n#define BMP4C_FLASH\n#endif\nstatic const unsigned char logo[] BMP4C_FLASH = {\n0xfe,0xdc,0xba,0x98,};\n#endif\n", "--panel srgb in.h", 0, "", "fedc\nba98\n"},
  {"tiles of 3 x 3, named, one below the other, each tile's last item ending in f", "#define SHEET_WIDTH 3\n#define SHEET_HEIGHT 3\n#define SHEET_TILES 2\nstatic const unsigned char sheet[SHEET_TILES][5] = {\n{\n0xfe,0xd9,0x87,0x32,0x1f,\n},\n{\n0xcb,0xa6,0x54,0x0f,0xef,\n},\n};\n", "--panel srgb in.h", 0, odd + "3 is odd", "fed\n987\n321\ncba\n654\n0fe\n"},
  {"tiles of one item too few", "#define WIDTH 1\n#define HEIGHT 1\n#define TILES 3\nchar bitmap[TILES][1] = {\n{0x3f,},{0x3f,},};\n", "in.h", 1, "bmp4c-preview: in.h: 2 items, where 3 tiles of 1 x 1 pixels need 3\n"},
  {"an item that does not start 0x", header(1, 1, "1x2f,"), "in.h", 1, "bmp4c-preview: in.h:4: \"1x2f\" is not a hex byte\n"},
  {"a header's control characters shown escaped", header(1, 1, "\x1b[2J,"), "in.h", 1, "bmp4c-preview: in.h:4: \"\\x1b[2J\" is not a hex byte\n"},
  {"a panel of a word it does not know: its forms", fourbytwo, "--panel ssd1327 in.h", 2, "bmp4c-preview: --panel: \"ssd1327\" is none of its forms: linear, srgb, or 15 or 16 whole numbers separated by commas" + tryhelp},
  {"16 numbers whose dark levels give under 0.31% of the light: sRGB's linear part, 12.92 x light", header(16, 1, "0x01,0x23,0x45,0x67,0x89,0xab,0xcd,0xef,"), "--panel 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,65535 in.h", 0, "", "0 0 0 0 0 0 0 0 0 0 1 1 1 1 1 255\n"},
  {"no header named", fourbytwo, "", 2, "bmp4c-preview: give a header, and at most one PNG" + tryhelp},
  {"three names", fourbytwo, "in.h in.png more.png", 2, "bmp4c-preview: give a header, and at most one PNG" + tryhelp},
  {"a scale of 0", fourbytwo, "--scale 0 in.h", 2, "bmp4c-preview: --scale takes a whole number from 1 to 64" + tryhelp},
  {"a scale of 65", fourbytwo, "--scale 65 in.h", 2, "bmp4c-preview: --scale takes a whole number from 1 to 64" + tryhelp},
  {"a scale that is not only a number", fourbytwo, "--scale 2x in.h", 2, "bmp4c-preview: --scale takes a whole number from 1 to 64" + tryhelp},
  {"--scale without its number", fourbytwo, "in.h --scale", 2, "bmp4c-preview: --scale needs a number" + tryhelp},
  {"an unknown option", fourbytwo, "--big in.h", 2, "bmp4c-preview: no option --big" + tryhelp},
  {"--help: the usage on standard output", fourbytwo, "--help", 0, "", "", "usage: bmp4c-preview [--ink] [--scale N] [--panel LIGHT] [--low-first] HEADER [PNG]\n"},
  {"--version", fourbytwo, "--version in.h", 0, "", "", "bmp4c-preview 1.0\n"},
};
// clang-format on

TEST(Preview, DrawsWhatTheItemsHold) {
  const bool imagemagick = std::system("command -v convert xxd >/dev/null") == 0;
  auto starts = [](const std::string &text, const std::string &start) {
    return text.rfind(start, 0) == 0 && text.empty() == start.empty();
  };
  for (const Drawing &d : drawings) {
    const Folder folder;
    const bool bmp = d.header.starts_with("BM");
    std::ofstream(folder.path / (bmp ? "in.bmp" : "in.h"), std::ios::binary) << d.header;
    std::ofstream(folder.path / "in.png") << artwork;
    std::ofstream(folder.path / "in.preview.png") << olderpng;
    fs::create_symlink("/dev/full", folder.path / "full.png");
    fs::create_symlink("in.h", folder.path / "link.png");
    std::ofstream(folder.path / "pic.bmp", std::ios::binary) << fivebythree;
    fs::create_symlink("pic.bmp", folder.path / "view.png");
    if (bmp) folder.run("echo in.bmp in.h | " BMP4C_PATH);
    const std::string before = slurp(folder.path / "in.h");
    EXPECT_EQ(folder.run(BMP4C_PREVIEW " " + d.arguments + " 2>&1 >out"), d.status) << d.proves;
    EXPECT_TRUE(starts(slurp(folder.path / "said"), d.said))
        << d.proves << ": " << slurp(folder.path / "said");
    EXPECT_TRUE(starts(slurp(folder.path / "out"), d.out))
        << d.proves << ": " << slurp(folder.path / "out");
    EXPECT_EQ(slurp(folder.path / "in.png") + slurp(folder.path / "pic.bmp"), artwork + fivebythree)
        << d.proves;
    EXPECT_EQ(slurp(folder.path / "in.h"), before) << d.proves;
    if (d.pixels.empty()) {
      EXPECT_EQ(slurp(folder.path / "in.preview.png"), olderpng) << d.proves;
      continue;
    }
    if (!imagemagick) continue;
    folder.run("{ ! command -v pngcheck || pngcheck -q in.preview.png; } >/dev/null && convert "
               "in.preview.png -depth 8 gray:- | od -An -v -tu1 "
               "-w\"$(identify -format %w in.preview.png)\"");
    std::istringstream rows(slurp(folder.path / "said"));
    const bool digits = d.pixels.find(' ') == d.pixels.npos; // each grey d x 17 as the digit d
    std::string pixels;
    for (std::string row; std::getline(rows, row); pixels += "\n") {
      std::istringstream greys(row);
      const char *gap = "";
      for (int grey; greys >> grey; gap = digits ? "" : " ")
        pixels.append(gap).append(
            digits ? std::string(1, grey % 17 ? '?' : "0123456789abcdef"[grey / 17])
                   : std::to_string(grey));
    }
    EXPECT_EQ(pixels, d.pixels) << d.proves;
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full")) << "a failed write removed a device";
  if (!imagemagick) GTEST_SKIP() << "pixels not compared: ImageMagick or xxd not installed";
}

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

// A binary PPM (P6) or PGM (P5) of the given samples, and a TGA of BGRA pixels, top row first.
std::string pnm(const char *type, int width, int height, const std::string &samples) {
  return type + "\n"s + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + samples;
}

std::string tga(int width, int height, const std::string &bgra) {
  return "\0\0\2\0\0\0\0\0\0\0\0\0"s + char(width) + '\0' + char(height) + '\0' + "\x20\x28"s +
         bgra;
}

// A 24-bit bitmap of the given stored rows, and a run-length-encoded one of 4 or 8 bits, its
// palette (blue, green, red, 0 an entry, their count at 46) and its codes.
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
         "bytes draws it sheared. One more column on the right (bmp4c-grey --even) makes the "
         "width even.\n";
}

// clang-format off
const std::string colours = pnm("P6", 4, 1, "\xff\0\0\0\xff\0\0\0\xff\xff\xff\xff"s), blackwhite = pnm("P5", 4, 1, "\0\xff\0\xff"s), olderbmp = "BM\0\0\0\0b4cg, an older bitmap that bmp4c-grey wrote\n"s, greytry = "\nTry 'bmp4c-grey --help'\n", cutshort = ": is cut short: the file ends before its last pixel\n";
const std::string fitusage = "bmp4c-grey: --fit takes a size WxH such as 128x64, of at most 67108864 pixels" + greytry;
// Black, white and grey 136 (level 8); a 5 x 3 picture in their indices, coded bottom row first: a
// run of 1 2 1 and the end of the row; a move 3 right, a run of 1 1, the end; 5 indices as they
// are (2 1 2 0 1, padded to 4 bytes), the end of the bitmap. What no code sets is entry 0, black.
// The greys 0, 17, ... 255, and the table Adafruit's SSD1327 driver would load after 0xB8.
const std::string greysteps = pnm("P5", 16, 1, "\0\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff"s), adafruit = "0,1,2,3,4,5,6,7,8,16,24,32,47,56,63";
const std::string threegreys = "\0\0\0\0\xff\xff\xff\0\x88\x88\x88\0"s, rle4codes = "\3\x12\0\0\0\2\3\0\2\x11\0\0\0\5\x21\x20\x10\0\0\1"s;
const Greying greyings[] = {
  {"red, green, blue and white: luminance in linear light, rounded in sRGB terms; f brightest", colours, "in.ppm", "--panel srgb in.ppm", 0, "", "7d4f"},
  {"--ink: the same levels written as darkness", colours, "in.ppm", "--ink in.ppm", 0, "", "82b0"},
  {"a grey ramp 0 to 255: level k from 17k - 8 to 17k + 8, every boundary", pnm("P5", 256, 1, ramp().substr(0, 256)), "in.pgm", "--panel srgb in.pgm", 0, "", ramp().substr(257)},
  {"half-transparent white and black, over black", tga(2, 1, "\xff\xff\xff\x80\0\0\0\x80"s), "in.tga", "--panel srgb in.tga", 0, "", "b0"},
  {"half-transparent white and black, over white for ink", tga(2, 1, "\xff\xff\xff\x80\0\0\0\x80"s), "in.tga", "--ink in.tga", 0, "", "04"},
  {"a palette PNG", picturefile("palette.png"), "in.png", "--panel srgb in.png", 0, "", "7d4f"},
  {"a 16-bit PNG, every bit counted: 2184 and 2185 of 65535 either side of level 0's end", picturefile("deep.png"), "in.png", "--panel srgb in.png", 0, "", "01"},
  {"a fit averages in linear light: black and white make b, not 8; an odd width is said", pnm("P5", 2, 1, "\0\xff"s), "in.pgm", "--panel srgb --fit=1x1 in.pgm", 0, oddnote("in.bmp", 1), "bf"},
  {"a wide picture shrinks to the fit's width, 2x2 blocks averaged, at the top", pnm("P5", 6, 4, repeated("\0\xff"s, 12)), "in.pgm", "--panel srgb --fit 3x3 in.pgm", 0, oddnote("in.bmp", 3), "bbbbbb000f"},
  {"a tall picture shrinks to the fit's height, at the left", pnm("P5", 4, 6, repeated("\0\0\0\0\xff\xff\xff\xff"s, 3)), "in.pgm", "--panel srgb --fit 3x3 in.pgm", 0, oddnote("in.bmp", 3), "bb0bb0bb0f"},
  {"a picture that fits is not enlarged, but centred on the background", pnm("P5", 1, 1, "\xff"s), "in.pgm", "--panel srgb --fit 3x3 in.pgm", 0, oddnote("in.bmp", 3), "0000f0000f"},
  {"the background of a fit for ink is white", pnm("P5", 1, 1, "\0"s), "in.pgm", "--ink --fit 3x1 in.pgm", 0, oddnote("in.bmp", 3), "0f0f"},
  {"--even: a background column on the right of an odd width, on every row; nothing said", pnm("P5", 3, 2, "\xff\xff\xff\0\0\0"s), "in.pgm", "--panel srgb --even in.pgm", 0, "", "fff00000"},
  {"--even leaves an even width alone", blackwhite, "in.pgm", "--panel srgb --even in.pgm", 0, "", "0f0f"},
  {"--dither on a flat grey that is a level: flat", pnm("P5", 4, 2, std::string(8, '\x88')), "in.pgm", "--panel srgb --dither in.pgm", 0, "", "88888888"},
  {"--dither on grey 128, between levels 7 and 8 at 0.51: about half of each", pnm("P5", 16, 16, std::string(256, '\x80')), "in.pgm", "--panel srgb --dither in.pgm", 0, "", "7:1[23][0-9] 8:1[23][0-9] ", true},
  {"--dither by hand, grey 128 (linear 0.2159; levels 7 and 8 at 0.1845 and 0.2462): 8 sends -0.0304 on, 7/16 right, 5/16 below, 1/16 below right; then 7 sends +0.0181", pnm("P5", 2, 2, std::string(4, '\x80')), "in.pgm", "--panel srgb --dither in.pgm", 0, "", "8778"},
  {"a linear panel, by default: each of the greys 17j takes the level whose light k/15, sRGB-encoded (0 73 102 124 141 156 170 182 193 203 213 222 231 239 247 255), is nearest", greysteps, "in.pgm", "in.pgm", 0, "", "0001112345679bdf"},
  {"15 numbers, Adafruit's table: GS1 of 0 makes levels 0 and 1 equal, and black takes the lower; grey 17 is nearer level 2 (34)", greysteps, "in.pgm", "--panel " + adafruit + " in.pgm", 0, "", "0223579aabbccdef"},
  {"the same dithered: 17 (linear 0.0056) is nearer level 0 than level 2 (1/63); 7/16 of its error brings the next to 0.0081, nearer level 2", pnm("P5", 2, 1, "\x11\x11"s), "in.pgm", "--dither --panel=" + adafruit + " in.pgm", 0, "", "02"},
  {"16 numbers, 8 levels of 10, 7 of 60, one of 200: greys up to 102 below the midpoint 106 take level 0, those to 187 level 8, the rest level 15", greysteps, "in.pgm", "--panel 10,10,10,10,10,10,10,10,60,60,60,60,60,60,60,200 in.pgm", 0, "", "000000088888ffff"},
  {"dithered on a linear panel, grey 131 (linear 0.226966; levels 3 and 4 at 0.2 and 0.266667): 3, sending +0.026966 on, 7/16 right, 5/16 below, 1/16 below right; 4 at 0.238764, sending -0.027903, 3/16 below left, 5/16 below; 3 at 0.230161, sending +0.030161 right; 3 at 0.233126, nearer 3 by 0.0004", pnm("P5", 2, 2, std::string(4, '\x83')), "in.pgm", "--dither in.pgm", 0, "", "3433"},
  {"dithered, black and white fitted into one pixel: exactly half white's light, as far from level 7 as from 8 of a linear panel; the tie goes to the brighter", pnm("P5", 2, 1, "\0\xff"s), "in.pgm", "--dither --fit 1x1 in.pgm", 0, oddnote("in.bmp", 1), "8f"},
  {"a fit of 3 pixels into 2: each shown pixel covers one and a half; black, white, black gives a third of white's light in both, level 5 of a linear panel", pnm("P5", 3, 1, "\0\xff\0"s), "in.pgm", "--fit 2x1 in.pgm", 0, "", "55"},
  {"a JPEG in colour, shrunk and dithered, into another name", picturefile("photo.jpg"), "in.jpg", "--panel srgb --dither --fit 24x12 in.jpg in.bmp", 0, "", "[0-9a-f]{288}"},
  {"an interlaced PNG with transparency", picturefile("cutout.png"), "in.png", "--panel srgb --fit 6x4 in.png", 0, "", "[0-9a-f]{24}"},
  {"a bitmap stored top down converts upright", bmp24(2, -2, "\0\0\0\xff\xff\xff\0\0\xff\xff\xff\0\0\0\0\0"s), "td.bmp", "--panel srgb td.bmp in.bmp", 0, "", "0ff0"},
  {"an 8-bit run-length-encoded bitmap as ImageMagick writes it, runs over each row's padding", "$ convert rose: -colors 200 BMP3:rle.bmp", "rle.bmp", "--panel srgb rle.bmp in.bmp", 0, "", "[0-9a-f]{3220}", false, true},
  {"a 4-bit run-length-encoded bitmap by hand: runs, a move, indices as they are, ends of row and bitmap; what no code sets is entry 0", rle(4, 5, 3, threegreys, rle4codes), "rle.bmp", "--panel srgb rle.bmp in.bmp", 0, oddnote("in.bmp", 5), "8f80f000fff8f00f", false, true},
  {"a run-length-encoded bitmap cut short inside its indices", rle(4, 5, 3, threegreys, rle4codes.substr(0, 15)), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp" + cutshort},
  {"a run-length-encoded bitmap whose last code, an end of row, ends exactly at the file's end: read", rle(8, 5, 1, threegreys, "\x05\1\0\0"s), "rle.bmp", "--panel srgb rle.bmp in.bmp", 0, oddnote("in.bmp", 5), "ffffff"},
  {"one that ends after its first row of three", rle(8, 5, 3, threegreys, "\x05\1\0\0"s), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp" + cutshort},
  {"a run past its row's padding", rle(8, 5, 1, threegreys, "\x09\1\0\1"s), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (a run past the end of its row)\n"},
  {"a run-length-encoded bitmap of width -2, which the fuzzer found", rle(4, -2, 3, threegreys, rle4codes), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (a width below 0)\n"},
  {"a run-length-encoded bitmap whose pixels start where its palette would", rle(8, 5, 1, "", "\x05\1\0\1"s), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (no palette before the pixels)\n"},
  {"an index past the palette", rle(8, 5, 1, threegreys, "\x02\3\0\1"s), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (a pixel's index is past the palette)\n"},
  {"a run-length-encoded bitmap stored top down", rle(4, 5, -3, threegreys, rle4codes), "rle.bmp", "rle.bmp in.bmp", 1, "bmp4c-grey: rle.bmp: is damaged (a run-length-encoded bitmap stored top down)\n"},
  {"--frames: a sprite GIF's frames, whole canvases with transparency disposed to the background, one below the other, as ImageMagick composes them", "$ convert -dispose Background -delay 10 \\( -size 16x12 xc:none -fill red -draw 'circle 4,6 4,2' \\) \\( -size 16x12 xc:none -fill lime -draw 'circle 8,6 8,2' \\) \\( -size 16x12 xc:none -fill blue -draw 'circle 12,6 12,2' \\) sprite.gif", "sprite.gif", "--frames sprite.gif in.bmp", 0, "bmp4c-grey: in.bmp: 3 frames of 16 x 12, shown for 100 100 100 ms: bmp4c --tile 16x12\n", "[0-9a-f]{576}", false, true},
  {"--frames: an overlay GIF, small frames at offsets on an opaque first, kept; the delays as set", "$ convert -dispose None -delay 20 -size 16x12 xc:gray50 -delay 5 -page +2+2 -size 4x4 xc:white -delay 35 -page +8+5 -size 5x3 xc:black overlay.gif", "overlay.gif", "--frames overlay.gif in.bmp", 0, "bmp4c-grey: in.bmp: 3 frames of 16 x 12, shown for 200 50 350 ms: bmp4c --tile 16x12\n", "[0-9a-f]{576}", false, true},
  {"--frames: a frame disposed to the background after one kept clears its whole rectangle, as browsers do, and no pixel beside it", "$ convert -delay 30 -dispose None -size 16x12 xc:red -dispose Background -page +3+3 -size 6x5 xc:white -dispose None -page +1+1 -size 4x4 xc:gray40 mixed.gif", "mixed.gif", "--fit 8x6 --frames mixed.gif in.bmp", 0, "bmp4c-grey: in.bmp: 3 frames of 8 x 6, shown for 300 300 300 ms: bmp4c --tile 8x6\n", "[0-9a-f]{144}", false, true},
  {"--frames of a still picture: one frame", colours, "in.ppm", "--panel srgb --frames in.ppm", 0, "bmp4c-grey: in.bmp: 1 frame of 4 x 1, shown for 0 ms: bmp4c --tile 4x1\n", "7d4f"},
  {"--frames: a GIF whose frames add up past the limit, refused before any is decoded", "GIF89a\0\x10\0\x10\0\0\0"s + repeated("\x2c\0\0\0\0\0\x10\0\x10\0\x02\0"s, 5) + "\x3b", "big.gif", "--frames big.gif in.bmp", 1, "bmp4c-grey: big.gif: is 5 frames of 4096 x 4096 pixels, over the limit of 67108864 (64 megapixels) on a picture as stored, its frames counted together, whatever --fit asks\n"},
  {"a critical PNG chunk named ESC [ 2 J: its name shown escaped", "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\1\0\0\0\1\x08\0\0\0\0\0\0\0\0\0\0\0\0\x1b[2J\0\0\0\0"s, "in.png", "in.png", 1, "bmp4c-grey: in.png: is damaged (\\x1b[2J PNG chunk not known)\n"},
  {"a run-length-encoded bitmap one byte longer than 65536, the reading's chunk: read whole", rle(8, 5, 1, threegreys + std::string(65467, '\0'), "\x05\1\0\1"s), "rle.bmp", "--panel srgb rle.bmp in.bmp", 0, oddnote("in.bmp", 5), "ffffff"},
  {"a missing picture", "", "in.png", "none.png", 1, "bmp4c-grey: none.png: cannot be read: No such file or directory\n"},
  {"a folder", "", "in.png", "folder.png", 1, "bmp4c-grey: folder.png: is a folder, not a picture\n"},
  {"an empty file", "", "in.png", "in.png", 1, "bmp4c-grey: in.png: is empty, not a picture\n"},
  {"a file that no decoder reads: the formats that are read", "hello\n", "in.png", "in.png", 1, "bmp4c-grey: in.png: is not a picture that bmp4c-grey reads: it reads PNG, JPEG, GIF, BMP, TGA and PNM\n"},
  {"a PNG whose compressed data is damaged: the decoder's reason", patched(picturefile("cutout.png"), 2000, repeated("\xa5"s, 10)), "in.png", "in.png", 1, "bmp4c-grey: in.png: is damaged (bad dist)\n"},
  {"a JPEG whose Huffman table has more than 256 codes, before its frame", picturefile("jpeg-huffman-1.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1, "bmp4c-grey: in.jpg: is damaged (bad DHT header)\n"},
  {"the same after its frame, where the decoder would keep what it has", picturefile("jpeg-huffman-2.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1, "bmp4c-grey: in.jpg: is damaged (bad DHT header)\n"},
  {"a PNG whose first image data chunk is empty", picturefile("png-empty-idat.png"), "in.png", "--dither --fit 64x32 in.png", 1, "bmp4c-grey: in.png" + cutshort},
  {"6 bytes whose segment runs past the end: the end stays the end after the skip", picturefile("jpeg-endless-6-bytes.jpg"), "in.jpg", "--dither --fit 64x32 in.jpg", 1, "bmp4c-grey: in.jpg" + cutshort},
  {"a JPEG whose first segment claims 32767 bytes", "\xff\xd8\xff\xe0\x7f\xff"s + picturefile("photo.jpg").substr(6, 200), "in.jpg", "in.jpg", 1, "bmp4c-grey: in.jpg" + cutshort},
  {"a PNG cut short", picturefile("cutout.png").substr(0, 2000), "in.png", "in.png", 1, "bmp4c-grey: in.png" + cutshort},
  {"a JPEG cut short", picturefile("photo.jpg").substr(0, 1500), "in.jpg", "in.jpg", 1, "bmp4c-grey: in.jpg" + cutshort},
  {"a PPM cut short", colours.substr(0, colours.size() - 1), "in.ppm", "in.ppm", 1, "bmp4c-grey: in.ppm" + cutshort},
  {"a picture 0 pixels wide", bmp24(0, 5, ""), "no.bmp", "no.bmp in.bmp", 1, "bmp4c-grey: no.bmp: has no pixels\n"},
  {"the same with a fit, which would divide by its width", bmp24(0, 5, ""), "no.bmp", "--fit 64x32 no.bmp in.bmp", 1, "bmp4c-grey: no.bmp: has no pixels\n"},
  {"a picture 0 rows high", bmp24(5, 0, ""), "no.bmp", "no.bmp in.bmp", 1, "bmp4c-grey: no.bmp: has no pixels\n"},
  {"the same with a fit", bmp24(5, 0, ""), "no.bmp", "--dither --fit 64x32 no.bmp in.bmp", 1, "bmp4c-grey: no.bmp: has no pixels\n"},
  {"a picture over the limit: refused from its header", "P5\n8193 8192\n255\n", "in.pgm", "--fit 64x32 in.pgm", 1, "bmp4c-grey: in.pgm: is 8193 x 8192 pixels, over the limit of 67108864 (64 megapixels) on a picture as stored, whatever --fit asks\n"},
  {"7 x 16777211 pixels, top down, in 154 bytes: over the limit whatever the height's sign", bmp24(7, -16777211, std::string(100, '\0')), "big.bmp", "big.bmp in.bmp", 1, "bmp4c-grey: big.bmp: is 7 x 16777211 pixels, over the limit of 67108864 (64 megapixels) on a picture as stored, whatever --fit asks\n"},
  {"7 x 16777211 bottom up", bmp24(7, 16777211, std::string(100, '\0')), "big.bmp", "big.bmp in.bmp", 1, "bmp4c-grey: big.bmp: is 7 x 16777211 pixels, over the limit of 67108864 (64 megapixels) on a picture as stored, whatever --fit asks\n"},
  {"7 x 1000000 in 154 bytes: cut short, before anything is decoded", bmp24(7, -1000000, std::string(100, '\0')), "big.bmp", "big.bmp in.bmp", 1, "bmp4c-grey: big.bmp: is cut short: its 154 bytes cannot hold the 7 x 1000000 pixels that its header gives\n"},
  {"a PNG of 8192 x 8192 in 41 bytes: deflate shrinks no more than 1032 to 1", "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x20\0\0\0\x20\0\x08\x02\0\0\0\0\0\0\0\0\0\0\0IDAT"s, "big.png", "big.png in.bmp", 1, "bmp4c-grey: big.png: is cut short: its 41 bytes cannot hold the 8192 x 8192 pixels that its header gives\n"},
  {"a JPEG of 8000 x 8000 in 21 bytes: a bit at least for each 8 x 8 block", "\xff\xd8\xff\xc0\0\x11\x08\x1f\x40\x1f\x40\x03\x01\x22\0\x02\x11\x01\x03\x11\x01"s, "big.jpg", "big.jpg in.bmp", 1, "bmp4c-grey: big.jpg: is cut short: its 21 bytes cannot hold the 8000 x 8000 pixels that its header gives\n"},
  {"a GIF of 8000 x 8000 in 13 bytes: 12 bits at least for each 4096 pixels", "GIF89a\x40\x1f\x40\x1f\0\0\0"s, "big.gif", "big.gif in.bmp", 1, "bmp4c-grey: big.gif: is cut short: its 13 bytes cannot hold the 8000 x 8000 pixels that its header gives\n"},
  {"a run-length-encoded TGA of 8000 x 8000 in 18 bytes: a run is at most 128 pixels", "\0\0\x0a\0\0\0\0\0\0\0\0\0\x40\x1f\x40\x1f\x18\0"s, "big.tga", "big.tga in.bmp", 1, "bmp4c-grey: big.tga: is cut short: its 18 bytes cannot hold the 8000 x 8000 pixels that its header gives\n"},
  {"a run-length-encoded bitmap of 8000 x 8000 ended at once: a code of two bytes makes at most 255 pixels", rle(8, 8000, 8000, threegreys, "\0\1"s), "big.bmp", "big.bmp in.bmp", 1, "bmp4c-grey: big.bmp: is cut short: its 68 bytes cannot hold the 8000 x 8000 pixels that its header gives\n"},
  {"an output in a missing folder", colours, "in.ppm", "in.ppm nowhere/in.bmp", 1, "bmp4c-grey: nowhere/in.bmp: cannot be written: No such file or directory\n"},
  {"a full disk, through a link: the device is not removed", colours, "in.ppm", "in.ppm full.bmp", 1, "bmp4c-grey: full.bmp: cannot be written: No space left on device\n"},
  {"the picture as its own output, by default", picturefile("palette.png"), "in.bmp", "in.bmp", 1, "bmp4c-grey: in.bmp: is the picture itself\n"},
  {"the picture as its own output, through a link", colours, "in.ppm", "in.ppm link.bmp", 1, "bmp4c-grey: link.bmp: is the picture itself\n"},
  {"an output name in upper case", colours, "in.ppm", "in.ppm OUT.BMP", 0, ""},
  {"a user's 24-bit bitmap as the output: refused, kept", colours, "in.ppm", "in.ppm user.bmp", 1, "bmp4c-grey: user.bmp: is a bitmap that bmp4c-grey did not write: remove it, or name another file\n"},
  {"a picture whose default name is a user's bitmap (photo.jpg beside photo.bmp)", colours, "user.ppm", "user.ppm", 1, "bmp4c-grey: user.bmp: is a bitmap that bmp4c-grey did not write: remove it, or name another file\n"},
  {"a link named .bmp to the artwork b.png: what it leads to is judged", colours, "in.ppm", "in.ppm art.bmp", 1, "bmp4c-grey: art.bmp: is not a bitmap: remove it, or name another file\n"},
  {"a GIF of three frames without --frames: the first frame, and a note of the others", "$ convert -delay 10 -size 4x2 xc:white xc:black xc:gray anim.gif", "anim.gif", "anim.gif in.bmp", 0, "bmp4c-grey: anim.gif: has 3 frames; only the first is greyed: --frames takes them all\n", "ffffffff"},
  {"an output that is not a bitmap's name: the picture b.png is not written over", colours, "in.ppm", "in.ppm b.png", 2, "bmp4c-grey: b.png: the name must end in .bmp, for the file is a bitmap whatever its name" + greytry},
  {"a panel of 14 numbers", colours, "in.ppm", "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14 in.ppm", 2, "bmp4c-grey: --panel takes linear, srgb, or 15 or 16 whole numbers separated by commas, not 14" + greytry},
  {"a panel of 17 numbers", colours, "in.ppm", "--panel 0," + adafruit + ",70 in.ppm", 2, "bmp4c-grey: --panel takes linear, srgb, or 15 or 16 whole numbers separated by commas, not 17" + greytry},
  {"a panel whose numbers decrease", colours, "in.ppm", "--panel 0,1,2,3,4,5,6,7,8,16,24,32,47,63,56 in.ppm", 2, "bmp4c-grey: --panel: the numbers must not decrease, and 56 comes after 63" + greytry},
  {"a panel whose last number is 0", colours, "in.ppm", "--panel=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0 in.ppm", 2, "bmp4c-grey: --panel: the last number, level 15's light, must be above 0" + greytry},
  {"a panel number above 65535", colours, "in.ppm", "--panel 1,2,3,4,5,6,7,8,9,10,11,12,13,14,65536 in.ppm", 2, "bmp4c-grey: --panel: \"65536\" is not a whole number from 0 to 65535" + greytry},
  {"a panel of a word it does not know: its forms", colours, "in.ppm", "--panel sRGB in.ppm", 2, "bmp4c-grey: --panel: \"sRGB\" is none of its forms: linear, srgb, or 15 or 16 whole numbers separated by commas" + greytry},
  {"a panel with an empty item", colours, "in.ppm", "--panel 1,2,,4 in.ppm", 2, "bmp4c-grey: --panel: \"\" is not a whole number from 0 to 65535" + greytry},
  {"no picture named", colours, "in.ppm", "--ink", 2, "bmp4c-grey: give a picture, and at most one BMP" + greytry},
  {"three names", colours, "in.ppm", "in.ppm a.bmp b.bmp", 2, "bmp4c-grey: give a picture, and at most one BMP" + greytry},
  {"a fit without its x", colours, "in.ppm", "--fit 128 in.ppm", 2, fitusage},
  {"a fit of 0", colours, "in.ppm", "--fit 0x64 in.ppm", 2, fitusage},
  {"a fit over the limit", colours, "in.ppm", "--fit 8193x8192 in.ppm", 2, fitusage},
  {"a fit with letters after it", colours, "in.ppm", "--fit=128x64px in.ppm", 2, fitusage},
  {"--fit without its size", colours, "in.ppm", "in.ppm --fit", 2, "bmp4c-grey: --fit needs a size WxH" + greytry},
  {"an unknown option", colours, "in.ppm", "--gamma in.ppm", 2, "bmp4c-grey: no option --gamma" + greytry},
  {"--help: the usage on standard output", colours, "in.ppm", "--help 2>/dev/null", 0, "usage: bmp4c-grey [--ink] [--dither] [--fit WxH] [--even] [--panel LIGHT] [--frames]\n"},
  {"--version, with the stb_image it was built with", colours, "in.ppm", "--version 2>/dev/null", 0, "bmp4c-grey 1.0 (stb_image 2."},
};
// clang-format on

TEST(Grey, MakesTheBitmapOfThePicture) {
  const bool imagemagick = std::system("command -v convert xxd >/dev/null") == 0;
  for (const Greying &g : greyings) {
    const Folder folder;
    if (g.picture.starts_with("$ ") && !imagemagick) continue;
    if (g.picture.starts_with("$ "))
      folder.run(g.picture.substr(2));
    else if (!g.picture.empty() || g.status == 1)
      std::ofstream(folder.path / g.name, std::ios::binary) << g.picture;
    if (g.name != "in.bmp") std::ofstream(folder.path / "in.bmp") << olderbmp;
    std::ofstream(folder.path / "b.png") << artwork;
    const std::string photo = bmp24(1, 1, "\0\0\0\0"s);
    std::ofstream(folder.path / "user.bmp", std::ios::binary) << photo;
    fs::create_directory(folder.path / "folder.png");
    fs::create_symlink(g.name, folder.path / "link.bmp");
    fs::create_symlink("b.png", folder.path / "art.bmp");
    fs::create_symlink("/dev/full", folder.path / "full.bmp");
    EXPECT_EQ(folder.run(BMP4C_GREY " " + g.arguments), g.status) << g.proves;
    const std::string said = slurp(folder.path / "said"); // --help, --version: how it starts
    EXPECT_EQ(g.status == 0 && g.digits.empty() ? said.substr(0, g.said.size()) : said, g.said)
        << g.proves;
    EXPECT_EQ(slurp(folder.path / "b.png") + slurp(folder.path / "user.bmp"), artwork + photo)
        << g.proves;
    if (g.status != 0 || g.digits.empty()) {
      EXPECT_EQ(slurp(folder.path / "in.bmp"), g.name == "in.bmp" ? g.picture : olderbmp)
          << g.proves;
      continue;
    }
    // ImageMagick's decoding through bmp4c-grey with the same options gives the same bitmap; a
    // GIF's frames, as ImageMagick composes them, one after the other, give the same items.
    const std::string grey =
        BMP4C_GREY " " +
        std::regex_replace(g.arguments, std::regex("(--frames )?" + g.name + " in.bmp"), "");
    const std::string frames =
        "convert " + g.name + " -coalesce m-%d.png && for f in m-*.png; do " + grey +
        " $f $f.bmp && " BMP4C_PATH
        " $f.bmp $f.h; done >/dev/null && cat m-*.h | grep -o '0x..' >m && " BMP4C_PATH
        " in.bmp in.h >/dev/null && grep -o '0x..' in.h | cmp - m";
    const std::string still = "convert " + g.name + " -depth 8 magick.ppm && " + grey +
                              " magick.ppm magick.bmp 2>/dev/null && cmp in.bmp magick.bmp";
    if (g.likemagick && imagemagick) {
      EXPECT_EQ(folder.run(g.arguments.find("--frames") != g.arguments.npos ? frames : still), 0)
          << g.proves << ": " << slurp(folder.path / "said");
    }
    folder.run(BMP4C_PATH
               " in.bmp in.h >/dev/null && grep -o '0x..' in.h | cut -c3- | tr -d '\\n'");
    std::string digits = slurp(folder.path / "said");
    if (g.counted) {
      std::map<char, int> counts;
      for (const char d : digits) ++counts[d];
      digits.clear();
      for (const auto &[d, n] : counts) digits += d + ":"s + std::to_string(n) + " ";
    }
    EXPECT_TRUE(std::regex_match(digits, std::regex(g.digits))) << g.proves << ": " << digits;
    if (!imagemagick || g.counted) continue;
    // What a viewer shows of the bitmap is what bmp4c-preview draws of its header with the same
    // display and panel, grey for grey.
    std::string drawing;
    const std::regex display("--ink|--panel[= ][^ ]+");
    for (std::sregex_iterator i(g.arguments.begin(), g.arguments.end(), display), end; i != end;
         ++i)
      drawing.append(" ").append(i->str());
    EXPECT_EQ(folder.run(BMP4C_PREVIEW + drawing +
                         " in.h 2>/dev/null && convert in.bmp -depth 8 "
                         "gray:bmp && convert in.preview.png -depth 8 "
                         "gray:png && cmp bmp png"),
              0)
        << g.proves;
  }
  if (!imagemagick) GTEST_SKIP() << "bitmaps not read back: ImageMagick or xxd not installed";
}

// Each program as the system limits it, in a folder that holds big.bmp (64 x 64), its header big.h,
// the picture big.pgm, and old.h, old.bmp and old.png, each an old file of permissions 0640 that the
// program would replace (text, a bitmap and a PNG that it made), with links to them (link.h,
// link.bmp, link.png). Under a file-size limit, as a full disk would, a run
// fails with its message, and the old file stays as it was, bytes and time stamp, with no
// temporary file left; a good run replaces the file that a link names, and keeps the link and the
// permission bits. Memory that runs out is said as such.
struct Limited {
  std::string proves, command, output; // output: old.h, old.bmp or old.png
  int status;
  std::string said;
};

// clang-format off
const std::string sizelimit = "trap '' XFSZ; ulimit -f 8; ";
// Root may read any file: the unreadable one is named by nobody.
const std::string nobody = "chmod 777 . && chmod 200 old.bmp && if [ \"$(id -u)\" = 0 ]; then as='setpriv --reuid=65534 --regid=65534 --clear-groups'; fi; $as ";
const Limited limits[] = {
  {"bmp4c under a file-size limit", sizelimit + BMP4C_PATH " big.bmp old.h", "old.h", 1, "bmp4c: old.h: cannot be written: File too large\n"},
  {"the dialogue under a file-size limit", "echo big.bmp old.h | (" + sizelimit + BMP4C_PATH ")", "old.h", 1, prompts + "Error writing text file\n"},
  {"bmp4c-grey", sizelimit + BMP4C_GREY " --fit 256x256 big.pgm old.bmp", "old.bmp", 1, "bmp4c-grey: old.bmp: cannot be written: File too large\n"},
  {"bmp4c-preview", sizelimit + BMP4C_PREVIEW " --scale 8 big.h old.png", "old.png", 1, "bmp4c-preview: old.png: cannot be written: File too large\n"},
  {"bmp4c through a link", BMP4C_PATH " big.bmp link.h", "old.h", 0, ""},
  {"bmp4c given a file that it may write but not read: its kind unknown, refused", nobody + BMP4C_PATH " big.bmp old.bmp; s=$?; chmod 640 old.bmp; exit $s", "old.bmp", 1, "bmp4c: old.bmp: cannot be read, so what it holds is not known (Permission denied): remove it, or name another file\n"},
  {"bmp4c-grey through a link", BMP4C_GREY " big.pgm link.bmp", "old.bmp", 0, ""},
  {"bmp4c-preview through a link", BMP4C_PREVIEW " big.h link.png", "old.png", 0, ""},
  {"bmp4c-grey out of memory: not damage, and what the picture takes", "ulimit -v 15000; " BMP4C_GREY " huge.pgm old.bmp", "old.bmp", 1, "bmp4c-grey: huge.pgm: memory ran out: its 5000 x 4000 pixels take 20000000 bytes as stored, 1 a pixel\n"},
};
// clang-format on

// An old file of each kind that the programs replace.
std::string oldfile(const fs::path &file) {
  const std::string ext = file.extension().string();
  return (ext == ".bmp" ? "BM\0\0\0\0b4cg"s : ext == ".png" ? pngstart + pngmark : ""s) + "an old file\n";
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addresssanitizer = true; // which reserves more address space than ulimit -v allows
#elif defined(__has_feature)
constexpr bool addresssanitizer = __has_feature(address_sanitizer);
#else
constexpr bool addresssanitizer = false;
#endif

TEST(Limits, KeepTheOldFile) {
  for (const Limited &l : limits) {
    if (addresssanitizer && l.command.starts_with("ulimit -v")) continue;
    const Folder folder;
    const auto past = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) -
                      std::chrono::hours(1000);
    std::ofstream(folder.path / "big.bmp", std::ios::binary)
        << bitmap(64, 64, std::string(2048, '\x5a'));
    std::ofstream(folder.path / "big.pgm", std::ios::binary)
        << pnm("P5", 64, 64, std::string(4096, '\x80'));
    if (l.command.find("huge") != l.command.npos)
      std::ofstream(folder.path / "huge.pgm", std::ios::binary)
          << pnm("P5", 5000, 4000, std::string(20000000, '\0'));
    folder.run(BMP4C_PATH " big.bmp big.h");
    for (const std::string extension : {"h", "bmp", "png"}) {
      const fs::path older = folder.path / ("old." + extension);
      std::ofstream(older, std::ios::binary) << oldfile(older);
      fs::last_write_time(older, past);
      fs::permissions(older,
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
      fs::create_symlink(older.filename(), folder.path / ("link." + extension));
    }
    const auto found = std::distance(fs::directory_iterator(folder.path), {});
    EXPECT_EQ(folder.run(l.command), l.status) << l.proves;
    EXPECT_EQ(slurp(folder.path / "said"), l.said) << l.proves;
    const fs::path output = folder.path / l.output;
    EXPECT_EQ(slurp(output) == oldfile(output), l.status != 0) << l.proves;
    EXPECT_EQ(fs::last_write_time(output) == past, l.status != 0) << l.proves;
    EXPECT_EQ(fs::status(output).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << l.proves;
    EXPECT_TRUE(fs::is_symlink(folder.path / ("link" + output.extension().string()))) << l.proves;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), found) << l.proves;
  }
}

// A project that embeds logo.bmp, in a folder of a Folder: its build command, what the build says
// when it converts, the header the logo becomes, and the program that shows the result.
struct Project {
  std::string folder, build, converting, header, program;
  bool keeps = false;             // a refused image leaves the header of the last good one
  std::string image = "logo.bmp"; // what the header is made from
};

// Builds the project with this image as its logo: whether the build worked, converted the logo,
// refused it with the converter's message, failed in the compiler, left the logo's header and
// its preview (and how wide that is), and what the program then shows.
std::string rebuild(const Folder &at, const Project &p, const std::string &image) {
  const fs::path logo = at.path / p.folder / p.image;
  if (image != slurp(logo)) std::ofstream(logo, std::ios::binary) << image;
  const int status = at.run("cd '" + p.folder + "' && " + p.build);
  const std::string said = slurp(at.path / "said");
  auto says = [&](const std::string &text) { return said.find(text) != said.npos; };
  std::smatch refusal;
  std::regex_search(
      said, refusal,
      std::regex(
          "Incomplete header|Not a 4-bit uncompressed bitmap|bmp4c-grey: .*: (is|has|cannot) .*"));
  at.run("cd '" + p.folder + "' && " + p.program);
  const std::string drawn =
      slurp(at.path / p.folder / (p.header.substr(0, p.header.size() - 1) + "preview.png"));
  return (status == 0 ? "built"s : "failed"s) + (says(p.converting) ? ", converted" : "") +
         (refusal.empty() ? "" : ", " + refusal.str()) +
         (says("error:") ? ", compiler error" : "") +
         (fs::exists(at.path / p.folder / p.header) ? ", " + p.header : "") +
         (drawn == "(none)" ? ""
                            : ", preview " + std::to_string(std::uint8_t(drawn[19])) + " wide") +
         ": " + slurp(at.path / "said");
}

// The project in tests/consumer, in a folder with a blank, built against bmp4c installed (under
// a firmware toolchain's package search) or as a source tree, shows the bytes of its images. A
// build converts what changed, and only that, and a broken bitmap fails it and leaves no header
// behind. Each call that bmp4c_add_image refuses stops configuring with its message.
class Consumer : public testing::TestWithParam<std::pair<std::string, std::string>> {};

// Calls that must stop configuring (message(FATAL_ERROR)): how the message starts, and its key
// words; and an option for the source tree, such as a folder holding the stb_image.h of 2.27.
// clang-format off
const std::string faults[][4] = {
  {"bmp4c_add_image(show logo.bmp EXTRA)", "usage: bmp4c_add_image(", "<target> <image> [OUTPUT <header>] [PREVIEW] [INK] [DITHER] [FIT <W>x<H>] [EVEN] [PANEL <light>] [NAME <name>] [TILE <W>x<H>] [FRAMES] [LOW_FIRST])"},
  {"bmp4c_add_image(show walk.gif FRAMES)", "bmp4c_add_image(show walk.gif): ", "FRAMES needs the size of a frame: give FIT (the display's size) or TILE (the GIF's own)"},
  {"bmp4c_add_image(show logo.bmp NAME 9x)", "bmp4c_add_image(show logo.bmp): ", "NAME takes a C name: ASCII letters, digits and _, not a digit first, and no keyword of C or C++, not \"9x\""},
  {"bmp4c_add_image(show logo.bmp TILE 0x2)", "bmp4c_add_image(show logo.bmp): ", "TILE takes a size WxH, such as 16x16"},
  {"bmp4c_add_image(show badge.png FIT 4)", "bmp4c_add_image(show badge.png): ", "FIT takes a size WxH, such as 128x64"},
  {"bmp4c_add_image(show badge.png FIT)", "bmp4c_add_image(show badge.png): ", "FIT takes a size WxH, such as 128x64"},
  {"bmp4c_add_image(show badge.png PANEL 1,2,3,4,5,6,7,8,9,10,11,12,13,14,9)", "bmp4c_add_image(show badge.png): ", "PANEL takes linear, srgb, or 15 or 16 whole numbers from 0 to 65535, comma-separated, that do not decrease, the last above 0"},
  {"bmp4c_add_image(show badge.png OUTPUT images/badge.h)", "bmp4c_add_image(show badge.png) in ", "images/badge.h is already the header of"},
  {"bmp4c_add_image(show logo.bmp OUTPUT)", "bmp4c_add_image(show logo.bmp): ", "OUTPUT needs the header's name"},
  {"bmp4c_add_image(shw logo.bmp)", "bmp4c_add_image: ", "there is no target shw."},
  {"bmp4c_add_image(bmp4c::bmp4c logo.bmp)", "bmp4c_add_image: ", "is an imported, alias, interface or custom target"},
  {"bmp4c_add_image(show icon.bmp OUTPUT bmp4c/logo.h)", "bmp4c_add_image(show icon.bmp) in ", "logo.h is already the header of"},
  {"bmp4c_add_image(show lgo.bmp)", "bmp4c_add_image(show lgo.bmp) in ", "lgo.bmp, and no rule of the build makes it."},
  {"bmp4c_add_image(show icon.bmp OUTPUT images/icon.h PREVIEW)", "bmp4c_add_image(show icon.bmp) in ", "images/icon.h without PREVIEW. Give PREVIEW to the first call"},
  {"bmp4c_add_image(show badge.png)", "bmp4c_add_image(show badge.png) in ", "/old stb is too old for bmp4c-grey: its JPEG reader writes out of bounds on a crafted file", "-DBMP4C_STB_INCLUDE=\"$PWD/old stb\""}, // the other programs are configured
  {"bmp4c_add_image(show badge.png)", "bmp4c_add_image(show badge.png) in ", "badge.png needs bmp4c-grey, which this bmp4c was built without. Give it stb_image v2.30", "-DBMP4C_GREY=OFF"}, // last two: they stay in the cache
};
// clang-format on

TEST_P(Consumer, ConvertsImagesAsTheyChange) {
  const Folder folder;
  fs::copy(BMP4C_SOURCE "/tests/consumer", folder.path / "my project", fs::copy_options::recursive);
  ASSERT_EQ(folder.install("'pre fix'"), 0);
  const std::string logo = bitmap(2, 1, "\x12"s), changed = bitmap(3, 1, "\x34\x50"s);
  std::ofstream(folder.path / "my project/logo.bmp", std::ios::binary) << logo;
  const std::string configure =
      BMP4C_CMAKE " -G " BMP4C_GENERATOR " -S 'my project' " + GetParam().second;
  fs::create_directory(folder.path / "old stb");
  std::ofstream(folder.path / "old stb/stb_image.h") << "/* stb_image - v2.27 - public domain\n";
  ASSERT_EQ(folder.run(configure + " -B 'my project/build'"), 0);
  // Eight jobs at a time: both targets use the logo, and converted twice at once, it would fail
  // one build in two.
  const Project consumer{"my project", BMP4C_CMAKE " --build build -j8 --config Release",
                         "bmp4c: converting", "build/bmp4c/logo.h", BMP4C_SHOW};
  // The badge, its header and its preview, as the command line makes them with the options that
  // bmp4c_add_image is given.
  const std::string panel = "--panel 0,1,2,3,4,5,6,7,8,16,24,32,47,56,63";
  ASSERT_EQ(folder.run(BMP4C_GREY " --ink --fit 4x2 " + panel +
                       " 'my project/badge.png' b.bmp && " +
                       BMP4C_PATH " b.bmp b.h >/dev/null && " BMP4C_PREVIEW " --ink " + panel +
                       " b.h && grep -o '0x..' b.h | cut -c3- | paste -sd' '"),
            0);
  const std::string chain = slurp(folder.path / "said");
  // And the GIF's frames, named walk, low first.
  ASSERT_EQ(folder.run(BMP4C_GREY
                       " --frames --fit 4x2 'my project/walk.gif' w.bmp 2>/dev/null && " BMP4C_PATH
                       " --name walk --tile 4x2 --low-first w.bmp w.h >/dev/null && " BMP4C_PREVIEW
                       " --low-first w.h && grep -o '0x..' w.h | cut -c3- | paste -sd' '"),
            0);
  const std::string walk = slurp(folder.path / "said");
  const std::string others = "; icon: 5a; darklogo: fe; small: dc; large: 5a; badge: " +
                             chain.substr(0, chain.size() - 1) +
                             "; walk, 2 frames: " + walk.substr(0, walk.size() - 1);
  const std::string made = "build/bmp4c/logo.h, preview ";
  EXPECT_EQ(rebuild(folder, consumer, logo),
            "built, converted, " + made + "2 wide: 2 1, 1 2; logo: ed" + others);
  EXPECT_EQ(slurp(folder.path / "my project/build/images/badge.preview.png"),
            slurp(folder.path / "b.preview.png"));
  EXPECT_EQ(slurp(folder.path / "my project/build/bmp4c/walk.preview.png"),
            slurp(folder.path / "w.preview.png"));
  EXPECT_EQ(rebuild(folder, consumer, logo), // nothing to convert
            "built, " + made + "2 wide: 2 1, 1 2; logo: ed" + others);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(rebuild(folder, consumer, i % 2 ? logo : changed),
              "built, converted, " + made +
                  (i % 2 ? "2 wide: 2 1, 1 2; logo: ed"s : "3 wide: 3 1, 1 2; logo: cb af") +
                  others);
  EXPECT_EQ(rebuild(folder, consumer, changed.substr(0, 30)),
            "failed, converted, Incomplete header: 2 1, 1 2; logo: ed" + others);
  for (const auto &[call, starts, says, option] : faults) {
    if (!option.empty() && GetParam().first == "installed") continue; // for the source tree
    EXPECT_NE(folder.run(configure + " -B faults -DBMP4C_FAULT='" + call + "' " + option), 0)
        << call;
    const std::string said =
        std::regex_replace(slurp(folder.path / "said"), std::regex("\\s+"), " ");
    EXPECT_NE(said.find("(message): " + starts), said.npos) << said;
    EXPECT_NE(said.find(says), said.npos) << said;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp4c, Consumer,
    testing::Values(std::pair("installed",
                              "-DCMAKE_PREFIX_PATH=\"$PWD/pre fix\" "
                              "-DCMAKE_TOOLCHAIN_FILE=\"$PWD/my project/toolchain.cmake\""),
                    std::pair("sourcetree", "-DBMP4C_SOURCE='" BMP4C_SOURCE "'")),
    [](const auto &row) { return row.param.first; });

// The README's examples, as written: every block whose fence names a file (```make Makefile)
// becomes that file, beside a 96 x 64 logo.bmp and bmp4c installed on the PATH. A build must
// convert the logo, and again only when it changes; a refused logo must fail every build with
// the converter's message, before the compiler. A recipe must print what its pattern says.
struct Example {
  std::string name, needs;          // needs: the tools without which the row is skipped
  Project build;                    // a build of main.c that converts logo.bmp; or else
  std::string run = "", shows = ""; // commands, and a pattern of what they print
};

class Readme : public testing::TestWithParam<Example> {};

// clang-format off
const std::string symbols = "echo logo.bmp logo.h | bmp4c >/dev/null && ", namelogo = "bmp4c --name logo logo.bmp logo.h >/dev/null && ";
const std::string display = "struct Adafruit_SSD1327 { short WIDTH, HEIGHT; void clearDisplay(); unsigned char *getBuffer(); void display(); };";
const std::string gradient = "convert -size 2x32 gradient:black-white -rotate -90 logo.png && ";
// pixel_P() on this computer, through a pgmspace.h that reads memory as it is.
const std::string pixels = "mkdir avr && echo '#define pgm_read_byte(p) (*(p))' >avr/pgmspace.h && for b in five four; do echo $b.bmp logo.h | bmp4c >/dev/null && cc -I. digits.c pixel.c -o d && ./d && cc -I. -Dpixel=pixel_P digits.c pixel_avr.c -o d && ./d; done";
const std::string rows = "echo sample.bmp logo.h | bmp4c >/dev/null && grep -o '0x..' logo.h | cut -c3- | xxd -r -p | convert -size 32x16 -depth 4 gray:- rows.png && bmp4c-preview --panel srgb logo.h bmp.png && compare -metric AE rows.png bmp.png null:";
// Standard input and output both ways in each program, equal to the files' way; a picture is not
// written to a terminal.
const std::string pipes = "bmp4c-grey --fit 128x64 icon.png - | bmp4c --name logo - a.h && bmp4c-grey --fit 128x64 icon.png icon.bmp && bmp4c --name logo icon.bmp b.h && cmp a.h b.h && bmp4c five.bmp - >c.h && bmp4c - d.h <five.bmp && bmp4c five.bmp e.h && cat c.h d.h | cmp - /dev/stdin <<EOF\n$(cat e.h e.h)\nEOF\nbmp4c-preview - <b.h >a.png && bmp4c-preview b.h - >b.png && bmp4c-preview b.h && cmp a.png b.png && cmp a.png b.preview.png && bmp4c-grey --fit 128x64 - <icon.png | cmp - icon.bmp && script -qec 'bmp4c-grey icon.png -' /dev/null; echo \"status $?\"";
// Names that bmp4c takes compile after the C library's headers, in C99 to C2x and C++98 to C++20;
// two that differ only in case stop the compile, naming the macro.
const std::string names = "echo '#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>' >all.c && for n in logo Logo2 icon_2 walk e x sample frames; do bmp4c --name $n five.bmp $n.h && echo \"#include \\\"$n.h\\\"\" >>all.c || exit 1; done && echo 'int main(void) { return logo[0] + Logo2[0] - LOGO_WIDTH; }' >>all.c && for cc in 'gcc -std=c99' 'gcc -std=c2x' 'clang -std=c99' 'clang -std=c2x' 'g++ -x c++ -std=c++98' 'g++ -x c++ -std=c++20'; do $cc -Wall -Wextra -Wpedantic -Werror all.c -o all || exit 1; done && avr-gcc -mmcu=atmega328p -Wall -Wextra -Wpedantic -Werror -include avr/pgmspace.h -DBMP4C_FLASH=PROGMEM -c all.c && bmp4c --name LOGO five.bmp LOGO.h && printf '#include \"logo.h\"\n#include \"LOGO.h\"\n' >clash.c && ! gcc -c clash.c";
const Example examples[] = {
  {"example", "", {}, "echo four.bmp four.h | bmp4c >/dev/null && cmp four.h example.h"},
  {"sample", "", {}, "echo sample.bmp out.h | bmp4c >/dev/null && head -n \"$(wc -l <sample.h)\" out.h | cmp - sample.h && bmp4c-preview --scale 8 out.h && od -An -tu1 -j16 -N8 out.preview.png", "^ +0 +0 +1 +0 +0 +0 +0 +128\n$"},
  {"cmake", "cmake", {".", "cmake -S . -B build -DCMAKE_PREFIX_PATH=\"$PWD/inst\" >/dev/null && cmake --build build", "bmp4c: converting", "build/bmp4c/logo.h", "build/game", false, "logo.png"}},
  {"make", "make cc", {".", "make", "bmp4c-grey --fit 128x64 --panel linear logo.png", "logo.h", "./game", true, "logo.png"}},
  {"meson", "meson ninja cc", {".", "[ -d b ] || meson setup b >/dev/null && meson compile -C b", "Generating logo.bmp", "b/logo.h", "b/game", true, "logo.png"}},
  {"cortexm", "arm-none-eabi-gcc", {}, symbols + "arm-none-eabi-gcc -mcpu=cortex-m4 -Os -Wall -Wextra -Werror -c logo.c && " + namelogo + "arm-none-eabi-gcc -mcpu=cortex-m4 -Os -Wall -Wextra -Werror -c logodata.c && arm-none-eabi-nm logo.o logodata.o", "R bitmap[^]*r logo"},
  {"avr", "avr-gcc", {}, namelogo + "avr-gcc -mmcu=atmega328p -Os -Wall -Wextra -Werror -c logo_avr.c && avr-objdump -t logo_avr.o", "progmem\\.data.*logo"},
  {"named", "gcc clang g++ clang++", {}, namelogo + "bmp4c --name icon five.bmp icon.h >/dev/null && for cc in gcc clang 'g++ -x c++' 'clang++ -x c++'; do $cc -Wall -Wextra -Werror images.c logodata.c -o images && ./images; done", "^(96 x 64 and 5 x 3: fe 63, 3072 bytes\n){4}$"},
  {"arduino", "avr-g++", {}, namelogo + "avr-g++ -mmcu=atmega328p -Os -Wall -Wextra -Werror -x c++ -c sketch.ino && avr-objdump -t sketch.o", "progmem\\.data.*logo"},
  {"animation", "convert g++", {}, "convert -delay 10 -size 128x128 xc:white -delay 20 xc:black walk.gif && bmp4c-grey --frames --fit 128x128 walk.gif && bmp4c --name walk --tile 128x128 walk.bmp >/dev/null && echo '" + display + "' >display.h && g++ -Wall -Wextra -Werror -c animation.cpp && nm -C animation.o", "^bmp4c-grey: walk.bmp: 2 frames of 128 x 128, shown for 100 200 ms: bmp4c --tile 128x128\n[^]*r walk"},
  {"path", "convert", {}, "rm logo.bmp && convert -size 85x64 gradient:red-blue logo.png && cp logo.png art.png && bmp4c-grey --fit 128x64 logo.png && bmp4c logo.bmp >/dev/null && bmp4c-preview --scale 4 logo.h && cmp logo.png art.png && sed -n 1,2p logo.h && identify -format '%w %h' logo.preview.png", "^#define WIDTH 128\n#define HEIGHT 64\n512 256$"},
  {"netpbm", "convert pngtopnm", {}, gradient + "sh netpbm.sh && " + symbols + "sed -n 1p logo.h", "#define WIDTH 32\n$"},
  {"pixel", "cc", {}, pixels, "^(fedcb\na9876\n54321\n){2}(fedc\nba98\n){2}$"},
  {"evenrows", "convert xxd", {}, rows, "^0$"},
  {"makeoptions", "make cc", {}, "printf 'P5 96 64 255\\n' >logo.png && head -c 6144 /dev/zero >>logo.png && rm logo.bmp && make >/dev/null && grep '#define LOGO_WIDTH' logo.h && sed -i 's/^FIT = .*/FIT = 48x32/' Makefile && make >/dev/null && grep '#define LOGO_WIDTH' logo.h", "^#define LOGO_WIDTH 128\n#define LOGO_WIDTH 48\n$"},
  {"pipes", "convert script", {}, pipes, "bmp4c-grey: -: cannot be written: standard output is a terminal[^]*status 1\n$"},
  {"names", "gcc clang g++ avr-gcc", {}, names, "clash.c:2:[^]*error: #error \"LOGO_WIDTH is defined already"},
  {"library", "g++", {}, namelogo + "echo '" + display + "' >display.h && g++ -Wall -Wextra -Werror -c display.cpp && echo logo.bmp plain.h | bmp4c >/dev/null && printf '#include \"plain.h\"\\n#include \"display.h\"\\n' >broken.cpp && ! g++ -c broken.cpp", "expected unqualified-id before numeric constant"},
};
// clang-format on

TEST_P(Readme, WorksAsWritten) {
  const Example &row = GetParam();
  const Folder folder;
  if (folder.run("for tool in " + row.needs + "; do command -v $tool || exit 1; done") != 0)
    GTEST_SKIP() << "not installed, one of: " << row.needs;
  ASSERT_EQ(folder.install("inst"), 0);
  std::ifstream readme(BMP4C_SOURCE "/README.md"), guide(BMP4C_SOURCE "/doc/guide.md");
  std::stringstream both;
  both << readme.rdbuf() << guide.rdbuf();
  std::ofstream block;
  const std::regex fence("\\s*```\\w+ ([\\w.]+)"), end("\\s*```");
  std::smatch named;
  for (std::string line, indent; std::getline(both, line);)
    if (std::regex_match(line, named, fence))
      block.open(folder.path / named[1].str()), indent = line.substr(0, line.find('`'));
    else if (block.is_open() && std::regex_match(line, end))
      block.close();
    else if (block.is_open())
      block << line.substr(std::min(indent.size(), line.find_first_not_of(' '))) << "\n";
  const std::string good = bitmap(96, 64, std::string(3072, '\x9c')),
                    bad = patched(good, 28, "\x18"s);
  // A picture bmp4c-grey reads, whatever its name says, and one it does not.
  const std::string picture = pnm("P5", 96, 64, std::string(6144, '\x9c')),
                    nopicture = "no picture";
  std::ofstream(folder.path / "logo.bmp", std::ios::binary) << good;
  std::ofstream(folder.path / "icon.png", std::ios::binary) << picture;
  std::ofstream(folder.path / "four.bmp", std::ios::binary)
      << bitmap(4, 2, "\x45\x67\0\0\x01\x23\0\0"s);
  std::ofstream(folder.path / "five.bmp", std::ios::binary) << fivebythree;
  fs::copy_file(BMP4C_SOURCE "/sample.bmp", folder.path / "sample.bmp");
  const std::string path = "PATH=\"$PWD/inst/bin:$PATH\" && ";
  if (!row.build.build.empty()) {
    Project p = row.build;
    p.build = path + p.build;
    // The recipes fit the 96 x 64 picture to the display, 128 x 64, and the icon to 16 x 16.
    const std::string shows =
        ": logo: 128 x 64 pixels in 4096 bytes\nicon: 16 x 16 pixels in 128 bytes\n";
    const std::string made = p.header + ", preview 128 wide";
    // A refused picture names itself, by whatever path the recipe gave it.
    const bool greyed = p.image.ends_with(".png");
    const std::string refusal = greyed ? "logo.png: is not a picture that bmp4c-grey reads"
                                       : "Not a 4-bit uncompressed bitmap";
    const std::string &fine = greyed ? picture : good, &broken = greyed ? nopicture : bad;
    if (greyed) fs::remove(folder.path / "logo.bmp"); // the recipe makes it
    EXPECT_EQ(rebuild(folder, p, fine), "built, converted, " + made + shows);
    EXPECT_EQ(rebuild(folder, p, fine), "built, " + made + shows);
    for (int twice = 0; twice < 2; ++twice) {
      const std::string result = rebuild(folder, p, broken);
      EXPECT_TRUE(result.starts_with("failed, converted, ")) << result;
      EXPECT_NE(result.find(refusal), result.npos) << result;
      EXPECT_TRUE(result.ends_with((p.keeps ? ", " + made : ""s) + shows)) << result;
    }
    EXPECT_EQ(rebuild(folder, p, fine), "built, converted, " + made + shows);
  } else {
    EXPECT_EQ(folder.run(path + row.run), 0) << slurp(folder.path / "said");
    EXPECT_TRUE(std::regex_search(slurp(folder.path / "said"), std::regex(row.shows)))
        << slurp(folder.path / "said");
  }
}

INSTANTIATE_TEST_SUITE_P(Bmp4c, Readme, testing::ValuesIn(examples),
                         [](const auto &row) { return row.param.name; });

// The Windows build under Wine, beside this one: each run, in a folder of its own holding in.bmp,
// "My Pictures/in.bmp", in.h, the test pictures and copies named in three scripts, must print the
// same lines with the same status and leave the same files, byte for byte but for the CR of a text
// file's line ends. In a command, {NAME} is the absolute path of a file in the folder, as each
// system writes it.
struct Twin {
  std::string proves, command, files; // files: those to compare, separated by blanks
  int status;                         // on both systems
};

// clang-format off
const Twin twins[] = {
  {"a path with blanks, as Explorer gives it, and its header", "bmp4c '{My Pictures/in.bmp}' out.h", "out.h", 0},
  {"the dialogue, a quoted path with blanks", "printf '%s\\n' '\"{My Pictures/in.bmp}\" out.h' | bmp4c", "out.h", 0},
  {"a refusal, its message and status", "bmp4c in.h out.h", "out.h", 1},
  {"a bitmap alone, named and tiled, its header replaced through a rename", "bmp4c --name logo --tile 5x1 in.bmp", "in.h", 0},
  {"a preview replaced, low first", "bmp4c-preview --low-first in.h && bmp4c-preview --low-first --scale 2 in.h", "in.preview.png", 0},
  {"a bitmap named as the text, by a Greek name, and a PNG name that is a header's: both refused", "bmp4c in.bmp Ελληνικά.bmp; bmp4c-preview in.h in.h", "Ελληνικά.bmp in.h", 2},
  {"a preview, odd width said", "bmp4c-preview --scale 3 in.h", "in.preview.png", 0},
  {"a JPEG shrunk and dithered: the same bitmap", "bmp4c-grey --dither --fit 64x40 photo.jpg", "photo.bmp", 0},
  {"transparency over white, shrunk, made even", "bmp4c-grey --ink --fit 45x33 --even cutout.png", "cutout.bmp", 0},
  {"a palette and a 16-bit PNG", "bmp4c-grey palette.png && bmp4c-grey deep.png", "palette.bmp deep.bmp", 0},
  {"a panel's table, dithered, and its preview", "bmp4c-grey --dither --fit=40x20 --panel 0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 photo.jpg && bmp4c photo.bmp photo.h && bmp4c-preview --panel=0,1,2,3,4,5,6,7,8,16,24,32,47,56,63 photo.h", "photo.bmp photo.h photo.preview.png", 0},
  {"a picture cut short", "head -c 1500 photo.jpg >cut.jpg && bmp4c-grey cut.jpg", "cut.bmp", 1},
  {"names in three scripts, the bitmaps by their default names, beside the pictures", "bmp4c-grey '{Grüße/rosé.png}' && bmp4c-grey 日本.png && bmp4c Ελληνικά.bmp 日本.h && bmp4c-preview 日本.h", "Grüße/rosé.bmp 日本.bmp 日本.h 日本.preview.png", 0},
  {"the dialogue, a name in Greek and one in Japanese", "printf '%s\\n' 'Ελληνικά.bmp 日本.h' | bmp4c", "日本.h", 0},
  {"a missing picture named in Japanese", "bmp4c-grey 無い.png", "無い.bmp", 1},
};
// clang-format on

// The command with the paths of one folder, as Linux or, under Wine, Windows writes them.
std::string twincommand(const Twin &t, const fs::path &folder, const char *windows) {
  std::string command = t.command;
  for (std::size_t open; (open = command.find('{')) != command.npos;) {
    const std::size_t close = command.find('}', open);
    std::string path = (folder / command.substr(open + 1, close - open - 1)).string();
    if (windows != nullptr) path = "Z:" + std::regex_replace(path, std::regex("/"), "\\");
    command.replace(open, close + 1 - open, path);
  }
  return command;
}

// A folder of the three programs by their names, for PATH: scripts that run the Windows build's
// under Wine, which takes the arguments as UTF-8 only in a UTF-8 locale, as Windows gives a program
// the names typed in any script.
fs::path wineprograms(const Folder &at, const std::string &windows) {
  for (const std::string name : {"bmp4c", "bmp4c-grey", "bmp4c-preview"}) {
    std::ofstream(at.path / name) << "#!/bin/sh\nWINEDEBUG=-all LC_ALL=C.UTF-8 exec wine '" +
                                         windows + "/" + name + ".exe' \"$@\"\n";
    fs::permissions(at.path / name, fs::perms::owner_all, fs::perm_options::add);
  }
  return at.path;
}

TEST(Windows, SameAsLinux) {
  const char *const windows = std::getenv("BMP4C_WINDOWS");
  if (windows == nullptr) GTEST_SKIP() << "BMP4C_WINDOWS names no folder of Windows programs";
  const Folder bin;
  const std::string programs[2] = {BMP4C_PROGRAMS, wineprograms(bin, windows).string()};
  // Wine's first start makes its prefix and says so: not in a row's lines.
  ASSERT_EQ(bin.run("./bmp4c --version"), 0);
  auto withoutcr = [](const std::string &text) {
    return std::regex_replace(text, std::regex("\r"), "");
  };
  for (const Twin &t : twins) {
    std::string left[2];
    for (const char *system : {static_cast<const char *>(nullptr), windows}) {
      const Folder folder;
      std::ofstream(folder.path / "in.bmp", std::ios::binary) << fivebythree;
      fs::create_directory(folder.path / "My Pictures");
      fs::copy_file(folder.path / "in.bmp", folder.path / "My Pictures/in.bmp");
      std::ofstream(folder.path / "in.h") << itsitems;
      for (const auto &picture : fs::directory_iterator(BMP4C_SOURCE "/tests/pictures"))
        fs::copy_file(picture, folder.path / picture.path().filename());
      fs::create_directory(folder.path / "Grüße");
      fs::copy_file(folder.path / "palette.png", folder.path / "Grüße/rosé.png");
      fs::copy_file(folder.path / "cutout.png", folder.path / "日本.png");
      fs::copy_file(folder.path / "in.bmp", folder.path / "Ελληνικά.bmp");
      std::string &what = left[system != nullptr];
      const std::string path = "PATH='" + programs[system != nullptr] + "':\"$PATH\"; ";
      what =
          "status " + std::to_string(folder.run(path + twincommand(t, folder.path, system))) + "\n";
      what += withoutcr(slurp(folder.path / "said"));
      std::istringstream files(t.files);
      for (std::string file; files >> file;) {
        const std::string bytes = slurp(folder.path / file);
        what += file + ": " + (file.ends_with(".h") ? withoutcr(bytes) : bytes) + "\n";
      }
    }
    EXPECT_EQ(left[1], left[0]) << t.proves;
    EXPECT_TRUE(left[0].starts_with("status " + std::to_string(t.status) + "\n")) << left[0];
  }
}

} // namespace
