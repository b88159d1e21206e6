// Output files replaced whole. The temporary file's name is the target's
// with a dot before it and a random number after it, in the same folder,
// so that the rename never crosses file systems. It is created only if no
// file of its name is there (O_EXCL), so no link planted there is ever
// followed. A signal that ends the program (Ctrl-C, a hang-up, kill, a
// file-size limit) removes it first; SIGKILL cannot be caught.
#include "output.hpp"

#include "names.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace bmp4cshared {
namespace {

namespace fs = std::filesystem;

// Links followed to the file they name, as the kernel follows them.
constexpr int mostlinks = 40;
constexpr int mostattempts = 100;

const char *const whattodo = ": remove it, or name another file";

fs::path followlinks(fs::path path) {
  std::error_code ignored;
  for (int i = 0; i < mostlinks && fs::is_symlink(fs::symlink_status(path, ignored)); ++i) {
    const fs::path to = fs::read_symlink(path, ignored);
    if (ignored) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

// Windows' device names, NUL, CON, COM1 and the rest, with any extension,
// name no file in any folder: they are written as they are, as a device.
bool isdevicename(const fs::path &path) {
#ifdef _WIN32
  std::string stem = nameof(path.filename());
  stem = stem.substr(0, stem.find('.'));
  for (char &c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "NUL" || stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "CONIN$" ||
      stem == "CONOUT$")
    return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
#else
  (void)path;
  return false;
#endif
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

// The temporary file being written, for a signal's handler, which may only
// read plain memory: its name, whole or not at all.
constexpr std::size_t longestname = 4096;
char pendingname[longestname + 1];
volatile std::sig_atomic_t pending = 0;

extern "C" void removepending(int signal) {
  if (pending != 0) {
#ifdef _WIN32
    _unlink(pendingname);
#else
    unlink(pendingname);
#endif
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// The signals that end a program unless it catches them; one ignored (a
// script's trap '' XFSZ, nohup's SIGHUP) stays ignored.
void catchsignals() {
  for (const int signal : {SIGINT, SIGTERM
#ifdef SIGHUP
                           ,
                           SIGHUP
#endif
#ifdef SIGXFSZ
                           ,
                           SIGXFSZ
#endif
       }) {
    if (std::signal(signal, removepending) == SIG_IGN) std::signal(signal, SIG_IGN);
  }
}

void setpending(const fs::path &file) {
  pending = 0;
  const std::string name = nameof(file);
  if (name.size() > longestname) return;
  std::memcpy(pendingname, name.c_str(), name.size() + 1);
  pending = 1;
}

// The file made new, never one that is there: nullptr with errno set
// otherwise (EEXIST when the name is taken).
std::FILE *createnew(const fs::path &file, const char *mode) {
  const bool binary = std::strchr(mode, 'b') != nullptr;
#ifdef _WIN32
  const int flags = _O_CREAT | _O_EXCL | _O_WRONLY | (binary ? _O_BINARY : _O_TEXT);
  const int descriptor = _open(nameof(file).c_str(), flags, _S_IREAD | _S_IWRITE);
  std::FILE *stream = descriptor < 0 ? nullptr : _fdopen(descriptor, mode);
  if (descriptor >= 0 && stream == nullptr) _close(descriptor);
#else
  (void)binary;
  constexpr mode_t everyone = 0666; // less the umask, as fopen makes a file
  const int descriptor = open(nameof(file).c_str(), O_CREAT | O_EXCL | O_WRONLY, everyone);
  std::FILE *stream = descriptor < 0 ? nullptr : fdopen(descriptor, mode);
  if (descriptor >= 0 && stream == nullptr) close(descriptor);
#endif
  return stream;
}

// The new file takes the old one's owner and group where the program may
// give them (root may; a user may keep a group of theirs), then its
// permission bits, which a change of owner may clear.
void keepowner(const output &out, fs::perms permissions) {
#ifndef _WIN32
  struct stat old {};
  const int descriptor = fileno(out.file);
  if (stat(nameof(out.target).c_str(), &old) == 0 &&
      fchown(descriptor, old.st_uid, old.st_gid) != 0) {
    [[maybe_unused]] const int kept = fchown(descriptor, static_cast<uid_t>(-1), old.st_gid);
  }
#endif
  std::error_code ignored;
  fs::permissions(out.temporary, permissions, ignored);
}

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
  // What the name leads to, through links as the kernel follows them: a
  // loop of links, or a folder that may not be searched, is refused.
  const fs::path path = pathof(name);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::none && !isdevicename(path)) return error.message();
  // A device or a pipe, by any name or link (/dev/stdout, /dev/fd/3), and
  // a name of no file ("", "folder/"), are opened as they are.
  out.existed = fs::exists(status);
  if ((out.existed && !fs::is_regular_file(status)) || isdevicename(path) || !path.has_filename()) {
    out.file = std::fopen(name.c_str(), mode);
    return out.file == nullptr ? reason(errno) : "";
  }
  out.target = followlinks(path);
  if (out.existed) {
    std::FILE *probe = std::fopen(nameof(out.target).c_str(), "ab"); // changes nothing
    if (probe == nullptr) return reason(errno);
    std::fclose(probe);
  }
  catchsignals();
  for (std::uint64_t attempt = 0; attempt < mostattempts && out.file == nullptr; ++attempt) {
    const fs::path candidate = temporaryname(out.target, attempt);
    errno = 0;
    out.file = createnew(candidate, mode);
    if (out.file == nullptr && errno == EEXIST) continue;
    // A folder that may not be written refuses even a file that may: say
    // why, as the file alone does not tell.
    if (out.file == nullptr && (errno == EACCES || errno == EPERM || errno == EROFS)) {
      return "its folder cannot hold the new file that takes its place (" + reason(errno) + ")";
    }
    if (out.file == nullptr) return reason(errno);
    setpending(candidate);
    out.temporary = candidate;
  }
  if (out.file == nullptr) return reason(EEXIST);
  if (out.existed) keepowner(out, status.permissions());
  return "";
}

std::string closeoutput(output &out, int error) {
  errno = 0;
  // Standard output stays open: flushed, it has all there is to say.
  const bool closed = out.file == stdout ? std::fflush(stdout) == 0 && std::ferror(stdout) == 0
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
    pending = 0;
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
  pending = 0;
  out.temporary.clear();
}

} // namespace bmp4cshared
