// The library's exit procedure, which has nothing to release. In a file of
// its own: every library of the suite has one, and a test that links several
// of them statically takes whichever it finds first.
#include "ksfunct.h"

extern "C" int WEP(int) { return 1; }
