// Picture reader. stb_image reads through callbacks, so that a decoder
// that asks for bytes past the end of the file is seen: stb_image itself
// would go on with zeros and return a picture whose lower part is made up,
// which bmp4c-grey refuses instead. A decoder asks for more only when it
// needs more, so a whole file never meets its end this way. The callbacks
// keep the position against the file's size, so that a skip past the end
// is seen too, and the end is told truly after any skip.
//
// Before anything is decoded, what the file's header claims is checked in
// one place: at least one pixel, at most largestpicture, and no more than
// the file's bytes can hold (leastbytes() gives each format's bound). So
// the work and the memory follow the size of the file, not its header's
// claims.
#include "picture_reader.hpp"

#include "../shared/bytes.hpp"
#include "../shared/names.hpp"
#include "../shared/output.hpp"
#include "rle_bitmap.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stb_image.h>
#include <string_view>
#include <vector>

namespace bmp4cgrey {

// stb_image.cpp: its failure reason forgotten, and a GIF's frames one at a
// time (1 a frame, 0 the end, -1 a failure, whose reason stb_image has).
void forgetstbfailure();
struct gifanimation;
gifanimation *startgif(const stbi_io_callbacks *callbacks, void *user);
int nextgifframe(gifanimation *gif, const unsigned char *&canvas, int &width, int &height,
                 int &delay);
void endgif(gifanimation *gif);

namespace {

// The file, the decoder's position in it, and whether it has asked for
// bytes past its end.
// The decoder may be given other bytes at one place than the file holds
// (patchat, -1 for none): a GIF's sides, grown to hold its frames.
struct source {
  std::FILE *file = nullptr;
  std::int64_t size = 0, position = 0;
  bool cutshort = false;
  std::int64_t patchat = -1;
  std::array<std::uint8_t, 4> patch{};
};

int readbytes(void *user, char *bytes, int size) {
  auto &from = *static_cast<source *>(user);
  const std::int64_t start = from.position;
  const auto n = static_cast<int>(std::fread(bytes, 1, static_cast<std::size_t>(size), from.file));
  from.position += n;
  if (n == 0) from.cutshort = true;
  for (std::size_t k = 0; from.patchat >= 0 && k < from.patch.size(); ++k) {
    const std::int64_t at = from.patchat + static_cast<std::int64_t>(k) - start;
    if (at >= 0 && at < n) bytes[at] = static_cast<char>(from.patch[k]);
  }
  return n;
}

void skipbytes(void *user, int n) {
  auto &from = *static_cast<source *>(user);
  const std::int64_t to = std::clamp(from.position + n, std::int64_t{0}, from.size);
  if (to < from.position + n) from.cutshort = true;
  std::fseek(from.file, static_cast<long>(to - from.position), SEEK_CUR);
  from.position = to;
}

// A seek clears the stream's end-of-file flag, so the position tells; the
// flag still does for a file whose size is not known.
int atend(void *user) {
  const auto &from = *static_cast<source *>(user);
  return from.position >= from.size || std::feof(from.file) != 0 || std::ferror(from.file) != 0;
}

constexpr stbi_io_callbacks callbacks = {readbytes, skipbytes, atend};

// The file from its start again, for the next question to the decoders.
source &rewound(source &from) {
  std::rewind(from.file);
  from.position = 0;
  from.cutshort = false;
  return from;
}

// A picture from standard input is kept whole in a temporary file first,
// so that the decoders may seek in it as in any file. No picture that
// bmp4c-grey reads takes more: 64 megapixels of 16-bit RGBA are 512 MiB.
constexpr std::int64_t largeststandardinput = std::int64_t{1} << 30;

source readstandardinput(const std::string &name) {
  bmp4cshared::binarymode(stdin);
  std::FILE *file = std::tmpfile();
  if (file == nullptr)
    fail(name, std::string("cannot be kept to be read: ") + std::strerror(errno));
  std::int64_t size = 0;
  std::array<char, 65536> chunk;
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0;) {
    size += static_cast<std::int64_t>(n);
    if (size > largeststandardinput) {
      fail(name, "holds more than " + std::to_string(largeststandardinput) +
                     " bytes, more than any picture that bmp4c-grey reads");
    }
    if (std::fwrite(chunk.data(), 1, n, file) != n) {
      fail(name, std::string("cannot be kept to be read: ") + std::strerror(errno));
    }
  }
  if (std::ferror(stdin) != 0) fail(name, "cannot be read");
  if (size == 0) fail(name, "is empty, not a picture");
  std::rewind(file);
  return {file, size};
}

source openpicture(const std::string &name) {
  if (name == bmp4cshared::standardname) return readstandardinput(name);
  const std::filesystem::path path = bmp4cshared::pathof(name);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) fail(name, "is a folder, not a picture");
  std::FILE *file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) fail(name, std::string("cannot be read: ") + std::strerror(errno));
  const std::uintmax_t size = std::filesystem::file_size(path, ignored);
  if (size == 0) fail(name, "is empty, not a picture");
  // A file whose size is not known (a device, say) ends where reading does.
  return {file, ignored ? INT64_MAX : static_cast<std::int64_t>(size)};
}

