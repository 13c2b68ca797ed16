// kestrel grayline: the grayline window's map for an instant, as a PNG file,
// computed and painted by the same code as the window.
#include <png.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "grayline/picture.h"

namespace kcli {

namespace {

using ksgrayline::kMapHeight;
using ksgrayline::kMapWidth;

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// YYYY-MM-DDTHH:MM:SSZ, a real date and time of day.
bool parseInstant(const char* text, ksgrayline::UtcTime& time) {
  static const char kShape[] = "dddd-dd-ddTdd:dd:ddZ";
  if (std::strlen(text) != sizeof kShape - 1) return false;
  for (size_t i = 0; kShape[i] != '\0'; ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  auto number = [&](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  time = {number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1) return false;
  const int days = kDays[time.month - 1] + (time.month == 2 && leapYear(time.year) ? 1 : 0);
  return time.day <= days && time.hour <= 23 && time.minute <= 59 && time.second <= 59;
}

struct PngFile {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngFile() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
};

// Writes the picture, each map pixel as scale x scale pixels, with the
// map's colour table; "" on success, else what went wrong.
std::string writePng(std::FILE* out, const ksgrayline::Picture& picture, int scale) {
  PngFile file;
  file.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (file.png == nullptr) return "out of memory";
  file.info = png_create_info_struct(file.png);
  if (file.info == nullptr) return "out of memory";
  const size_t width = static_cast<size_t>(kMapWidth) * static_cast<size_t>(scale);
  std::vector<png_byte> line(width);
  if (setjmp(png_jmpbuf(file.png))) return std::strerror(errno != 0 ? errno : EIO);
  png_init_io(file.png, out);
  png_set_IHDR(file.png, file.info, static_cast<png_uint_32>(width),
               static_cast<png_uint_32>(kMapHeight * scale), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& c = picture.info.colours[i];
    palette[i] = png_color{c.rgbRed, c.rgbGreen, c.rgbBlue};
  }
  png_set_PLTE(file.png, file.info, palette, 256);
  png_write_info(file.png, file.info);
  for (int row = 0; row < kMapHeight; ++row) {
    // Rows are stored bottom-up; the PNG runs top-down.
    const uint8_t* source =
        picture.pixels.data() + static_cast<size_t>(kMapHeight - 1 - row) * kMapWidth;
    for (size_t x = 0; x < width; ++x) line[x] = source[x / static_cast<size_t>(scale)];
    for (int repeat = 0; repeat < scale; ++repeat) png_write_row(file.png, line.data());
  }
  png_write_end(file.png, nullptr);
  return "";
}

int failure(const std::string& problem) {
  std::fprintf(stderr, "kestrel grayline: %s\n", problem.c_str());
  return kUsage;
}

}  // namespace

int runGrayline(std::span<char*> args) {
  const Command& command = *findCommand("grayline");
  ksgrayline::UtcTime time = ksgrayline::systemTime();
  std::string output;
  int scale = 1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string flag = args[i];
    if (flag != "--at" && flag != "--png" && flag != "--scale")
      return usageError(command, "unknown argument");
    if (i + 1 == args.size()) return usageError(command, (flag + " needs a value").c_str());
    const char* value = args[++i];
    if (flag == "--at" && !parseInstant(value, time))
      return failure(std::string("not an instant (YYYY-MM-DDTHH:MM:SSZ): ") + value);
    if (flag == "--png") output = value;
    if (flag == "--scale") {
      char* end = nullptr;
      const long n = std::strtol(value, &end, 10);
      if (end == value || *end != '\0' || n < 1 || n > 8)
        return failure(std::string("--scale needs 1 to 8: ") + value);
      scale = static_cast<int>(n);
    }
  }
  if (output.empty()) return usageError(command, "--png FILE is needed");

  ksgrayline::Picture picture;
  if (!ksgrayline::loadMap(picture)) return failure("the built-in map is damaged");
  ksgrayline::render(picture, time);

  // Written beside the target and renamed over it, so that a failure
  // leaves no file behind and never half a picture.
  std::string partial = output + ".XXXXXX";
  const int fd = mkstemp(partial.data());
  if (fd < 0) return failure("cannot write " + output + ": " + std::strerror(errno));
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);  // as an ordinary new file, not mkstemp's 0600
  std::FILE* out = fdopen(fd, "wb");
  std::string problem = out != nullptr ? writePng(out, picture, scale) : std::strerror(errno);
  if (out != nullptr && std::fclose(out) != 0 && problem.empty()) problem = std::strerror(errno);
  if (out == nullptr) close(fd);
  if (problem.empty() && std::rename(partial.c_str(), output.c_str()) != 0)
    problem = std::strerror(errno);
  if (!problem.empty()) {
    std::remove(partial.c_str());
    return failure("cannot write " + output + ": " + problem);
  }
  const ksgrayline::SolarState& sun = picture.solar;
  const double east = ksgrayline::subSolarOffset(sun.sun.rightAscension, sun.gst) - 180.0;
  std::printf("%04d-%02d-%02dT%02d:%02d:%02dZ: the Sun over %.2f %c, %.2f %c (column %d); %s\n",
              time.year, time.month, time.day, time.hour, time.minute, time.second,
              std::fabs(sun.sun.declination), sun.sun.declination < 0 ? 'S' : 'N',
              std::fabs(east), east < 0 ? 'W' : 'E', sun.column, output.c_str());
  return kOk;
}

}  // namespace kcli
