// The QSL manager database's text form and its import: seven fields a line
// (call sign, QSL via, name, three address lines, comment), as the QSL
// manager editor exports and imports it and as the shipped manager list in
// data/ is written. `kestrel setup` fills "QSLMGR" with it.
#ifndef KESTREL_SCHEMA_QSLDB_H
#define KESTREL_SCHEMA_QSLDB_H

#include <cstdio>
#include <string>
#include <string_view>

#include "recdb/dbengine.h"
#include "schema/countrydb.h"
#include "schema/logschema.h"

namespace qsltext {

// Characters an import keeps of each field: what the record holds.
inline constexpr std::size_t kCallWidth = sizeof(QslManagerRecord::call) - 1;
inline constexpr std::size_t kTextWidth = sizeof(QslManagerRecord::name) - 1;
inline constexpr std::size_t kCommentWidth = sizeof(QslManagerRecord::comment) - 1;

struct QslLine {
  std::string call, via, name, address1, address2, address3, comment;
};

QslLine parseQslLine(std::string_view line);
// The export line: every field quoted (a quote or "^" inside behind "^"),
// comma-separated, ending in CR LF.
std::string formatQslLine(const QslLine& line);
QslManagerRecord toQslRecord(const QslLine& line);
QslLine fromQslRecord(const QslManagerRecord& record);

using countrytext::ImportResult;

// Creates one record in database `db` for each line of the file; blank
// lines are passed over, a call sign already stored skips its line
// (counted in `skipped`), any other refusal of the engine stops the import
// after the records so far. No field is required.
ImportResult importQslLines(std::FILE* file, DB_TASK* task, int db);
ImportResult importQslFile(const char* path, DB_TASK* task, int db);

// Fills the (empty) QSL manager database `database` (path without
// extension) from `textFile` in a task of its own.
bool fillQslDatabase(const std::string& database, const std::string& textFile,
                     std::string& message);

}  // namespace qsltext

#endif
