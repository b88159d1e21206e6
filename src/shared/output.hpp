// An output file written whole or not at all, for all three programs. A
// regular file's new contents go to a temporary file in its folder, which
// takes its place by a rename only once it is whole, flushed and closed:
// a full disk, a size limit or a refusal leaves the old file as it was,
// bytes and time stamp. A link is followed, so the file it names is
// replaced and the link stays, and the new file takes the old one's
// permission bits. A device or a pipe is written directly.
//
//   output out;
//   std::string why = openoutput("logo.h", "w", out);  // "" once open
//   std::fputs(text, out.file);                         // errno of a failed write: error
//   why = closeoutput(out, error);                      // "" once in place
//   discardoutput(out);                                 // a refusal: the old file stays
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace bmp4cshared {

struct output {
  std::FILE *file = nullptr;
  std::filesystem::path target;    // the file replaced, links followed
  std::filesystem::path temporary; // empty when written directly
  bool existed = false;            // the target was there before
};

// Opens the output NAME in fopen's MODE: "" once open, otherwise why not
// (an existing file that may not be written is refused, as writing it in
// place would be).
std::string openoutput(const std::string &name, const char *mode, output &out);

// Closes the output and puts it in place, unless a write failed (error,
// an errno value, is not 0) or closing does: then the old file stays, and
// the reason is returned. "" once in place.
std::string closeoutput(output &out, int error);

// Closes the output, if open, and removes its temporary file.
void discardoutput(output &out);

} // namespace bmp4cshared