// The first bytes of the file, where the formats say what they are.
struct head {
  std::array<std::uint8_t, 64> bytes{};
  std::size_t size = 0;
  bool is(std::string_view magic) const {
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin(),
                                              [](char m, std::uint8_t b) { return m == char(b); });
  }
  std::int64_t le(std::size_t at, int n) const {
    return bmp4cshared::readle(bytes, at, n);
  }
  std::int64_t be32(std::size_t at) const {
    return std::int64_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
  }
};

head readhead(source &from) {
  head h;
  h.size = std::fread(h.bytes.data(), 1, h.bytes.size(), from.file);
  rewound(from);
  return h;
}

const std::string_view png = "\x89PNG", jpeg = "\xff\xd8", gif = "GIF8", bmp = "BM";

bool known(const head &h) {
  return h.is(png) || h.is(jpeg) || h.is(gif) || h.is(bmp) || h.is("P5") || h.is("P6");
}

// A bitmap's sides, or for an OS/2 bitmap's 12-byte header its 16-bit ones;
// the height's sign is only the order of the rows, but a width below 0
// stays so, and is refused.
std::int64_t bmpside(const head &h, int side) {
  if (h.le(14, 4) == 12) return h.le(18 + 2 * static_cast<std::size_t>(side), 2);
  const auto value = static_cast<std::int32_t>(h.le(18 + 4 * static_cast<std::size_t>(side), 4));
  return value < 0 && side == 1 ? -std::int64_t{value} : value;
}

// The bytes a PNG, a GIF or a bitmap needs to give its sides, which its
// header holds at a fixed place: a picture without pixels is refused
// before a decoder sees it. 0 for the other formats.
std::size_t sidesend(const head &h) {
  return h.is(png) ? 24 : h.is(gif) ? 10 : h.is(bmp) ? 26 : 0;
}

std::array<std::int64_t, 2> fixedsides(const head &h) {
  if (h.is(png)) return {h.be32(16), h.be32(20)};
  if (h.is(gif)) return {h.le(6, 2), h.le(8, 2)};
  if (h.is(bmp)) return {bmpside(h, 0), bmpside(h, 1)};
  return {0, 0};
}

// The fewest bytes a file of its format can hold a picture of this size
// in. Uncompressed formats need their rows; a compressed one needs what
// its best case needs:
//   PNG   its rows (a filter byte each, and the samples) over 1032,
//         deflate's largest ratio: 258 bytes copied for 2 bits
//   JPEG  a bit for each 8 x 8 block: no scan codes a block in less
//   GIF   12 bits for each 4096 pixels, the longest string an LZW code
//         stands for
//   TGA   run-length encoded: a byte and a pixel for each 128 pixels, the
//         longest run
//   bitmap, run-length encoded: a byte for each 256 pixels, since a code
//         of two bytes makes at most 255
std::int64_t leastbytes(const head &h, std::int64_t width, std::int64_t height, int channels,
                        bool deep) {
  const std::int64_t pixels = width * height, depth = deep ? 2 : 1;
  if (h.is(png)) {
    constexpr int samples[] = {1, 0, 3, 1, 2, 0, 4}; // by colour type
    const std::int64_t bits = h.bytes[24] * std::int64_t{samples[std::min<int>(h.bytes[25], 6)]};
    return height * (1 + (width * bits + 7) / 8) / 1032;
  }
  if (h.is(jpeg)) return (width + 7) / 8 * ((height + 7) / 8) / 8;
  if (h.is(gif)) return pixels * 3 / 8192;
  if (h.is(bmp) && isrlebitmap(h.bytes.data(), h.size)) return pixels / 256;
  if (h.is(bmp)) {
    const std::int64_t bits = h.le(14, 4) == 12 ? h.le(24, 2) : h.le(28, 2);
    return (width * bits + 31) / 32 * 4 * height;
  }
  if (h.is("P5") || h.is("P6")) return pixels * channels * depth;
  const std::int64_t pixelbytes = (h.bytes[16] + 7) / 8; // TGA
  return h.bytes[2] >= 8 ? (pixels + 127) / 128 * (1 + pixelbytes) : pixels * pixelbytes;
}

