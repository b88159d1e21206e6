// The conversion run: the console dialogue (or the names as the command
// line's arguments, with the output's options), the two files, the order
// of the steps, and the exit status (0 only after "Convertion Completed",
// 1 after any failure message, 2 after a usage error). Every message of
// the run goes to standard output; a usage error, which comes before the
// run, goes to standard error, as the other two programs say theirs.
//
// The output is written to a temporary file beside it, which takes its
// place only once whole: a run refused or failed at any step leaves an
// existing file with its bytes and its time stamp, and creates none.
#include "../shared/commandline.hpp"
#include "../shared/names.hpp"
#include "../shared/output.hpp"
#include "bmp_intake.hpp"
#include "source_writer.hpp"
#include "state.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
       bmp4c [--name NAME] [--tile WxH] [--low-first] [BITMAP [TEXT]]
Converts an uncompressed 4-bit Windows bitmap into C source: #define WIDTH,
#define HEIGHT and char bitmap[]. Without names it asks for the bitmap to
read and the text file to write, and reads both names from standard input,
a name with blanks in double quotes. Given names, it takes them as they
are and reads nothing; a BITMAP alone is written to its name with .h.
  --name NAME    the image's own names, NAME_WIDTH, NAME_HEIGHT and
                 static const unsigned char NAME[], kept in flash
  --tile WxH     tiles of W x H pixels, left to right, then top to bottom:
                 an array of TILES tiles, each as a bitmap of its own
  --low-first    the first pixel of each pair in the low 4 bits
  --help         this text
  --version      the version
The manual: man bmp4c
)";

const bmp4cshared::program thisprogram{"bmp4c",
                                       usage,
                                       "bmp4c " BMP4C_VERSION,
                                       {"--low-first"},
                                       {{"--name", "a C name"}, {"--tile", "a size WxH"}}};

// Keywords of C (C23 included) and C++ (C++20), each between blanks: an
// image may not be named after one, in either language.
constexpr std::string_view keywords =
    " _Alignas _Alignof _Atomic _BitInt _Bool _Complex _Decimal128 _Decimal32 _Decimal64 _Generic "
    "_Imaginary _Noreturn _Static_assert _Thread_local alignas alignof and and_eq asm auto bitand "
    "bitor bool break case catch char char16_t char32_t char8_t class co_await co_return co_yield "
    "compl concept const const_cast consteval constexpr constinit continue decltype default delete "
    "do double dynamic_cast else enum explicit export extern false float for friend goto if inline "
    "int long mutable namespace new noexcept not not_eq nullptr operator or or_eq private "
    "protected "
    "public register reinterpret_cast requires restrict return short signed sizeof static "
    "static_assert static_cast struct switch template this thread_local throw true try typedef "
    "typeid typename typeof typeof_unqual union unsigned using virtual void volatile wchar_t while "
    "xor xor_eq ";

constexpr int endofinput = std::char_traits<char>::eof();
constexpr int quote = '"';

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
  while (nextanswer() != endofinput && nextanswer() != '\n') {
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
void readname(std::string &name) {
  while (iswhite(nextanswer())) takeanswer();
  if (nextanswer() == quote) {
    takeanswer();
    readquoted(name);
    return;
  }
  while (nextanswer() != endofinput && !iswhite(nextanswer())) {
    name += static_cast<char>(takeanswer());
  }
}

// A missing answer leaves the name empty, and an empty name then fails to
// open. A name given on the command line answers the prompt, which is
// still printed so that a script sees the same lines either way.
void askname(const char *prompt, std::string &name, const std::string *given) {
  std::printf("%s \n", prompt);
  if (given != nullptr) {
    name = *given;
    return;
  }
  std::fflush(stdout);
  readname(name);
}

// " logo ": a word between blanks, as the keywords stand.
std::string word(std::string_view name) {
  std::string between = " ";
  between += name;
  between += ' ';
  return between;
}

// "logo": ASCII letters, digits and _, not starting with a digit, and no
// keyword of C or C++, so that the header compiles in both.
bool isidentifier(std::string_view name) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return !name.empty() && letter(name[0]) &&
         std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || digit(c); }) &&
         keywords.find(word(name)) == std::string_view::npos;
}

