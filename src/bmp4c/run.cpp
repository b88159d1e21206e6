// The conversion run: the console dialogue, or the names as the command
// line's arguments with the output's options, the two files, the order of
// the steps, and the exit status (0 only after a whole conversion, 1 after
// any failure, 2 after a usage error).
//
// The dialogue keeps its texts: every message of it goes to standard
// output, and "Convertion Completed" ends a good run. Given names, bmp4c
// is a tool like cp: quiet on success, and a failure is one line on
// standard error that names the file, "bmp4c: logo.bmp: ...". There "-"
// is standard input or output. A usage error, which comes before the
// run, goes to standard error either way, as the other two programs say
// theirs.
//
// The output is written to a temporary file beside it, which takes its
// place only once whole: a run refused or failed at any step leaves an
// existing file with its bytes and its time stamp, and creates none. No
// text is written over a picture or a binary file, whatever leads to it.
#include "../shared/commandline.hpp"
#include "../shared/messages.hpp"
#include "../shared/names.hpp"
#include "../shared/output.hpp"
#include "bmp_intake.hpp"
#include "image_name.hpp"
#include "source_writer.hpp"
#include "state.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <vector>

namespace bmp4c {
namespace {

namespace fs = std::filesystem;
using bmp4cshared::pathof;

const char *const banner = "This file convert a 4-bit BMP into 2-bit DC.b file ";
const char *const binaryprompt = "Pls enter binary file name to read:";
const char *const textprompt = "Pls enter text file name to write:";
const char *const binaryerror = "Error opening binaryfile file for reading:";
const char *const texterror = "Error opening text file for writing\n";
const char *const namingerror = "Too many names: put a name with blanks in double quotes\n";
const char *const completion = "Convertion Completed";
constexpr std::string_view usage = R"(usage: bmp4c
       bmp4c [--name NAME] [--tile WxH [--delays MS,...]] [--low-first] [--pad-rows]
             [--micropython | --raw] [BITMAP [TEXT]]
Converts an uncompressed 4-bit Windows bitmap into C source: #define WIDTH,
#define HEIGHT and char bitmap[]. Without names it asks for the bitmap to
read and the text file to write, and reads both names from standard input,
a name with blanks in double quotes. Given names, it takes them as they
are; a BITMAP alone is written to its name with .h. It never writes over
a picture or a binary file.
  --name NAME    the image's own names, NAME_WIDTH, NAME_HEIGHT and
                 static const unsigned char NAME[], kept in flash
  --tile WxH     tiles of W x H pixels, left to right, then top to bottom:
                 an array of TILES tiles, each as a bitmap of its own
  --low-first    the first pixel of each pair in the low 4 bits
  --pad-rows     every row from a new byte, an odd row's last ending in 0
  --delays MS,...  each tile's time on screen, in milliseconds: an array
                 NAME_delays[] (or DELAYS in Python) beside the image
  --micropython  a MicroPython module: WIDTH, HEIGHT, DATA as bytes for
                 framebuf.GS4_HMSB, rows padded (BITMAP alone gives .py)
  --raw          the bytes alone (BITMAP alone gives .bin)
  --help         this text
  --version      the version
Given names, it prints nothing on success and a failure's one line on
standard error; "-" is standard input or output.
The manual: man bmp4c
)";

const bmp4cshared::program thisprogram{"bmp4c",
                                       usage,
                                       "bmp4c " BMP4C_VERSION,
                                       {"--low-first", "--pad-rows", "--micropython", "--raw"},
                                       {{"--name", "a C name"},
                                        {"--tile", "a size WxH"},
                                        {"--delays", "milliseconds, comma-separated"}}};

// A bitmap alone gives its text this extension, by the output's form.
const std::string extensions[] = {".h", ".py", ".bin"};

constexpr int endofinput = std::char_traits<char>::eof();
constexpr int quote = '"';

// No path is longer: Windows' longest, 32767 UTF-16 units, is at most
// 65534 bytes of UTF-8 for the letters a user types. An answer longer than
// this, or as many blanks, is no name: /dev/zero or an endless stream.
constexpr std::size_t longestanswer = 65536;
// A refused name is shown cut to its start.
constexpr std::size_t shownanswer = 64;

// The output file being written; it replaces the file named only at the
// end of a good run.
bmp4cshared::output textoutput;

bool iswhite(int c) {
  return c != endofinput && std::isspace(c) != 0;
}

// The answers are read from standard input's buffer a character at a time:
// the next one, and the next one taken.
int nextanswer() {
  return std::cin.rdbuf()->sgetc();
}

int takeanswer() {
  return std::cin.rdbuf()->sbumpc();
}

// Everything up to the closing quote, which is dropped. A quote left open
// runs to the end of its line, whose CR (of a CR LF line end) is dropped.
void readquoted(std::string &name) {
  while (nextanswer() != endofinput && nextanswer() != '\n' && name.size() <= longestanswer) {
    const int c = takeanswer();
    if (c == quote) return;
    name += static_cast<char>(c);
  }
  if (!name.empty() && name.back() == '\r') name.pop_back();
}

// A name is a word, up to white space, or, when it starts with a double
// quote, a quoted name: a path with blanks as Windows pastes it. A quote
// inside a word is an ordinary character. What follows the name is left
// unread.
// False when there is no end to them.
bool skipblanks() {
  std::size_t blanks = 0;
  while (iswhite(nextanswer()) && blanks++ <= longestanswer) takeanswer();
  return blanks <= longestanswer;
}

void readname(std::string &name) {
  if (!skipblanks()) return;
  if (nextanswer() == quote) {
    takeanswer();
    readquoted(name);
    return;
  }
  while (nextanswer() != endofinput && !iswhite(nextanswer()) && name.size() <= longestanswer) {
    name += static_cast<char>(takeanswer());
  }
}

// The input error line, for the name as far as it was read: a name too
// long to be one is shown cut.
std::string binaryline(const std::string &name) {
  const bool cut = name.size() > longestanswer;
  return std::string(binaryerror) + " " +
         bmp4cshared::shown(name.substr(0, cut ? shownanswer : name.size())) + (cut ? "..." : "") +
         " \n";
}

// A missing answer, or blanks without end, leaves the name empty, and an
// empty name then fails to open. A name past the longest path, or with a
// NUL byte, which would cut the name that a file is opened by, is refused
// at once: the bitmap's with the input error line, the text's with the
// output's.
void askname(const char *prompt, std::string &name, const std::string &refusal) {
  std::printf("%s \n", prompt);
  std::fflush(stdout);
  readname(name);
  if (name.size() > longestanswer || name.find('\0') != std::string::npos) {
    fail(refusal.empty() ? binaryline(name).c_str() : refusal.c_str());
  }
}

// "16x16": both sides whole numbers from 1 up, each a signed 32-bit value,
// as the bitmap's sides are.
void readtile(std::string_view text) {
  const auto [width, height] = bmp4cshared::readsides(text);
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) {
    bmp4cshared::usageerror(thisprogram, "--tile takes a size WxH such as 16x16, not \"" +
                                             std::string(text) + "\"");
  }
  tilewidth = static_cast<std::int32_t>(width);
  tileheight = static_cast<std::int32_t>(height);
}