// What the header claims, checked before anything is decoded.
void checkclaim(const std::string &name, const source &from, const head &h, std::int64_t width,
                std::int64_t height, int channels, bool deep) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width < 0) fail(name, "is damaged (a width below 0)");
  if (width == 0 || height == 0) fail(name, "has no pixels");
  if (width > largestside || height > largestside) {
    fail(name, "is " + size + ", over the limit of " + std::to_string(largestside) +
                   " pixels a side, whatever --fit asks");
  }
  if (width * height > largestpicture) {
    fail(name, "is " + size + ", over the limit of " + std::to_string(largestpicture) +
                   " (64 megapixels) on a picture as stored, whatever --fit asks");
  }
  if (from.size < leastbytes(h, width, height, channels, deep)) {
    fail(name, "is cut short: its " + std::to_string(from.size) + " bytes cannot hold the " + size +
                   " that its header gives");
  }
}

// The decoder's own reason, where stbi_info gave up on a known format and
// said only that no decoder took the file: a load stops at the same
// header, before it allocates anything.
std::string reasonfor(source &from) {
  int width = 0, height = 0, channels = 0;
  stbi_image_free(
      stbi_load_from_callbacks(&callbacks, &rewound(from), &width, &height, &channels, 0));
  return stbi_failure_reason() != nullptr ? stbi_failure_reason() : "";
}

// The PNG decoder reads a chunk whole, and says so itself when the file
// ends inside one. A format it knows, by its signature or its header, is
// damaged where it cannot be read. A decoder that memory could not hold
// says so (nomemory), since the file is sound.
[[noreturn]] void refuse(const std::string &name, source &from, const head &h, bool understood,
                         const std::string &nomemory = "memory ran out") {
  std::string reason = stbi_failure_reason() != nullptr ? stbi_failure_reason() : "";
  if (!understood && !from.cutshort && known(h)) reason = reasonfor(from);
  // A reason may quote the file's bytes (a PNG chunk's name, say).
  reason = bmp4cshared::printable(reason);
  if (reason == "outofmem") fail(name, nomemory);
  if (from.cutshort || reason == "outofdata") {
    fail(name, "is cut short: the file ends before its last pixel");
  }
  if (understood || known(h))
    fail(name, reason.empty() ? "is damaged" : "is damaged (" + reason + ")");
  fail(name, "is not a picture that bmp4c-grey reads: it reads PNG, JPEG, GIF, BMP, TGA and PNM");
}

// stb_image's JPEG decoder keeps the picture it has when a marker after
// the frame header cannot be read (a Huffman table whose counts pass 256,
// say): it sets a reason and returns the picture. Of the formats tried
// before it, only PNG's test leaves a reason for a JPEG, "bad png sig".
bool passedover(const head &h) {
  const char *const reason = stbi_failure_reason();
  return h.is(jpeg) && reason != nullptr && std::string_view(reason) != "bad png sig";
}

picture readrle(const std::string &name, source &from, const head &h) {
  checkclaim(name, from, h, bmpside(h, 0), bmpside(h, 1), 3, false);
  try {
    std::vector<std::uint8_t> file;
    std::array<std::uint8_t, 65536> chunk;
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), from.file)) > 0;)
      file.insert(file.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    return readrlebitmap(name, file);
  } catch (const std::bad_alloc &) {
    fail(name, outofmemory(bmpside(h, 0), bmpside(h, 1), 3));
  }
}

// The frames of a GIF, counted from its blocks without decoding them, and
// how far right and down their rectangles reach: the image descriptors
// after the header (and its colour table), each with its own colour table
// and data, among extensions, up to the trailer. A block that is not one
// of these, or the end of the file, ends the count, and the decoder then
// says what is wrong. The decoder itself is held to the limit on frames,
// however a crafted file reads here.
struct gifblocks {
  std::int64_t frames = 0, right = 0, bottom = 0;
};

