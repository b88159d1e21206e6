// What the programs say besides their files: one line about a file, on
// standard error, "PROGRAM: FILE: WHAT", the name and the text escaped as
// a terminal may show them; and the note on an odd width, which bmp4c-grey
// and bmp4c-preview both give.
//
//   say("bmp4c-grey", "logo.bmp", oddwidthnote(37));
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bmp4cshared {

void say(std::string_view program, const std::string &file, const std::string &what);

// What a bitmap or header of odd width means for a library that pads
// rows, after "PROGRAM: FILE: ", by its width macro (WIDTH, LOGO_WIDTH).
std::string oddwidthnote(const std::string &macro, std::int64_t width);

} // namespace bmp4cshared