// "100,100,150": whole numbers from 0 to 65535, an unsigned short each.
void readdelays(std::string_view text) {
  constexpr std::int32_t longest = 65535;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    std::int32_t delay = -1;
    const auto [stop, error] = std::from_chars(text.data() + at, text.data() + comma, delay);
    if (error != std::errc() || stop != text.data() + comma || delay < 0 || delay > longest) {
      bmp4cshared::usageerror(thisprogram, "--delays takes whole numbers from 0 to 65535, "
                                           "comma-separated, not \"" +
                                               std::string(text) + "\"");
    }
    delays.push_back(static_cast<std::int32_t>(delay));
    at = comma + 1;
  }
}

// The forms that go together: delays are a tile's, and neither a module
// (whose names are its own: logo.WIDTH) nor the bytes alone take a name.
void checkforms(const bmp4cshared::commandline &line) {
  auto given = [&](std::string_view name) {
    return std::any_of(line.options.begin(), line.options.end(),
                       [&](const auto &option) { return option.first == name; });
  };
  if (given("--micropython") && given("--raw")) {
    bmp4cshared::usageerror(thisprogram, "give --micropython or --raw, not both");
  }
  if (outputform != cform && given("--name")) {
    bmp4cshared::usageerror(thisprogram, "--name is for C: a module's names are its own "
                                         "(logo.WIDTH), and the bytes alone have none");
  }
  if (given("--delays") && (tilewidth == 0 || outputform == rawform)) {
    bmp4cshared::usageerror(thisprogram, "--delays gives each tile's time: it needs --tile, "
                                         "and a header or module to hold them");
  }
}

void readoptions(const bmp4cshared::commandline &line) {
  for (const auto &[option, value] : line.options) {
    if (option == "--low-first") lowfirst = 1;
    if (option == "--pad-rows") padrows = 1;
    if (option == "--micropython") outputform = pythonform;
    if (option == "--raw") outputform = rawform;
    if (option == "--tile") readtile(value);
    if (option == "--delays") readdelays(value);
    if (option == "--name") {
      if (const std::string why = refusedname(value); !why.empty()) {
        bmp4cshared::usageerror(thisprogram, "--name " + why);
      }
    }
    if (option == "--name") imagename = value;
  }
  checkforms(line);
}

// The names the command line gives, after known options: none (the
// dialogue runs), the bitmap alone, whose text takes its name with .h, or
// both. More is a glob that named more than was meant, and nothing is
// read or written.
std::vector<std::string> readarguments(int argc, char **argv) {
  const bmp4cshared::commandline line = bmp4cshared::readcommandline(thisprogram, argc, argv);
  readoptions(line);
  if (line.names.size() > 2) {
    bmp4cshared::usageerror(thisprogram, "give at most two names: the bitmap, then the text");
  }
  return line.names;
}

