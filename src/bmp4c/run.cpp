// The conversion run: the console dialogue (or the two names as the
// command line's arguments), the two files, the order of the steps, and the
// exit status (0 only after "Convertion Completed", 1 after any failure
// message). Every message goes to standard output.
//
// The output file is emptied only once writing begins: a run refused
// before then leaves an existing file with its bytes and its time stamp,
// and removes a file that it created itself.
#include "../shared/names.hpp"
#include "bmp_intake.hpp"
#include "source_writer.hpp"
#include "state.hpp"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

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
const char *const usage = R"(usage: bmp4c
       bmp4c BITMAP TEXT
Converts an uncompressed 4-bit Windows bitmap into C source: #define WIDTH,
#define HEIGHT and char bitmap[]. Without arguments it asks for the bitmap
to read and the text file to write, and reads both names from standard
input, a name with blanks in double quotes. Given two names, it takes them
as they are and reads nothing.
  --help       this text
  --version    the version
The manual: man bmp4c
)";

constexpr int endofinput = std::char_traits<char>::eof();
constexpr int quote = '"';

// The file this run created as its output, as long as nothing has been
// written to it: a refusal removes it. Empty otherwise.
fs::path createdtextfile;

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
void askname(const char *prompt, std::string &name, const char *given) {
  std::printf("%s \n", prompt);
  if (given != nullptr) {
    name = given;
    return;
  }
  std::fflush(stdout);
  readname(name);
}

// --help and --version, each as the only argument, answer and end the
// run.
void answeroption(const std::string_view argument) {
  if (argument == "--help") {
    std::fputs(usage, stdout);
  } else if (argument == "--version") {
    std::puts("bmp4c " BMP4C_VERSION);
  } else {
    return;
  }
  std::exit(exitsuccess);
}

// Exactly two arguments, neither an option, are the two names. Any other
// command line is ignored, as it always was, and the dialogue runs.
bool givesnames(int argc, char **argv) {
  return argc == 3 && argv[1][0] != '-' && argv[2][0] != '-';
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
    fail((std::string(binaryerror) + " " + binaryfilename + " \n").c_str());
  }
}

// Opening the bitmap itself for writing would truncate it before it is
// read, whatever name or link leads to it. Appending creates a missing
// file and proves that the output can be written, yet changes nothing.
void opentextfile() {
  std::error_code ignored;
  if (fs::equivalent(pathof(binaryfilename), pathof(textfilename), ignored)) {
    fail(texterror);
  }
  const bool existed = fs::exists(pathof(textfilename), ignored);
  textfile = std::fopen(textfilename.c_str(), "a");
  if (textfile == nullptr) {
    fail(texterror);
  }
  if (!existed) createdtextfile = fs::canonical(pathof(textfilename), ignored);
}

// Writing begins: a file is emptied now, through any link to it. Devices
// and pipes are written as they are.
void begintextfile() {
  createdtextfile.clear();
  std::error_code ignored;
  if (fs::is_regular_file(pathof(textfilename), ignored)) {
    textfile = std::freopen(textfilename.c_str(), "w", textfile);
    if (textfile == nullptr) {
      fail(texterror);
    }
  }
}

void closefiles() {
  binaryfile.close();
  if (std::fclose(textfile) != 0) {
    fail(writeerror);
  }
}

} // namespace

void fail(const char *message) {
  std::fputs(message, stdout);
  if (!createdtextfile.empty()) {
    std::fclose(textfile);
    std::error_code ignored;
    fs::remove(createdtextfile, ignored);
  }
  std::exit(exitfailure);
}

} // namespace bmp4c

int main(int argc, char **argv) {
  using namespace bmp4c;
  bmp4cshared::useutf8console();
  if (argc == 2) answeroption(argv[1]);
  const bool named = givesnames(argc, argv);
  packstart = 0;
  std::printf("%s\n", banner);
  askname(binaryprompt, binaryfilename, named ? argv[1] : nullptr);
  askname(textprompt, textfilename, named ? argv[2] : nullptr);
  if (!named) endanswers();
  openbinaryfile();
  opentextfile();
  readheader();
  preparebuffer();
  capturepixels();
  begintextfile();
  writepreamble();
  writepixels();
  closefiles();
  std::printf("%s\n", completion);
  return exitsuccess;
}
