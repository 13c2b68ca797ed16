// qslconv LIST OUT: writes the QSL manager list OUT (data/QSLMGR.TXT) from
// a list of CALL;MANAGER;YYYY-MM lines.
#include <cstdio>
#include <fstream>

#include "qslconvert.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qslconv LIST OUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "qslconv: cannot read %s\n", argv[1]);
    return 1;
  }
  const kstools::QslConversion result = kstools::convertQslManagers(in);
  std::ofstream out(argv[2], std::ios::binary);
  out << result.text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "qslconv: cannot write %s\n", argv[2]);
    return 1;
  }
  std::fprintf(stderr, "%d calls written, %d lines skipped\n", result.calls, result.skipped);
  return 0;
}