gifblocks scangif(source &from, const head &h) {
  constexpr int extension = 0x21, descriptor = 0x2c, hascolours = 0x80;
  auto skipcolours = [&](int flags) {
    if ((flags & hascolours) != 0) std::fseek(from.file, 3L << ((flags & 7) + 1), SEEK_CUR);
  };
  auto skipblocks = [&] {
    for (int n; (n = std::fgetc(from.file)) > 0;) std::fseek(from.file, n, SEEK_CUR);
  };
  std::fseek(from.file, 13, SEEK_SET);
  skipcolours(h.bytes[10]);
  gifblocks blocks;
  for (int block; (block = std::fgetc(from.file)) == extension || block == descriptor;) {
    if (block == extension) {
      std::fgetc(from.file); // its label
    } else {
      std::array<std::uint8_t, 9> placed{}; // left, top, width, height, flags
      if (std::fread(placed.data(), 1, placed.size(), from.file) != placed.size()) break;
      auto le16 = [&](std::size_t at) { return std::int64_t{placed[at]} | placed[at + 1] << 8; };
      blocks.right = std::max(blocks.right, le16(0) + le16(4));
      blocks.bottom = std::max(blocks.bottom, le16(2) + le16(6));
      skipcolours(placed[8]);
      std::fgetc(from.file); // the code size
      ++blocks.frames;
    }
    skipblocks();
  }
  rewound(from);
  return blocks;
}

// A GIF whose frames reach past its canvas, which browsers clip, is given
// to the decoder with its sides grown to hold them (as far as 16 bits
// reach), and each picture is cut back to the canvas: the decoder would
// refuse such a frame. The grown sides are the ones checked.
std::array<std::int64_t, 2> growncanvas(source &from, const head &h, const gifblocks &blocks) {
  constexpr std::size_t sidesat = 6;
  constexpr std::int64_t largestside = 65535;
  const auto [width, height] = fixedsides(h);
  const std::int64_t grownwidth = std::max(width, blocks.right),
                     grownheight = std::max(height, blocks.bottom);
  if ((grownwidth == width && grownheight == height) || grownwidth > largestside ||
      grownheight > largestside)
    return {width, height};
  from.patchat = sidesat;
  from.patch = {static_cast<std::uint8_t>(grownwidth), static_cast<std::uint8_t>(grownwidth >> 8),
                static_cast<std::uint8_t>(grownheight),
                static_cast<std::uint8_t>(grownheight >> 8)};
  return {grownwidth, grownheight};
}

// The top left width x height pixels of a canvas of 4 bytes a pixel,
// canvaswidth wide, into a buffer of their own.
std::shared_ptr<void> cropped(const unsigned char *canvas, std::int64_t canvaswidth,
                              std::int64_t width, std::int64_t height) {
  constexpr std::int64_t bytesapixel = 4;
  auto *samples = static_cast<unsigned char *>(
      std::malloc(static_cast<std::size_t>(width * height * bytesapixel)));
  if (samples == nullptr) throw std::bad_alloc();
  for (std::int64_t y = 0; y < height; ++y)
    std::memcpy(samples + y * width * bytesapixel, canvas + y * canvaswidth * bytesapixel,
                static_cast<std::size_t>(width * bytesapixel));
  return {samples, std::free};
}

// The picture of an open file: its first frame, for a GIF, whose frames
// are counted.
picture decode(const std::string &name, source &from) {
  const head h = readhead(from);
  if (isrlebitmap(h.bytes.data(), h.size)) return readrle(name, from, h);
  if (h.size < sidesend(h)) fail(name, "is cut short: the file ends before its last pixel");
  const auto [fixedwidth, fixedheight] = fixedsides(h);
  if (sidesend(h) > 0 && (fixedwidth == 0 || fixedheight == 0)) fail(name, "has no pixels");
  const gifblocks blocks = h.is(gif) ? scangif(from, h) : gifblocks{};
  if (h.is(gif)) growncanvas(from, h, blocks);
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_callbacks(&callbacks, &rewound(from), &width, &height, &channels) == 0) {
    refuse(name, from, h, false);
  }
  const bool deep = stbi_is_16_bit_from_callbacks(&callbacks, &rewound(from)) != 0;
  checkclaim(name, from, h, h.is(bmp) ? fixedwidth : std::abs(std::int64_t{width}),
             h.is(bmp) ? fixedheight : std::abs(std::int64_t{height}), channels, deep);
  picture image;
  forgetstbfailure();
  void *samples =
      deep ? static_cast<void *>(stbi_load_16_from_callbacks(&callbacks, &rewound(from), &width,
                                                             &height, &channels, 0))
           : stbi_load_from_callbacks(&callbacks, &rewound(from), &width, &height, &channels, 0);
  image.samples.reset(samples, stbi_image_free);
  if (samples == nullptr || from.cutshort || passedover(h)) {
    refuse(name, from, h, true, outofmemory(width, height, channels * (deep ? 2 : 1)));
  }
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.largestsample = deep ? 65535 : 255;
  if (h.is(gif)) {
    image.frames = std::max<std::int64_t>(1, blocks.frames);
    if (width != fixedwidth || height != fixedheight) {
      try {
        image.samples =
            cropped(static_cast<const unsigned char *>(samples), width, fixedwidth, fixedheight);
      } catch (const std::bad_alloc &) {
        fail(name, outofmemory(fixedwidth, fixedheight, channels));
      }
      image.width = fixedwidth;
      image.height = fixedheight;
    }
  }
  return image;
}

