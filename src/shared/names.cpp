// File names and shown text. On Windows the console shows bytes in its own
// code page (850 on a western Windows), so names in UTF-8 would print as
// other letters; the console is the user's, so its code pages are put
// back when the program ends.
#include "names.hpp"

#include "bytes.hpp"

#include <algorithm>

#ifdef _WIN32
#include <cstdlib>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace bmp4cshared {
namespace {

constexpr unsigned char firstprintable = 0x20, deletecharacter = 0x7f;
// UTF-8 writes the C1 controls U+0080 to U+009F as 0xC2 and a byte from
// 0x80 to 0x9F; a terminal may take U+009B as the start of a command.
constexpr unsigned char c1lead = 0xc2, lastc1 = 0x9f;

void escape(std::string &text, unsigned char byte) {
  text += "\\x";
  text += hexdigits[byte >> 4];
  text += hexdigits[byte & 0x0f];
}

bool iscontrol(unsigned char byte) {
  return byte < firstprintable || byte == deletecharacter;
}

// The length of the UTF-8 letter that starts at text[i], or 0 where no
// valid one does: a stray continuation byte (0x9B, an 8-bit terminal's
// command), a lead byte without its continuations, an overlong form, a
// surrogate, or a code past U+10FFFF.
std::size_t utf8length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
  };
  const unsigned lead = byte(i);
  const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
  if (lead > 0xf4 || length == 0) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xc0) != 0x80) return 0;
  }
  const unsigned second = byte(i + 1);
  if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) ||
      (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second > 0x8f))
    return 0;
  return length;
}

} // namespace

#ifdef _WIN32
namespace {

UINT inputcodepage = 0, outputcodepage = 0; // 0: no console

void restoreconsole() {
  if (inputcodepage != 0) SetConsoleCP(inputcodepage);
  if (outputcodepage != 0) SetConsoleOutputCP(outputcodepage);
}

} // namespace

void useutf8console() {
  inputcodepage = GetConsoleCP();
  outputcodepage = GetConsoleOutputCP();
  if (inputcodepage == 0 && outputcodepage == 0) return;
  SetConsoleCP(CP_UTF8);
  SetConsoleOutputCP(CP_UTF8);
  std::atexit(restoreconsole);
}
#else
void useutf8console() {}
#endif

std::string withextension(const std::string &name, const std::string &extension) {
#ifdef _WIN32
  const std::size_t folder = name.find_last_of("/\\:");
#else
  const std::size_t folder = name.rfind('/');
#endif
  const std::size_t start = folder == std::string::npos ? 0 : folder + 1;
  const std::size_t dot = name.rfind('.');
  const bool has = dot != std::string::npos && dot > start;
  return name.substr(0, has ? dot : name.size()) + extension;
}

bool hasextension(const std::string &name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  const std::string_view end = std::string_view(name).substr(name.size() - extension.size());
  for (std::size_t i = 0; i < end.size(); ++i) {
    const char c = end[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != extension[i]) return false;
  }
  return true;
}

std::string shown(std::string_view text) {
  std::string safe;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = byte < 0x80 ? 1 : utf8length(text, i);
    const bool c1 =
        length == 2 && byte == c1lead && static_cast<unsigned char>(text[i + 1]) <= lastc1;
    if (length == 0 || (length == 1 && iscontrol(byte)) || (length == 2 && c1)) {
      for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k)
        escape(safe, static_cast<unsigned char>(text[i + k]));
      i += std::max<std::size_t>(length, 1);
    } else {
      safe.append(text.substr(i, length));
      i += length;
    }
  }
  return safe;
}

std::string printable(std::string_view bytes) {
  std::string safe;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (iscontrol(byte) || byte > deletecharacter)
      escape(safe, byte);
    else
      safe += c;
  }
  return safe;
}

} // namespace bmp4cshared
