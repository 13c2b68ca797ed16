// The county file shipped in data/ ("ST,NAME" a line, '#' starts a comment)
// and the county database made from it.
#ifndef KESTREL_SCHEMA_COUNTYFILE_H
#define KESTREL_SCHEMA_COUNTYFILE_H

#include <istream>
#include <string>
#include <vector>

#include "recdb/dbengine.h"
#include "schema/logschema.h"

namespace ksschema {

// Reads every county of the file. False with `error` naming the line when a
// line is not "ST,NAME" with a two-letter state and a name that fits.
bool parseCountyFile(std::istream& in, std::vector<CountyRecord>& counties, std::string& error);

// Stores the counties of the file at `path` in database `db` of `task`, an
// open, empty county database. False with `error` set when the file cannot
// be read or the engine refuses a record.
bool loadCountyFile(const std::string& path, DB_TASK* task, int db, std::string& error);

// Fills the new, empty county database "USCOUNTY" of the dictionary
// directory `dictDir` from the county file at `countyFile`. False with
// `error` set when it could not.
bool fillCountyDatabase(const std::string& dictDir, const std::string& countyFile,
                        std::string& error);

}  // namespace ksschema

#endif
