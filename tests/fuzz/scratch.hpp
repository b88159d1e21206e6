// The fuzzer's bytes as a file, for the readers, which read files: one
// scratch file a target and process, written anew for every run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

inline std::string scratchfile(const std::string &target, const std::uint8_t *data,
                               std::size_t size) {
  const std::string name = std::filesystem::temp_directory_path() /
                           ("bmp4c-fuzz-" + target + "-" + std::to_string(getpid()));
  std::FILE *file = std::fopen(name.c_str(), "wb");
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return name;
}
