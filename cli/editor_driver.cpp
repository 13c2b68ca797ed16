// Drives an editor as a person would: types into its form, chooses its
// menu commands, answers its dialogs from the command line's flags; the
// boxes it shows go to standard error, what it found or lists to standard
// output.
#include "editor_driver.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "console_flags.h"
#include "uihost.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace kcli {

namespace {

struct Action {
  std::string name;
  std::vector<std::string> words;
  bool append = false;
};

// The start of message `number` up to its first value to fill in, as the
// console host matches boxes.
std::string questionOf(const char* (*messageText)(int), int number) {
  std::string text = messageText(number);
  return text.substr(0, text.find('%'));
}

void typeField(int index, const std::string& value) {
  HWND field = kseditor::fieldWindow(index);
  SetWindowText(field, "");
  kswin::typeInto(field, value);
}

bool run(const Action& action, HWND window, int key) {
  using namespace kseditor;
  const auto& form = fields();
  const auto choose = [&](UINT command) {
    kswin::chooseMenuItem(window, command);
    return lastOutcome() == Outcome::Done;
  };
  if (action.name == "find") {
    typeField(key, action.words[0]);
    if (!choose(cmd::kFind)) return false;
    for (std::size_t i = 0; i < form.size(); ++i)
      std::printf("%s: %s\n", form[i].label, fieldValue(static_cast<int>(i)).c_str());
    return true;
  }
  if (action.name == "save") {
    std::vector<std::pair<int, std::string>> values;
    std::string keyValue;
    for (const std::string& word : action.words) {
      const std::size_t equals = word.find('=');
      const int index = fieldIndex(word.substr(0, equals));
      values.emplace_back(index, word.substr(equals + 1));
      if (index == key) keyValue = values.back().second;
    }
    // The record as it stands, when there is one, then the changes.
    typeField(key, keyValue);
    loadRecord(fieldValue(key));
    for (const auto& [index, value] : values) typeField(index, value);
    return choose(cmd::kSave);
  }
  if (action.name == "delete") {
    typeField(key, action.words[0]);
    return choose(cmd::kDelete);
  }
  if (action.name == "import") return choose(cmd::kImport);
  if (action.name == "export") return choose(cmd::kExport);
  if (action.name == "print") return choose(cmd::kPrinterSetup) && choose(cmd::kPrint);
  for (const std::string& line : listLines()) std::printf("%s\n", line.c_str());
  return true;
}

}  // namespace

int runEditorCommand(const Command& self, const kseditor::Kind& kind,
                     const char* (*messageText)(int), std::span<char*> given) {
  kswin::ConsoleHost host(stderr, stdin);
  std::vector<char*> args(given.begin(), given.end());
  const kswin::UiKind ui = kswin::chooseUi(args);
  std::string problem;
  if (!takeConsoleFlags(args, host, messageText, &problem)) return usageError(self, problem.c_str());
  Action action;
  for (char* arg : args) {
    if (std::strcmp(arg, "--append") == 0)
      action.append = true;
    else if (arg[0] == '-' && arg[1] != '\0')
      return usageError(self, ("unknown flag " + std::string(arg)).c_str());
    else if (action.name.empty())
      action.name = arg;
    else
      action.words.emplace_back(arg);
  }
  const struct {
    const char* name;
    std::size_t words;  // 0: any number, at least one
  } kActions[] = {{"find", 1}, {"save", 0}, {"delete", 1}, {"import", 1},
                  {"export", 1}, {"print", 1}, {"list", 99}};
  const auto isAction = [&](const std::string& name) {
    for (const auto& a : kActions)
      if (name == a.name) return true;
    return false;
  };
  // On a desktop, without an action: the editor in a window of its own,
  // until the user closes it ("ksqslmgr CALL" looks the call up first).
  if (ui == kswin::UiKind::qt && haveDesktopHost() && action.words.empty() &&
      (action.name.empty() || (kseditor::hasDataTable(kind) && !isAction(action.name)))) {
    const std::unique_ptr<kswin::UiHost> desktop = makeUiHost(ui, self.name);
    kswin::ScopedHost scoped(*desktop);
    if (kseditor::startEditor(kind, action.name) == nullptr) return kFailed;
    return kseditor::runEditor() == 0 ? kOk : kFailed;
  }
  // "ksqslmgr CALL": the editor started with a call sign on its command
  // line, which it looks up silently.
  if (kseditor::hasDataTable(kind) && !action.name.empty() && action.words.empty() &&
      action.name.find('=') == std::string::npos) {
    if (!isAction(action.name)) {
      kswin::ScopedHost scoped(host);
      HWND window = kseditor::startEditor(kind, action.name);
      if (window == nullptr) return kFailed;
      const auto& form = kseditor::fields();
      for (std::size_t i = 0; i < form.size(); ++i)
        std::printf("%s: %s\n", form[i].label, kseditor::fieldValue(static_cast<int>(i)).c_str());
      kswin::chooseMenuItem(window, kseditor::cmd::kExit);
      kseditor::runEditor();
      return kOk;
    }
  }
  bool known = false;
  for (const auto& a : kActions) {
    if (action.name != a.name) continue;
    known = true;
    const bool fits = a.words == 99 ? action.words.empty()
                      : a.words == 0 ? !action.words.empty()
                                     : action.words.size() == a.words;
    if (!fits) return usageError(self, ("wrong number of arguments for " + action.name).c_str());
  }
  if (!known)
    return usageError(self, action.name.empty() ? "needs an action"
                                                : ("no action '" + action.name + "'").c_str());
  if (action.append && (action.name != "import" || !kseditor::hasDataTable(kind)))
    return usageError(self, "--append is for an import of QSL managers");

  // The question of the QSL manager's import: empty the database first?
  if (kseditor::hasDataTable(kind)) host.setAnswerFor(questionOf(messageText, 21), action.append ? IDNO : IDYES);
  if (action.name == "import" || action.name == "export") host.queueFile(action.words[0]);
  if (action.name == "print") host.setPrintFile(action.words[0]);
  kswin::ScopedHost scoped(host);

  HWND window = kseditor::startEditor(kind);
  if (window == nullptr) return kFailed;
  if (action.name == "save") {
    for (const std::string& word : action.words) {
      const std::size_t equals = word.find('=');
      if (equals == std::string::npos || kseditor::fieldIndex(word.substr(0, equals)) < 0) {
        std::string names;
        for (const auto& f : kseditor::fields()) names += std::string(" ") + f.name;
        kswin::chooseMenuItem(window, kseditor::cmd::kExit);
        kseditor::runEditor();
        return usageError(self, ("save takes FIELD=VALUE with FIELD one of" + names).c_str());
      }
    }
  }
  const bool ok = run(action, window, kseditor::keyFieldOf(kind));
  if (kseditor::editorWindow() != nullptr) kswin::chooseMenuItem(window, kseditor::cmd::kExit);
  kseditor::runEditor();
  return ok ? kOk : kFailed;
}

}  // namespace kcli
