// The command line of the three programs: options, each alone (--ink) or
// with a value, given as --fit 128x64 or --fit=128x64, and names, a name
// that starts with - after --; --help and --version answer at once. A
// usage error is one line saying what is wrong and a pointer to --help,
// with status 2.
//
//   const program grey{"bmp4c-grey", usage, "bmp4c-grey 1.0", {"--ink"}, {{"--fit", "a size
//   WxH"}}}; const commandline line = readcommandline(grey, argc, argv); for (const auto &[option,
//   value] : line.options) ...; line.names
#pragma once

#include "panel.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bmp4cshared {

inline constexpr int exitusage = 2;

// An option that takes a value, and what the value is, for the message
// when it is missing: {"--fit", "a size WxH"}.
struct valuedoption {
  std::string_view name, value;
};

struct program {
  std::string_view name;
  std::string_view usage; // the whole text of --help
  std::string version;    // the line of --version
  std::vector<std::string_view> flags;
  std::vector<valuedoption> valued;
};

struct commandline {
  std::vector<std::pair<std::string, std::string>> options; // as given; a flag's value is ""
  std::vector<std::string> names;
};

// Reads argv, first making the console speak UTF-8 (names.hpp); --help
// and --version print and end the program with status 0, and anything it
// cannot read is a usage error.
commandline readcommandline(const program &p, int argc, char **argv);

// "PROGRAM: WHAT" and "Try 'PROGRAM --help'" on standard error, status 2.
[[noreturn]] void usageerror(const program &p, const std::string &what);

// "PROGRAM: FILE: WHAT" on standard error, status 1.
[[noreturn]] void failabout(const program &p, const std::string &file, const std::string &what);

// The panel that --panel gives, or the display's default (linear, or srgb
// for ink); a --panel that is none of its forms is a usage error.
panel panelof(const program &p, const commandline &line, bool ink);

// "128x64": the two sides of a size, whole numbers; 0 for a side that is
// not one (or for both, without an x).
struct sides {
  std::int64_t width = 0, height = 0;
};
sides readsides(std::string_view text);

} // namespace bmp4cshared
