// The import program's commands for the foreign loggers' files.
#ifndef KESTREL_IMPORT_FOREIGNMENU_H
#define KESTREL_IMPORT_FOREIGNMENU_H

#include "winlayer/wintypes.h"

namespace ksimport::app {

// Runs menu command `id` when it is one of the foreign formats' imports
// (the open logbook is assumed); false for any other command.
bool runForeignCommand(UINT id);

}  // namespace ksimport::app

#endif
