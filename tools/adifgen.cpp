#include "adifgen.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace kstools {
namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 2862933555777941757ULL + 3037000493ULL) {}
  uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t below(uint32_t n) { return next() % n; }
  template <class T, size_t N>
  const T& pick(const T (&items)[N]) { return items[below(N)]; }

 private:
  uint64_t state_;
};

struct Station {
  const char* prefix;
  const char* state;  // empty outside the USA
  const char* county;
};

constexpr Station kStations[] = {
    {"W1", "MA", "MIDDLESEX"}, {"K1", "CT", "HARTFORD"}, {"W6", "CA", "LOS ANGELES"},
    {"N5", "TX", "HARRIS"},    {"K8", "OH", "FRANKLIN"}, {"W7", "WA", "KING"},
    {"K4", "FL", "MIAMI-DADE"}, {"N0", "CO", "DENVER"},  {"W2", "NY", "KINGS"},
    {"K9", "IL", "COOK"},      {"KL7", "AK", "ANCHORAGE"}, {"VE3", "", ""},
    {"G", "", ""},   {"DL", "", ""},  {"F", "", ""},   {"JA", "", ""},  {"VK", "", ""},
    {"ZL", "", ""},  {"PY", "", ""},  {"LU", "", ""},  {"EA", "", ""},  {"I", "", ""},
    {"ON", "", ""},  {"PA", "", ""},  {"OH", "", ""},  {"SM", "", ""},  {"UA", "", ""},
    {"9A", "", ""},  {"ZS", "", ""},  {"VU", "", ""},  {"HL", "", ""},  {"XE", "", ""}};

struct Band {
  const char* name;
  double low;  // MHz
  double width;
};

constexpr Band kBands[] = {{"160m", 1.800, 0.1},  {"80m", 3.500, 0.3},  {"40m", 7.000, 0.2},
                           {"30m", 10.100, 0.05}, {"20m", 14.000, 0.35}, {"17m", 18.068, 0.1},
                           {"15m", 21.000, 0.4},  {"12m", 24.890, 0.1},  {"10m", 28.000, 1.5},
                           {"6m", 50.000, 1.0},   {"2m", 144.000, 2.0}};

constexpr const char* kModes[] = {"CW", "SSB", "SSB", "FT8", "FT8", "RTTY", "FM", "PSK"};
constexpr const char* kNames[] = {"Bob", "Anna", "Jim", "Yuki", "Hans", "Maria", "Lee", "Olga"};
constexpr const char* kGrids[] = {"FN42", "EM12", "JO31", "IO91", "PM95", "QF22", "DM04"};

void field(std::string& out, const char* name, const std::string& value) {
  out += '<';
  out += name;
  out += ':';
  out += std::to_string(value.size());
  out += '>';
  out += value;
  out += ' ';
}

std::string contact(Random& random, long index) {
  const Station& station = random.pick(kStations);
  std::string call = station.prefix;
  if (std::strlen(station.prefix) < 2 || call.back() < '0' || call.back() > '9')
    call += static_cast<char>('0' + random.below(10));
  for (uint32_t i = 0, n = 1 + random.below(3); i < n; ++i)
    call += static_cast<char>('A' + random.below(26));

  const Band& band = random.pick(kBands);
  const char* mode = random.pick(kModes);
  char date[16], time[8], freq[16];
  std::snprintf(date, sizeof date, "%04u%02u%02u", 2015 + random.below(10), 1 + random.below(12),
                1 + random.below(28));
  std::snprintf(time, sizeof time, "%02u%02u", random.below(24), random.below(60));
  std::snprintf(freq, sizeof freq, "%.3f", band.low + band.width * random.below(1000) / 1000.0);
  const bool phone = std::strcmp(mode, "SSB") == 0 || std::strcmp(mode, "FM") == 0;
  const std::string report = std::strcmp(mode, "FT8") == 0 ? "-10" : phone ? "59" : "599";

  // One contact in fifty carries a flaw, in turn.
  std::string bandName = band.name;
  if (index % 50 == 49) {
    switch ((index / 50) % 4) {
      case 0: call.clear(); break;
      case 1: bandName = "60m"; std::strcpy(freq, "5.357"); break;
      case 2: std::memcpy(date, "1939", 4); break;
      case 3: mode = "OLIVIA"; break;
    }
  }

  std::string out;
  field(out, "CALL", call);
  field(out, "QSO_DATE", date);
  field(out, "TIME_ON", time);
  field(out, "BAND", bandName);
  field(out, "FREQ", freq);
  field(out, "MODE", mode);
  field(out, "RST_SENT", report);
  field(out, "RST_RCVD", report);
  if (random.below(3) == 0) field(out, "NAME", random.pick(kNames));
  if (station.state[0] != '\0') {
    field(out, "STATE", station.state);
    field(out, "CNTY", std::string(station.state) + "," + station.county);
  }
  if (std::strcmp(band.name, "6m") == 0 || std::strcmp(band.name, "2m") == 0)
    field(out, "GRIDSQUARE", random.pick(kGrids));
  const bool confirmed = random.below(4) == 0;
  field(out, "QSL_SENT", confirmed || random.below(2) ? "Y" : "N");
  field(out, "QSL_RCVD", confirmed ? "Y" : "N");
  out += "<EOR>\n";
  return out;
}

}  // namespace

bool writeSampleLog(std::FILE* out, long count, unsigned long seed) {
  std::fputs("Sample log of made-up contacts for the Kestrel import.\n"
             "<ADIF_VER:5>3.1.4 <PROGRAMID:10>adifsample <EOH>\n", out);
  Random random(seed);
  for (long i = 0; i < count; ++i) std::fputs(contact(random, i).c_str(), out);
  return std::ferror(out) == 0;
}

}  // namespace kstools
