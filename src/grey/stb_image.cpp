// The one copy of stb_image (Debian's libstb-dev, header-only), limited to
// the formats bmp4c-grey reads. It is compiled apart, without the project's
// warnings, because it is not our code; its SIMD JPEG path decodes to the
// same pixels as its plain one, so every build gives the same bytes.
//
// It also reads a GIF's frames one at a time, through stb_image's own
// frame decoder, disposing of each frame as browsers do (below).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNM
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>

#include <cstdlib>

namespace bmp4cgrey {

// stb_image keeps the reason of its last failure until the next one; the
// reader forgets it before a load, so that a reason set during a load
// that still returns a picture shows damage passed over.
void forgetstbfailure() {
  stbi__g_failure_reason = nullptr;
}

// A GIF being read: stb_image's stream and its canvas of 4 bytes a pixel.
struct gifanimation {
  stbi__context context;
  stbi__gif gif;
};

namespace {

constexpr int disposalbits = 0x1c, restorebackground = 2, restoreprevious = 3, bytesapixel = 4;

// Once a frame has been shown, a GIF says what becomes of its rectangle:
// cleared to the background (2) or put back as it was before the frame
// (3). Browsers and ImageMagick do so to the whole rectangle; stb_image
// to the pixels the frame drew alone, and it puts back the pixels of the
// frame before for both, so a frame disposed to the background after one
// that is kept differs. Done here instead, before stb_image reads the next
// frame, which then finds nothing to dispose of. stb_image's background
// is the canvas before the frame was drawn; a cleared pixel is
// transparent, as in browsers.
void dispose(stbi__gif &g) {
  const int how = (g.eflags & disposalbits) >> 2;
  g.eflags &= ~disposalbits;
  if (how != restorebackground && how != restoreprevious) return;
  for (int row = g.start_y; row < g.max_y; row += g.line_size) {
    for (int at = row + g.start_x; at < row + g.max_x; at += bytesapixel) {
      for (int i = 0; i < bytesapixel; ++i)
        g.out[at + i] = how == restorebackground ? 0 : g.background[at + i];
    }
  }
}

} // namespace

gifanimation *startgif(const stbi_io_callbacks *callbacks, void *user) {
  auto *gif = static_cast<gifanimation *>(std::calloc(1, sizeof(gifanimation)));
  if (gif != nullptr)
    stbi__start_callbacks(&gif->context, const_cast<stbi_io_callbacks *>(callbacks), user);
  return gif;
}

int nextgifframe(gifanimation *gif, const unsigned char *&canvas, int &width, int &height,
                 int &delay) {
  stbi__gif &g = gif->gif;
  if (g.out != nullptr) dispose(g);
  int components = 0;
  const stbi_uc *frame = stbi__gif_load_next(&gif->context, &g, &components, bytesapixel, nullptr);
  if (frame == reinterpret_cast<stbi_uc *>(&gif->context)) return 0; // the trailer
  if (frame == nullptr) return -1;
  canvas = frame;
  width = g.w;
  height = g.h;
  delay = g.delay;
  return 1;
}

void endgif(gifanimation *gif) {
  if (gif == nullptr) return;
  STBI_FREE(gif->gif.out);
  STBI_FREE(gif->gif.background);
  STBI_FREE(gif->gif.history);
  std::free(gif);
}

} // namespace bmp4cgrey
