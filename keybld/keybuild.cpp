// keybuild: checks the keys of a logbook and rebuilds them when damaged.
//   keybuild LOGBOOK      (the logbook's path without extension)
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
               "(.KEY, .K01, .K02) were lost or damaged: missing or cut-short key files\n"
               "are made anew. A logbook without its header record gets a new one.\n"
               "The reference databases (COUNTRY, USCOUNTY, QSLMGR, IOTA) are checked\n"
               "the same way. Nothing but the keys and the header changes.\n");
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

  // Key files that were lost or cut short are made anew first; the rebuild
  // then fills them from the records.
  std::vector<std::string> remade;
  std::string error;
  if (int rc = recdb::repairKeyFiles(name, remade, error); rc != RECDB_OK) {
    std::fprintf(stderr, "keybuild: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& file : remade) std::printf("Key file %s made anew.\n", file.c_str());

  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK) return 1;
  if (int rc = dbOpen(name.c_str(), "o", task); rc != RECDB_OK) {
    const char* why = dbLastError();
    std::fprintf(stderr, "keybuild: cannot open %s: %s\n", name.c_str(),
                 why[0] != '\0' ? why : dbResultText(rc));
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
