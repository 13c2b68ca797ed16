#include "iotadb.h"

#include <cstdio>
#include <cstring>

#include "base/fields.h"
#include "recdb/recdb.h"

namespace iotatext {
namespace {

void appendQuoted(std::string& out, const std::string& text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '"' || c == '^') out.push_back('^');
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace

IotaLine parseIotaLine(std::string_view line) {
  IotaLine out;
  out.country = countrytext::parseCountryLine(line);
  countrytext::FieldTokenizer fields(line);
  for (int i = 0; i < 10; ++i) fields.next(countrytext::kPrefixListWidth);
  out.iotaNumber = fields.next(kIotaNumberWidth);
  out.group = fields.next(kGroupWidth);
  return out;
}

std::string formatIotaLine(const IotaLine& line) {
  std::string out = countrytext::formatCountryLine(line.country);
  // The country form ends with its two empty fields and CR LF.
  out.resize(out.size() - std::strlen("\"\",\"\"\r\n"));
  appendQuoted(out, line.iotaNumber);
  out.push_back(',');
  appendQuoted(out, line.group);
  out += "\r\n";
  return out;
}

IotaRecord toIotaRecord(const IotaLine& line) {
  IotaRecord r{};
  const CountryRecord country = countrytext::toRecord(line.country);
  static_assert(sizeof country <= sizeof r);
  std::memcpy(&r, &country, sizeof country);
  ksbase::putField(r.iotaNumber, line.iotaNumber.empty() ? std::string("00000") : line.iotaNumber);
  ksbase::putField(r.groupFlag, line.group.empty() ? std::string("N") : line.group);
  return r;
}

IotaLine fromIotaRecord(const IotaRecord& record) {
  CountryRecord country{};
  std::memcpy(&country, &record, sizeof country);
  IotaLine line;
  line.country = countrytext::fromRecord(country);
  line.iotaNumber = ksbase::fieldText(record.iotaNumber);
  line.group = ksbase::fieldText(record.groupFlag);
  return line;
}

namespace {

countrytext::LineStored storeIsland(const std::string& line, DB_TASK* task, int db) {
  const IotaLine island = parseIotaLine(line);
  if (island.country.prefix.empty()) return countrytext::LineStored::kEmptyPrefix;
  const IotaRecord record = toIotaRecord(island);
  return dbRecordCreate(kIotaRecordType, &record, task, db) == 0
             ? countrytext::LineStored::kStored
             : countrytext::LineStored::kRefused;
}

}  // namespace

ImportResult importIotaLines(std::FILE* file, DB_TASK* task, int db) {
  return countrytext::importTextLines(
      file, [&](const std::string& line) { return storeIsland(line, task, db); });
}

ImportResult importIotaFile(const char* path, DB_TASK* task, int db) {
  return countrytext::importTextFile(path, [&](const std::string& line) {
    const IotaLine island = parseIotaLine(line);
    if (island.country.prefix.empty()) return countrytext::LineStored::kEmptyPrefix;
    const IotaRecord record = toIotaRecord(island);
    return dbRecordCreate(kIotaRecordType, &record, task, db) == 0
               ? countrytext::LineStored::kStored
               : countrytext::LineStored::kRefused;
  });
}

bool fillIotaDatabase(const std::string& database, const std::string& textFile,
                      std::string& message) {
  return countrytext::fillDatabase(database, textFile, "island groups", importIotaFile, message);
}

}  // namespace iotatext
