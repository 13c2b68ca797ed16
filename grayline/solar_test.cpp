#include "solar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ksgrayline {
namespace {

constexpr int kW = 720, kH = 360;

TEST(JulianDay, GregorianAndJulianCalendars) {
  EXPECT_EQ(julianDay({2000, 1, 1, 12, 0, 0}), 2451545.0);
  EXPECT_NEAR(julianDay({1957, 10, 4, 19, 26, 24}), 2436116.31, 1e-9);
  EXPECT_EQ(julianDay({1987, 1, 27, 0, 0, 0}), 2446822.5);
  EXPECT_EQ(julianDay({1988, 6, 19, 12, 0, 0}), 2447332.0);
  // The last Julian day and the first Gregorian one follow each other.
  EXPECT_EQ(julianDay({1582, 10, 4, 0, 0, 0}), 2299159.5);
  EXPECT_EQ(julianDay({1582, 10, 15, 0, 0, 0}), 2299160.5);
  EXPECT_EQ(julianDay({333, 1, 27, 12, 0, 0}), 1842713.0);
  // A second is 1/86400 of a day.
  EXPECT_NEAR(julianDay({2024, 2, 29, 23, 59, 59}) - julianDay({2024, 2, 29, 0, 0, 0}),
              86399.0 / 86400.0, 1e-9);
}

TEST(Obliquity, PolynomialNearTheEpochConstantBeyondTenThousandYears) {
  const double j2000 = 2451545.0, tenThousandYears = 3652500.0;
  EXPECT_DOUBLE_EQ(obliquity(j2000), 23.43929111111111);
  EXPECT_NEAR(obliquity(2433282.5), 23.4458, 1e-3);  // 1950
  EXPECT_LT(obliquity(j2000 + 36525.0), obliquity(j2000));  // decreasing now
  for (double offset : {tenThousandYears + 1, tenThousandYears + 400, 2e7}) {
    EXPECT_EQ(obliquity(j2000 + offset), 23.43929111111111) << offset;
    EXPECT_EQ(obliquity(j2000 - offset), 23.43929111111111) << offset;
  }
  EXPECT_NE(obliquity(j2000 + tenThousandYears - 400), 23.43929111111111);
}

TEST(SunPosition, DistanceAndDeclinationThroughTheYear) {
  // Perihelion early in January, aphelion early in July.
  const SunPosition january = sunPosition(julianDay({2023, 1, 4, 16, 0, 0}));
  const SunPosition july = sunPosition(julianDay({2023, 7, 6, 20, 0, 0}));
  EXPECT_NEAR(january.radius, 0.98330, 2e-4);
  EXPECT_NEAR(july.radius, 1.01668, 2e-4);
  // Solstices and equinoxes of 2023 (UTC).
  EXPECT_NEAR(sunPosition(julianDay({2023, 6, 21, 14, 58, 0})).declination, 23.4392, 0.01);
  EXPECT_NEAR(sunPosition(julianDay({2023, 12, 22, 3, 27, 0})).declination, -23.4392, 0.01);
  EXPECT_NEAR(sunPosition(julianDay({2023, 3, 20, 21, 24, 0})).declination, 0.0, 0.01);
  const SunPosition march = sunPosition(julianDay({2023, 3, 20, 21, 24, 0}));
  EXPECT_NEAR(std::fmod(march.longitude, 360.0), 0.0, 0.02);
  EXPECT_NEAR(march.rightAscension < 180 ? march.rightAscension : march.rightAscension - 360,
              0.0, 0.02);
}

TEST(SiderealTime, MeanSiderealTimeAtGreenwich) {
  EXPECT_NEAR(siderealTime(julianDay({1987, 4, 10, 0, 0, 0})), 13.0 + 10 / 60.0 + 46.3668 / 3600,
              2e-4);
  EXPECT_NEAR(siderealTime(julianDay({1987, 4, 10, 19, 21, 0})), 8.0 + 34 / 60.0 + 57.0896 / 3600,
              2e-4);
}

// Where a precise ephemeris puts the Sun (tools/sunephemeris.py).
struct Reference {
  std::string instant;
  UtcTime time;
  double declination, longitude;
};

std::vector<Reference> ephemeris() {
  std::vector<Reference> rows;
  std::ifstream in(KESTREL_GRAYLINE_EPHEMERIS);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Reference r;
    char comma1, comma2;
    if (std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%dZ%c%lf%c%lf", &r.time.year, &r.time.month,
                    &r.time.day, &r.time.hour, &r.time.minute, &r.time.second, &comma1,
                    &r.declination, &comma2, &r.longitude) == 10) {
      r.instant = line.substr(0, 20);
      rows.push_back(r);
    }
  }
  return rows;
}

