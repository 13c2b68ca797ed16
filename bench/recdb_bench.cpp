// Times the record engine on a logbook of many contacts: creating them with
// every automatic key (as bulk work), then walking a key and reading each
// record, and the cost of single writes committed one by one (as a program
// that is not importing makes them). Prints the rates and the process's
// peak resident memory.
//
//   recdb_bench [RECORDS] [DIRECTORY]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "usage.h"
#include "base/fields.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "recdb/recdb.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// CPU seconds (user and system) the process has used so far.
using ksbench::cpuSeconds;
using ksbench::peakKiB;

// A plausible contact: days advance slowly, calls, prefixes, modes, bands and
// zones vary as in a busy station's log.
LogRecord contact(long i) {
  static const char* const modes[] = {"CW", "SSB", "RTTY", "FT8", "FM"};
  static const unsigned short bands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2, 432};
  LogRecord r{};
  unsigned long h = static_cast<unsigned long>(i) * 2654435761u;
  char text[16];
  std::snprintf(text, sizeof text, "K%luAB%c", h % 10, static_cast<char>('A' + h % 26));
  ksbase::putField(r.call, text);
  r.julianDay = static_cast<std::int32_t>(30000 + i / 50);
  std::snprintf(text, sizeof text, "P%lu", (h >> 8) % 340);
  ksbase::putField(r.prefix, text);
  ksbase::putField(r.mode, modes[(h >> 4) % 5]);
  r.band = bands[(h >> 12) % 12];
  r.cqZone = static_cast<std::uint16_t>(1 + (h >> 16) % 40);
  r.ituZone = static_cast<std::uint16_t>(1 + (h >> 20) % 90);
  ksbase::putField(r.time, "12:34");
  ksbase::putField(r.qth, "SOMEWHERE");
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string dir = argc > 2 ? argv[2] : std::string();
  bool temporary = dir.empty();
  if (temporary) {
    std::string pattern = (std::filesystem::temp_directory_path() / "recdb-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    dir = pattern;
  }
  std::string base = dir + "/BENCH";
  std::string error;
  if (recdb::writeDatabase(logschema::logbook(), base + ".DBD",
                           recdb::fileNamesFor(logschema::logbook(), "BENCH"), true,
                           error) != RECDB_OK) {
    std::fprintf(stderr, "recdb_bench: %s\n", error.c_str());
    return 1;
  }
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  if (dbOpen(base.c_str(), "o", task) != RECDB_OK) return 1;

  auto start = std::chrono::steady_clock::now();
  double cpu = cpuSeconds();
  dbBulkBegin(task, 0);
  for (long i = 0; i < records; ++i) {
    LogRecord r = contact(i);
    if (dbRecordCreate(kLogRecordType, &r, task, 0) != RECDB_OK) {
      std::fprintf(stderr, "recdb_bench: create failed at %ld\n", i);
      return 1;
    }
  }
  dbClose(task);  // the last batch's commit is part of the work
  double created = seconds(start);
  std::printf("create  %ld records  %.2f s  %.0f records/s  (CPU %.2f s, %.0f records/CPU s)  "
              "peak RSS %ld KiB\n",
              records, created, static_cast<double>(records) / created, cpuSeconds() - cpu,
              static_cast<double>(records) / (cpuSeconds() - cpu), peakKiB());

  dbOpen(base.c_str(), "o", task);
  start = std::chrono::steady_clock::now();
  cpu = cpuSeconds();
  std::int32_t day = 0;
  long walked = 0;
  LogRecord r{};
  // Walk the date key from its first day to the end.
  for (std::int32_t probe = 30000; dbKeyFind(logfield::kJulianDay, &probe, task, 0) != RECDB_OK;)
    if (++probe > 30000 + records) break;
  do {
    if (dbRecordRead(&r, task, 0) != RECDB_OK) break;
    if (r.julianDay < day) std::fprintf(stderr, "recdb_bench: walk out of order\n");
    day = r.julianDay;
    ++walked;
  } while (dbKeyNext(logfield::kJulianDay, task, 0) == RECDB_OK);
  double walking = seconds(start);
  std::printf("walk    %ld records  %.2f s  %.0f records/s  (CPU %.2f s)  peak RSS %ld KiB\n",
              walked, walking, static_cast<double>(walked) / walking, cpuSeconds() - cpu, peakKiB());

  start = std::chrono::steady_clock::now();
  long scanned = 0;
  for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == RECDB_OK; rc = dbRecordNext(task, 0))
    scanned += dbRecordRead(&r, task, 0) == RECDB_OK;
  double scanning = seconds(start);
  std::printf("scan    %ld records  %.2f s  %.0f records/s  peak RSS %ld KiB\n", scanned, scanning,
              static_cast<double>(scanned) / scanning, peakKiB());

  // Single writes outside bulk work: each is committed before it returns.
  constexpr long kSingles = 200;
  start = std::chrono::steady_clock::now();
  cpu = cpuSeconds();
  for (long i = 0; i < kSingles; ++i) {
    LogRecord single = contact(records + i);
    if (dbRecordCreate(kLogRecordType, &single, task, 0) != RECDB_OK) {
      std::fprintf(stderr, "recdb_bench: single create failed at %ld\n", i);
      return 1;
    }
  }
  double singles = seconds(start);
  std::printf("single  %ld committed creates  %.2f ms each  (CPU %.2f ms each)\n", kSingles,
              1000 * singles / static_cast<double>(kSingles),
              1000 * (cpuSeconds() - cpu) / static_cast<double>(kSingles));
  dbCloseTask(task);
  if (temporary) std::filesystem::remove_all(dir);
  return walked == records && scanned == records ? 0 : 1;
}
