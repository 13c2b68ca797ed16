// Import of an ADIF file into the open logbook (database 0 of the task).
#ifndef KESTREL_IMPORT_ADIFIMPORT_H
#define KESTREL_IMPORT_ADIFIMPORT_H

#include <string>

#include "import/adifrecord.h"
#include "recdb/dbengine.h"
#include "import/session.h"

namespace ksimport {

// How an import ended. Failed: a database error stopped it, or the file
// could not be read to its end (what was read is stored all the same).
enum class ImportEnd { Completed, Cancelled, Failed, NotStarted };

// Imports the file at `path`: every record through the completion path of
// the session, with the frame's progress dialog and console. `settings`
// gives the date format and UTC offset; the tagging answer is asked.
ImportEnd importAdif(HWND window, DB_TASK* task, ImportFrame& frame, RecordServices& services,
                     AdifSettings settings, const std::string& path);

}  // namespace ksimport

#endif
