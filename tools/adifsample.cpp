// adifsample: writes an ADIF log of made-up contacts, the same file for the
// same count and seed: the suite's sample file and the import benchmark's.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adifgen.h"

namespace {

const char kUsage[] =
    "usage: adifsample [--count N] [--seed S] OUT.adi\n\n"
    "Writes N made-up contacts (default 60) as an ADIF file. About one contact\n"
    "in fifty has a flaw an import must reject (no call, a band the log does not\n"
    "keep, a year before 1945, an unknown mode), so the error log has work.\n";

}  // namespace

int main(int argc, char** argv) {
  long count = 60;
  unsigned long seed = 1;
  const char* path = nullptr;
  bool usable = true;
  for (int i = 1; i < argc && usable; ++i) {
    const char* arg = argv[i];
    char* end = nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (std::strcmp(arg, "--count") == 0 && i + 1 < argc) {
      count = std::strtol(argv[++i], &end, 10);
      usable = *end == '\0' && count >= 0;
    } else if (std::strcmp(arg, "--seed") == 0 && i + 1 < argc) {
      seed = std::strtoul(argv[++i], &end, 10);
      usable = *end == '\0';
    } else if (arg[0] != '-' && !path) {
      path = arg;
    } else {
      usable = false;
    }
  }
  if (!path || !usable) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::FILE* out = std::fopen(path, "wb");
  if (!out) {
    std::fprintf(stderr, "adifsample: cannot write %s\n", path);
    return 1;
  }
  const bool written = kstools::writeSampleLog(out, count, seed);
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "adifsample: cannot write %s\n", path);
    return 1;
  }
  std::printf("adifsample: %ld contacts written to %s\n", count, path);
  return 0;
}
