// Picture reader: a PNG, JPEG, GIF (its first frame), BMP, TGA or PNM file
// decoded by stb_image into samples, 8 or 16 bits, with their channels as
// the file has them; a run-length-encoded BMP by rle_bitmap.cpp, as RGB.
// readframes reads every frame of an animated GIF.
//
//   const picture image = readpicture("logo.png");
//   // image.width, image.height; sampleat(image, n, c) for channel c of pixel n
//   readframes("walk.gif", [](const picture &frame, int delay) { ... });
//
// A file that cannot be read, that no decoder takes, that is damaged or
// cut short, that has no pixels, or whose header claims more than
// largestpicture pixels (a GIF's frames counted together) or more than its
// bytes can hold, ends the program with one line on standard error and
// status 1, and so does one that memory cannot hold. The size is checked
// from the file's header, before anything is decoded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bmp4cgrey {

// 64 megapixels: a 48-megapixel phone photo fits, and the largest picture,
// 16-bit RGBA, decodes into 512 MiB, which a 32-bit process (or a browser
// tab) can still hold beside the decoder's own buffers.
inline constexpr std::int64_t largestpicture = std::int64_t{1} << 26;

// 2^24 pixels a side, the most that the fit's sums of light hold
// (levels.cpp); stb_image keeps to it too, and the run-length-encoded
// bitmap reader, which could read more, is held to it.
inline constexpr std::int64_t largestside = std::int64_t{1} << 24;

// 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA; samples run pixel by pixel in
// reading order, from 0 to largestsample.
struct picture {
  std::int64_t width = 0, height = 0;
  int channels = 0;
  int largestsample = 255; // 255, or 65535 for a 16-bit PNG
  std::shared_ptr<void> samples;
  std::int64_t frames = 1; // of a GIF, of which this is the first
};

// "-" reads standard input, whole, before anything is decoded.
picture readpicture(const std::string &name);

// Every frame of a picture, in order, with its delay in milliseconds: a
// GIF's frames composed as browsers show them, any other picture as one
// frame of delay 0. A frame's samples last until take returns.
void readframes(const std::string &name,
                const std::function<void(const picture &frame, int delay)> &take);

// "memory ran out: ...", what a picture that memory cannot hold says: its
// pixels and the bytes they take as stored, at the decoder's bytes a
// pixel.
std::string outofmemory(std::int64_t width, std::int64_t height, int bytesapixel);

inline int sampleat(const picture &image, std::int64_t pixel, int channel) {
  const auto at = static_cast<std::size_t>(pixel * image.channels + channel);
  if (image.largestsample == 255) return static_cast<const std::uint8_t *>(image.samples.get())[at];
  return static_cast<const std::uint16_t *>(image.samples.get())[at];
}

// Prints "bmp4c-grey: FILE: WHAT" on standard error and ends the program
// with status 1.
[[noreturn]] void fail(const std::string &file, const std::string &what);

} // namespace bmp4cgrey
