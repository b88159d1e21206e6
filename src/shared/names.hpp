// File names in any script, on Linux and Windows alike, and text that
// came from a file or a command line made safe to print. Names are UTF-8
// strings from the command line to the file: on Windows the programs run
// with the UTF-8 code page (src/shared/utf8.manifest), so that their
// arguments arrive as UTF-8 and fopen opens them as such.
//
//   const std::filesystem::path file = pathof(name);  // for std::filesystem
//   useutf8console();                                 // before anything is read or said
//   withextension("art/logo.png", ".bmp");            // "art/logo.bmp"
//   hasextension("LOGO.BMP", ".bmp");                 // true
//   shown("a\x1b[2J.png");                            // "a\x1b[2J.png", escaped
//   printable("\x89PNG");                             // "\x89PNG", escaped
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bmp4cshared {

// std::filesystem reads a plain string in a code page of its own on
// Windows; taken as UTF-8 it names the file that fopen opens.
inline std::filesystem::path pathof(const std::string &name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// The UTF-8 name of a path, as fopen takes it.
inline std::string nameof(const std::filesystem::path &path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// On Windows, the console shows and reads UTF-8 until the program ends,
// then gets its own code pages back. Elsewhere it does nothing.
void useutf8console();

// The name with the extension of its last part replaced, byte for byte,
// or added where it has none: a name in any script stays as it is.
std::string withextension(const std::string &name, const std::string &extension);

// Whether the name ends in the extension, in any case: ".png", ".PNG".
bool hasextension(const std::string &name, std::string_view extension);

// A name or message as the terminal may show it: control characters,
// C0 and C1 alike, and every byte that is not part of valid UTF-8, as
// \xNN, so that no name moves the cursor or clears the screen. Letters of
// any script stay as they are.
std::string shown(std::string_view text);

// Bytes read from a file, quoted in a message: printable ASCII as it is,
// every other byte as \xNN.
std::string printable(std::string_view bytes);

} // namespace bmp4cshared
