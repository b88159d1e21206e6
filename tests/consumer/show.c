// Images in one program: each array of the default form is renamed while
// its file is included, and the first image's size is kept in names of its
// own before the next defines WIDTH and HEIGHT again; a named one needs
// none of that. Prints the first two images' sizes, every image's bytes and
// the GIF's delays.
#include <stdio.h>

#define bitmap logo
#include "logo.h"
#undef bitmap
const int logowidth = WIDTH, logoheight = HEIGHT;
#undef WIDTH
#undef HEIGHT
#define bitmap darklogo
#include "dark/logo.h" // the same name as logo.h, in a folder of its own
#undef bitmap
#undef WIDTH
#undef HEIGHT
#define bitmap small
#include "icon.small.h"
#undef bitmap
#undef WIDTH
#undef HEIGHT
#define bitmap large
#include "icon.large.h" // made from a bitmap that the build makes
#undef bitmap
#undef WIDTH
#undef HEIGHT
#define bitmap badge
#include "images/badge.h" // made by bmp4c-grey from a PNG
#undef bitmap
#undef WIDTH
#undef HEIGHT
#define bitmap icon
#include "icon.h"
#undef bitmap
#include "walk.h" // a GIF's frames, named walk: no renaming
#include "padded/icon.h" // every row from a new byte

static void print(const char *name, const char *bytes, size_t n) {
  printf("; %s:", name);
  for (size_t i = 0; i < n; ++i) printf(" %02x", bytes[i] & 255);
}
#define PRINT(image) print(#image, image, sizeof image)

int main(void) {
  printf("%d %d, %d %d", logowidth, logoheight, WIDTH, HEIGHT);
  PRINT(logo), PRINT(icon), PRINT(darklogo), PRINT(small), PRINT(large), PRINT(badge);
  print("paddedicon", (const char *)paddedicon, sizeof paddedicon);
  printf("; walk, %d frames:", WALK_TILES);
  for (int frame = 0; frame < WALK_TILES; ++frame)
    for (size_t i = 0; i < sizeof walk[frame]; ++i) printf(" %02x", walk[frame][i]);
  printf(", shown for");
  for (int frame = 0; frame < WALK_TILES; ++frame) printf(" %u", walk_delays[frame]);
  printf(" ms");
  return 0;
}
