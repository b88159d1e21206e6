// A panel's light: how much light each of the 16 grey levels gives,
// darkest first, as a share of level 15's. bmp4c-grey chooses levels by
// it, and both programs draw level k as the sRGB grey of its light.
//
//   panel light;
//   const std::string why = readpanel("linear", light);  // "" once read
//   const int shade = panelgrey(light, 8);                // 193 on a linear panel
//
// LIGHT is one of:
//   linear   level k gives k/15 (the controllers' built-in table, 0xB9)
//   srgb     level k gives the light of sRGB grey 17k: evenly spaced to the eye
//   15 whole numbers, GS1 to GS15 as a driver sends them after 0xB8:
//            level 0 gives none, level k GS_k / GS_15
//   16 whole numbers, the light of levels 0 to 15 in any unit: n_k / n_15
// The numbers, 0 to 65535 and comma-separated, must not decrease, and the
// last must be above 0.
//
// The sRGB curves are computed with + - * / alone, so that every build
// gets the same doubles from them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace bmp4cshared {

inline constexpr int panellevels = 16;

struct panel {
  std::array<double, panellevels> light{};   // linear, 0 to 1, level 15 at 1
  std::array<double, panellevels> encoded{}; // the same, sRGB-encoded
  bool srgb = false; // encoded[k] is exactly k/15: the midpoints are (2k + 1)/30
};

// "" once LIGHT is read into the panel; otherwise what is wrong with it.
std::string readpanel(std::string_view text, panel &light);

// The panel a display has when none is given: linear, or sRGB-even for ink.
panel defaultpanel(bool ink);

// The sRGB transfer function and its inverse, for values from 0 to 1.
double tolinear(double encoded);
double toencoded(double linear);

// The encoded value halfway between the levels a and b.
double midpoint(const panel &light, int a, int b);

// The sRGB grey, 0 to 255, that shows the light of level k:
// round(255 x encode(light)).
int panelgrey(const panel &light, int level);

} // namespace bmp4cshared
