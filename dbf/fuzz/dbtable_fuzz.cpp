// libFuzzer target: any bytes as a dBASE table, opened by the reader and
// read record by record, every field as text and as a date, as the
// importers read them. Built with clang in a folder of its own, seeded with
// tables of the writer:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target dbtable_fuzz
//   mkdir -p dbf-corpus && for f in dxlog dxdesktop logplus secondop; do
//     build/bin/dbftable sample $f 3 dbf-corpus/$f.dbf; done
//   build-fuzz/bin/dbtable_fuzz dbf-corpus -max_len=4096 -max_total_time=600
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "../dbtable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader opens tables by name: the bytes go into a file in memory.
  static const int fd = memfd_create("table", 0);
  if (fd < 0) return 0;
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);

  TableInit(20, 0);
  int handle = -1;
  if (TableOpen(&handle, path.c_str(), 0) < 0) return 0;
  const int fields = TableFieldCount(handle);
  const long count = TableRecordCount(handle);
  char text[300];
  for (long n = 1; n <= count && n <= 64; ++n) {
    if (TableGoto(handle, n) != TABLE_OK) break;
    TableRecordDeleted(handle);
    for (int f = 0; f <= fields; ++f) {  // one past the last, too
      FieldText(handle, f, text, sizeof text);
      FieldText(handle, f, text, 3);
      int y = 0, m = 0, d = 0;
      FieldDate(handle, f, &y, &m, &d);
      char name[11];
      char type = 0;
      int length = 0, decimals = 0;
      TableFieldInfo(handle, f, name, &type, &length, &decimals);
    }
    TableAtEnd(handle);
  }
  TableGoto(handle, count + 1);
  TableClose(handle);
  return 0;
}
