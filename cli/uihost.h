// The host a window program of the command line runs under, as chosen by
// its flags, KESTREL_UI and the display: the desktop's when that is built
// in, else the headless one or the console.
#ifndef KESTREL_CLI_UIHOST_H
#define KESTREL_CLI_UIHOST_H

#include <memory>

#include "winlayer/host.h"

namespace kcli {

// Whether the desktop host is built into this program.
bool haveDesktopHost();

// `program` names the caller in the note printed when the desktop was
// asked for and is not built in.
std::unique_ptr<kswin::UiHost> makeUiHost(kswin::UiKind kind, const char* program);

}  // namespace kcli

#endif
