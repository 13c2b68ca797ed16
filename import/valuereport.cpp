#include "valuereport.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "funct/ksfunct.h"

namespace ksimport {
namespace {

constexpr const char* kErrorLines[] = {
    "",
    "; Missing call sign\n",
    "; Cannot determine prefix from callsign\n",
    "; Missing or unsupported frequency\n",
    "; Missing or unsupported mode\n",
    "; Missing day or unsupported format\n",
};

// Band positions of the per-band tally arrays.
constexpr int kAwardBands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6,
                               2,   220, 432, 902, 1240, 2300, 3300, 5650, 10000};
constexpr int kRatedAwardBands = 11;
constexpr int kGridBands[] = {6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000};

int position(const int* bands, int count, int band) {
  for (int i = 0; i < count; ++i)
    if (bands[i] == band) return i;
  return -1;
}

[[gnu::format(printf, 2, 3)]] void append(std::string& out, const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out += line;
}

// The texts of one award's rating: all modes, the three mode families, band.
struct AwardTexts {
  const char* isNew;
  const char* unconfirmed;
  const char* newCw;
  const char* unconfirmedCw;
  const char* newPhone;
  const char* unconfirmedPhone;
  const char* newFsk;
  const char* unconfirmedFsk;
  const char* newOnBand;  // takes the band
  const char* unconfirmedOnBand;
};

constexpr AwardTexts kCountryTexts = {
    "New DXCC Country.\r\n", "DXCC Country worked, but not confirmed.\r\n",
    "New DXCC CW Country.\r\n", "DXCC Country worked on CW, but not confirmed.\r\n",
    "New DXCC Phone Country.\r\n", "DXCC Country worked on Phone, but not confirmed.\r\n",
    "New DXCC FSK Country.\r\n", "DXCC Country worked on FSK, but not confirmed.\r\n",
    "New DXCC Country on %d.\r\n", "DXCC Country worked on band, but not confirmed.\r\n"};

constexpr AwardTexts kZoneTexts = {
    "New CQ Zone.\r\n", "CQ Zone worked, but not confirmed.\r\n",
    "New CQ CW zone.\r\n", "CQ Zone worked on CW, but not confirmed.\r\n",
    "New CQ SSB zone.\r\n", "CQ Zone worked on SSB, but not confirmed.\r\n",
    "New CQ FSK zone.\r\n", "CQ Zone worked on FSK, but not confirmed.\r\n",
    "New CQ Zone on %d.\r\n", "Zone worked on band, but not confirmed.\r\n"};

constexpr AwardTexts kStateTexts = {
    "New Mixed State.\r\n", "State worked, but not confirmed.\r\n",
    "New CW State.\r\n", "State worked on CW, but not confirmed.\r\n",
    "New SSB State.\r\n", "State worked on SSB, but not confirmed.\r\n",
    "New FSK State.\r\n", "State worked on FSK, but not confirmed.\r\n",
    "New State on %d.\r\n", "State worked on band, but not confirmed.\r\n"};

// Status pairs (worked, confirmed) in a tally's award bytes.
enum Pair { kAllModes = 0, kCw = 2, kPhone = 4, kFsk = 6 };

// Rates one contact against one tally. A state that was never worked at all
// is simply new: nothing more is said of it.
void rateAward(std::string& out, const LogRecord& record, const uint8_t* flags,
               const int16_t* worked, const int16_t* confirmed, const AwardTexts& texts,
               bool phoneIsSsb, bool stopWhenNew) {
  if (flags[kAllModes] == 0) {
    out += texts.isNew;
    if (stopWhenNew) return;
  } else if (flags[kAllModes] == 1 && flags[kAllModes + 1] == 0) {
    out += texts.unconfirmed;
  }

  const char* mode = record.mode;
  int pair = -1;
  const char *isNew = nullptr, *unconfirmed = nullptr;
  if (isCW(mode)) {
    pair = kCw, isNew = texts.newCw, unconfirmed = texts.unconfirmedCw;
  } else if (phoneIsSsb ? isSSB(mode) : isPhone(mode)) {
    pair = kPhone, isNew = texts.newPhone, unconfirmed = texts.unconfirmedPhone;
  } else if (isFSK(mode)) {
    pair = kFsk, isNew = texts.newFsk, unconfirmed = texts.unconfirmedFsk;
  }
  if (pair >= 0) {
    if (flags[pair] == 0)
      out += isNew;
    else if (flags[pair] == 1 && flags[pair + 1] == 0)
      out += unconfirmed;
  }

  const int at = position(kAwardBands, kRatedAwardBands, record.band);
  if (at < 0) return;
  if (worked[at] == 0)
    append(out, texts.newOnBand, record.band);
  else if (worked[at] == 1 && confirmed[at] == 0)
    out += texts.unconfirmedOnBand;
}

// printf's "%W.Ws" (left-aligned with `left`, as "%-W.Ws") and "%Wd": the
// report writes several of these a contact, so without the format parser.
void text(std::string& out, const char* value, std::size_t width, bool left = false) {
  const std::size_t length = strnlen(value, width);
  if (!left) out.append(width - length, ' ');
  out.append(value, length);
  if (left) out.append(width - length, ' ');
}

void number(std::string& out, int value, std::size_t width) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const std::size_t length = static_cast<std::size_t>(end - digits);
  if (length < width) out.append(width - length, ' ');
  out.append(digits, length);
}