// Frames are counted together against the limit, whatever --fit asks: all
// of them, from the blocks, or those the decoder has read so far.
void checkframes(const std::string &name, std::int64_t frames, std::int64_t width,
                 std::int64_t height, bool sofar) {
  if (frames * width * height <= largestpicture) return;
  fail(name, "is " + std::string(sofar ? "at least " : "") + std::to_string(frames) +
                 " frames of " + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels, over the limit of " + std::to_string(largestpicture) +
                 " (64 megapixels) on a picture as stored, its frames counted together, "
                 "whatever --fit asks");
}

} // namespace

std::string outofmemory(std::int64_t width, std::int64_t height, int bytesapixel) {
  return "memory ran out: its " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels take " + std::to_string(width * height * bytesapixel) + " bytes as stored, " +
         std::to_string(bytesapixel) + " a pixel";
}

picture readpicture(const std::string &name) {
  source from = openpicture(name);
  const std::unique_ptr<std::FILE, int (*)(std::FILE *)> closing(from.file, std::fclose);
  return decode(name, from);
}

// A GIF's frames are checked together: stb_image composes each on a canvas
// of the picture's size, so every frame is work on the whole canvas.
void readframes(const std::string &name,
                const std::function<void(const picture &frame, int delay)> &take) {
  source from = openpicture(name);
  const std::unique_ptr<std::FILE, int (*)(std::FILE *)> closing(from.file, std::fclose);
  const head h = readhead(from);
  if (!h.is(gif)) {
    take(decode(name, from), 0);
    return;
  }
  if (h.size < sidesend(h)) fail(name, "is cut short: the file ends before its last pixel");
  const auto [width, height] = fixedsides(h);
  if (width == 0 || height == 0) fail(name, "has no pixels");
  const gifblocks blocks = scangif(from, h);
  const auto [grownwidth, grownheight] = growncanvas(from, h, blocks);
  if (blocks.frames > 1) checkframes(name, blocks.frames, grownwidth, grownheight, false);
  checkclaim(name, from, h, grownwidth, grownheight, 4, false);
  forgetstbfailure();
  const std::unique_ptr<gifanimation, void (*)(gifanimation *)> animation(
      startgif(&callbacks, &rewound(from)), endgif);
  const std::string nomemory = outofmemory(grownwidth, grownheight, 4);
  if (animation == nullptr) fail(name, nomemory);
  std::int64_t taken = 0;
  for (;;) {
    const unsigned char *canvas = nullptr;
    int canvaswidth = 0, canvasheight = 0, delay = 0;
    const int next = nextgifframe(animation.get(), canvas, canvaswidth, canvasheight, delay);
    if (next < 0 || from.cutshort) refuse(name, from, h, true, nomemory);
    if (next == 0) break;
    // The frames as the decoder reads them, whatever the blocks seemed to
    // hold: each is work on the whole canvas.
    checkframes(name, ++taken, canvaswidth, canvasheight, true);
    // The canvas is stb_image's, and lasts until the next frame.
    std::shared_ptr<void> samples(const_cast<unsigned char *>(canvas), [](void *) {});
    try {
      if (canvaswidth != width || canvasheight != height)
        samples = cropped(canvas, canvaswidth, width, height);
    } catch (const std::bad_alloc &) {
      fail(name, nomemory);
    }
    take(picture{width, height, 4, 255, samples}, delay);
  }
  if (taken == 0) fail(name, "has no pixels");
}

} // namespace bmp4cgrey
