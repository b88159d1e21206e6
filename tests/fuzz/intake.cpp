// bmp4c on untrusted bytes: the bitmap's intake and the writer, from a file
// of them to a scratch file, with the converter's state as a fresh process
// starts it; for an input of odd length, in tiles of a size its last byte
// gives, named and low first.
#include "../../src/bmp4c/bmp_intake.hpp"
#include "../../src/bmp4c/source_writer.hpp"
#include "scratch.hpp"

#include <cstdlib>

namespace bmp4c {
struct refused {};
// A refusal ends the process; here it ends the run.
void fail(const char *) {
  throw refused{};
}
void failwrite(int) {
  throw refused{};
}
} // namespace bmp4c

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace bmp4c;
  const std::string name = scratchfile("intake", data, size);
  std::free(bmpdata);
  bmpdata = nullptr;
  bmpheader = {};
  headercount = filecounter = filesize = offset = width = height = 0;
  count = packstart = capacity = allocated = rowsize = pixelrows = 0;
  const bool tiled = size % 2 != 0;
  imagename = tiled ? "fuzzed" : "";
  tilewidth = tiled ? 1 + data[size - 1] % 8 : 0;
  tileheight = tiled ? 1 + data[size - 1] / 32 : 0;
  lowfirst = tiled ? 1 : 0;
  binaryfile.open(name, std::ios::in | std::ios::binary);
  textfile = std::tmpfile();
  try {
    readheader();
    preparebuffer();
    checktiles();
    capturepixels();
    writepreamble();
    writepixels();
  } catch (const refused &) {
  }
  binaryfile.close();
  std::fclose(textfile);
  return 0;
}
