// cbxgen: writes a large made-up callbook data set.
//   cbxgen [--calls FILE] [--count N] [--seed N] [--block BYTES] ROOT
// ROOT/callbk/ gets the four index and data files and netaddr.cbx; point a
// drive at ROOT (KESTREL_DRIVE_C=ROOT) to look calls up in it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "callbook/cbxwrite.h"

int main(int argc, char** argv) {
  std::string calls = "/usr/share/hamradio-files/MASTER.SCP", root;
  size_t count = 500000;
  unsigned seed = 1;
  kscbx::writer::CallbookOptions options;
  for (int i = 1; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (std::strcmp(argv[i], "--calls") == 0 && more) calls = argv[++i];
    else if (std::strcmp(argv[i], "--count") == 0 && more) count = std::strtoul(argv[++i], nullptr, 10);
    else if (std::strcmp(argv[i], "--seed") == 0 && more) seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (std::strcmp(argv[i], "--block") == 0 && more) options.blockSize = std::strtol(argv[++i], nullptr, 10);
    else if (argv[i][0] != '-' && root.empty()) root = argv[i];
    else {
      std::fprintf(stderr, "usage: cbxgen [--calls FILE] [--count N] [--seed N] [--block BYTES] ROOT\n");
      return 2;
    }
  }
  if (root.empty() || count == 0 || options.blockSize <= 0) {
    std::fprintf(stderr, "usage: cbxgen [--calls FILE] [--count N] [--seed N] [--block BYTES] ROOT\n");
    return 2;
  }
  const kscbx::writer::GeneratedCallbook book = kscbx::writer::generateCallbook(count, seed, calls);
  std::string error;
  if (!kscbx::writer::writeCallbook(root, book.records, book.crossReferences, book.emails, options, &error)) {
    std::fprintf(stderr, "cbxgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("%zu licence holders (%zu calls from %s), %zu cross-references, %zu addresses in %s/callbk\n",
              book.records.size(), book.callsFromFile, calls.c_str(), book.crossReferences.size(),
              book.emails.size(), root.c_str());
  return 0;
}
