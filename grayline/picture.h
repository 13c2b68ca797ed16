// The map picture: the bitmap shipped inside the library (a 720 x 360,
// 8-bit, bottom-up device-independent bitmap whose colour table pairs each
// night shade i with its day shade i + 128), the library's writable copy of
// its pixels, and the day and night painted into them for an instant.
#ifndef KESTREL_GRAYLINE_PICTURE_H
#define KESTREL_GRAYLINE_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "grayline/solar.h"
#include "winlayer/wintypes.h"

namespace ksgrayline {

constexpr int kMapWidth = 720;
constexpr int kMapHeight = 360;
constexpr int kDayBit = 0x80;

// The header and colour table as StretchDIBits takes them.
#pragma pack(push, 1)
struct MapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biWidth) == 4);
static_assert(offsetof(BITMAPINFOHEADER, biHeight) == 8);
static_assert(offsetof(BITMAPINFOHEADER, biPlanes) == 12);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14);
static_assert(offsetof(BITMAPINFOHEADER, biCompression) == 16);
static_assert(offsetof(BITMAPINFOHEADER, biSizeImage) == 20);
static_assert(offsetof(BITMAPINFOHEADER, biXPelsPerMeter) == 24);
static_assert(offsetof(BITMAPINFOHEADER, biYPelsPerMeter) == 28);
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == 32);
static_assert(offsetof(BITMAPINFOHEADER, biClrImportant) == 36);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(MapInfo) == 40 + 256 * 4);
static_assert(offsetof(MapInfo, colours) == 40);

struct Picture {
  MapInfo info{};
  std::vector<uint8_t> pixels;  // bottom-up rows of kMapWidth bytes
  std::vector<int> table;       // day width of each row, from the top
  SolarState solar;
};

// The bitmap file (as a .bmp file holds it) built into the library.
std::span<const uint8_t> mapResource();

// Reads an 8-bit, uncompressed, bottom-up bitmap file of kMapWidth x
// kMapHeight into `picture`; false (and `picture` untouched) for anything
// else.
bool readBitmap(std::span<const uint8_t> file, Picture& picture);

// Loads the built-in map.
bool loadMap(Picture& picture);

// Computes the Sun for `time` and paints day and night into the pixels.
void render(Picture& picture, const UtcTime& time);

// The system clock in UTC.
UtcTime systemTime();

}  // namespace ksgrayline

#endif
