// The one compilation of the stb_image decoder, with exactly the formats the
// host accepts (no HDR, no PNM) and a dimension limit (see texture.h).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_PSD
#define STBI_ONLY_PIC
#define STBI_ONLY_TGA
#define STBI_MAX_DIMENSIONS 8192
#include <stb/stb_image.h>
