// Picture reader. stb_image reads through callbacks, so that a decoder
// that asks for bytes past the end of the file is seen: stb_image itself
// would go on with zeros and return a picture whose lower part is made up,
// which bmp4c-grey refuses instead. A decoder asks for more only when it
// needs more, so a whole file never meets its end this way.
#include "picture_reader.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stb_image.h>
#include <string_view>

namespace bmp4cgrey {
namespace {

// The file, and whether a decoder has asked for bytes past its end.
struct source {
  std::FILE *file = nullptr;
  bool cutshort = false;
};

int readbytes(void *user, char *bytes, int size) {
  auto &from = *static_cast<source *>(user);
  const auto n = static_cast<int>(std::fread(bytes, 1, static_cast<std::size_t>(size), from.file));
  if (n == 0) from.cutshort = true;
  return n;
}

void skipbytes(void *user, int n) {
  std::fseek(static_cast<source *>(user)->file, n, SEEK_CUR);
}

int atend(void *user) {
  auto &from = *static_cast<source *>(user);
  return std::feof(from.file) != 0 || std::ferror(from.file) != 0;
}

constexpr stbi_io_callbacks callbacks = {readbytes, skipbytes, atend};

// The file from its start again, for the next question to the decoders.
source &rewound(source &from) {
  std::rewind(from.file);
  from.cutshort = false;
  return from;
}

std::FILE *openpicture(const std::string &name) {
  std::error_code ignored;
  if (std::filesystem::is_directory(name, ignored)) fail(name, "is a folder, not a picture");
  std::FILE *file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) fail(name, std::string("cannot be read: ") + std::strerror(errno));
  if (std::filesystem::file_size(name, ignored) == 0) fail(name, "is empty, not a picture");
  return file;
}

// The PNG decoder reads a chunk whole, and says so itself when the file
// ends inside one.
[[noreturn]] void refuse(const std::string &name, const source &from) {
  if (from.cutshort || std::string_view(stbi_failure_reason()) == "outofdata") {
    fail(name, "is cut short: the file ends before its last pixel");
  }
  fail(name, std::string("is not a picture that bmp4c-grey reads (") + stbi_failure_reason() + ")");
}

} // namespace

picture readpicture(const std::string &name) {
  source from{openpicture(name)};
  const std::unique_ptr<std::FILE, int (*)(std::FILE *)> closing(from.file, std::fclose);
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_callbacks(&callbacks, &rewound(from), &width, &height, &channels) == 0) {
    refuse(name, from);
  }
  if (std::int64_t{width} * height > largestpicture) {
    fail(name, "is " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels, over the limit of " + std::to_string(largestpicture) +
                   " (64 megapixels)");
  }
  picture image;
  const bool deep = stbi_is_16_bit_from_callbacks(&callbacks, &rewound(from)) != 0;
  void *samples =
      deep ? static_cast<void *>(stbi_load_16_from_callbacks(&callbacks, &rewound(from), &width,
                                                             &height, &channels, 0))
           : stbi_load_from_callbacks(&callbacks, &rewound(from), &width, &height, &channels, 0);
  image.samples.reset(samples, stbi_image_free);
  if (samples == nullptr || from.cutshort) refuse(name, from);
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.largestsample = deep ? 65535 : 255;
  return image;
}

} // namespace bmp4cgrey
