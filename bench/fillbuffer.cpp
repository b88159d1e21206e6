// The floor under any converter that keeps the pixel data: a process that
// only allocates a buffer of the given size and writes every byte of it.
// fillbuffer BYTES
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
  const std::size_t size = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 0;
  auto *buffer = static_cast<unsigned char *>(std::malloc(size + 1));
  if (buffer == nullptr) {
    return 1;
  }
  std::memset(buffer, argc, size + 1);
  std::printf("%d\n", buffer[size / 2]); // keeps the writes from being left out
  std::free(buffer);
  return 0;
}
