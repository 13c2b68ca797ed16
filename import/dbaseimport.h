// Import of the dBASE logs of DXLog, DX Desktop, LogPlus! and Q6QB 2nd Op.
#ifndef KESTREL_IMPORT_DBASEIMPORT_H
#define KESTREL_IMPORT_DBASEIMPORT_H

#include <string>

#include "import/dbaselayout.h"
#include "import/importers.h"

namespace ksimport {

// Reads every record of the table at `path` by the format's layout (deleted
// records are skipped and counted) and hands each contact to the completion
// path. A table that cannot be read, or that lacks the format's fields, is
// refused before anything is stored.
ImportEnd importDbase(ImportContext& context, DbaseFormat format, const std::string& path);

ImportEnd importDxLog(ImportContext& context, const std::string& path);
ImportEnd importDxDesktop(ImportContext& context, const std::string& path);
ImportEnd importLogPlus(ImportContext& context, const std::string& path);
ImportEnd importSecondOp(ImportContext& context, const std::string& path);

}  // namespace ksimport

#endif
