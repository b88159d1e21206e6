// Writes a 4-bit uncompressed bitmap of pseudo-random pixels for the
// benchmark: makebitmap WIDTH HEIGHT FILE. Rows are stored bottom-up with
// zero padding to 4 bytes, after a 16-entry grey colour table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::uint32_t headersize = 54;
constexpr std::uint32_t palettesize = 16 * 4;

void put32(std::vector<unsigned char> &out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

void put16(std::vector<unsigned char> &out, std::uint16_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: makebitmap WIDTH HEIGHT FILE\n");
    return 2;
  }
  const auto width = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const auto height = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
  const std::uint32_t rowsize = (width * 4 + 31) / 32 * 4;
  const std::uint32_t offset = headersize + palettesize;
  std::vector<unsigned char> file{'B', 'M'};
  put32(file, offset + rowsize * height);
  put32(file, 0);
  put32(file, offset);
  put32(file, 40);
  put32(file, width);
  put32(file, height);
  put16(file, 1);
  put16(file, 4);
  for (std::uint32_t value : {0u, rowsize * height, 2835u, 2835u, 16u, 0u}) put32(file, value);
  for (std::uint32_t grey = 0; grey < 16; ++grey) put32(file, grey * 0x111111u);
  std::uint32_t state = 2463534242u; // xorshift32: pixels without a pattern
  for (std::uint32_t row = 0; row < height; ++row) {
    for (std::uint32_t col = 0; col < rowsize; ++col) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      file.push_back(col < (width + 1) / 2 ? static_cast<unsigned char>(state) : 0);
    }
  }
  std::FILE *out = std::fopen(argv[3], "wb");
  if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "makebitmap: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
