// kestrel callbook: looks licence holders up in a callbook CD's data set
// through the callbook library, as the main program does.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "callbook/cbx32.h"
#include "commands.h"

namespace kcli {
namespace {

struct Kind {
  const char* name;
  int type;
  size_t least, most;  // how many texts it takes
};
constexpr Kind kKinds[] = {
    {"call", CBX_SEARCH_CALL, 1, 1},  {"name", CBX_SEARCH_NAME, 1, 2},
    {"city", CBX_SEARCH_CITY, 1, 2},  {"zip", CBX_SEARCH_ZIP, 1, 2},
    {"street", CBX_SEARCH_STREET, 3, 3},
};

// The library's texts end lines with CR LF; a terminal wants LF.
void print(const char* text) {
  std::string shown;
  for (const char* c = text; *c; ++c)
    if (*c != '\r') shown += *c;
  while (!shown.empty() && shown.back() == '\n') shown.pop_back();
  std::printf("%s\n", shown.c_str());
}

bool number(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int runCallbook(std::span<char*> args) {
  const Command& self = *findCommand("callbook");
  if (args.empty()) return usageError(self, "say what to search: call, name, city, zip or street");
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (std::strcmp(args[0], k.name) == 0) kind = &k;
  if (!kind) return usageError(self, (std::string("no search '") + args[0] + "'").c_str());

  std::vector<const char*> texts;
  long format = 4, further = 0;
  bool count = false, email = false;
  char drive[3] = "C:";
  for (size_t i = 1; i < args.size(); ++i) {
    const char* arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (std::strcmp(arg, "--format") == 0) {
      if (!hasValue || !number(args[++i], 1, 6, format)) return usageError(self, "--format takes 1 to 6");
    } else if (std::strcmp(arg, "--next") == 0) {
      if (!hasValue || !number(args[++i], 0, 1000000, further))
        return usageError(self, "--next takes a number of records");
    } else if (std::strcmp(arg, "--drive") == 0) {
      if (!hasValue || std::strlen(args[i + 1]) < 1 ||
          !std::isalpha(static_cast<unsigned char>(args[i + 1][0])))
        return usageError(self, "--drive takes a drive letter");
      drive[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(args[++i][0])));
    } else if (std::strcmp(arg, "--count") == 0) {
      count = true;
    } else if (std::strcmp(arg, "--email") == 0) {
      email = true;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usageError(self, (std::string("unknown option ") + arg).c_str());
    } else {
      texts.push_back(arg);
    }
  }
  if (texts.size() < kind->least || texts.size() > kind->most) {
    const std::string problem = std::string(kind->name) + " takes " +
                                (kind->least == kind->most ? std::to_string(kind->least)
                                                           : std::to_string(kind->least) + " or " +
                                                                 std::to_string(kind->most)) +
                                (kind->most == 1 ? " text" : " texts");
    return usageError(self, problem.c_str());
  }
  texts.resize(3, nullptr);

  if (CBXInit(drive) == 0) {
    std::fprintf(stderr,
                 "kestrel callbook: no callbook data set (\\callbk\\callbkc.idx) on drives %c to Z; "
                 "set KESTREL_DRIVE_<letter> to the directory that holds callbk\n",
                 drive[0]);
    return kFailed;
  }
  char text[1024];
  const int found = CBXSearch(kind->type, texts[0], texts[1], texts[2], text, static_cast<int>(format));
  if (found <= 0) {
    std::fprintf(stderr, "kestrel callbook: %s\n",
                 found < 0 ? "no callbook data set" : "nothing matches (or a text is longer than 32 characters)");
    return kFailed;
  }
  const bool multiLine = format == 1 || format == 2 || format == 6;
  print(text);
  if (email) {
    char call[256];
    int length = 0;
    CBXField(0, call, &length);
    char address[257] = {};
    if (CBXGetEmail(call, address, 256) > 0) std::printf("E-mail: %s\n", address);
    else std::printf("E-mail: none listed for %s\n", call);
  }
  if (count) {
    int more = -1, total = 0;
    while (more == -1) total = CBXCount(&more);
    std::printf("%d %s\n", total, total == 1 ? "match" : "matches");
  }
  for (long shown = 0; shown < further; ++shown) {
    if (CBXGetNext(text, static_cast<int>(format)) <= 0) break;
    if (multiLine) std::printf("\n");
    print(text);
  }
  return kOk;
}

}  // namespace kcli
