// foreigngen FORMAT FILE COUNT: writes COUNT importable contacts in one of
// the foreign loggers' formats (ct, dxbase, easydx, logview, logmaster,
// hyperlog, pakratt, rtty), for the benchmark and for trying the importers.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/foreignwrite.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: foreigngen FORMAT FILE COUNT\n");
    return 2;
  }
  const ksimport::writers::ForeignWriter writer = ksimport::writers::writerFor(argv[1]);
  const long count = std::strtol(argv[3], nullptr, 10);
  if (writer == nullptr || count < 0) {
    std::fprintf(stderr, "foreigngen: no format '%s' or a bad count\n", argv[1]);
    return 2;
  }
  const std::string data = writer(ksimport::writers::sampleContacts(count));
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr || std::fwrite(data.data(), 1, data.size(), out) != data.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
