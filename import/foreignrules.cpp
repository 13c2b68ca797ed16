#include "foreignrules.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adifmode.h"
#include "base/fields.h"
#include "funct/ksfunct.h"
#include "recdb/recdb.h"
#include "strings.h"

namespace ksimport {

using ksbase::putField;

void Contact::reset() {
  record = LogRecord{};
  putField(record.qslSent, "N");
  putField(record.qslRcvd, "N");
  count = 0;
  errorLine.clear();
}

void Contact::addError(int code) {
  if (count < kMaxErrors) codes[count++] = code;
}

std::string tenTextLine(const LogRecord& r) {
  std::string line;
  for (const char* text : {r.call, r.date, r.time, r.mode, r.freq, r.rstRcvd, r.rstSent, r.qth,
                           r.qslSent, r.qslSent}) {
    line += text;
    line += ' ';
  }
  line += '\n';
  return line;
}

std::string contestName(int button, const std::string& other) {
  if (button == contest::kOther) return other.substr(0, 29);
  if (button >= 100 && button <= 111) return message(button);
  if (button >= 112 && button <= 114) return message(button + 102);
  return {};
}

namespace foreign {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string withoutSpaces(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += c;
  return out;
}

std::string_view column(std::string_view line, layout::Zone zone) {
  // Past the line's end: an empty text that still points into the line.
  if (zone.at >= line.size()) return line.substr(line.size());
  return line.substr(zone.at, zone.width);
}

long decimal(std::string_view text, long fallback) {
  text = trimmed(text);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value
                                                                                  : fallback;
}

void setCall(Contact& contact, std::string_view call) {
  putField(contact.record.call, withoutSpaces(call));
  if (contact.record.call[0] == '\0') contact.addError(kMissingCall);
}

void resolveCountry(Contact& contact, ForeignServices& services) {
  if (contact.record.call[0] == '\0') return;
  if (!services.resolveCountry(contact.record)) contact.addError(kNoPrefix);
}

std::string mappedCountryCode(std::string_view code) {
  struct Mapping {
    const char* from;
    const char* to;
  };
  static constexpr Mapping kMappings[] = {
      {"W", "K"},       {"UA0", "UA9"},    {"UA/F", "4K2"},  {"VE/P", "CY9"},
      {"VE/S", "CY0"},  {"ZK/S", "ZK1/S"}, {"ZK/N", "ZK1/N"},
  };
  std::string key = withoutSpaces(code);
  for (const Mapping& mapping : kMappings)
    if (key == mapping.from) return mapping.to;
  return key;
}

void countryFromCode(Contact& contact, ForeignServices& services, std::string_view code) {
  const std::string key = mappedCountryCode(code);
  if (!key.empty() && services.countryByPrefix(key.c_str(), contact.record)) return;
  resolveCountry(contact, services);
}

std::string usDate(std::string_view yy, std::string_view mm, std::string_view dd) {
  auto twoDigits = [](std::string_view t) {
    return t.size() == 2 && std::isdigit(static_cast<unsigned char>(t[0])) &&
           std::isdigit(static_cast<unsigned char>(t[1]));
  };
  if (!twoDigits(yy) || !twoDigits(mm) || !twoDigits(dd)) return {};
  std::string date;
  date.append(mm).append("-").append(dd).append("-").append(yy);
  return date;
}

bool setUsDate(Contact& contact, std::string_view mmddyy, int dateFormat) {
  LogRecord& r = contact.record;
  putField(r.date, mmddyy);
  if (mmddyy.size() != 8 || CheckDate(r.date) != 1) {
    contact.addError(kBadDate);
    return false;
  }
  if (dateFormat == 1) DateToIntl(r.date);
  if (dateFormat == 2) DateToEuro(r.date);
  r.julianDay = CalcJulianDate(r.date);
  return true;
}

void setMode(Contact& contact, std::string_view mode) {
  putField(contact.record.mode, logModeOf(mode, ""));
  const char* word = contact.record.mode;
  if (!isPhone(word) && !isCW(word) && !isFSK(word)) contact.addError(kBadMode);
}

void setFrequency(Contact& contact, ForeignServices& services, std::string_view frequency) {
  LogRecord& r = contact.record;
  putField(r.freq, withoutSpaces(frequency));
  // "14.025.00" reads as 14.025 MHz: the number stops at the second point.
  char* end = nullptr;
  const double megahertz = std::strtod(r.freq, &end);
  const int band = end != r.freq ? services.bandOf(megahertz) : 0;
  r.band = static_cast<uint16_t>(band);
  if (band == 0) contact.addError(kBadFrequency);
}

void setBand(Contact& contact, int band) {
  LogRecord& r = contact.record;
  char freq[16] = {};
  if (band > 0 && isBand(band)) BandToFreq(band, freq);
  putField(r.freq, freq);
  r.band = static_cast<uint16_t>(freq[0] != '\0' ? band : 0);
  if (r.band == 0) contact.addError(kBadFrequency);
}

void setLetter(char (&field)[2], char letter) {
  field[0] = letter;
  field[1] = '\0';
}

void finish(Contact& contact, const ReadContext& context) {
  if (!context.tagForLabels) return;
  char today[16] = {};
  char now[16] = {};
  GetDateTime(context.options.dateFormat, context.options.hourOffset, today, now);
  LogRecord& r = contact.record;
  putField(r.qslSent, "Y");
  putField(r.qslDate, today);
  r.tagged = 1;
}

}  // namespace foreign
}  // namespace ksimport
