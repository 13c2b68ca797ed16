// kestrel qslmgr: the QSL manager editor (ksqslmgr) under the console host.
#include "commands.h"
#include "editor_driver.h"
#include "editors/strings.h"

namespace kcli {

int runQslmgr(std::span<char*> args) {
  const char* (*messages)(int) = [](int id) -> const char* {
    const char* text = kseditor::qslMessage(id);
    return text[0] != '\0' ? text : nullptr;
  };
  return runEditorCommand(*findCommand("qslmgr"), kseditor::qslEditor(), messages, args);
}

}  // namespace kcli
