// The grey, in fixed point. Linear light is held in 2^24ths, fine enough
// to tell apart the 16-bit samples either side of a level's end (they
// differ by 10 units there), and Y, the luminance, in lightone = 10000 x
// 2^24 units, so that the weights 2126, 7152 and 722 (ten-thousandths,
// summing to 10000) give a grey's Y exactly as 10000 times its linear
// value. A fit sums a row, then the rows' averages: every reader keeps
// each side within largestside, 2^24 pixels, so a sum of lightone (under
// 2^38) values weighted by at most a side stays within 64 bits.
#include "levels.hpp"

#include "../shared/panel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace bmp4cgrey {
namespace {

using bmp4cshared::tolinear;

constexpr std::int64_t linearone = std::int64_t{1} << 24;
constexpr std::int64_t weightred = 2126, weightgreen = 7152, weightblue = 722;
constexpr std::int64_t lightone = 10000 * linearone;
constexpr int levels = 16;
static_assert(largestside <= INT64_MAX / 2 / lightone,
              "a fit's sum of lights, each weighted by at most a side, must fit 64 bits");

std::int64_t fixed(double value, std::int64_t one) {
  return std::llround(value * static_cast<double>(one));
}

// The linear value of every sample, in 2^24ths.
std::vector<std::int64_t> lineartable(int largestsample) {
  std::vector<std::int64_t> table(static_cast<std::size_t>(largestsample) + 1);
  for (std::size_t s = 0; s < table.size(); ++s)
    table[s] = fixed(tolinear(static_cast<double>(s) / largestsample), linearone);
  return table;
}

// What the quantiser needs: the light of each level; the levels that can
// be chosen, the lowest of those with equal light; and the Y where each of
// them after the first starts, halfway to the one below in sRGB terms, so
// that a half goes to the brighter.
struct scale {
  std::vector<std::int64_t> linear;
  std::array<std::int64_t, levels> light{};
  std::vector<int> choosable;
  std::vector<std::int64_t> starts;
  std::int64_t background = 0;
};

scale makescale(const picture &image, const greying &how) {
  scale s{lineartable(image.largestsample), {}, {}, {}, how.ink ? lightone : 0};
  const auto &light = how.light.light;
  for (std::size_t k = 0; k < light.size(); ++k) {
    s.light[k] = fixed(light[k], lightone);
    if (k > 0 && light[k] == light[k - 1]) continue; // equal light: the lower level serves
    const int level = static_cast<int>(k);
    if (k > 0) {
      const double half = bmp4cshared::midpoint(how.light, s.choosable.back(), level);
      s.starts.push_back(fixed(tolinear(half), lightone));
    }
    s.choosable.push_back(level);
  }
  return s;
}

// Y of source pixel n, its alpha mixing in the background.
std::int64_t pixellight(const picture &image, const scale &s, std::int64_t n) {
  auto linear = [&](int channel) {
    return s.linear[static_cast<std::size_t>(sampleat(image, n, channel))];
  };
  const bool colour = image.channels >= 3;
  const std::int64_t y =
      colour ? weightred * linear(0) + weightgreen * linear(1) + weightblue * linear(2)
             : (weightred + weightgreen + weightblue) * linear(0);
  if (image.channels % 2 != 0) return y;
  const std::int64_t alpha = sampleat(image, n, image.channels - 1), most = image.largestsample;
  return (alpha * y + (most - alpha) * s.background + most / 2) / most;
}

// Where the picture lies in the output: its size there and its corner.
struct layout {
  std::int64_t width = 0, height = 0; // the output
  std::int64_t shownwidth = 0, shownheight = 0, left = 0, top = 0;
};

// A picture larger than the fit shrinks to fit inside it, its sides
// rounded (a half up); one that fits keeps its size. Either is centred.
layout placepicture(const picture &image, const greying &how) {
  layout place{image.width, image.height, image.width, image.height, 0, 0};
  if (how.fitwidth == 0) return place;
  place.width = how.fitwidth;
  place.height = how.fitheight;
  if (image.width > how.fitwidth || image.height > how.fitheight) {
    if (how.fitwidth * image.height <= how.fitheight * image.width) {
      place.shownwidth = how.fitwidth;
      place.shownheight = (2 * image.height * how.fitwidth + image.width) / (2 * image.width);
    } else {
      place.shownheight = how.fitheight;
      place.shownwidth = (2 * image.width * how.fitheight + image.height) / (2 * image.height);
    }
    place.shownwidth = std::max<std::int64_t>(place.shownwidth, 1);
    place.shownheight = std::max<std::int64_t>(place.shownheight, 1);
  }
  place.left = (place.width - place.shownwidth) / 2;
  place.top = (place.height - place.shownheight) / 2;
  return place;
}

// How much of source pixel j (of a side of `source`) lies under output
// pixel i (of `shown`), in 1/shown of a source pixel: both are intervals
// once the side is measured in source x shown units.
std::int64_t overlap(std::int64_t i, std::int64_t j, std::int64_t source, std::int64_t shown) {
  return std::min((i + 1) * source, (j + 1) * shown) - std::max(i * source, j * shown);
}

// Y of shown pixel (x, y): the source pixel itself, or the average of the
// source pixels under it, each weighted by the area it covers.
std::int64_t shownlight(const picture &image, const scale &s, const layout &place, std::int64_t x,
                        std::int64_t y) {
  if (place.shownwidth == image.width && place.shownheight == image.height) {
    return pixellight(image, s, y * image.width + x);
  }
  const std::int64_t w = image.width, h = image.height, sw = place.shownwidth,
                     sh = place.shownheight;
  std::int64_t sum = 0;
  for (std::int64_t j = y * h / sh; j * sh < (y + 1) * h; ++j) {
    std::int64_t row = 0;
    for (std::int64_t i = x * w / sw; i * sw < (x + 1) * w; ++i)
      row += overlap(x, i, w, sw) * pixellight(image, s, j * w + i);
    sum += overlap(y, j, h, sh) * ((row + w / 2) / w);
  }
  return (sum + h / 2) / h;
}

std::int64_t outputlight(const picture &image, const scale &s, const layout &place, std::int64_t x,
                         std::int64_t y) {
  x -= place.left;
  y -= place.top;
  if (x < 0 || y < 0 || x >= place.shownwidth || y >= place.shownheight) return s.background;
  return shownlight(image, s, place, x, y);
}

// The level whose light, sRGB-encoded, is nearest to Y's.
int nearestlevel(const scale &s, std::int64_t light) {
  return s.choosable[static_cast<std::size_t>(
      std::upper_bound(s.starts.begin(), s.starts.end(), light) - s.starts.begin())];
}

// The level whose light is nearest to Y; a tie goes to the brighter.
int closestlevel(const scale &s, std::int64_t light) {
  int best = s.choosable.front();
  for (const int k : s.choosable) {
    if (std::abs(light - s.light[static_cast<std::size_t>(k)]) <=
        std::abs(light - s.light[static_cast<std::size_t>(best)]))
      best = k;
  }
  return best;
}

// Floyd-Steinberg: each pixel's error goes 7/16 right, 3/16 below left,
// 5/16 below and the rest below right, so that none is lost to rounding;
// error that would leave the image is dropped.
void dither(const picture &image, const scale &s, const layout &place, greyimage &grey) {
  const auto columns = static_cast<std::size_t>(grey.width);
  std::vector<std::int64_t> here(columns + 2), below(columns + 2); // column x at x + 1
  for (std::int64_t y = 0; y < grey.height; ++y) {
    for (std::size_t x = 0; x < columns; ++x) {
      const auto light =
          std::clamp(outputlight(image, s, place, static_cast<std::int64_t>(x), y) + here[x + 1],
                     std::int64_t{0}, lightone);
      const int level = closestlevel(s, light);
      setlevel(grey, static_cast<std::int64_t>(x), y, level);
      const std::int64_t error = light - s.light[static_cast<std::size_t>(level)];
      const std::int64_t right = error * 7 / 16, belowleft = error * 3 / 16,
                         straightbelow = error * 5 / 16;
      if (x + 1 < columns) here[x + 2] += right;
      if (x > 0) below[x] += belowleft;
      below[x + 1] += straightbelow;
      if (x + 1 < columns) below[x + 2] += error - right - belowleft - straightbelow;
    }
    here.swap(below);
    std::fill(below.begin(), below.end(), 0);
  }
}

} // namespace

greyimage greylevels(const picture &image, const greying &how) {
  const scale s = makescale(image, how);
  layout place = placepicture(image, how);
  greyimage grey =
      newgreyimage(place.width + (how.even && place.width % 2 != 0), place.height, how.ink);
  for (int k = 0; k < levels; ++k)
    grey.greys[static_cast<std::size_t>(k)] =
        static_cast<std::uint8_t>(bmp4cshared::panelgrey(how.light, k));
  if (how.dither) {
    dither(image, s, place, grey);
    return grey;
  }
  for (std::int64_t y = 0; y < grey.height; ++y)
    for (std::int64_t x = 0; x < grey.width; ++x)
      setlevel(grey, x, y, nearestlevel(s, outputlight(image, s, place, x, y)));
  return grey;
}

} // namespace bmp4cgrey
