// Two images in one program: each array is renamed while its file is
// included, and the first image's size is kept in names of its own before
// the second defines WIDTH and HEIGHT again. Prints, for each image, its
// width, height and bytes.
#include <stdio.h>

#define bitmap logo
#include "logo.h"
#undef bitmap
const int logowidth = WIDTH, logoheight = HEIGHT;
#undef WIDTH
#undef HEIGHT
#define bitmap icon
#include "icon.h"
#undef bitmap

int main(void) {
  printf("%d %d:", logowidth, logoheight);
  for (size_t i = 0; i < sizeof logo; ++i) printf(" %02x", logo[i] & 255);
  printf(", %d %d:", WIDTH, HEIGHT);
  for (size_t i = 0; i < sizeof icon; ++i) printf(" %02x", icon[i] & 255);
  return 0;
}
