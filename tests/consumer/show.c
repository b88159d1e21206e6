/* Prints the size and bytes of two converted images in one program: each
   array is renamed while its header is included, and the first image's
   size is kept in names of its own before the second defines WIDTH and
   HEIGHT again. */
#include <stdio.h>

#define bitmap logo
#include "logo.h"
#undef bitmap
enum { logowidth = WIDTH, logoheight = HEIGHT };
#undef WIDTH
#undef HEIGHT

#define bitmap icon
#include "icon.h"
#undef bitmap

static void show(int width, int height, const char *data, size_t size) {
  printf("%d %d:", width, height);
  for (size_t i = 0; i < size; ++i) printf(" %02x", data[i] & 255);
  printf("\n");
}

int main(void) {
  show(logowidth, logoheight, logo, sizeof logo);
  show(WIDTH, HEIGHT, icon, sizeof icon);
  return 0;
}
