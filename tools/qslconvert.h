// The QSL manager list of data/ from a public list of "CALL;MANAGER;YYYY-MM"
// lines (the qslmgr.csv of Debian's cqrlog-data): one line of the QSL
// manager text form per call sign.
#ifndef KESTREL_TOOLS_QSLCONVERT_H
#define KESTREL_TOOLS_QSLCONVERT_H

#include <istream>
#include <string>

namespace kstools {

struct QslConversion {
  std::string text;  // the lines of the text form, CR LF each
  int calls = 0;     // lines written
  int skipped = 0;   // input lines that were not CALL;MANAGER;DATE
};

// A call listed more than once keeps the manager of its latest date (the
// first of equal dates); the others are named in its comment.
QslConversion convertQslManagers(std::istream& in);

}  // namespace kstools

#endif
