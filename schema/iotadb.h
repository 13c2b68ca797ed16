// The IOTA database's text form and its import: the twelve fields of the
// country text form, the eleventh the IOTA number ("EU-005") and the
// twelfth the group flag. `kestrel setup` fills "IOTA" from the shipped
// island list with it, and the IOTA editor's import shares it.
#ifndef KESTREL_SCHEMA_IOTADB_H
#define KESTREL_SCHEMA_IOTADB_H

#include <string>
#include <string_view>

#include "schema/countrydb.h"
#include "schema/countrytext.h"
#include "recdb/dbengine.h"

namespace iotatext {

// Characters an import keeps of the two IOTA fields.
inline constexpr std::size_t kIotaNumberWidth = 7;
inline constexpr std::size_t kGroupWidth = 1;

struct IotaLine {
  countrytext::CountryLine country;
  std::string iotaNumber;  // as read; empty when the field is
  std::string group;
};

IotaLine parseIotaLine(std::string_view line);
// The line as the editor exports it (every field quoted, CR LF).
std::string formatIotaLine(const IotaLine& line);
// The record of a line: an empty IOTA number is stored as "00000" and an
// empty group as "N".
IotaRecord toIotaRecord(const IotaLine& line);

using countrytext::ImportResult;

// Creates one record in database `db` for each line of the file, in file
// order; blank lines are passed over; a line with an empty prefix field, or a
// record the engine refuses, stops the import after the records stored so far.
ImportResult importIotaFile(const char* path, DB_TASK* task, int db);
// The same from a file already open (countrytext::openTextFile).
ImportResult importIotaLines(std::FILE* file, DB_TASK* task, int db);

// The line of a record, for the editor's export.
IotaLine fromIotaRecord(const IotaRecord& record);

// Fills the (empty) IOTA database `database` (path without extension) from
// `textFile` in a task of its own; `message` says what was stored or what
// went wrong.
bool fillIotaDatabase(const std::string& database, const std::string& textFile,
                      std::string& message);

}  // namespace iotatext

#endif