double angleBetween(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

// The series leaves out nutation and aberration and uses mean sidereal
// time: these are its errors against a precise ephemeris from 1950 to 2050.
TEST(SunPosition, AgainstAPreciseEphemeris) {
  const std::vector<Reference> rows = ephemeris();
  ASSERT_GE(rows.size(), 300u);
  double worstDeclination = 0, worstLongitude = 0;
  int worstColumn = 0;
  std::string whenDeclination, whenLongitude;
  for (const Reference& r : rows) {
    const SolarState s = solarState(r.time, kW);
    const double dDec = std::fabs(s.sun.declination - r.declination);
    const double east = subSolarOffset(s.sun.rightAscension, s.gst) - 180.0;
    const double dLon = std::fabs(angleBetween(east, r.longitude));
    const int expectedColumn = static_cast<int>(std::floor((r.longitude + 180.0) * 2.0));
    const int dColumn =
        std::abs(((s.column - expectedColumn) % kW + kW + kW / 2) % kW - kW / 2);
    if (dDec > worstDeclination) worstDeclination = dDec, whenDeclination = r.instant;
    if (dLon > worstLongitude) worstLongitude = dLon, whenLongitude = r.instant;
    worstColumn = std::max(worstColumn, dColumn);
  }
  std::printf("largest errors over %zu instants: declination %.4f deg (%s), "
              "sub-solar longitude %.4f deg (%s), column %d\n",
              rows.size(), worstDeclination, whenDeclination.c_str(), worstLongitude,
              whenLongitude.c_str(), worstColumn);
  EXPECT_LT(worstDeclination, 0.01);
  EXPECT_LT(worstLongitude, 0.02);
  EXPECT_LE(worstColumn, 1);
}

// Half the day span of a row at `latitude` by the exact terminator, in
// pixels, for a Sun at `declination`.
double exactHalfWidth(double latitude, double declination) {
  const double r = M_PI / 180;
  const double c = -std::tan(latitude * r) * std::tan(declination * r);
  if (c <= -1) return kW / 2.0;
  if (c >= 1) return 0;
  return std::acos(c) / r * kW / 360.0;
}

TEST(DayWidths, FollowTheTerminatorAndFillThePolarCaps) {
  for (double declination : {-23.44, -12.0, -3.0, 0.5, 8.0, 20.0, 23.44}) {
    std::vector<int> table(kH);
    dayWidths(declination, kW, table);
    for (int row = 0; row < kH; ++row) {
      const double latitude = 90.0 - (row + 0.5) / 2.0;
      const int n = table[static_cast<size_t>(row)];
      const double exact = 2 * exactHalfWidth(latitude, declination);
      if (std::fabs(latitude) < 60) {
        EXPECT_NEAR(n, exact, 6.0) << "declination " << declination << " row " << row;
      }
      // Near the poles the 101 points trace coarsely; the caps still hold.
      if (std::fabs(latitude) > 90 - std::fabs(declination) + 2) {
        const int expected = exact >= kW - 1 ? kW : exact == 0 ? -1 : n;
        EXPECT_EQ(n, expected) << "declination " << declination << " row " << row;
      }
    }
  }
}

TEST(DayWidths, EquinoxRowsAreHalfDay) {
  std::vector<int> table(kH);
  dayWidths(0.001, kW, table);
  for (int row = 20; row < kH - 20; ++row) EXPECT_NEAR(table[static_cast<size_t>(row)], kW / 2, 2) << row;
}

TEST(DayWidths, SolsticeCapsReachThePoles) {
  // Near the June solstice the Arctic is in full day from the pole down to
  // the first terminator row (near the Arctic circle, 66.56 N: row 47) and
  // the Antarctic wholly dark; near the December solstice the reverse.
  for (double declination : {23.44, -23.44}) {
    std::vector<int> table(kH);
    dayWidths(declination, kW, table);
    auto fromSunlitPole = [&](int k) {
      return table[static_cast<size_t>(declination > 0 ? k : kH - 1 - k)];
    };
    auto fromDarkPole = [&](int k) {
      return table[static_cast<size_t>(declination > 0 ? kH - 1 - k : k)];
    };
    int terminator = 0;
    while (terminator < kH / 2 && fromSunlitPole(terminator) == kW) ++terminator;
    EXPECT_NEAR(terminator, 47, 2) << declination;
    EXPECT_LT(fromSunlitPole(terminator), kW);
    EXPECT_GT(fromSunlitPole(terminator), kW / 2);
    for (int k = 0; k < 44; ++k) EXPECT_EQ(fromDarkPole(k), -1) << declination << " " << k;
    EXPECT_GE(fromDarkPole(50), 0) << declination;
  }
}

// In the summer hemisphere every row has at least half a day, up to the
// rows by the pole, whichever side of the equator the Sun is on.
TEST(DayWidths, SummerHemisphereHasLongDaysToThePole) {
  for (double declination : {0.5, -0.5, 3.0, -3.0, 10.0, -10.0, 23.44, -23.44}) {
    std::vector<int> table(kH);
    dayWidths(declination, kW, table);
    for (int k = 0; k < kH / 2; ++k) {
      const int row = declination > 0 ? k : kH - 1 - k;
      EXPECT_GE(table[static_cast<size_t>(row)], kW / 2 - 2) << declination << " row " << row;
    }
  }
}

// At the exact equinox the trace starts a row below the map and ends a
// hair past the pole: nothing may land outside the table.
TEST(DayWidths, ExactEquinoxStaysInsideTheTable) {
  for (double declination : {0.0, -0.0, 1e-12, -1e-12, 1e-7, -1e-7}) {
    std::vector<int> guarded(kH + 2, 12345);
    dayWidths(declination, kW, std::span<int>(guarded).subspan(1, kH));
    EXPECT_EQ(guarded.front(), 12345) << declination;
    EXPECT_EQ(guarded.back(), 12345) << declination;
    for (int row = 1; row <= kH; ++row) {
      const int n = guarded[static_cast<size_t>(row)];
      EXPECT_TRUE(n == -1 || (n >= 0 && n <= kW)) << declination << " row " << row << ": " << n;
    }
  }
}

std::vector<uint8_t> paintedRow(const std::vector<int>& table, int column, size_t rowFromTop) {
  std::vector<uint8_t> pixels(static_cast<size_t>(kW) * table.size(), 0x05);
  paintDayNight(pixels, kW, table, column);
  const size_t stored = table.size() - 1 - rowFromTop;
  return {pixels.begin() + static_cast<std::ptrdiff_t>(stored * kW),
          pixels.begin() + static_cast<std::ptrdiff_t>((stored + 1) * kW)};
}

TEST(PaintDayNight, SpanCentredOnTheSubSolarColumnAndWrapping) {
  // Three rows: a day span of 101 pixels, a dark row, a row in full day.
  const std::vector<int> table = {100, -1, kW};
  for (int column : {360, 5, kW - 3}) {
    const std::vector<uint8_t> day = paintedRow(table, column, 0);
    int lit = 0;
    for (int x = 0; x < kW; ++x) {
      const int distance = std::abs(((x - column) % kW + kW + kW / 2) % kW - kW / 2);
      const bool expected = distance <= 50;
      EXPECT_EQ((day[static_cast<size_t>(x)] & 0x80) != 0, expected) << column << " x " << x;
      EXPECT_EQ(day[static_cast<size_t>(x)] & 0x7F, 0x05);
      lit += expected;
    }
    EXPECT_EQ(lit, 101);
    for (uint8_t p : paintedRow(table, column, 1)) EXPECT_EQ(p, 0x05);
    for (uint8_t p : paintedRow(table, column, 2)) EXPECT_EQ(p, 0x85);
  }
}

TEST(PaintDayNight, RowsAreStoredBottomUp) {
  const std::vector<int> table = {kW, -1};
  std::vector<uint8_t> pixels(static_cast<size_t>(kW) * 2, 0x85);
  paintDayNight(pixels, kW, table, 0);
  EXPECT_EQ(pixels[0], 0x05);           // the bottom row, stored first: night
  EXPECT_EQ(pixels[kW], 0x85);          // the top row: day
}

}  // namespace
}  // namespace ksgrayline
