// bmp4c-grey on untrusted bytes: the picture read from a file of them, then
// the grey as the README's path makes it (fitted to 64 x 32 and dithered),
// or, for an input of odd length, plain and at the picture's own size; for
// a length that 3 divides, every frame of it, as --frames reads them.
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
    greying how;
    if (size % 2 == 0) how = {.dither = true, .fitwidth = 64, .fitheight = 32};
    if (size % 3 == 0)
      readframes(name, [&](const picture &frame, int) { greylevels(frame, how); });
    else
      greylevels(readpicture(name), how);
  } catch (const refused &) {
  }
  return 0;
}
