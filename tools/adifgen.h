// Made-up contacts as ADIF: the same log for the same count and seed. The
// suite's sample file and the import benchmark's input.
#ifndef KESTREL_TOOLS_ADIFGEN_H
#define KESTREL_TOOLS_ADIFGEN_H

#include <cstdio>

namespace kstools {

// Writes a header and `count` contacts. About one contact in fifty has a
// flaw an import must reject (no call, a band the log does not keep, a year
// before 1945, an unknown mode). Returns false when a write failed.
bool writeSampleLog(std::FILE* out, long count, unsigned long seed);

}  // namespace kstools

#endif
