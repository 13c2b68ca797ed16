#include "picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace ksgrayline {
namespace {

int brightness(const RGBQUAD& c) { return c.rgbRed + c.rgbGreen + c.rgbBlue; }

TEST(GraylineMap, BuiltInBitmapPairsNightAndDayShades) {
  Picture picture;
  ASSERT_TRUE(loadMap(picture));
  EXPECT_EQ(picture.info.header.biWidth, kMapWidth);
  EXPECT_EQ(picture.info.header.biHeight, kMapHeight);  // bottom-up
  EXPECT_EQ(picture.info.header.biBitCount, 8);
  ASSERT_EQ(picture.pixels.size(), static_cast<size_t>(kMapWidth) * kMapHeight);

  // Several shades in use, each shown brighter by day than by night.
  std::vector<int> used(128);
  for (uint8_t p : picture.pixels) ++used[p & 0x7F];
  const long shades = std::count_if(used.begin(), used.end(), [](int n) { return n > 0; });
  EXPECT_GE(shades, 3);
  for (int i = 0; i < 128; ++i) {
    if (used[static_cast<size_t>(i)] == 0) continue;
    EXPECT_GT(brightness(picture.info.colours[i + 128]), brightness(picture.info.colours[i]) + 60)
        << "shade " << i;
  }

  // Land and sea where they are: the middle of the Sahara (20 N, 10 E) and
  // of the Pacific (0, 150 W) differ; rows are stored bottom-up.
  auto at = [&](double latitude, double longitude) {
    const int column = static_cast<int>((longitude + 180) * 2);
    const int rowFromTop = static_cast<int>((90 - latitude) * 2);
    return picture.pixels[static_cast<size_t>((kMapHeight - 1 - rowFromTop) * kMapWidth + column)] &
           0x7F;
  };
  EXPECT_NE(at(20.3, 10.3), at(0.3, -150.3));
  EXPECT_EQ(at(0.3, -150.3), at(-40.3, -20.3));  // the South Atlantic: sea too
  EXPECT_EQ(at(20.3, 10.3), at(60.3, 100.3));    // Siberia: land too
}

TEST(GraylineMap, ReadBitmapRefusesOtherPictures) {
  std::span<const uint8_t> resource = mapResource();
  std::vector<uint8_t> file(resource.begin(), resource.end());
  Picture picture;
  ASSERT_TRUE(readBitmap(file, picture));

  auto refused = [&](size_t offset, uint8_t value) {
    std::vector<uint8_t> changed = file;
    changed[offset] = value;
    Picture other;
    return !readBitmap(changed, other) && other.pixels.empty();
  };
  EXPECT_TRUE(refused(0, 'X'));              // not a bitmap file
  EXPECT_TRUE(refused(14 + 4, 0x20));        // 800 wide
  EXPECT_TRUE(refused(14 + 8 + 3, 0xFF));    // top-down
  EXPECT_TRUE(refused(14 + 14, 24));         // 24 bits a pixel
  EXPECT_TRUE(refused(14 + 16, 1));          // run-length encoded
  std::vector<uint8_t> cut(file.begin(), file.end() - 1);
  EXPECT_FALSE(readBitmap(cut, picture));
  EXPECT_FALSE(readBitmap(std::span<const uint8_t>(file.data(), 20), picture));
}

TEST(GraylineRender, DayAroundTheSubSolarPointNightAtItsAntipode) {
  Picture picture;
  ASSERT_TRUE(loadMap(picture));
  const std::vector<uint8_t> shades = [&] {
    std::vector<uint8_t> s(picture.pixels);
    for (uint8_t& p : s) p &= 0x7F;
    return s;
  }();
  // 2024-06-20 12:00 UTC: the Sun is over 23.44 N, 0.43 E.
  render(picture, UtcTime{2024, 6, 20, 12, 0, 0});
  auto day = [&](int column, int rowFromTop) {
    return (picture.pixels[static_cast<size_t>((kMapHeight - 1 - rowFromTop) * kMapWidth +
                                                column)] &
            kDayBit) != 0;
  };
  EXPECT_NEAR(picture.solar.sun.declination, 23.4, 0.1);
  EXPECT_NEAR(picture.solar.column, 360, 1);  // 0.43 E
  EXPECT_TRUE(day(picture.solar.column, 133));  // under the Sun
  EXPECT_FALSE(day((picture.solar.column + kMapWidth / 2) % kMapWidth, 227));
  EXPECT_TRUE(day(100, 5));                     // midnight sun in the Arctic
  EXPECT_FALSE(day(100, kMapHeight - 5));       // polar night in the Antarctic
  size_t lit = 0;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    lit += (picture.pixels[i] & kDayBit) != 0;
    ASSERT_EQ(picture.pixels[i] & 0x7F, shades[i]) << "pixel " << i;
  }
  EXPECT_NEAR(static_cast<double>(lit) / static_cast<double>(picture.pixels.size()), 0.5, 0.02);
}

}  // namespace
}  // namespace ksgrayline
