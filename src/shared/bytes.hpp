// Numbers as files hold them: little-endian fields of a bitmap's header, a
// GIF's and a run-length-encoded bitmap's, read from any array of bytes;
// and the hex digits of the items and of escaped messages.
//
//   const std::uint32_t width = readle(header, 18, 4);  // bytes 18..21, low first
//   hexdigits[0xb];                                     // 'b'
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp4cshared {

inline constexpr char hexdigits[] = "0123456789abcdef";

// The size bytes (1 to 4) at a position, the lowest first, as an unsigned
// 32-bit value; the caller has checked that they are there.
template <class Bytes> std::uint32_t readle(const Bytes &bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

} // namespace bmp4cshared