// "16x16": both sides whole numbers from 1 up, each a signed 32-bit value,
// as the bitmap's sides are.
void readtile(std::string_view text) {
  const auto [width, height] = bmp4cshared::readsize(text);
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) {
    bmp4cshared::usageerror(thisprogram, "--tile takes a size WxH such as 16x16, not \"" +
                                             std::string(text) + "\"");
  }
  tilewidth = static_cast<std::int32_t>(width);
  tileheight = static_cast<std::int32_t>(height);
}

void readoptions(const bmp4cshared::commandline &line) {
  for (const auto &[option, value] : line.options) {
    if (option == "--low-first") lowfirst = 1;
    if (option == "--tile") readtile(value);
    if (option == "--name" && !isidentifier(value)) {
      bmp4cshared::usageerror(thisprogram, "--name takes a C name: ASCII letters, digits and _, "
                                           "not a digit first, and no keyword, not \"" +
                                               value + "\"");
    }
    if (option == "--name") imagename = value;
  }
}

// The names the command line gives. Without an option it is read as it
// always was: two names, or a bitmap alone, whose text takes its name
// with .h; any other count is ignored, and the dialogue runs. With one,
// strictly: known options, then at most the two names.
std::vector<std::string> readarguments(int argc, char **argv) {
  if (argc < 2) return {};
  if (std::none_of(argv + 1, argv + argc, [](const char *a) { return a[0] == '-'; })) {
    if (argc != 2 && argc != 3) return {};
    return {argv + 1, argv + argc};
  }
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
  for (int c; (c = takeanswer()) != endofinput && c != '\n';) {
    if (!iswhite(c)) fail(namingerror);
  }
}

// A directory may open for reading on some systems and fail only on the
// first read, so it is refused as the unreadable input it is.
void openbinaryfile() {
  std::error_code ignored;
  if (fs::is_directory(pathof(binaryfilename), ignored) ||
      binaryfile.open(binaryfilename, std::ios::in | std::ios::binary) == nullptr) {
    fail((std::string(binaryerror) + " " + bmp4cshared::shown(binaryfilename) + " \n").c_str());
  }
}

// A file that starts with "BM" is a bitmap, and no text is written over
// one: a glob such as *.bmp that names two bitmaps would give the second
// as the text.
bool isbitmap(const fs::path &file) {
  std::error_code ignored;
  if (!fs::is_regular_file(file, ignored)) return false;
  std::ifstream in(file, std::ios::binary);
  std::array<char, 2> start{};
  return in.read(start.data(), start.size()) && start[0] == 'B' && start[1] == 'M';
}

// Nor is the bitmap itself written over, whatever name or link leads to
// it. The output is opened before the bitmap is read, so that an output
// that cannot be written is said before any work.
void opentextfile() {
  std::error_code ignored;
  if (fs::equivalent(pathof(binaryfilename), pathof(textfilename), ignored) ||
      isbitmap(pathof(textfilename)) ||
      !bmp4cshared::openoutput(textfilename, "w", textoutput).empty()) {
    fail(texterror);
  }
  textfile = textoutput.file;
}

void closefiles() {
  binaryfile.close();
  textfile = nullptr;
  if (!bmp4cshared::closeoutput(textoutput, 0).empty()) {
    fail(writeerror);
  }
}

} // namespace

void fail(const char *message) {
  std::fputs(message, stdout);
  bmp4cshared::discardoutput(textoutput);
  std::exit(exitfailure);
}

} // namespace bmp4c

int main(int argc, char **argv) {
  using namespace bmp4c;
  bmp4cshared::useutf8console();
  const std::vector<std::string> names = readarguments(argc, argv);
  const std::string defaulttext =
      names.size() == 1 ? bmp4cshared::withextension(names[0], ".h") : "";
  packstart = 0;
  std::printf("%s\n", banner);
  askname(binaryprompt, binaryfilename, names.empty() ? nullptr : &names[0]);
  askname(textprompt, textfilename,
          names.empty()       ? nullptr
          : names.size() == 1 ? &defaulttext
                              : &names[1]);
  if (names.empty()) endanswers();
  openbinaryfile();
  opentextfile();
  readheader();
  preparebuffer();
  checktiles();
  capturepixels();
  writepreamble();
  writepixels();
  closefiles();
  std::printf("%s\n", completion);
  return exitsuccess;
}
