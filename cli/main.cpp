// kestrel: the suite's command line. Dispatches to the subcommands of
// commands.cpp; `kestrel help NAME` tells what one does.
#include <cstdio>
#include <cstring>
#include <span>

#include "commands.h"

namespace {

[[maybe_unused]] void printOverview(std::FILE* out) {
  std::fprintf(out,
               "usage: kestrel COMMAND [ARGS...]\n"
               "       kestrel help COMMAND\n\n"
               "The Kestrel logbook companion suite: import contacts, resolve calls to\n"
               "countries and zones, and track award progress.\n\n"
               "Commands:\n");
  for (const kcli::Command& command : kcli::commands())
    std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
  std::fprintf(out, "\nkestrel --version shows the version.\n");
}

void printCommandHelp(const kcli::Command& command) {
  std::printf("usage: kestrel %s %s\n\n%s.\n", command.name, command.usage, command.summary);
  if (command.details[0] != '\0') std::printf("\n%s\n", command.details);
}

bool isHelpFlag(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

}  // namespace

#ifdef KESTREL_ONE_COMMAND
// A program of the suite that is one command of kestrel under its own name.
int main(int argc, char** argv) {
  const kcli::Command& command = *kcli::findCommand(KESTREL_ONE_COMMAND);
  std::span<char*> args(argv + 1, static_cast<size_t>(argc - 1));
  for (char* arg : args) {
    if (isHelpFlag(arg)) {
      std::printf("(the same as kestrel %s)\n", command.name);
      printCommandHelp(command);
      return kcli::kOk;
    }
  }
  return command.run(args);
}
#else
int main(int argc, char** argv) {
  if (argc < 2) {
    printOverview(stderr);
    return kcli::kUsage;
  }
  const char* name = argv[1];
  if (isHelpFlag(name) || std::strcmp(name, "help") == 0) {
    if (argc > 2) {
      const kcli::Command* command = kcli::findCommand(argv[2]);
      if (command == nullptr) {
        std::fprintf(stderr, "kestrel: no command '%s'\n", argv[2]);
        return kcli::kUsage;
      }
      printCommandHelp(*command);
      return kcli::kOk;
    }
    printOverview(stdout);
    return kcli::kOk;
  }
  if (std::strcmp(name, "--version") == 0) {
    std::printf("kestrel 1.9\n");
    return kcli::kOk;
  }
  const kcli::Command* command = kcli::findCommand(name);
  if (command == nullptr) {
    std::fprintf(stderr, "kestrel: no command '%s' (kestrel --help lists them)\n", name);
    return kcli::kUsage;
  }
  std::span<char*> args(argv + 2, static_cast<size_t>(argc - 2));
  for (char* arg : args) {
    if (isHelpFlag(arg)) {
      printCommandHelp(*command);
      return kcli::kOk;
    }
  }
  return command->run(args);
}
#endif
