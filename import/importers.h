// The importers of files other than ADIF, by the menu command that starts
// them, and what each needs from the program around it.
#ifndef KESTREL_IMPORT_IMPORTERS_H
#define KESTREL_IMPORT_IMPORTERS_H

#include <string>

#include "import/adifimport.h"
#include "import/adifrecord.h"
#include "import/session.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "winlayer/wintypes.h"

namespace ksimport {

struct ImportContext {
  HWND window = nullptr;
  DB_TASK* task = nullptr;  // the logbook as database 0, countries 1, counties 2
  ImportFrame* frame = nullptr;
  RecordServices* services = nullptr;
  int dateFormat = 0;   // "DateFormat"
  int hourOffset = 0;   // local time to UTC
  std::string powerLevel;  // "PowerLevel"
};

// Imports the chosen file; its questions and dialogs are the importer's.
using ImportFunction = ImportEnd (*)(ImportContext& context, const std::string& path);

// The importer of menu command `id`; null when that format is not there.
ImportFunction importerFor(UINT id);

// ---- Shared by the importers ----

// The file must be there (message 12) and a readable regular file
// (message 16); false when it is not, the message shown.
bool checkInputFile(HWND window, const std::string& path);

// The logbook's header record, to be written back when the import ends.
bool readLogHeader(DB_TASK* task, LogHeader& header);

// Message `id` (of the import's string table) with its one "%ld" filled.
std::string messageWithNumber(int id, long number);

}  // namespace ksimport

#endif
