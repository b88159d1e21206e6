// bmp4c-grey on untrusted bytes: the picture read from a file of them, then
// the grey as the README's path makes it (fitted to 64 x 32 and dithered),
// or, for an input of odd length, plain and at the picture's own size.
#include "../../src/grey/levels.hpp"
#include "scratch.hpp"

namespace bmp4cgrey {
struct refused {};
// A refusal ends the program; here it ends the run.
void fail(const std::string &, const std::string &) {
  throw refused{};
}
} // namespace bmp4cgrey

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace bmp4cgrey;
  const std::string name = scratchfile("grey", data, size);
  try {
    const picture image = readpicture(name);
    greying how;
    if (size % 2 == 0) how = {.dither = true, .fitwidth = 64, .fitheight = 32};
    greylevels(image, how);
  } catch (const refused &) {
  }
  return 0;
}
