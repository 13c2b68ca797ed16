#include "countrydb.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "recdb/recdb.h"

namespace countrytext {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::FILE* openTextFile(const char* path) {
  File file(std::fopen(path, "rb"));
  if (!file) return nullptr;
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
  return file.release();
}

ImportResult importTextFile(const char* path,
                            const std::function<LineStored(const std::string& line)>& store) {
  File file(openTextFile(path));
  if (!file) return ImportResult{};
  return importTextLines(file.get(), store);
}

ImportResult importTextLines(std::FILE* file,
                             const std::function<LineStored(const std::string& line)>& store) {
  ImportResult result;
  result.opened = true;
  LineReader lines(file);
  while (const auto line = lines.next()) {
    if (isBlankLine(*line)) continue;
    const LineStored stored = store(*line);
    if (stored == LineStored::kEmptyPrefix) {
      result.emptyPrefixLine = lines.lineNumber();
      break;
    }
    if (stored == LineStored::kRefused) {
      result.failedLine = lines.lineNumber();
      break;
    }
    if (stored == LineStored::kSkipped) {
      ++result.skipped;
      continue;
    }
    ++result.stored;
  }
  return result;
}

namespace {

LineStored storeCountry(const std::string& line, DB_TASK* task, int db) {
  const CountryLine country = parseCountryLine(line);
  if (country.prefix.empty()) return LineStored::kEmptyPrefix;
  const CountryRecord record = toRecord(country);
  return dbRecordCreate(kCountryRecordType, &record, task, db) == 0 ? LineStored::kStored
                                                                    : LineStored::kRefused;
}

}  // namespace

ImportResult importCountryLines(std::FILE* file, DB_TASK* task, int db) {
  return importTextLines(file, [&](const std::string& line) { return storeCountry(line, task, db); });
}

ImportResult importCountryFile(const char* path, DB_TASK* task, int db) {
  return importTextFile(path, [&](const std::string& line) {
    const CountryLine country = parseCountryLine(line);
    if (country.prefix.empty()) return LineStored::kEmptyPrefix;
    const CountryRecord record = toRecord(country);
    return dbRecordCreate(kCountryRecordType, &record, task, db) == 0 ? LineStored::kStored
                                                                      : LineStored::kRefused;
  });
}

bool fillDatabase(const std::string& database, const std::string& textFile, const char* what,
                  const std::function<ImportResult(const char* path, DB_TASK* task, int db)>& import,
                  std::string& message) {
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != 0) {
    message = "cannot make a database task";
    return false;
  }
  ImportResult result;
  const int opened = dbOpen(database.c_str(), "o", task);
  // Bulk work: batched, committed at the close.
  if (opened == 0 && dbBulkBegin(task, 0) == 0) result = import(textFile.c_str(), task, 0);
  const int closed = dbCloseTask(task);  // commits what was stored
  if (opened != 0) {
    message = "cannot open " + database + ": " + dbResultText(opened);
  } else if (!result.opened) {
    message = "cannot read " + textFile;
  } else if (result.emptyPrefixLine) {
    message = textFile + " line " + std::to_string(result.emptyPrefixLine) + ": no prefix";
  } else if (result.failedLine) {
    message = textFile + " line " + std::to_string(result.failedLine) + ": record not stored";
  } else if (closed != 0) {
    message = "cannot write " + database + ": " + dbResultText(closed);
  } else {
    message = std::to_string(result.stored) + " " + what + " from " + textFile;
    return true;
  }
  return false;
}

bool fillCountryDatabase(const std::string& database, const std::string& textFile,
                         std::string& message) {
  return fillDatabase(database, textFile, "countries", importCountryFile, message);
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
