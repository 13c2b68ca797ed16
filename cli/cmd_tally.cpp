// kestrel tally: brings a logbook's award tallies up to date from its
// contacts, as the main logbook program does after its contacts change.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "detail/tally.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace kcli {

int runTally(std::span<char*> args) {
  const Command& self = *findCommand("tally");
  if (args.size() != 1 || args[0][0] == '-') return usageError(self, "needs LOGBOOK");
  char dictionary[512];
  GetPrivateProfileString("Database", "DictPath", "Not Found", dictionary, sizeof dictionary,
                          "KESTREL.INI");
  if (std::strcmp(dictionary, "Not Found") == 0) {
    std::fprintf(stderr, "kestrel tally: no dictionary directory yet; run kestrel setup\n");
    return kFailed;
  }
  std::string dict = dictionary;
  if (!dict.empty() && dict.back() != '/' && dict.back() != '\\') dict += '/';

  DB_TASK* task = nullptr;
  int rc = dbOpenTask(&task);
  if (rc == 0) rc = dbOpen(args[0], "o", task);
  if (rc != 0) {
    std::fprintf(stderr, "kestrel tally: cannot open the logbook %s: %s\n", args[0],
                 dbResultText(rc));
    if (task != nullptr) dbCloseTask(task);
    return kFailed;
  }
  // Loading the country database makes the country tallies that are missing.
  int active = 0, deleted = 0;
  char head[kCountryHeadSize];
  const bool countries =
      OpenCountryDb(nullptr, (dict + "COUNTRY").c_str(), task, &active, &deleted, head) != 0;
  if (!countries)
    std::fprintf(stderr, "kestrel tally: no country database in %s; country tallies not made\n",
                 dict.c_str());
  kstally::Summary summary;
  rc = kstally::recomputeTallies(task, &summary);
  if (countries) CloseCountryDb(task);
  const int closed = dbClose(task);
  dbCloseTask(task);
  if (rc == 0) rc = closed;
  if (rc != 0) {
    std::fprintf(stderr, "kestrel tally: %s\n", dbResultText(rc));
    return kFailed;
  }
  std::printf("%ld contacts: %d country, %d zone, %d state and %d grid tallies up to date"
              " (%d made)\n",
              summary.contacts, summary.countries, summary.zones, summary.states, summary.grids,
              summary.created);
  return kOk;
}

}  // namespace kcli
