#include "solar.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ksgrayline {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180.0;
constexpr double kDegree = 180.0 / kPi;

// `value` brought into [0, range).
double reduce(double value, double range) {
  double r = std::fmod(value, range);
  if (r < 0) r += range;
  if (r >= range) r -= range;  // a tiny negative value rounds up to `range`
  return r;
}

int clampInt(long long value, int low, int high) {
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

}  // namespace

double julianDay(const UtcTime& time) {
  int y = time.year, m = time.month;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  const bool julianCalendar =
      time.year < 1582 ||
      (time.year == 1582 && (time.month < 10 || (time.month == 10 && time.day < 5)));
  int b = 0;
  if (!julianCalendar) {
    const int a = y / 100;
    b = 2 - a + a / 4;
  }
  const int seconds = time.hour * 3600 + time.minute * 60 + time.second;
  return std::trunc(365.25 * (y + 4716)) + std::trunc(30.6001 * (m + 1)) + time.day + b -
         1524.5 + seconds * 1.1574074074074073e-05;
}

double obliquity(double jd) {
  // Laskar's polynomial in units of 10,000 Julian years from J2000.0.
  static constexpr double kTerms[10] = {
      -1.3002583333333335,   -0.00043055555555555555, 0.5553472222222222,
      -0.014272222222222223, -0.06935277777777778,    -0.010847222222222222,
      0.001977777777777778,  0.007741666666666667,    0.0016083333333333334,
      0.0006805555555555556};
  constexpr double kAtEpoch = 23.43929111111111;
  const double t = (jd - 2451545.0) * 2.737850787132101e-07;
  if (std::fabs(t) >= 1.0) return kAtEpoch;
  double sum = kAtEpoch, power = 1.0;
  for (double term : kTerms) {
    power *= t;
    sum += term * power;
  }
  return sum;
}

SunPosition sunPosition(double jd) {
  // Julian centuries from 1900 January 0.5.
  const double t = (jd - 2415020.0) * 2.7378507871321012e-05;
  const double meanLongitude = reduce(279.69668 + 36000.76892 * t + 0.0003025 * t * t, 360.0);
  const double meanAnomaly =
      reduce(358.47583 + 35999.04975 * t - 0.00015 * t * t - 3.3e-6 * t * t * t, 360.0);
  const double e = 0.01675104 - 4.18e-5 * t - 1.26e-7 * t * t;

  // Kepler's equation by Newton's method.
  const double m = meanAnomaly * kRadian;
  double eccentric = m, step = 0;
  do {
    step = eccentric - e * std::sin(eccentric) - m;
    eccentric -= step / (1.0 - e * std::cos(eccentric));
  } while (std::fabs(step) > 1e-6);

  const double trueAnomaly = reduce(
      2.0 * std::atan(std::sqrt((1.0 + e) / (1.0 - e)) * std::tan(eccentric / 2.0)) * kDegree,
      360.0);
  SunPosition sun;
  sun.longitude = meanLongitude + trueAnomaly - meanAnomaly;
  sun.radius = 1.0000002 * (1.0 - e * e) / (1.0 + e * std::cos(trueAnomaly * kRadian));
  const double epsilon = obliquity(jd) * kRadian;
  const double lambda = sun.longitude * kRadian;
  sun.rightAscension =
      reduce(std::atan2(std::cos(epsilon) * std::sin(lambda), std::cos(lambda)) * kDegree, 360.0);
  sun.declination = std::asin(std::sin(epsilon) * std::sin(lambda)) * kDegree;
  return sun;
}

double siderealTime(double jd) {
  const double midnight = std::floor(jd + 0.5) - 0.5;
  const double t0 = (midnight - 2415020.0) * 2.7378507871321012e-05;
  const double hours = ((jd + 0.5) - std::floor(jd + 0.5)) * 24.0;
  return reduce(6.6460656 + 2400.051262 * t0 + 2.581e-05 * t0 * t0 + 1.002737908 * hours, 24.0);
}

