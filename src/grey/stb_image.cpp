// The one copy of stb_image (Debian's libstb-dev, header-only), limited to
// the formats bmp4c-grey reads. It is compiled apart, without the project's
// warnings, because it is not our code; its SIMD JPEG path decodes to the
// same pixels as its plain one, so every build gives the same bytes.
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

namespace bmp4cgrey {

// stb_image keeps the reason of its last failure until the next one; the
// reader forgets it before a load, so that a reason set during a load
// that still returns a picture shows damage passed over.
void forgetstbfailure() {
  stbi__g_failure_reason = nullptr;
}

} // namespace bmp4cgrey
