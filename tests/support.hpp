// What the tests share: a fresh folder for each run, the built programs run
// in it without a shell (or through one, for a row about a recipe), files
// made and read back, and the pictures and bitmaps that rows are made of.
//
//   const Folder folder;
//   folder.write("in.bmp", bitmap(4, 2, stored));
//   const int status = folder.start({BMP4C_PATH, "in.bmp", "out.h"});  // stdout in "out",
//   folder.read("said");                                               // stderr in "said"
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bmp4ctest {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A file's bytes; "(none)" if there is no such file.
inline std::string slurp(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(none)";
}

// The words of a row's arguments: separated by blanks, a word in single
// quotes taken whole.
inline std::vector<std::string> words(const std::string &line) {
  std::vector<std::string> all;
  const std::regex word("'([^']*)'|(\\S+)");
  for (std::sregex_iterator i(line.begin(), line.end(), word), end; i != end; ++i)
    all.push_back((*i)[1].matched ? (*i)[1].str() : (*i)[2].str());
  return all;
}

// A fresh folder, removed afterwards, where the programs run.
struct Folder {
  fs::path path = [] {
    std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path made = fs::temp_directory_path() / ("bmp4c-" + std::to_string(random()));
    fs::create_directory(made);
    return made;
  }();
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  void write(const std::string &name, const std::string &bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
  }
  std::string read(const std::string &name) const {
    return slurp(path / name);
  }
  // Runs a program as it is, no shell between, in this folder: standard
  // input from a file of it (or nothing), standard output into "out" and
  // standard error into "said". Its exit status, or -1.
  int start(std::vector<std::string> command, const std::string &input = "") const {
    // A program's path comes quoted for a shell: 'path'.
    if (command[0].size() > 1 && command[0].front() == '\'' && command[0].back() == '\'')
      command[0] = command[0].substr(1, command[0].size() - 2);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string in = input.empty() ? "/dev/null" : (path / input).string(),
                      out = (path / "out").string(), said = (path / "said").string();
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char *> argv;
    for (const std::string &word : command) argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    const fs::path here = fs::current_path();
    fs::current_path(path); // the names in messages are the names given
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    fs::current_path(here);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Runs a shell command, for a row about a recipe or the system's limits:
  // its exit status; what it printed is left in "said".
  int run(const std::string &command) const {
    const int status =
        std::system(("cd '" + path.string() + "' && (" + command + ") >said 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Installs this build's bmp4c into a prefix in the folder.
  int install(const std::string &prefix) const {
    return run(BMP4C_CMAKE " --install " BMP4C_BUILD " --config " BMP4C_CONFIG " --prefix " +
               prefix);
  }
};

// Whether a program is on the PATH.
inline bool installed(const std::string &program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The items of a header as their digits, in order: "0xfe,0xdc," gives "fedc".
inline std::string itemdigits(const std::string &header) {
  std::string digits;
  const std::regex item("0x([0-9a-f]{2})");
  for (std::sregex_iterator i(header.begin(), header.end(), item), end; i != end; ++i)
    digits += (*i)[1].str();
  return digits;
}

// A 54-byte header with the given fields, zeros up to offset (at most 64 KiB
// of them), then the stored rows. A negative filesize means the real size.
inline std::string bitmap(std::int32_t width, std::int32_t height, const std::string &stored,
                          std::int32_t offset = 118, std::int64_t filesize = -1) {
  auto le32 = [](std::int64_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  const std::int64_t start = std::clamp(offset, 54, 1 << 16);
  return "BM" + le32(filesize < 0 ? start + std::ssize(stored) : filesize) + le32(0) +
         le32(offset) + le32(40) + le32(width) + le32(height) + "\1\0\4\0"s +
         std::string(static_cast<std::size_t>(start - 30), '\0') + stored;
}

// The file with some of its bytes replaced, from a position on.
inline std::string patched(std::string file, std::size_t at, const std::string &bytes) {
  return file.replace(at, bytes.size(), bytes);
}

inline std::string repeated(const std::string &text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// A header of bmp4c's default form.
inline std::string header(int width, int height, const std::string &items) {
  return "#define WIDTH " + std::to_string(width) + "\n#define HEIGHT " + std::to_string(height) +
         "\nchar bitmap[] = {\n" + items + "};\n";
}

// A binary PPM (P6) or PGM (P5) of the given samples.
inline std::string pnm(const char *type, int width, int height, const std::string &samples) {
  return type + "\n"s + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + samples;
}

// A 5x3 image whose pixels are 0 to e in reading order, stored bottom row first with padding
// (fff) that must never show, and what the converter makes of it.
inline const std::string fivebythree =
    bitmap(5, 3, "\xab\xcd\xef\xff\x56\x78\x9f\xff\x01\x23\x4f\xff"s);
inline const std::string itsitems = header(5, 3, "0xfe,0xdc,0xba,0x98,0x76,0x54,0x32,0x1f,\n");

// The starts of files that are not text, and the marks of a PNG that bmp4c-preview drew and of a
// bitmap that bmp4c-grey wrote.
inline const std::string pngstart = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s,
                         pngmark = "\0\0\0\x16tEXtSoftware\0bmp4c-preview"s,
                         bmpmark = "BM\0\0\0\0b4cg"s;

// A row's name for gtest, which takes letters, digits and _: its number and
// the first words of what it proves, "r07_a_full_disk".
inline std::string rowname(const std::string &proves, std::size_t row) {
  std::string name = (row < 10 ? "r0" : "r") + std::to_string(row) + "_";
  for (const char c : proves.substr(0, 40)) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (letter || name.back() != '_') name += letter ? c : '_';
  }
  return name;
}

// A project that embeds logo.bmp, in a folder of a Folder: its build command, what the build says
// when it converts, the header the logo becomes, and the program that shows the result.
struct Project {
  std::string folder, build, converting, header, program;
  bool keeps = false;             // a refused image leaves the header of the last good one
  std::string image = "logo.bmp"; // what the header is made from
};

// Builds the project with this image as its logo: whether the build worked, converted the logo,
// refused it with the converter's message, failed in the compiler, left the logo's header and
// its preview (and how wide that is), and what the program then shows.
inline std::string rebuild(const Folder &at, const Project &p, const std::string &image) {
  const fs::path logo = at.path / p.folder / p.image;
  if (image != slurp(logo)) std::ofstream(logo, std::ios::binary) << image;
  const int status = at.run("cd '" + p.folder + "' && " + p.build);
  const std::string said = slurp(at.path / "said");
  auto says = [&](const std::string &text) { return said.find(text) != said.npos; };
  std::smatch refusal;
  std::regex_search(
      said, refusal,
      std::regex(
          "Incomplete header|Not a 4-bit uncompressed bitmap|bmp4c-grey: .*: (is|has|cannot) .*"));
  at.run("cd '" + p.folder + "' && " + p.program);
  const std::string drawn =
      slurp(at.path / p.folder / (p.header.substr(0, p.header.size() - 1) + "preview.png"));
  return (status == 0 ? "built"s : "failed"s) + (says(p.converting) ? ", converted" : "") +
         (refusal.empty() ? "" : ", " + refusal.str()) +
         (says("error:") ? ", compiler error" : "") +
         (fs::exists(at.path / p.folder / p.header) ? ", " + p.header : "") +
         (drawn == "(none)" ? ""
                            : ", preview " + std::to_string(std::uint8_t(drawn[19])) + " wide") +
         ": " + slurp(at.path / "said");
}

} // namespace bmp4ctest
