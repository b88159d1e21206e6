// The conversion run: the console dialogue, the two files, the order of the
// steps, and the exit status (0 only after "Convertion Completed", 1 after
// any failure message). Every message goes to standard output.
#include "bmp_intake.hpp"
#include "source_writer.hpp"
#include "state.hpp"

#include <filesystem>
#include <iostream>

namespace bmp4c {
namespace {

const char *const banner = "This file convert a 4-bit BMP into 2-bit DC.b file ";
const char *const binaryprompt = "Pls enter binary file name to read:";
const char *const textprompt = "Pls enter text file name to write:";
const char *const binaryerror = "Error opening binaryfile file for reading:";
const char *const texterror = "Error opening text file for writing\n";
const char *const completion = "Convertion Completed";

// Names are whitespace-delimited tokens of any length; a missing answer
// leaves the name empty, and an empty name then fails to open.
void askname(const char *prompt, std::string &name) {
  std::printf("%s \n", prompt);
  std::fflush(stdout);
  std::cin >> name;
}

// A directory may open for reading on some systems and fail only on the
// first read, so it is refused as the unreadable input it is.
void openbinaryfile() {
  std::error_code ignored;
  if (std::filesystem::is_directory(binaryfilename, ignored) ||
      binaryfile.open(binaryfilename, std::ios::in | std::ios::binary) == nullptr) {
    fail((std::string(binaryerror) + " " + binaryfilename + " \n").c_str());
  }
}

// Opening the bitmap itself for writing would truncate it before it is
// read, whatever name or link leads to it.
void opentextfile() {
  std::error_code ignored;
  if (std::filesystem::equivalent(binaryfilename, textfilename, ignored)) {
    fail(texterror);
  }
  textfile = std::fopen(textfilename.c_str(), "w");
  if (textfile == nullptr) {
    fail(texterror);
  }
}

void closefiles() {
  binaryfile.close();
  if (std::fclose(textfile) != 0) {
    fail(writeerror);
  }
}

} // namespace
} // namespace bmp4c

int main() {
  using namespace bmp4c;
  packstart = 0;
  std::printf("%s\n", banner);
  askname(binaryprompt, binaryfilename);
  askname(textprompt, textfilename);
  openbinaryfile();
  opentextfile();
  readheader();
  preparebuffer();
  capturepixels(); // before any output, so a refused bitmap leaves it empty
  writepreamble();
  writepixels();
  closefiles();
  std::printf("%s\n", completion);
  return exitsuccess;
}
