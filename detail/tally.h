// The award tallies of a logbook (CountryTally, ZoneTally, StateTally and
// GridTally records), recomputed from its contacts. The needed lists of the
// award details and the import's award value report read them; this is the
// upkeep that the main logbook program does after its contacts change.
// See docs/tallies.md for what the tallies hold.
#ifndef KESTREL_DETAIL_TALLY_H
#define KESTREL_DETAIL_TALLY_H

#include "recdb/dbengine.h"

namespace kstally {

struct Summary {
  long contacts = 0;
  int countries = 0;  // country tallies written (those the logbook holds)
  int zones = 0;
  int states = 0;
  int grids = 0;
  int created = 0;  // zone, state and grid tallies that were missing
};

// Recomputes every tally of the logbook open as database 0 of `task` from
// all its contacts. Country tallies are the ones already in the logbook
// (the prefix library makes one per counted country when it loads the
// country database); missing zone, state and grid tallies are made.
// Returns 0 or the engine's result of the first operation that failed.
int recomputeTallies(DB_TASK* task, Summary* summary = nullptr);

}  // namespace kstally

#endif
