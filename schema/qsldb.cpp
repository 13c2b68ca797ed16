#include "qsldb.h"

#include "base/fields.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countrytext.h"

namespace qsltext {
namespace {

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

namespace {

countrytext::LineStored storeManager(const std::string& line, DB_TASK* task, int db) {
  const QslManagerRecord record = toQslRecord(parseQslLine(line));
  const int rc = dbRecordCreate(kQslManagerRecordType, &record, task, db);
  if (rc == RECDB_DUPLICATE) return countrytext::LineStored::kSkipped;
  return rc == RECDB_OK ? countrytext::LineStored::kStored : countrytext::LineStored::kRefused;
}

}  // namespace

ImportResult importQslLines(std::FILE* file, DB_TASK* task, int db) {
  return countrytext::importTextLines(
      file, [&](const std::string& line) { return storeManager(line, task, db); });
}

ImportResult importQslFile(const char* path, DB_TASK* task, int db) {
  return countrytext::importTextFile(
      path, [&](const std::string& line) { return storeManager(line, task, db); });
}

bool fillQslDatabase(const std::string& database, const std::string& textFile,
                     std::string& message) {
  return countrytext::fillDatabase(database, textFile, "QSL managers", importQslFile, message);
}

}  // namespace qsltext
