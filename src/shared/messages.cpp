// What the programs say about their files.
#include "messages.hpp"

#include "names.hpp"

#include <cstdio>

namespace bmp4cshared {

void say(std::string_view program, const std::string &file, const std::string &what) {
  const std::string line = std::string(program) + ": " + shown(file) + ": " + shown(what) + "\n";
  std::fputs(line.c_str(), stderr);
}

std::string oddwidthnote(const std::string &macro, std::int64_t width) {
  return macro + " " + std::to_string(width) +
         " is odd, so each row shares a byte with the next: a library that pads rows to whole "
         "bytes draws it sheared. bmp4c --pad-rows starts every row on a new byte; or one more "
         "column on the right (bmp4c-grey --even) makes the width even.";
}

} // namespace bmp4cshared
