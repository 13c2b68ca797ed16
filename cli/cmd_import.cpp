// kestrel import: runs the import program's window under the console host:
// New or Open of the logbook, then the format's import command, the
// questions answered from the flags, the console text on standard output.
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "console_flags.h"
#include "funct/ksfunct.h"
#include "import/asciiimport.h"
#include "import/program.h"
#include "import/strings.h"
#include "winlayer/host.h"

namespace kcli {
namespace {

struct Format {
  const char* name;
  UINT command;
};
constexpr Format kFormats[] = {
    {"adif", ksimport::menu::kAdif},
    {"ascii", ksimport::menu::kAscii},
    {"ct", ksimport::menu::kCt},
    {"dxbase", ksimport::menu::kDxBase},
    {"dxlog", ksimport::menu::kDxLog},
    {"dxdesktop", ksimport::menu::kDxDesktop},
    {"easydx", ksimport::menu::kEasyDx},
    {"hyperlog", ksimport::menu::kHyperlog},
    {"logmaster", ksimport::menu::kLogMaster},
    {"logplus", ksimport::menu::kLogPlus},
    {"logview", ksimport::menu::kLogView},
    {"secondop", ksimport::menu::kSecondOp},
    {"pakratt", ksimport::menu::kPakRatt},
    {"rtty", ksimport::menu::kRtty},
};

volatile std::sig_atomic_t interruptRequested = 0;

// The first Ctrl-C or SIGTERM presses Cancel (what was stored is kept and
// the count told); a second one ends the program at once.
void onInterrupt(int signal) {
  interruptRequested = 1;
  std::signal(signal, SIG_DFL);
}

const char* messageText(int number) {
  const char* text = ksimport::message(number);
  return text[0] != '\0' ? text : nullptr;
}

// The start of message `number`, as the console host matches boxes.
std::string questionOf(int number) {
  std::string text = ksimport::message(number);
  return text.substr(0, text.find('%'));
}

int fail(const char* text, const std::string& subject = "") {
  std::fprintf(stderr, "kestrel import: %s%s\n", text, subject.c_str());
  return kFailed;
}

// Flags that take a value, and the value given ("" when absent).
struct ValueFlag {
  const char* name;
  std::string value;
};

std::string& flagValue(std::vector<ValueFlag>& flags, const char* name) {
  for (ValueFlag& flag : flags)
    if (std::strcmp(flag.name, name) == 0) return flag.value;
  return flags.front().value;
}

// The ASCII file's field dialog answered from --columns and --date-order.
// Empty when it can be, else what is wrong.
std::string answerAsciiDialog(kswin::ConsoleHost& host, const std::string& columnList,
                              const std::string& order) {
  if (columnList.empty()) return "ascii needs --columns";
  std::vector<int> chosen;
  const auto names = ksimport::asciiColumnNames();
  size_t start = 0;
  while (start <= columnList.size()) {
    size_t end = columnList.find(',', start);
    if (end == std::string::npos) end = columnList.size();
    std::string name = columnList.substr(start, end - start);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    int found = -1;
    for (size_t i = 0; i < names.size(); ++i)
      if (strcasecmp(names[i], name.c_str()) == 0) found = static_cast<int>(i);
    if (found < 0) return "no column '" + name + "' (see kestrel import --help)";
    chosen.push_back(found);
    start = end + 1;
  }
  int button = 0;
  if (order == "dmy") button = 207;
  else if (order == "ymd") button = 208;
  else if (order == "mdy") button = 206;
  else if (!order.empty()) return "--date-order is mdy, dmy or ymd";
  host.onDialog("ASCIIFILE", [chosen, button](HWND dialog) {
    for (int index : chosen) {
      kswin::selectItem(dialog, 200, index);
      kswin::press(dialog, 202);
    }
    if (button != 0) kswin::press(dialog, button);
    kswin::press(dialog, IDOK);
  });
  return "";
}

}  // namespace

// The foreign formats' flags and dialogs (cmd_import_foreign.cpp).
bool takeForeignImportFlags(std::vector<char*>& args, kswin::ConsoleHost& host,
                            std::string* problem);

int runImport(std::span<char*> given) {
  const Command& self = *findCommand("import");
  kswin::ConsoleHost host(stderr, stdin);
  std::vector<char*> args(given.begin(), given.end());
  std::string problem;
  const bool yesGiven = std::any_of(args.begin(), args.end(),
                                    [](const char* arg) { return std::strcmp(arg, "--yes") == 0; });
  if (!takeConsoleFlags(args, host, messageText, &problem))
    return usageError(self, problem.c_str());
  if (!takeForeignImportFlags(args, host, &problem)) return usageError(self, problem.c_str());

  bool isNew = false, report = false, tag = false;
  std::vector<const char*> words;
  std::vector<ValueFlag> values = {{"--columns", ""}, {"--date-order", ""}};
  for (size_t i = 0; i < args.size(); ++i) {
    char* arg = args[i];
    auto valued = std::find_if(values.begin(), values.end(),
                               [&](const ValueFlag& flag) { return std::strcmp(flag.name, arg) == 0; });
    if (valued != values.end()) {
      if (i + 1 == args.size()) return usageError(self, (std::string(arg) + " needs a value").c_str());
      valued->value = args[++i];
    } else if (std::strcmp(arg, "--new") == 0)
      isNew = true;
    else if (std::strcmp(arg, "--report") == 0)
      report = true;
    else if (std::strcmp(arg, "--tag") == 0)
      tag = true;
    else if (arg[0] == '-' && arg[1] != '\0')
      return usageError(self, ("unknown flag " + std::string(arg)).c_str());
    else
      words.push_back(arg);
  }
  if (words.size() != 3) return usageError(self, "needs FORMAT, LOGBOOK and FILE");
  const Format* format = nullptr;
  for (const Format& candidate : kFormats)
    if (std::strcmp(candidate.name, words[0]) == 0) format = &candidate;
  if (format == nullptr)
    return usageError(self, ("no format '" + std::string(words[0]) + "'").c_str());
  if (format->command == ksimport::menu::kAscii) {
    problem =
        answerAsciiDialog(host, flagValue(values, "--columns"), flagValue(values, "--date-order"));
    if (!problem.empty()) return usageError(self, problem.c_str());
  }

  // A logbook that is not there yet is made, in a directory that is.
  const std::string logbook = words[1], file = words[2];
  const std::filesystem::path directory = std::filesystem::path(logbook).parent_path();
  std::error_code error;
  if (!directory.empty() && !std::filesystem::is_directory(directory, error))
    return fail("the logbook's directory does not exist: ", directory.string());
  if (!FileExists((logbook + ".DAT").c_str()) && !FileExists(logbook.c_str())) isNew = true;

  // The two questions of the import take their flags; the rest are
  // answered by --yes, --no, --answer or on the terminal.
  host.setAnswerFor(questionOf(123), report ? IDYES : IDNO);
  host.setAnswerFor(questionOf(77), tag ? IDYES : IDNO);
  // Without a terminal to ask on, the report is shown only when asked for.
  if (!yesGiven && !isatty(STDIN_FILENO)) host.setAnswerFor(questionOf(48), IDNO);
  host.queueFile(logbook);
  host.queueFile(file);
  kswin::ScopedHost scoped(host);

  ksimport::ProgramOptions options;
  options.consoleCopy = [](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  };
  options.interrupted = [] { return interruptRequested != 0; };
  HWND window = ksimport::startImportProgram(options);
  if (window == nullptr) return kFailed;

  interruptRequested = 0;
  auto previous = std::signal(SIGINT, onInterrupt);
  auto previousTerm = std::signal(SIGTERM, onInterrupt);
  int status = kOk;
  kswin::chooseMenuItem(window, isNew ? ksimport::menu::kNewLogbook : ksimport::menu::kOpenLogbook);
  if (ksimport::openLogbookPath().empty()) {
    status = fail("the logbook was not opened: ", logbook);
  } else {
    kswin::chooseMenuItem(window, format->command);
    switch (ksimport::lastImportEnd()) {
      case ksimport::ImportEnd::Completed: break;
      case ksimport::ImportEnd::Cancelled:
        status = fail("cancelled; the contacts read so far are stored");
        break;
      case ksimport::ImportEnd::Failed: status = fail("the import ended on an error"); break;
      case ksimport::ImportEnd::NotStarted: status = kFailed; break;
    }
  }
  SendMessage(window, WM_CLOSE, 0, 0);
  ksimport::runImportProgram();
  std::signal(SIGINT, previous);
  std::signal(SIGTERM, previousTerm);
  return status;
}

}  // namespace kcli
