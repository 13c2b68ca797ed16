// Where the Sun is and which part of the map it lights: the Julian day of a
// UTC instant, the Sun's geometric position by the classic low-precision
// series, Greenwich mean sidereal time, the sub-solar column, the day width
// of every map row and the painting of day and night into the map's pixels.
#ifndef KESTREL_GRAYLINE_SOLAR_H
#define KESTREL_GRAYLINE_SOLAR_H

#include <cstdint>
#include <span>

namespace ksgrayline {

struct UtcTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// Julian day of a UTC instant; Julian calendar before 5 October 1582.
double julianDay(const UtcTime& time);

// Mean obliquity of the ecliptic in degrees; constant more than 10,000
// years from J2000.0, where the polynomial no longer holds.
double obliquity(double jd);

struct SunPosition {
  double rightAscension = 0;  // degrees, 0-360
  double declination = 0;     // degrees
  double longitude = 0;       // true ecliptic longitude, degrees, not reduced
  double radius = 0;          // astronomical units
};
SunPosition sunPosition(double jd);

// Greenwich mean sidereal time in hours, 0-24.
double siderealTime(double jd);

// The Sun's east longitude + 180 (its distance in degrees from the map's
// left edge, 0-360) and the column of that many degrees on a map `width`
// pixels wide.
double subSolarOffset(double rightAscension, double gst);
int subSolarColumn(double rightAscension, double gst, int width);

// Day width of every row of a map `table.size()` rows high and `width`
// wide: -1 for a row with no terminator crossing (wholly dark), else the
// width in pixels of its day span, centred on the sub-solar column. The
// terminator is traced with 101 points and interpolated between them.
void dayWidths(double declination, int width, std::span<int> table);

// Paints a bottom-up 8-bit map: the top bit of a pixel set is day, clear
// is night. Row i of `table` is picture row i counted from the top.
void paintDayNight(std::span<uint8_t> pixels, int width, std::span<const int> table,
                   int column);

// One whole computation for an instant.
struct SolarState {
  double jd = 0;
  SunPosition sun;
  double gst = 0;
  int column = 0;
};
SolarState solarState(const UtcTime& time, int width);

}  // namespace ksgrayline

#endif
