// kestrel kit: callsign lookups in the KIT licence data set through
// libkitapi32, as the main logbook program makes them.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "kitlookup/kitapi32.h"

namespace kcli {

namespace {

// The layout separates lines by a bare carriage return; a terminal or a
// file wants line feeds.
std::string forPrinting(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '\r') {
      out += '\n';
      if (p[1] == '\n') ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

int runKit(std::span<char*> args) {
  const Command& self = *findCommand("kit");
  std::vector<const char*> calls;
  const char* layout = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (std::strcmp(args[i], "--template") == 0) {
      if (i + 1 >= args.size()) return usageError(self, "--template needs a text");
      layout = args[++i];
    } else if (args[i][0] == '-' && args[i][1] != '\0') {
      return usageError(self, (std::string("unknown option ") + args[i]).c_str());
    } else {
      calls.push_back(args[i]);
    }
  }
  if (calls.empty()) return usageError(self, "give one or more calls");

  int status = kOk;
  std::vector<char> buffer(4096);
  for (std::size_t n = 0; n < calls.size(); ++n) {
    const int result = FindCall(calls[n], buffer.data(), static_cast<int>(buffer.size()), layout);
    if (result == 2 || result == 3) return kFailed;  // the message went to standard error
    if (n > 0) std::printf("\n");
    if (result == 0) {
      std::string text = forPrinting(buffer.data());
      if (text.empty() || text.back() != '\n') text += '\n';
      std::fputs(text.c_str(), stdout);
    } else {
      std::printf("%s: not found\n", calls[n]);
      status = kFailed;
    }
  }
  return status;
}

}  // namespace kcli
