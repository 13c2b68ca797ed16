// kestrel country, kestrel iota and kestrel qslmgr: one driver for the
// three reference database editors: each action runs under the console
// host; without one, on a desktop, the editor opens in its own window.
#ifndef KESTREL_CLI_EDITOR_DRIVER_H
#define KESTREL_CLI_EDITOR_DRIVER_H

#include <span>

#include "commands.h"
#include "editors/editor.h"

namespace kcli {

int runEditorCommand(const Command& self, const kseditor::Kind& kind,
                     const char* (*messageText)(int number), std::span<char*> args);

}  // namespace kcli

#endif
