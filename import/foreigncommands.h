// The import commands of the foreign loggers' and contest programs' files,
// in the form of the import program's table of importers.
#ifndef KESTREL_IMPORT_FOREIGNCOMMANDS_H
#define KESTREL_IMPORT_FOREIGNCOMMANDS_H

#include <string>

#include "importers.h"

namespace ksimport {

ImportEnd importCt(ImportContext& context, const std::string& path);
ImportEnd importDxBase(ImportContext& context, const std::string& path);
ImportEnd importEasyDx(ImportContext& context, const std::string& path);
ImportEnd importLogView(ImportContext& context, const std::string& path);
ImportEnd importLogMaster(ImportContext& context, const std::string& path);
ImportEnd importHyperLog(ImportContext& context, const std::string& path);
ImportEnd importPakRatt(ImportContext& context, const std::string& path);
ImportEnd importRtty(ImportContext& context, const std::string& path);

}  // namespace ksimport

#endif
