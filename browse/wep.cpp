// The library's exit entry, kept apart: other libraries of the suite export
// the same name.
#include "ksbrowse.h"

extern "C" int WEP(int) { return 1; }
