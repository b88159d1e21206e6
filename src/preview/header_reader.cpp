// Header reader: turns the text of a header back into the image's size and
// items. The whole file is read into memory, and the items take less room
// than their text, so memory stays within a few times the file's size
// whatever size the header claims: the count of items is checked against
// WIDTH x HEIGHT before any pixel is drawn.
#include "header_reader.hpp"

#include "../shared/names.hpp"
#include "../shared/output.hpp"

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

// The header's text; "-" reads standard input.
std::string readfile(const std::string &name) {
  const bool standard = name == bmp4cshared::standardname;
  std::error_code ignored;
  if (!standard && std::filesystem::is_directory(bmp4cshared::pathof(name), ignored)) {
    fail(name, "is a folder, not a header");
  }
  if (standard) bmp4cshared::binarymode(stdin);
  std::FILE *file = standard ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) fail(name, std::string("cannot be read: ") + std::strerror(errno));
  std::string text;
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  const bool failed = std::ferror(file) != 0;
  if (!standard) std::fclose(file);
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

// A #define line: its macro, its value, and where it stands.
struct definition {
  std::string macro, value;
  std::size_t at = std::string::npos;
};

// The first #define whose macro `wanted` takes; at is npos if none does.
template <typename Wanted> definition finddefine(const std::string &code, Wanted wanted) {
  for (std::size_t start = 0; start < code.size();) {
    const std::size_t end = std::min(code.find('\n', start), code.size());
    const std::size_t hash = code.find_first_not_of(" \t", start);
    start = end + 1;
    if (hash >= end || code[hash] != '#') continue;
    std::istringstream words(code.substr(hash + 1, end - hash - 1));
    definition found;
    std::string directive;
    words >> directive >> found.macro;
    if (directive != "define" || !wanted(found.macro)) continue;
    std::getline(words, found.value);
    found.value = trimmed(found.value);
    found.at = hash;
    return found;
  }
  return {};
}

// The value of a size's #define: 1 to largestside, or the program ends.
std::int64_t sizevalue(const std::string &name, const std::string &code, const definition &size) {
  std::int64_t number = 0;
  const char *const last = size.value.data() + size.value.size();
  const auto [stop, error] = std::from_chars(size.value.data(), last, number);
  if (error != std::errc() || stop != last || number < 1 || number > largestside) {
    fail(place(name, code, size.at), size.macro + " must be a whole number from 1 to " +
                                         std::to_string(largestside) + ", not \"" +
                                         bmp4cshared::printable(size.value) + "\"");
  }
  return number;
}

// The size named WIDTH, or NAME_WIDTH for a header of bmp4c --name: the
// first of them gives the prefix of HEIGHT and TILES.
std::string sizeprefix(const std::string &name, const std::string &code) {
  const definition width = finddefine(code, [](const std::string &macro) {
    return macro == "WIDTH" || (macro.size() > 6 && macro.ends_with("_WIDTH"));
  });
  if (width.at == std::string::npos) fail(name, "no #define WIDTH");
  return width.macro.substr(0, width.macro.size() - 5);
}

std::int64_t definedsize(const std::string &name, const std::string &code, const std::string &macro,
                         bool needed) {
  const definition size = finddefine(code, [&](const std::string &m) { return m == macro; });
  if (size.at == std::string::npos && !needed) return 1;
  if (size.at == std::string::npos) fail(name, "no #define " + macro);
  return sizevalue(name, code, size);
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

// The items between the first { and the } that closes it, separated by
// commas; a comma may follow the last. The items of a tiled header stand
// in braces of their own, one pair a tile.
std::vector<std::uint8_t> readitems(const std::string &name, const std::string &code) {
  const std::size_t open = code.find('{');
  std::vector<std::uint8_t> items;
  int depth = 1;
  bool separated = true; // after { or a comma: an item may come
  for (std::size_t at = open == std::string::npos ? code.size() : open + 1; at < code.size();) {
    const std::size_t next = code.find_first_not_of(blanks, at);
    if (next == std::string::npos) break;
    const char c = code[next];
    at = next + 1;
    if (c == '{' && depth == 1 && separated) {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) return items;
      separated = false;
    } else if (c == ',' && !separated) {
      separated = true;
    } else {
      const std::size_t end = std::min(code.find_first_of(",{}", next), code.size());
      const std::string text = c == ',' || c == '{' ? "" : trimmed(code.substr(next, end - next));
      std::uint8_t item = 0;
      if (!separated || !readitem(text, item)) {
        const std::string shown = bmp4cshared::printable(text.substr(0, shownlength)) +
                                  (text.size() > shownlength ? "..." : "");
        fail(place(name, code, next), "\"" + shown + "\" is not a hex byte");
      }
      items.push_back(item);
      separated = false;
      at = end;
    }
  }
  fail(name, "no array: no items between { and }");
}

std::string counted(std::int64_t n, const std::string &what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

image readheaderfile(const std::string &name) {
  const std::string code = withoutcomments(readfile(name));
  const std::string prefix = sizeprefix(name, code);
  image picture;
  picture.width = definedsize(name, code, prefix + "WIDTH", true);
  picture.tileheight = definedsize(name, code, prefix + "HEIGHT", true);
  const std::int64_t tiles = definedsize(name, code, prefix + "TILES", false);
  picture.items = readitems(name, code);
  picture.widthmacro = prefix + "WIDTH";
  const std::int64_t tilebytes = (picture.width * picture.tileheight + 1) / 2;
  const auto held = static_cast<std::int64_t>(picture.items.size());
  // bmp4c --pad-rows starts every row on a new byte: of an odd width, the
  // items are more than joined rows take, and tell the layout.
  const std::int64_t paddedbytes = picture.tileheight <= INT64_MAX / ((picture.width + 1) / 2)
                                       ? (picture.width + 1) / 2 * picture.tileheight
                                       : -1;
  picture.padded = picture.width % 2 != 0 && held % tiles == 0 && held / tiles == paddedbytes &&
                   paddedbytes != tilebytes;
  // Divided, not multiplied: a huge claim must not overflow.
  if (!picture.padded && (held % tiles != 0 || held / tiles != tilebytes)) {
    const std::string pixels =
        std::to_string(picture.width) + " x " + std::to_string(picture.tileheight) + " pixels";
    const std::string needed = tilebytes <= INT64_MAX / tiles ? std::to_string(tiles * tilebytes)
                                                              : "over " + std::to_string(INT64_MAX);
    fail(name, counted(held, "item") + ", where " +
                   (tiles == 1 ? pixels : std::to_string(tiles) + " tiles of " + pixels) +
                   " need " + needed);
  }
  picture.height = picture.tileheight * tiles;
  return picture;
}

} // namespace bmp4cpreview
