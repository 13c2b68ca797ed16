// Moves the country database's text form into and out of a country
// database of a task: the import and export of the country editor, and how
// `kestrel setup` fills "COUNTRY" from the shipped list. No window code:
// callers show their own messages from the results.
#ifndef KESTREL_SCHEMA_COUNTRYDB_H
#define KESTREL_SCHEMA_COUNTRYDB_H

#include "schema/countrytext.h"
#include "recdb/dbengine.h"

#include <cstdio>
#include <functional>
#include <string>

namespace countrytext {

struct ImportResult {
  bool opened = false;   // the file could be read
  int stored = 0;        // records created
  int emptyPrefixLine = 0;  // the line (from 1) whose prefix was empty, 0 if none
  int failedLine = 0;    // the line whose record could not be created, 0 if none
  int skipped = 0;       // lines passed over as already stored (kSkipped)
};

// What storing one line of a text form did. kSkipped: the line is passed
// over and the import goes on (a key the database already holds).
enum class LineStored { kStored, kEmptyPrefix, kRefused, kSkipped };

// The import loop every database in the country text form shares: reads the
// file line by line, passes over blank lines and hands each other line to
// `store`; an empty prefix or a refused record stops it after the records
// stored so far.
ImportResult importTextFile(const char* path,
                            const std::function<LineStored(const std::string& line)>& store);
// The same from a file already open (read from where it stands), for a
// caller that must know the file can be read before it empties anything.
ImportResult importTextLines(std::FILE* file,
                             const std::function<LineStored(const std::string& line)>& store);

// Opens a text file for an import: null when it cannot be opened or is not
// a file that can be read (a directory, say).
std::FILE* openTextFile(const char* path);

// Fills the (empty) database `database` (path without extension) from
// `textFile` with `import` in a task of its own and in bulk. On success
// `message` says how many `what` were stored; on failure, what went wrong.
bool fillDatabase(const std::string& database, const std::string& textFile, const char* what,
                  const std::function<ImportResult(const char* path, DB_TASK* task, int db)>& import,
                  std::string& message);

// Creates one record in database `db` for each line of the file, in file
// order. Blank lines are passed over; a line with an empty prefix, or a
// record the engine refuses, stops the import after the records stored so
// far. The caller empties the database first when the file is to replace it.
ImportResult importCountryFile(const char* path, DB_TASK* task, int db);
ImportResult importCountryLines(std::FILE* file, DB_TASK* task, int db);

// Fills the (empty) country database `database` (path without extension)
// from the text file `textFile` in a task of its own. On success `message`
// says how many countries were stored; on failure, what went wrong.
bool fillCountryDatabase(const std::string& database, const std::string& textFile,
                         std::string& message);

struct ExportResult {
  bool created = false;  // the file could be created
  bool complete = false;  // every line and the closing empty line written
  int written = 0;        // records written
};

// Writes every record of database `db` in database order, one line each,
// then one empty line.
ExportResult exportCountryFile(const char* path, DB_TASK* task, int db);

}  // namespace countrytext

#endif