// "%8.8s %5.5s %-14.14s %4.4s %4d %3.3s %3.3s ", what every line of a
// contact starts with.
void contactHead(std::string& out, const LogRecord& r) {
  text(out, r.date, 8);
  out += ' ';
  text(out, r.time, 5);
  out += ' ';
  text(out, r.call, 14, true);
  out += ' ';
  text(out, r.mode, 4);
  out += ' ';
  number(out, r.band, 4);
  out += ' ';
  text(out, r.rstRcvd, 3);
  out += ' ';
  text(out, r.rstSent, 3);
  out += ' ';
}

void contactLine(std::string& out, const LogRecord& r, const char* last) {
  contactHead(out, r);
  out += last;
  out += "\r\n";
}

}  // namespace

std::string errorLogEntry(const LogRecord& r, std::span<const int> errors) {
  std::string out;
  append(out, "%s %s %s %s %s %s %s %s %s %s %d\n", r.call, r.date, r.time, r.mode, r.freq,
         r.rstRcvd, r.rstSent, r.qth, r.qslSent, r.qslSent, r.band);
  out += '\n';
  for (int code : errors)
    if (code >= 1 && code <= 5) out += kErrorLines[code];
  return out;
}

std::string errorLogEntry(const std::string& line, std::span<const int> errors) {
  std::string out = line;
  out += '\n';
  for (int code : errors)
    if (code >= 1 && code <= 5) out += kErrorLines[code];
  return out;
}

std::string rateContact(const LogRecord& r, TallySource& tallies) {
  std::string out;
  out.reserve(256);
  contactHead(out, r);
  text(out, r.prefix, 5);
  out += ' ';
  number(out, r.cqZone, 0);
  out += "\r\n";
  if (const CountryTally* t = tallies.country(r.prefix))
    rateAward(out, r, t->awardFlags, t->bandWorked, t->bandConfirmed, kCountryTexts, false, false);
  if (const ZoneTally* t = tallies.zone(r.cqZone))
    rateAward(out, r, t->awardFlags, t->bandWorked, t->bandConfirmed, kZoneTexts, true, false);

  if (r.grid[0] != '\0' && isVHFUHF(r.band)) {
    contactLine(out, r, r.grid);
    const GridTally* t = tallies.grid(r.grid);
    if (!t) {
      append(out, "New grid on %d.\r\n", r.band);
    } else {
      const int at = position(kGridBands, 10, r.band);
      if (at >= 0 && t->bandWorked[at] == 0)
        append(out, "New Grid on %d.\r\n", r.band);
      else if (at >= 0 && t->bandWorked[at] == 1 && t->bandConfirmed[at] == 0)
        out += "Grid worked before but not confirmed.\r\n";
    }
  }

  if (isUSA(r.prefix) && isState(r.state)) {
    contactLine(out, r, r.state);
    if (const StateTally* t = tallies.state(r.state))
      rateAward(out, r, t->awardFlags, t->bandWorked, t->bandConfirmed, kStateTexts, true, true);
  }
  return out;
}

}  // namespace ksimport
