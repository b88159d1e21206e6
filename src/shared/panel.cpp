// The panel's light and the sRGB curves. Roots come from Newton's method
// started at 1, from above, for a fixed number of steps: every build takes
// the same steps and rounds them alike, where a library's pow() may not.
#include "panel.hpp"

#include <charconv>
#include <cmath>
#include <vector>

namespace bmp4cshared {
namespace {

constexpr int brightest = panellevels - 1;
constexpr int largestnumber = 65535;
constexpr int rootsteps = 40;
constexpr std::string_view forms = "linear, srgb, or 15 or 16 whole numbers separated by commas";

// x^(1/n) for x in (0, 1].
double root(double x, int n) {
  double r = 1;
  for (int step = 0; step < rootsteps; ++step) {
    double power = 1; // r^(n - 1)
    for (int i = 1; i < n; ++i) power *= r;
    r -= (power * r - x) / (n * power);
  }
  return r;
}

panel fromlight(const std::array<double, panellevels> &light) {
  panel p{light, {}, false};
  for (int k = 0; k < panellevels; ++k)
    p.encoded[static_cast<std::size_t>(k)] = toencoded(light[static_cast<std::size_t>(k)]);
  return p;
}

// "0,1,2,...": the numbers, or what is wrong with them.
std::string readnumbers(std::string_view text, std::vector<long> &numbers) {
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = text.substr(start, comma - start);
    long n = -1;
    const auto [stop, error] = std::from_chars(item.data(), item.data() + item.size(), n);
    if (error != std::errc() || stop != item.data() + item.size() || n < 0 || n > largestnumber) {
      return "--panel: \"" + std::string(item) + "\" is not a whole number from 0 to 65535";
    }
    numbers.push_back(n);
    if (comma == text.size()) return "";
    start = comma + 1;
  }
}

} // namespace

double tolinear(double v) {
  if (v <= 0.04045) return v / 12.92;
  const double x = (v + 0.055) / 1.055, fifth = root(x, 5);
  return x * x * fifth * fifth; // x^2.4
}

double toencoded(double l) {
  if (l <= 0.0031308) return l * 12.92;
  const double twelfth = root(l, 12);
  return 1.055 * twelfth * twelfth * twelfth * twelfth * twelfth - 0.055; // l^(1/2.4)
}

double midpoint(const panel &light, int a, int b) {
  if (light.srgb) return static_cast<double>(a + b) / (2 * brightest);
  return (light.encoded[static_cast<std::size_t>(a)] + light.encoded[static_cast<std::size_t>(b)]) /
         2;
}

int panelgrey(const panel &light, int level) {
  return static_cast<int>(std::llround(255 * light.encoded[static_cast<std::size_t>(level)]));
}

panel defaultpanel(bool ink) {
  panel p;
  readpanel(ink ? "srgb" : "linear", p);
  return p;
}

std::string readpanel(std::string_view text, panel &light) {
  std::array<double, panellevels> levels{};
  if (text == "srgb") {
    light.srgb = true;
    for (int k = 0; k < panellevels; ++k) {
      const double encoded = static_cast<double>(k) / brightest;
      light.encoded[static_cast<std::size_t>(k)] = encoded;
      light.light[static_cast<std::size_t>(k)] = tolinear(encoded);
    }
    return "";
  }
  if (text == "linear") {
    for (int k = 0; k < panellevels; ++k)
      levels[static_cast<std::size_t>(k)] = static_cast<double>(k) / brightest;
    light = fromlight(levels);
    return "";
  }
  // A word, where numbers were not even begun, is told the forms there are.
  if (text.find(',') == text.npos && (text.empty() || text[0] < '0' || text[0] > '9')) {
    return "--panel: \"" + std::string(text) + "\" is none of its forms: " + std::string(forms);
  }
  std::vector<long> numbers;
  if (std::string why = readnumbers(text, numbers); !why.empty()) return why;
  if (numbers.size() == panellevels - 1) numbers.insert(numbers.begin(), 0); // GS0 gives none
  if (numbers.size() != panellevels) {
    return "--panel takes " + std::string(forms) + ", not " + std::to_string(numbers.size());
  }
  for (std::size_t k = 1; k < numbers.size(); ++k) {
    if (numbers[k] < numbers[k - 1]) {
      return "--panel: the numbers must not decrease, and " + std::to_string(numbers[k]) +
             " comes after " + std::to_string(numbers[k - 1]);
    }
  }
  if (numbers.back() == 0) return "--panel: the last number, level 15's light, must be above 0";
  for (std::size_t k = 0; k < numbers.size(); ++k)
    levels[k] = static_cast<double>(numbers[k]) / static_cast<double>(numbers.back());
  light = fromlight(levels);
  return "";
}

} // namespace bmp4cshared
