// The names an image may take with --name. A named header defines NAME in
// upper case with _WIDTH, _HEIGHT and _TILES, and the array NAME, so a
// name must leave all of them free in any program that includes the
// header: alone, after every C standard header and <avr/pgmspace.h>, in C99
// to C23 and C++98 to C++20.
//
//   const std::string why = refusedname("logo");  // "" when logo may be used
#pragma once

#include <string>
#include <string_view>

namespace bmp4c {

// "" for a name bmp4c takes, otherwise why not, after "not \"NAME\": ".
std::string refusedname(std::string_view name);

// The name's letters a to z made A to Z, as its macros write it.
std::string uppercase(std::string_view name);

} // namespace bmp4c
