// kestrel country: the country editor (atlasw) under the console host.
#include "commands.h"
#include "editor_driver.h"
#include "editors/strings.h"

namespace kcli {

int runCountry(std::span<char*> args) {
  const char* (*messages)(int) = [](int id) -> const char* {
    const char* text = kseditor::atlasMessage(id);
    return text[0] != '\0' ? text : nullptr;
  };
  return runEditorCommand(*findCommand("country"), kseditor::countryEditor(), messages, args);
}

}  // namespace kcli
