// keybuild: checks the keys of a logbook and rebuilds them when damaged.
//   keybuild LOGBOOK      (the logbook's path without extension)
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "recdb/dbengine.h"
#include "kskeybld.h"
#include "recdb/recdb.h"

namespace {

void usage(std::FILE* out) {
  std::fprintf(out,
               "usage: keybuild LOGBOOK\n\n"
               "Checks every key of the logbook LOGBOOK (its path without extension,\n"
               "as /home/me/logs/MYLOG for MYLOG.DBD, MYLOG.DAT ...) against its records\n"
               "and, when any key is damaged, rebuilds them all from the records and\n"
               "says how many key entries it restored or removed. Run it when a\n"
               "logbook's searches miss contacts that are there, or after its key files\n"
               "(.KEY, .K01, .K02) were lost or damaged. Nothing but the keys changes.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    usage(stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    usage(stderr);
    return 2;
  }
  std::string name = argv[1];
  if (name.size() > 4 && (name.ends_with(".DBD") || name.ends_with(".dbd")))
    name.resize(name.size() - 4);

  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK) return 1;
  if (int rc = dbOpen(name.c_str(), "o", task); rc != RECDB_OK) {
    std::fprintf(stderr, "keybuild: cannot open %s: %s\n", name.c_str(), dbResultText(rc));
    dbCloseTask(task);
    return 1;
  }
  const bool terminal = isatty(STDERR_FILENO);
  kskeybld::Report report = kskeybld::rebuild(task, [&](const char* pass, long count) {
    if (terminal) std::fprintf(stderr, "\r%s: %ld records ", pass, count);
  });
  if (terminal) std::fputc('\n', stderr);
  int closed = dbCloseTask(task);
  if (report.result != RECDB_OK) {
    std::fprintf(stderr, "keybuild: %s: %s; run keybuild again before using the logbook\n",
                 name.c_str(), report.failure.c_str());
    return 1;
  }
  if (closed != RECDB_OK) {
    std::fprintf(stderr, "keybuild: %s: the keys could not be saved: %s\n", name.c_str(),
                 dbResultText(closed));
    return 1;
  }
  std::printf("%s\n", report.text().c_str());
  return 0;
}