// The rest of the second name's line must be blank: anything more is a
// name with blanks that was not quoted, or a third name, and converting
// would write a file the user did not name. Later lines are not read.
void endanswers() {
  std::size_t blanks = 0;
  for (int c; (c = takeanswer()) != endofinput && c != '\n';) {
    if (!iswhite(c)) fail(namingerror);
    if (++blanks > longestanswer) fail(binaryline(binaryfilename).c_str());
  }
}

bool isstandard(const std::string &name) {
  return quiet && name == bmp4cshared::standardname;
}

std::string systemreason(int error) {
  return error != 0 ? std::strerror(error) : "the system gives no reason";
}

// A directory may open for reading on some systems and fail only on the
// first read, so it is refused as the unreadable input it is.
void openbinaryfile() {
  if (isstandard(binaryfilename)) {
    bmp4cshared::binarymode(stdin);
    binarysource = std::cin.rdbuf();
    return;
  }
  const std::string line = binaryline(binaryfilename);
  std::error_code ignored;
  if (fs::is_directory(pathof(binaryfilename), ignored)) {
    fail(line.c_str(), binaryfilename, "is a folder, not a bitmap");
  }
  errno = 0;
  if (binaryfile.open(binaryfilename, std::ios::in | std::ios::binary) == nullptr) {
    fail(line.c_str(), binaryfilename, "cannot be read: " + systemreason(errno));
  }
}

// What bmp4c writes over: text. A picture is refused (a glob such as
// logo.* may name the artwork as the text), and so is a file holding a NUL
// byte, which no text does.
std::string judgetext(std::string_view start) {
  const std::pair<std::string_view, const char *> pictures[] = {{"BM", "a bitmap"},
                                                                {"\x89PNG", "a PNG picture"},
                                                                {"GIF8", "a GIF picture"},
                                                                {"\xff\xd8\xff", "a JPEG picture"}};
  for (const auto &[signature, what] : pictures) {
    if (start.starts_with(signature)) return std::string(what) + ", not text";
  }
  return start.find('\0') != std::string_view::npos ? "a binary file, not text" : "";
}

// The bytes alone replace any file but a picture: an earlier run's bytes
// have no mark to tell them by.
std::string judgeraw(std::string_view start) {
  const std::string what = judgetext(start);
  return what.empty() || what.starts_with("a binary")
             ? ""
             : what.substr(0, what.find(',')) + ", not an image's bytes";
}

// Nor is the bitmap itself written over, whatever name or link leads to
// it. The output is opened before the bitmap is read, so that an output
// that cannot be written is said before any work.
void opentextfile() {
  std::error_code ignored;
  if (!isstandard(binaryfilename) && !isstandard(textfilename) &&
      fs::equivalent(pathof(binaryfilename), pathof(textfilename), ignored)) {
    fail(texterror, textfilename, "is the bitmap itself: name the text file to write");
  }
  const bool raw = outputform == rawform;
  if (!isstandard(textfilename)) {
    const std::string why = bmp4cshared::replaceable(textfilename, raw ? judgeraw : judgetext);
    if (!why.empty()) fail(texterror, textfilename, why);
  }
  errno = 0;
  if (const std::string why =
          bmp4cshared::openoutput(textfilename, raw ? "wb" : "w", textoutput, quiet);
      !why.empty()) {
    fail(texterror, textfilename, "cannot be written: " + why);
  }
  textfile = textoutput.file;
  if (raw && bmp4cshared::isterminal(textfile)) {
    fail(texterror, textfilename, "is a terminal, which would show the bytes as garbage");
  }
}

void closefiles() {
  binaryfile.close();
  textfile = nullptr;
  if (const std::string why = bmp4cshared::closeoutput(textoutput, 0); !why.empty()) {
    fail(writeerror, textfilename, "cannot be written: " + why);
  }
}

} // namespace

void fail(const char *message, const std::string &file, const std::string &what) {
  if (quiet) {
    bmp4cshared::say("bmp4c", file, what);
  } else {
    std::fputs(message, stdout);
  }
  bmp4cshared::discardoutput(textoutput);
  std::exit(exitfailure);
}

void fail(const char *message) {
  std::string what = message;
  if (what.ends_with('\n')) what.pop_back();
  fail(message, binaryfilename, what);
}

void failwrite(int error) {
  fail(writeerror, textfilename, "cannot be written: " + systemreason(error));
}

} // namespace bmp4c

int main(int argc, char **argv) {
  using namespace bmp4c;
  const std::vector<std::string> names = readarguments(argc, argv);
  packstart = 0;
  if (names.empty()) {
    std::printf("%s\n", banner);
    askname(binaryprompt, binaryfilename, "");
    askname(textprompt, textfilename, texterror);
    endanswers();
  } else {
    quiet = true;
    binaryfilename = names[0];
    textfilename = names.size() == 2 ? names[1]
                   : names[0] == bmp4cshared::standardname
                       ? names[0]
                       : bmp4cshared::withextension(names[0], extensions[outputform]);
  }
  openbinaryfile();
  opentextfile();
  readheader();
  preparebuffer();
  checktiles();
  capturepixels();
  writepreamble();
  writepixels();
  closefiles();
  if (!quiet) std::printf("%s\n", completion);
  return exitsuccess;
}
