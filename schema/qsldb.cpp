#include "qsldb.h"

#include <memory>

#include "base/fields.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countrytext.h"

namespace qsltext {
namespace {

struct Closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void appendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '"' || c == '^') out.push_back('^');
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace

QslLine parseQslLine(std::string_view line) {
  countrytext::FieldTokenizer fields(line);
  QslLine out;
  out.call = fields.next(kCallWidth);
  out.via = fields.next(kCallWidth);
  out.name = fields.next(kTextWidth);
  out.address1 = fields.next(kTextWidth);
  out.address2 = fields.next(kTextWidth);
  out.address3 = fields.next(kTextWidth);
  out.comment = fields.next(kCommentWidth);
  return out;
}

std::string formatQslLine(const QslLine& line) {
  std::string out;
  bool first = true;
  for (const std::string* text : {&line.call, &line.via, &line.name, &line.address1,
                                  &line.address2, &line.address3, &line.comment}) {
    if (!first) out.push_back(',');
    first = false;
    appendQuoted(out, *text);
  }
  return out + "\r\n";
}

QslManagerRecord toQslRecord(const QslLine& line) {
  QslManagerRecord r{};
  ksbase::putField(r.call, line.call);
  ksbase::putField(r.via, line.via);
  ksbase::putField(r.name, line.name);
  ksbase::putField(r.address1, line.address1);
  ksbase::putField(r.address2, line.address2);
  ksbase::putField(r.address3, line.address3);
  ksbase::putField(r.comment, line.comment);
  return r;
}

QslLine fromQslRecord(const QslManagerRecord& r) {
  return {ksbase::fieldText(r.call),     ksbase::fieldText(r.via),
          ksbase::fieldText(r.name),     ksbase::fieldText(r.address1),
          ksbase::fieldText(r.address2), ksbase::fieldText(r.address3),
          ksbase::fieldText(r.comment)};
}

ImportResult importQslLines(std::FILE* file, DB_TASK* task, int db) {
  ImportResult result;
  result.opened = true;
  countrytext::LineReader lines(file);
  while (const auto line = lines.next()) {
    if (countrytext::isBlankLine(*line)) continue;
    const QslManagerRecord record = toQslRecord(parseQslLine(*line));
    const int rc = dbRecordCreate(kQslManagerRecordType, &record, task, db);
    if (rc == RECDB_DUPLICATE) {
      ++result.skipped;
      continue;
    }
    if (rc != RECDB_OK) {
      result.failedLine = lines.lineNumber();
      break;
    }
    ++result.stored;
  }
  return result;
}

bool fillQslDatabase(const std::string& database, const std::string& textFile,
                     std::string& message) {
  std::unique_ptr<std::FILE, Closer> file(countrytext::openTextFile(textFile.c_str()));
  if (!file) {
    message = "cannot read " + textFile;
    return false;
  }
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != 0) {
    message = "cannot make a database task";
    return false;
  }
  ImportResult result;
  const int opened = dbOpen(database.c_str(), "o", task);
  // Bulk work: batched, committed at the close.
  if (opened == 0 && dbBulkBegin(task, 0) == 0) result = importQslLines(file.get(), task, 0);
  const int closed = dbCloseTask(task);
  if (opened != 0)
    message = "cannot open " + database + ": " + dbResultText(opened);
  else if (result.failedLine)
    message = textFile + " line " + std::to_string(result.failedLine) + ": record not stored";
  else if (closed != 0)
    message = "cannot write " + database + ": " + dbResultText(closed);
  else {
    message = std::to_string(result.stored) + " QSL managers from " + textFile;
    return true;
  }
  return false;
}

}  // namespace qsltext
