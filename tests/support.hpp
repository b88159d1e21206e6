// Helpers for driving the built converter as a user does: bitmaps made from
// header fields and stored bytes, a fresh folder per run, and the transcript.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

// The banner and both prompts, as every run prints them.
inline const std::string prompts = "This file convert a 4-bit BMP into 2-bit DC.b file \n"
                                   "Pls enter binary file name to read: \n"
                                   "Pls enter text file name to write: \n";

// Bytes from hex digits; blanks are only for reading.
inline std::string bytes(std::string hex) {
  std::erase(hex, ' ');
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

// A 54-byte header with the given fields, zeros up to offset (at most 64 KiB
// of them), then the stored rows. A negative filesize means the real size.
inline std::string bitmap(std::int32_t width, std::int32_t height, const std::string &stored,
                          std::int32_t offset = 118, std::int64_t filesize = -1) {
  auto le32 = [](std::int64_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  const std::int32_t start = std::clamp(offset, 54, 1 << 16);
  std::string file = "BM" + le32(filesize < 0 ? start + std::ssize(stored) : filesize) + le32(0) +
                     le32(offset) + le32(40) + le32(width) + le32(height) + bytes("01000400");
  file.resize(static_cast<std::size_t>(start), '\0');
  return file + stored;
}

inline std::string preamble(std::int64_t width, std::int64_t rows) {
  return "#define WIDTH " + std::to_string(width) + "\n#define HEIGHT " + std::to_string(rows) +
         "\nchar bitmap[] = {\n";
}

inline std::string slurp(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void spill(const fs::path &file, const std::string &content) {
  std::ofstream(file, std::ios::binary) << content;
}

// A path quoted for the shell.
inline std::string quoted(const fs::path &path) {
  return std::string("'").append(path.string()).append("'");
}

struct Outcome {
  int status;
  std::string said; // standard output and standard error
};

// Runs a shell command, keeping what it says in a file beside it.
inline Outcome run(const std::string &command, const fs::path &said) {
  const int status = std::system((command + " >" + quoted(said) + " 2>&1").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(said)};
}

// A fresh folder for one run, removed afterwards.
struct Folder {
  std::string name = (fs::temp_directory_path() / "bmp4c-XXXXXX").string();
  fs::path path = mkdtemp(name.data());
  ~Folder() {
    fs::remove_all(path);
  }

  // Starts the converter in this folder with the answers on its input.
  Outcome convert(const std::string &answers) const {
    spill(path / "answers", answers);
    return run("cd '" + path.string() + "' && '" BMP4C_PATH "' <answers", path / "said");
  }
};
