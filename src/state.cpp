// Storage for the converter's shared state (see state.hpp) and the one way
// a run ends in failure.
#include "state.hpp"

#include <cstdlib>

namespace bmp4c {

std::string binaryfilename;
std::string textfilename;
std::filebuf binaryfile;
std::FILE *textfile = nullptr;

std::array<std::uint8_t, headersize> bmpheader{};
std::int32_t headercount = 0;
std::int32_t filecounter = 0;
std::int32_t filesize = 0;
std::int32_t offset = 0;
std::int32_t width = 0;
std::int32_t height = 0;

std::int32_t count = 0;
std::int32_t packstart = 0;
std::int32_t rowsize = 0;
std::int32_t pixelrows = 0;
std::int32_t capacity = 0;
std::int32_t allocated = 0;
std::uint8_t *bmpdata = nullptr;

std::uint8_t bword = 0;
std::uint8_t temph = 0;
std::uint8_t templ = 0;

void fail(const char *message) {
  std::fputs(message, stdout);
  std::exit(exitfailure);
}

} // namespace bmp4c
