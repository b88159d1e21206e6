// bmp4c-preview on untrusted bytes: a header read from a file of them, and
// its picture drawn as a PNG into a scratch file.
#include "../../src/preview/png_writer.hpp"
#include "scratch.hpp"

namespace bmp4cpreview {
struct refused {};
// A refusal ends the program; here it ends the run.
void fail(const std::string &, const std::string &) {
  throw refused{};
}
} // namespace bmp4cpreview

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace bmp4cpreview;
  const std::string name = scratchfile("header", data, size);
  try {
    writepng(name + ".png", readheaderfile(name), {});
  } catch (const refused &) {
  }
  return 0;
}
