#include "console_flags.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace kcli {

const char* const kConsoleFlagsHelp =
    "--yes, --no      answer every question so\n"
    "--answer N=WORD  answer message N with yes, no, ok, cancel, retry, ignore or abort\n"
    "--quiet          show only questions and errors";

namespace {

int buttonOf(const char* word) {
  static const struct {
    const char* word;
    int button;
  } words[] = {{"yes", IDYES},     {"no", IDNO},         {"ok", IDOK},      {"cancel", IDCANCEL},
               {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"abort", IDABORT}};
  for (const auto& entry : words)
    if (strcasecmp(entry.word, word) == 0) return entry.button;
  return 0;
}

// "--answer 2=no": message 2's text up to its first value to fill in is what
// a box must start with.
bool takeAnswer(const char* value, kswin::ConsoleHost& host,
                const char* (*messageText)(int number), std::string* problem) {
  const char* equals = std::strchr(value, '=');
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  if (equals == nullptr || end != equals || end == value) {
    *problem = "--answer takes N=WORD, not '" + std::string(value) + "'";
    return false;
  }
  const int button = buttonOf(equals + 1);
  if (button == 0) {
    *problem = "--answer: '" + std::string(equals + 1) + "' is not a button";
    return false;
  }
  const char* text = messageText != nullptr ? messageText(static_cast<int>(number)) : nullptr;
  if (text == nullptr) {
    *problem = "--answer: this command has no message " + std::to_string(number);
    return false;
  }
  std::string start = text;
  start = start.substr(0, start.find('%'));
  if (start.empty()) {
    *problem = "--answer: message " + std::to_string(number) + " cannot be told apart by its text";
    return false;
  }
  host.setAnswerFor(start, button);
  return true;
}

}  // namespace

bool takeConsoleFlags(std::vector<char*>& args, kswin::ConsoleHost& host,
                      const char* (*messageText)(int number), std::string* problem) {
  std::vector<char*> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const char* arg = args[i];
    if (std::strcmp(arg, "--yes") == 0) {
      host.setStandingAnswer(IDYES);
    } else if (std::strcmp(arg, "--no") == 0) {
      host.setStandingAnswer(IDNO);
    } else if (std::strcmp(arg, "--quiet") == 0) {
      host.setQuiet(true);
    } else if (std::strcmp(arg, "--answer") == 0 || std::strncmp(arg, "--answer=", 9) == 0) {
      const char* value = arg[8] == '=' ? arg + 9 : (i + 1 < args.size() ? args[++i] : nullptr);
      if (value == nullptr) {
        *problem = "--answer needs N=WORD";
        return false;
      }
      if (!takeAnswer(value, host, messageText, problem)) return false;
    } else {
      rest.push_back(args[i]);
    }
  }
  args = std::move(rest);
  return true;
}

}  // namespace kcli
