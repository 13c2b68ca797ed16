// The flags every command that drives the suite's windows shares: how the
// questions its message boxes ask are answered, and how much it says.
#ifndef KESTREL_CLI_CONSOLE_FLAGS_H
#define KESTREL_CLI_CONSOLE_FLAGS_H

#include <string>
#include <vector>

#include "winlayer/host.h"

namespace kcli {

// The help text of the flags, for a command's details.
extern const char* const kConsoleFlagsHelp;

// Takes the console flags out of `args` (the rest keep their order) and sets
// up `host` with them:
//   --yes, --no        answer every question so (when the box has that button)
//   --answer N=WORD    answer message N of the command's messages with WORD
//                      (yes, no, ok, cancel, retry, ignore, abort)
//   --quiet            show only questions and errors
// `messageText` gives the text of message N (null when the command has no
// numbered messages). Returns false with `problem` set for a bad flag.
bool takeConsoleFlags(std::vector<char*>& args, kswin::ConsoleHost& host,
                      const char* (*messageText)(int number), std::string* problem);

}  // namespace kcli

#endif
