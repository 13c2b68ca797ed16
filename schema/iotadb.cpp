#include "iotadb.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/fields.h"
#include "schema/countrydb.h"
#include "recdb/recdb.h"

namespace iotatext {
namespace {

struct Closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

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

ImportResult importIotaFile(const char* path, DB_TASK* task, int db) {
  std::unique_ptr<std::FILE, Closer> file(countrytext::openTextFile(path));
  if (!file) return ImportResult{};
  return importIotaLines(file.get(), task, db);
}

ImportResult importIotaLines(std::FILE* file, DB_TASK* task, int db) {
  ImportResult result;
  result.opened = true;
  countrytext::LineReader lines(file);
  while (const auto line = lines.next()) {
    if (countrytext::isBlankLine(*line)) continue;
    const IotaLine island = parseIotaLine(*line);
    if (island.country.prefix.empty()) {
      result.emptyFirstFieldLine = lines.lineNumber();
      break;
    }
    const IotaRecord record = toIotaRecord(island);
    if (dbRecordCreate(kIotaRecordType, &record, task, db) != 0) {
      result.failedLine = lines.lineNumber();
      break;
    }
    ++result.stored;
  }
  return result;
}

bool fillIotaDatabase(const std::string& database, const std::string& textFile,
                      std::string& message) {
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != 0) {
    message = "cannot make a database task";
    return false;
  }
  ImportResult result;
  const int opened = dbOpen(database.c_str(), "o", task);
  // Bulk work: batched, committed at the close.
  if (opened == 0 && dbBulkBegin(task, 0) == 0) result = importIotaFile(textFile.c_str(), task, 0);
  const int closed = dbCloseTask(task);  // commits what was stored
  if (opened != 0)
    message = "cannot open " + database + ": " + dbResultText(opened);
  else if (!result.opened)
    message = "cannot read " + textFile;
  else if (result.emptyFirstFieldLine)
    message = textFile + " line " + std::to_string(result.emptyFirstFieldLine) + ": no prefix";
  else if (result.failedLine)
    message = textFile + " line " + std::to_string(result.failedLine) + ": record not stored";
  else if (closed != 0)
    message = "cannot write " + database + ": " + dbResultText(closed);
  else {
    message = std::to_string(result.stored) + " island groups from " + textFile;
    return true;
  }
  return false;
}

}  // namespace iotatext
