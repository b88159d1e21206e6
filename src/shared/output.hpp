// An output file written whole or not at all, for all three programs. A
// regular file's new contents go to a temporary file in its folder, which
// takes its place by a rename only once it is whole, flushed and closed:
// a full disk, a size limit or a refusal leaves the old file as it was,
// bytes and time stamp. A link is followed, so the file it names is
// replaced and the link stays, and the new file takes the old one's
// permission bits. A device or a pipe is written directly, and so is
// standard output, named "-".
//
// No program writes over a file of a kind it does not write itself: each
// gives a judge of an existing file's first bytes, and a file that cannot
// be read is refused too, as its kind cannot be known.
//
//   output out;
//   std::string why = replaceable("logo.h", judgetext);  // "" when it may be written over
//   why = openoutput("logo.h", "w", out);               // "" once open
//   std::fputs(text, out.file);                         // errno of a failed write: error
//   why = closeoutput(out, error);                      // "" once in place
//   discardoutput(out);                                 // a refusal: the old file stays
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace bmp4cshared {

// The name of standard input or output on a command line.
inline constexpr const char *standardname = "-";

struct output {
  std::FILE *file = nullptr;
  std::filesystem::path target;    // the file replaced, links followed
  std::filesystem::path temporary; // empty when written directly
  bool existed = false;            // the target was there before
};

// What an existing output holds, judged from its first bytes (at most
// firstbytes): "" when the program may write over it, otherwise what it
// is, as "a PNG picture, not text".
using judge = std::string (*)(std::string_view start);
inline constexpr std::size_t firstbytes = 4096;

// "" when NAME may be written: no file is there, or no regular file (a
// device, a pipe), or one that the judge lets the program replace.
// Otherwise one line of what is there and what to do.
std::string replaceable(const std::string &name, judge kind);

// Opens the output NAME in fopen's MODE: "" once open, otherwise why not
// (an existing file that may not be written is refused, as writing it in
// place would be). With dash, "-" is standard output, which takes a
// picture (mode "wb") only when it is no terminal.
std::string openoutput(const std::string &name, const char *mode, output &out, bool dash = true);

// Standard input or output made to carry bytes as they are (on Windows it
// would turn line ends), and whether it shows on a terminal.
void binarymode(std::FILE *stream);
bool isterminal(std::FILE *stream);

// Closes the output and puts it in place, unless a write failed (error,
// an errno value, is not 0) or closing does: then the old file stays, and
// the reason is returned. "" once in place.
std::string closeoutput(output &out, int error);

// Closes the output, if open, and removes its temporary file.
void discardoutput(output &out);

} // namespace bmp4cshared
