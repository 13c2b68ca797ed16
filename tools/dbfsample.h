// Made-up logs of the dBASE loggers in their layouts: the same table for the
// same count. The import benchmark's input and dbftable's samples.
#ifndef KESTREL_TOOLS_DBFSAMPLE_H
#define KESTREL_TOOLS_DBFSAMPLE_H

#include <string>

#include "import/dbaselayout.h"

namespace kstools {

// Writes `count` contacts to a new table at `path`; false when it could not
// be written.
bool writeDbaseSample(ksimport::DbaseFormat format, long count, const std::string& path);

}  // namespace kstools

#endif
