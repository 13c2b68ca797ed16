#include "editors/countrydb.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace countrytext {

namespace {

template <std::size_t N>
void putText(char (&field)[N], const std::string& text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::string getText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

CountryRecord toRecord(const CountryLine& line) {
  CountryRecord r{};
  putText(r.prefix, line.prefix);
  putText(r.name, line.name);
  putText(r.continent, line.continent);
  putText(r.latitude, line.latitude);
  putText(r.longitude, line.longitude);
  r.cqZone = static_cast<std::int16_t>(line.cqZone);
  r.ituZone = static_cast<std::int16_t>(line.ituZone);
  putText(r.status, line.status);
  putText(r.date, line.date);
  putText(r.prefixList, line.prefixList);
  return r;
}

CountryLine fromRecord(const CountryRecord& r) {
  CountryLine line;
  line.prefix = getText(r.prefix);
  line.name = getText(r.name);
  line.continent = getText(r.continent);
  line.latitude = getText(r.latitude);
  line.longitude = getText(r.longitude);
  line.cqZone = r.cqZone;
  line.ituZone = r.ituZone;
  line.status = getText(r.status);
  line.date = getText(r.date);
  line.prefixList = getText(r.prefixList);
  return line;
}

ImportResult importCountryFile(const char* path, DB_TASK* task, int db) {
  ImportResult result;
  File file(std::fopen(path, "rb"));
  if (!file) return result;
  result.opened = true;
  LineReader lines(file.get());
  while (const auto line = lines.next()) {
    if (isBlankLine(*line)) continue;
    const CountryLine country = parseCountryLine(*line);
    if (country.prefix.empty()) {
      result.emptyPrefixLine = lines.lineNumber();
      break;
    }
    const CountryRecord record = toRecord(country);
    if (dbRecordCreate(kCountryRecordType, &record, task, db) != 0) {
      result.failedLine = lines.lineNumber();
      break;
    }
    ++result.stored;
  }
  return result;
}

ExportResult exportCountryFile(const char* path, DB_TASK* task, int db) {
  ExportResult result;
  File file(std::fopen(path, "wb"));
  if (!file) return result;
  result.created = true;
  for (int rc = dbRecordFirst(kCountryRecordType, task, db); rc == 0;
       rc = dbRecordNext(task, db)) {
    CountryRecord record{};
    if (dbRecordRead(&record, task, db) != 0) return result;
    const std::string text = formatCountryLine(fromRecord(record));
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) return result;
    ++result.written;
  }
  if (std::fputs("\r\n", file.get()) < 0) return result;
  result.complete = std::fclose(file.release()) == 0;
  return result;
}

}  // namespace countrytext
