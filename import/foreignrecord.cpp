#include "foreignrecord.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "adifmode.h"
#include "base/fields.h"
#include "recdb/recdb.h"

namespace ksimport {
namespace {

// Different keys a log may give for nothing: kept bounded all the same.
constexpr size_t kCountriesKept = 4096;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string withoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

std::string upperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

int decimalValue(std::string_view text) {
  text = trimBlanks(text);
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return -1;
  return value;
}

AdifDate logDate(int year, int month, int day, int dateFormat) {
  if (year >= 0 && year < 100) year += year < 45 ? 2000 : 1900;
  if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) return {};
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d%02d%02d", year, month, day);
  return readAdifDate(digits, dateFormat);
}

std::string logTime(std::string_view text) {
  text = trimBlanks(text);
  std::string digits;
  if (allDigits(text) && (text.size() == 3 || text.size() == 4)) {
    digits = text.size() == 3 ? "0" + std::string(text) : std::string(text);
  } else if (text.size() >= 4 && text.size() <= 8) {
    const size_t colon = text.find(':');
    if (colon == 1 || colon == 2) {
      const std::string_view hours = text.substr(0, colon), minutes = text.substr(colon + 1, 2);
      if (allDigits(hours) && allDigits(minutes) && minutes.size() == 2)
        digits = (hours.size() == 1 ? "0" : "") + std::string(hours) + std::string(minutes);
    }
  }
  if (digits.empty()) return std::string(text.substr(0, 5));
  return digits.substr(0, 2) + ":" + digits.substr(2, 2);
}

std::string logMode(std::string_view text) {
  const std::string name = withoutBlanks(trimBlanks(text));
  return upperCase(logModeOf(name, ""));
}

std::string tenFieldErrorLine(const LogRecord& r) {
  char line[256];
  std::snprintf(line, sizeof line, "%s %s %s %s %s %s %s %s %s %s \n", r.call, r.date, r.time,
                r.mode, r.freq, r.rstRcvd, r.rstSent, r.qth, r.qslSent, r.qslSent);
  return line;
}

bool CountryByPrefix::find(std::string_view prefix, LogRecord& record) {
  prefix = trimBlanks(prefix);
  if (prefix.empty() || prefix.size() >= sizeof CountryRecord::prefix) return false;
  const std::string key = upperCase(prefix);
  auto at = kept_.find(key);
  if (at == kept_.end()) {
    Head head;
    void* block = nullptr;
    int size = 0;
    const bool saved = dbCurrencySave(&block, &size, task_, 1) == RECDB_OK;
    char value[sizeof CountryRecord::prefix] = {};
    std::memcpy(value, key.data(), key.size());
    CountryRecord country{};
    if (dbKeyFind(reffield::kCountryPrefix, value, task_, 1) == RECDB_OK &&
        dbRecordRead(&country, task_, 1) == RECDB_OK) {
      head.found = true;
      ksbase::copyField(head.prefix, country.prefix);
      ksbase::copyField(head.name, country.name);
      ksbase::copyField(head.continent, country.continent);
      head.cqZone = country.cqZone;
      head.ituZone = country.ituZone;
    }
    if (saved) dbCurrencyRestore(block, task_, 1);
    dbSelect(0, task_);
    if (kept_.size() >= kCountriesKept) kept_.clear();
    at = kept_.emplace(key, head).first;
  }
  const Head& head = at->second;
  if (!head.found) return false;
  ksbase::putField(record.prefix, head.prefix);
  ksbase::putField(record.qth, head.name);
  ksbase::putField(record.continent, head.continent);
  record.cqZone = static_cast<uint16_t>(head.cqZone > 0 ? head.cqZone : 0);
  record.ituZone = static_cast<uint16_t>(head.ituZone > 0 ? head.ituZone : 0);
  return record.prefix[0] != '\0';
}

}  // namespace ksimport
