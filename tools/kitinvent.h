// An invented KIT data set over a list of real calls, for kitdata and the
// lookup's benchmark.
#ifndef KESTREL_TOOLS_KITINVENT_H
#define KESTREL_TOOLS_KITINVENT_H

#include <string>

#include "kitlookup/kitwriter.h"

namespace kstools {

// Adds the US and Canadian calls of `file` (one a line, as MASTER.SCP; at
// most `count` of them when above 0) with invented holder data, and a
// county for each ZIP used. Always the same set for the same list.
bool inventKitDataSet(const std::string& file, long count, kitapi::writer::KitDataSet& set);

}  // namespace kstools

#endif
