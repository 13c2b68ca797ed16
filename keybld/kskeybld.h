/* KSKEYBLD: rebuilds every key of a logbook from its records.
 *
 * Export table (ordinal order):
 *    2 RebuildKeys
 *
 * RebuildKeys(window, task) checks the keys of database 0 of `task` (a
 * logbook or a reference database) against its records (reading only) and,
 * when any key is damaged or a logbook lacks its header record, rebuilds
 * them all (and puts a new header in):
 * every record gets its automatic keys back, and the optional keys by the rules
 * the suite stores them under (state keys for a valid state under a US
 * prefix, grid keys for a grid on a VHF/UHF band, the county key for a
 * positive county number, the tag key for a tagged contact); entries that
 * point at no record are dropped. When anything had to be repaired it says
 * what in a message box owned by `window`. Returns 1 when done, 0 when the
 * logbook could not be read or written (the reason is shown).
 */
#ifndef KESTREL_KEYBLD_KSKEYBLD_H
#define KESTREL_KEYBLD_KSKEYBLD_H

#include "recdb/dbengine.h"
#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma GCC visibility push(default)
int RebuildKeys(HWND window, DB_TASK* task);
#pragma GCC visibility pop

#ifdef __cplusplus
}

#include <functional>
#include <string>

#pragma GCC visibility push(default)
namespace kskeybld {

struct Report {
  bool rebuilt = false; // false when the check found every key whole
  long records = 0;    // records whose keys were checked, or rebuilt
  long restored = 0;   // key entries a record lacked and now has
  long removed = 0;    // optional entries a record had against the rules
  long refused = 0;    // unique values held by an earlier record: left out
  long stray = 0;      // entries that pointed at no record, or twice at one
  bool headerMissing = false;  // a logbook without its header record
  bool headerRestored = false;
  int result = 0;      // engine result of the step that failed, else 0
  std::string failure; // what failed
  bool repaired() const {
    return restored != 0 || removed != 0 || refused != 0 || stray != 0 || headerRestored;
  }
  std::string text() const;
};

/* The rebuild itself: a check of every key against the records (reads
 * only), then, when it finds any key damaged, the full rebuild. `progress`
 * (may be empty) hears the running count of records every so often and once
 * per pass at the end. */
Report rebuild(DB_TASK* task, const std::function<void(const char* pass, long count)>& progress);

}  // namespace kskeybld
#pragma GCC visibility pop
#endif

#endif
