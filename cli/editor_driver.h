// kestrel country, kestrel iota and kestrel qslmgr: one driver for the
// three reference database editors, each run under the console host.
#ifndef KESTREL_CLI_EDITOR_DRIVER_H
#define KESTREL_CLI_EDITOR_DRIVER_H

#include <span>

#include "commands.h"
#include "editors/editor.h"

namespace kcli {

// The actions every editor command takes, for its help text.
extern const char* const kEditorActions;

int runEditorCommand(const Command& self, const kseditor::Kind& kind,
                     const char* (*messageText)(int number), std::span<char*> args);

}  // namespace kcli

#endif
