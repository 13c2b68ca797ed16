#include "picture.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace ksgrayline {
namespace {

uint32_t le32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

constexpr size_t kFileHeader = 14;

}  // namespace

bool readBitmap(std::span<const uint8_t> file, Picture& picture) {
  constexpr size_t kRowBytes = kMapWidth;  // a multiple of 4: no row padding
  constexpr size_t kPixels = kRowBytes * kMapHeight;
  if (file.size() < kFileHeader + sizeof(MapInfo) || file[0] != 'B' || file[1] != 'M')
    return false;
  const size_t pixelsAt = le32(file, 10);
  BITMAPINFOHEADER header;
  std::memcpy(&header, file.data() + kFileHeader, sizeof header);
  if (header.biSize != sizeof header || header.biWidth != kMapWidth ||
      header.biHeight != kMapHeight || header.biPlanes != 1 || header.biBitCount != 8 ||
      header.biCompression != BI_RGB || (header.biClrUsed != 0 && header.biClrUsed != 256))
    return false;
  if (pixelsAt < kFileHeader + sizeof(MapInfo) || pixelsAt > file.size() ||
      file.size() - pixelsAt < kPixels)
    return false;
  std::memcpy(&picture.info, file.data() + kFileHeader, sizeof picture.info);
  picture.pixels.assign(file.begin() + static_cast<std::ptrdiff_t>(pixelsAt),
                        file.begin() + static_cast<std::ptrdiff_t>(pixelsAt + kPixels));
  picture.table.assign(kMapHeight, -1);
  return true;
}

bool loadMap(Picture& picture) { return readBitmap(mapResource(), picture); }

void render(Picture& picture, const UtcTime& time) {
  if (picture.pixels.size() != static_cast<size_t>(kMapWidth) * kMapHeight) return;
  picture.table.resize(kMapHeight);
  picture.solar = solarState(time, kMapWidth);
  dayWidths(picture.solar.sun.declination, kMapWidth, picture.table);
  paintDayNight(picture.pixels, kMapWidth, picture.table, picture.solar.column);
}

UtcTime systemTime() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  return UtcTime{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                 utc.tm_hour,        utc.tm_min,     std::min(utc.tm_sec, 59)};
}

}  // namespace ksgrayline
