// The command line that the three programs share: how options and their
// values are written, --help, --version and usage errors.
#include "commandline.hpp"

#include "messages.hpp"
#include "names.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace bmp4cshared {
namespace {

bool isoption(std::string_view argument) {
  return argument.size() > 1 && argument.front() == '-';
}

const valuedoption *findvalued(const program &p, std::string_view name) {
  const auto found = std::find_if(p.valued.begin(), p.valued.end(),
                                  [&](const valuedoption &o) { return o.name == name; });
  return found == p.valued.end() ? nullptr : &*found;
}

[[noreturn]] void answer(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::exit(EXIT_SUCCESS);
}

} // namespace

commandline readcommandline(const program &p, int argc, char **argv) {
  useutf8console(); // before anything is read or said
  commandline line;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (options && argument == "--") {
      options = false;
      continue;
    }
    if (!options || !isoption(argument)) {
      line.names.emplace_back(argument);
      continue;
    }
    if (argument == "--help") answer(p.usage);
    if (argument == "--version") answer(p.version + "\n");
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const valuedoption *const valued = findvalued(p, name);
    if (valued != nullptr && equals != argument.npos) {
      line.options.emplace_back(name, argument.substr(equals + 1));
    } else if (valued != nullptr) {
      if (++i == argc) usageerror(p, std::string(name) + " needs " + std::string(valued->value));
      line.options.emplace_back(name, argv[i]);
    } else if (std::find(p.flags.begin(), p.flags.end(), argument) != p.flags.end()) {
      line.options.emplace_back(argument, "");
    } else {
      usageerror(p, "no option " + std::string(argument));
    }
  }
  return line;
}

void usageerror(const program &p, const std::string &what) {
  const std::string name(p.name);
  std::fprintf(stderr, "%s: %s\nTry '%s --help'\n", name.c_str(), shown(what).c_str(),
               name.c_str());
  std::exit(exitusage);
}

void failabout(const program &p, const std::string &file, const std::string &what) {
  say(p.name, file, what);
  std::exit(EXIT_FAILURE);
}

panel panelof(const program &p, const commandline &line, bool ink) {
  panel light = defaultpanel(ink);
  for (const auto &[option, value] : line.options) {
    if (option != "--panel") continue;
    if (const std::string why = readpanel(value, light); !why.empty()) usageerror(p, why);
  }
  return light;
}

sides readsides(std::string_view text) {
  auto side = [](std::string_view digits) {
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && stop == digits.data() + digits.size() ? value : 0;
  };
  const std::size_t cross = text.find('x');
  if (cross == text.npos) return {};
  return {side(text.substr(0, cross)), side(text.substr(cross + 1))};
}

} // namespace bmp4cshared
