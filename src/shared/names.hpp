// File names in any script, on Linux and Windows alike. Names are UTF-8
// strings from the command line to the file: on Windows the programs run
// with the UTF-8 code page (src/shared/utf8.manifest), so that their
// arguments arrive as UTF-8 and fopen opens them as such.
//
//   const std::filesystem::path file = pathof(name);  // for std::filesystem
//   useutf8console();  // first thing in main
#pragma once

#include <filesystem>
#include <string>

namespace bmp4cshared {

// std::filesystem reads a plain string in a code page of its own on
// Windows; taken as UTF-8 it names the file that fopen opens.
inline std::filesystem::path pathof(const std::string &name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// On Windows, the console shows and reads UTF-8 until the program ends,
// then gets its own code pages back. Elsewhere it does nothing.
void useutf8console();

} // namespace bmp4cshared