double subSolarOffset(double rightAscension, double gst) {
  return reduce(rightAscension - 15.0 * gst + 180.0, 360.0);
}

int subSolarColumn(double rightAscension, double gst, int width) {
  const double offset = subSolarOffset(rightAscension, gst);
  return clampInt(static_cast<long long>(width * offset / 360.0), 0, width - 1);
}

void dayWidths(double declination, int width, std::span<int> table) {
  const int h = static_cast<int>(table.size());
  std::fill(table.begin(), table.end(), -1);
  if (h == 0 || width <= 0) return;
  const double a = -declination * kRadian;
  const double sinA = std::sin(a), cosA = std::cos(a);

  // A row off the table (at the exact equinox the trace starts a row below
  // the map) is clamped into it, and a half width into 0 to half the map.
  auto store = [&](int y, int x) {
    const int entry = clampInt(static_cast<long long>(h) - 1 - y, 0, h - 1);
    x = std::clamp(x, 0, width / 2);
    table[static_cast<size_t>(entry)] = 2 * (x == 0 ? 1 : x);
  };

  bool first = true;
  int px = 0, py = 0;
  for (double theta = -kPi / 2; theta <= 1.5717963267948964; theta += kPi / 100) {
    const double phi = std::asin(std::sin(theta) * cosA) * kDegree;
    // The last point, summed up in steps of pi/100, lies a hair past the
    // pole, where the cosine turns negative and atan2 would jump to the far
    // side of the circle: the trace ends at the pole instead.
    const double across = std::max(std::cos(theta), 0.0), along = -std::sin(theta) * sinA;
    const double lambda = (across == 0 && along == 0) ? 0.0 : std::atan2(across, along) * kDegree;
    const int y = static_cast<int>(h - (phi + 90.0) * h / 180.0);
    const int x = static_cast<int>(width * lambda / 360.0);
    if (first) {
      first = false;
    } else if (y == py) {
      store(y, x);
    } else {
      const double slope = static_cast<double>(x - px) / (y - py);
      const int direction = y > py ? 1 : -1;
      for (int r = py; r != y; r += direction)
        store(r, static_cast<int>(std::floor(slope * (r - py) + 0.5) + px));
    }
    px = x;
    py = y;
  }

  // Polar cap: from the pole the Sun stands over toward the equator, rows
  // with no crossing before the first terminator row are in full daylight.
  const int middle = h / 2;
  const int start = declination >= 0 ? 0 : h - 1;
  const int direction = declination >= 0 ? 1 : -1;
  for (int i = start; i != middle; i += direction) {
    if (table[static_cast<size_t>(i)] == -1) continue;
    for (int j = start; j != i + direction; j += direction) table[static_cast<size_t>(j)] = width;
    break;
  }
}

void paintDayNight(std::span<uint8_t> pixels, int width, std::span<const int> table,
                   int column) {
  const size_t w = static_cast<size_t>(width);
  const size_t h = table.size();
  if (width <= 0 || pixels.size() < w * h) return;
  for (size_t i = 0; i < h; ++i) {
    // Row i from the top is stored h - 1 - i rows from the start.
    uint8_t* row = pixels.data() + (h - 1 - i) * w;
    for (size_t x = 0; x < w; ++x) row[x] &= 0x7F;
    const int n = table[i];
    if (n < 0) continue;
    const long long begin = ((static_cast<long long>(width) - n / 2 + column) % width + width) % width;
    const long long count = std::min<long long>(static_cast<long long>(n) + 1, width);
    size_t x = static_cast<size_t>(begin);
    for (long long k = 0; k < count; ++k) {
      row[x] |= 0x80;
      if (++x == w) x = 0;
    }
  }
}

SolarState solarState(const UtcTime& time, int width) {
  SolarState state;
  state.jd = julianDay(time);
  state.sun = sunPosition(state.jd);
  state.gst = siderealTime(state.jd);
  state.column = subSolarColumn(state.sun.rightAscension, state.gst, width);
  return state;
}

}  // namespace ksgrayline
