// Output files replaced whole. The temporary file's name is the target's
// with a dot before it and a random number after it, in the same folder,
// so that the rename never crosses file systems; a name that is taken is
// never opened, so no link planted there is followed.
#include "output.hpp"

#include "names.hpp"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace bmp4cshared {
namespace {

namespace fs = std::filesystem;

// Links followed to the file they name, as the kernel follows them; a
// loop ends here too, and opening the file then says so.
constexpr int mostlinks = 40;
constexpr int mostattempts = 100;

fs::path followlinks(fs::path path) {
  std::error_code ignored;
  for (int i = 0; i < mostlinks && fs::is_symlink(fs::symlink_status(path, ignored)); ++i) {
    const fs::path to = fs::read_symlink(path, ignored);
    if (ignored) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

// A number that another run, here or at the same moment elsewhere, is
// unlikely to choose: the clock and an address mixed (splitmix64).
std::uint64_t randomnumber(std::uint64_t attempt) {
  std::uint64_t x = static_cast<std::uint64_t>(
                        std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
                    reinterpret_cast<std::uintptr_t>(&attempt) ^ attempt * 0x9e3779b97f4a7c15u;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
  return x ^ (x >> 31);
}

fs::path temporaryname(const fs::path &target, std::uint64_t attempt) {
  std::string name = ".";
  name += nameof(target.filename());
  name += '.';
  name += std::to_string(randomnumber(attempt) % 1000000000u);
  name += ".tmp";
  return target.parent_path() / pathof(name);
}

std::string reason(int error) {
  return std::strerror(error != 0 ? error : EIO);
}

const char *const whattodo = ": remove it, or name another file";

} // namespace

void binarymode(std::FILE *stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#else
  (void)stream;
#endif
}

bool isterminal(std::FILE *stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

std::string replaceable(const std::string &name, judge kind) {
  std::error_code ignored;
  if (!fs::is_regular_file(fs::status(pathof(name), ignored))) return "";
  std::FILE *file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    return std::string("cannot be read, so what it holds is not known (") + std::strerror(errno) +
           ")" + whattodo;
  }
  std::string start(firstbytes, '\0');
  start.resize(std::fread(start.data(), 1, start.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::string("cannot be read, so what it holds is not known") + whattodo;
  const std::string what = kind(start);
  return what.empty() ? "" : "is " + what + whattodo;
}

std::string openoutput(const std::string &name, const char *mode, output &out, bool dash) {
  if (dash && name == standardname) {
    const bool binary = std::strchr(mode, 'b') != nullptr;
    if (binary && isterminal(stdout)) {
      return "standard output is a terminal, which would show the file as garbage: send it to a "
             "file or a pipe";
    }
    if (binary) binarymode(stdout);
    out.file = stdout;
    return "";
  }
  out.target = followlinks(pathof(name));
  std::error_code ignored;
  const fs::file_status status = fs::status(out.target, ignored);
  out.existed = fs::exists(status);
  // A name of no file ("", "folder/") fails to open as it is.
  if ((out.existed && !fs::is_regular_file(status)) || !out.target.has_filename()) {
    out.file = std::fopen(name.c_str(), mode);
    return out.file == nullptr ? reason(errno) : "";
  }
  if (out.existed) {
    std::FILE *probe = std::fopen(nameof(out.target).c_str(), "ab"); // changes nothing
    if (probe == nullptr) return reason(errno);
    std::fclose(probe);
  }
  for (std::uint64_t attempt = 0; attempt < mostattempts && out.file == nullptr; ++attempt) {
    const fs::path candidate = temporaryname(out.target, attempt);
    if (fs::exists(fs::symlink_status(candidate, ignored))) continue;
    out.file = std::fopen(nameof(candidate).c_str(), mode);
    if (out.file == nullptr) return reason(errno);
    out.temporary = candidate;
  }
  if (out.file == nullptr) return reason(EEXIST);
  if (out.existed) fs::permissions(out.temporary, status.permissions(), ignored);
  return "";
}

std::string closeoutput(output &out, int error) {
  errno = 0;
  // Standard output stays open: flushed, it has all there is to say.
  const bool closed = out.file == stdout
                          ? std::fflush(stdout) == 0 && std::ferror(stdout) == 0
                          : std::fclose(out.file) == 0;
  out.file = nullptr;
  if (error == 0 && !closed) error = errno != 0 ? errno : EIO;
  if (error != 0) {
    discardoutput(out);
    return reason(error);
  }
  if (out.temporary.empty()) return "";
  std::error_code failed;
  fs::rename(out.temporary, out.target, failed);
  if (!failed) {
    out.temporary.clear();
    return "";
  }
  discardoutput(out);
  return failed.message();
}

void discardoutput(output &out) {
  if (out.file != nullptr && out.file != stdout) std::fclose(out.file);
  out.file = nullptr;
  std::error_code ignored;
  if (!out.temporary.empty()) fs::remove(out.temporary, ignored);
  out.temporary.clear();
}

} // namespace bmp4cshared
