// Header reader: turns the text of a header back into the image's size and
// items. The whole file is read into memory, and the items take less room
// than their text, so memory stays within a few times the file's size
// whatever size the header claims: the count of items is checked against
// WIDTH x HEIGHT before any pixel is drawn.
#include "header_reader.hpp"

#include "../shared/names.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace bmp4cpreview {
namespace {

// bmp4c writes the sizes of a bitmap header, signed 32-bit values.
constexpr std::int64_t largestside = 2147483647;

// An item quoted in a message is cut to this many characters.
constexpr std::size_t shownlength = 24;

constexpr const char *blanks = " \t\r\n";

std::string readfile(const std::string &name) {
  std::error_code ignored;
  if (std::filesystem::is_directory(bmp4cshared::pathof(name), ignored)) {
    fail(name, "is a folder, not a header");
  }
  std::FILE *file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) fail(name, std::string("cannot be read: ") + std::strerror(errno));
  std::string text;
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) fail(name, "cannot be read");
  return text;
}

// The text with each comment replaced by a blank and its newlines, so that
// line numbers stay true.
std::string withoutcomments(const std::string &text) {
  std::string code;
  code.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "//") == 0) {
      i = std::min(text.find('\n', i), text.size());
      code += ' ';
    } else if (text.compare(i, 2, "/*") == 0) {
      const std::size_t close = text.find("*/", i + 2);
      const std::size_t end = close == std::string::npos ? text.size() : close + 2;
      code += ' ';
      for (; i < end; ++i) {
        if (text[i] == '\n') code += '\n';
      }
    } else {
      code += text[i++];
    }
  }
  return code;
}

std::string trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(blanks);
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(blanks) + 1 - first);
}

// "logo.h:5": the file and the line that holds a position of its text.
std::string place(const std::string &name, const std::string &code, std::size_t at) {
  const auto end = code.begin() + static_cast<std::ptrdiff_t>(std::min(at, code.size()));
  return name + ":" + std::to_string(1 + std::count(code.begin(), end, '\n'));
}

// The value of "#define WIDTH 32" (or HEIGHT), from the first line that
// defines it: 1 to largestside, or the program ends.
std::int64_t readside(const std::string &name, const std::string &code, const std::string &side) {
  for (std::size_t start = 0; start < code.size();) {
    const std::size_t end = std::min(code.find('\n', start), code.size());
    const std::size_t hash = code.find_first_not_of(" \t", start);
    start = end + 1;
    if (hash >= end || code[hash] != '#') continue;
    std::istringstream words(code.substr(hash + 1, end - hash - 1));
    std::string directive, macro, value;
    words >> directive >> macro;
    if (directive != "define" || macro != side) continue;
    std::getline(words, value);
    value = trimmed(value);
    std::int64_t number = 0;
    const char *const last = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), last, number);
    if (error != std::errc() || stop != last || number < 1 || number > largestside) {
      fail(place(name, code, hash), side + " must be a whole number from 1 to " +
                                        std::to_string(largestside) + ", not \"" + value + "\"");
    }
    return number;
  }
  fail(name, "no #define " + side);
}

// An item as C writes a hex byte: 0x and one or two hex digits.
bool readitem(const std::string &text, std::uint8_t &item) {
  if (text.size() < 3 || text.size() > 4 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
    return false;
  }
  unsigned value = 0;
  const char *const last = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data() + 2, last, value, 16);
  item = static_cast<std::uint8_t>(value);
  return error == std::errc() && stop == last;
}

// The items between the first { and the } after it, separated by commas;
// a comma may follow the last.
std::vector<std::uint8_t> readitems(const std::string &name, const std::string &code) {
  const std::size_t open = code.find('{'), close = code.find('}', open);
  if (close == std::string::npos) fail(name, "no array: no items between { and }");
  std::vector<std::uint8_t> items;
  for (std::size_t start = open + 1; start < close;) {
    const std::size_t comma = std::min(code.find(',', start), close);
    const std::string text = trimmed(code.substr(start, comma - start));
    std::uint8_t item = 0;
    if (readitem(text, item)) {
      items.push_back(item);
    } else if (comma != close || !text.empty()) {
      const std::string shown =
          text.size() > shownlength ? text.substr(0, shownlength) + "..." : text;
      fail(place(name, code, code.find_first_not_of(blanks, start)),
           "\"" + shown + "\" is not a hex byte");
    }
    start = comma + 1;
  }
  return items;
}

std::string counted(std::int64_t n, const std::string &what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

image readheaderfile(const std::string &name) {
  const std::string code = withoutcomments(readfile(name));
  image picture;
  picture.width = readside(name, code, "WIDTH");
  picture.height = readside(name, code, "HEIGHT");
  picture.items = readitems(name, code);
  const std::int64_t needed = (picture.width * picture.height + 1) / 2;
  const auto held = static_cast<std::int64_t>(picture.items.size());
  if (held != needed) {
    fail(name, counted(held, "item") + ", where " + std::to_string(picture.width) + " x " +
                   std::to_string(picture.height) + " pixels need " + std::to_string(needed));
  }
  return picture;
}

} // namespace bmp4cpreview
