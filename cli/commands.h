// The subcommands of the kestrel front end. Each lives in a cmd_*.cpp of
// its subject and is listed once in the table of commands.cpp.
#ifndef KESTREL_CLI_COMMANDS_H
#define KESTREL_CLI_COMMANDS_H

#include <span>
#include <string>

namespace kcli {

struct Command {
  const char* name;
  const char* usage;    // arguments after the name, for the help text
  const char* summary;  // one line
  const char* details;  // further lines of `kestrel help NAME`, may be empty
  int (*run)(std::span<char*> args);  // args after the name; returns the exit status
};

std::span<const Command> commands();

// Exit statuses shared by every subcommand.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// Prints "kestrel NAME: usage: ..." to standard error and returns kUsage.
int usageError(const Command& command, const char* problem);
const Command* findCommand(const char* name);

// A date the user typed as YYYY-MM-DD in the log's USA form (MM-DD-YY);
// any other text comes back unchanged. `outOfRange` is set when it is an
// ISO date whose year lies outside 1945-2044, which the log cannot hold.
std::string logDate(const std::string& text, bool* outOfRange = nullptr);

// The main program's answer to message 1101 (sent before tagging): the date
// format of "KESTREL.INI" in the low half, the UTC offset in the high half.
long tagSettingsAnswer();

}  // namespace kcli

#endif
