// bmp4c-preview on untrusted bytes: a header read from a file of them, and
// its picture drawn as a PNG into a scratch file.
#include "../../src/preview/png_writer.hpp"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace bmp4cpreview {
struct refused {};
// A refusal ends the program; here it ends the run.
void fail(const std::string &, const std::string &) {
  throw refused{};
}
} // namespace bmp4cpreview

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace bmp4cpreview;
  static const std::string name =
      std::filesystem::temp_directory_path() / ("bmp4c-fuzz-header-" + std::to_string(getpid()));
  std::FILE *file = std::fopen(name.c_str(), "wb");
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  try {
    writepng(name + ".png", readheaderfile(name), {});
  } catch (const refused &) {
  }
  return 0;
}
