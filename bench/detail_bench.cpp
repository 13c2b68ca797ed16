// Times the award details and the tally upkeep on a large logbook: contacts
// spread over every entity of the shipped country list, every band and the
// common modes, 1945 to 2024, some of them US contacts with a state and a
// county, VHF ones with a grid. The logbook is made once in DIRECTORY and
// kept for later runs. Prints wall and CPU time of each report and the
// process's peak resident memory.
//
//   detail_bench [RECORDS] [DIRECTORY] [FILTER]
//
// FILTER runs only the reports whose name contains it.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "usage.h"
#include "base/fields.h"
#include "detail/ksdetail.h"
#include "detail/tally.h"
#include "schema/countrydb.h"
#include "funct/ksfunct.h"
#include "schema/countyfile.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"
#include "winlayer/host.h"

namespace {

namespace fs = std::filesystem;

using ksbench::cpuSeconds;
using ksbench::peakKiB;

std::uint64_t next(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ull + 1442695040888963407ull;
  return seed >> 33;
}

struct Country {
  std::string prefix;
  int zone;
};

bool check(int rc, const char* what) {
  if (rc == 0) return true;
  std::fprintf(stderr, "detail_bench: %s: %s\n", what, dbResultText(rc));
  return false;
}

bool makeLogbook(const fs::path& dir, long records) {
  std::string error, message;
  const std::string d = dir.string();
  fs::create_directories(dir);
  if (logschema::writeLogbookSkeletons(d, error) != 0 ||
      logschema::writeReferenceDatabase(logschema::country(), d, "COUNTRY", error) != 0 ||
      logschema::writeReferenceDatabase(logschema::county(), d, "USCOUNTY", error) != 0 ||
      logschema::writeReferenceDatabase(logschema::qslManager(), d, "QSLMGR", error) != 0 ||
      logschema::writeReferenceDatabase(logschema::iota(), d, "IOTA", error) != 0 ||
      !countrytext::fillCountryDatabase(d + "/COUNTRY", KESTREL_SOURCE_DIR "/data/COUNTRY.TXT",
                                        message) ||
      !ksschema::fillCountyDatabase(d, KESTREL_SOURCE_DIR "/data/uscounty.txt", error)) {
    std::fprintf(stderr, "detail_bench: %s%s\n", error.c_str(), message.c_str());
    return false;
  }
  const std::string base = d + "/LOG";
  for (int i = 0; i < 6; ++i) fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i]);
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  if (!check(dbOpen(base.c_str(), "o", task), "open")) return false;
  for (int file : kLogInitOrder) dbInitFile(file, task, 0);
  LogHeader header = newLogHeader();
  dbRecordCreate(kLogHeaderType, &header, task, 0);
  int active = 0, deleted = 0;
  char head[kCountryHeadSize];
  OpenCountryDb(nullptr, (d + "/COUNTRY").c_str(), task, &active, &deleted, head);
  dbOpenAdd((d + "/USCOUNTY").c_str(), task);

  std::vector<Country> countries;
  for (int rc = dbRecordFirst(kCountryRecordType, task, 1); rc == 0; rc = dbRecordNext(task, 1)) {
    CountryRecord c{};
    dbRecordRead(&c, task, 1);
    countries.push_back({std::string(c.prefix, strnlen(c.prefix, 6)), c.cqZone});
  }
  std::vector<DB_ADDR> counties;
  for (int rc = dbRecordFirst(kCountyRecordType, task, 2); rc == 0; rc = dbRecordNext(task, 2)) {
    DB_ADDR a = 0;
    dbCurrentGet(&a, task, 2);
    counties.push_back(a);
  }
  dbSelect(0, task);
  static const char* const modes[] = {"CW", "SSB", "FT8", "RTTY", "FM", "PSK"};
  static const int bands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2, 432};
  static const char* const states[] = {"MA", "CT", "NY", "CA", "TX", "OH", "WA", "FL", "CO", "AZ"};
  std::uint64_t seed = 13;
  for (long i = 0; i < records; ++i) {
    LogRecord r{};
    const std::uint64_t h = next(seed);
    const bool us = h % 10 == 0;
    const Country& c = us ? countries.front() : countries[h % countries.size()];
    char text[24];
    std::snprintf(text, sizeof text, "%s%luX", us ? "K" : c.prefix.c_str(), next(seed) % 1000);
    ksbase::putField(r.call, text);
    const int year = 45 + static_cast<int>(next(seed) % 80);
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", 1 + static_cast<int>(next(seed) % 12),
                  1 + static_cast<int>(next(seed) % 28), year % 100);
    ksbase::putField(r.date, text);
    r.julianDay = CalcJulianDate(r.date);
    ksbase::putField(r.time, "12:34");
    ksbase::putField(r.mode, modes[next(seed) % 6]);
    r.band = static_cast<std::uint16_t>(bands[next(seed) % 12]);
    ksbase::putField(r.prefix, us ? "K" : c.prefix);
    ksbase::putField(r.rstRcvd, "599");
    ksbase::putField(r.qth, "QTH");
    ksbase::putField(r.qslRcvd, next(seed) % 3 == 0 ? "Y" : "N");
    ksbase::putField(r.qslSent, next(seed) % 2 == 0 ? "Y" : "N");
    if (next(seed) % 50 == 0) ksbase::putField(r.satId, "AO7");
    r.cqZone = static_cast<std::uint16_t>(c.zone >= 1 && c.zone <= 40 ? c.zone : 1 + h % 40);
    r.dxccFlag = r.wasFlag = r.cqFlag = static_cast<std::uint8_t>(next(seed) % 20 == 0 ? 1 : 0);
    if (us) {
      ksbase::putField(r.state, states[next(seed) % 10]);
      r.countyNumber = counties.empty() ? 0 : counties[next(seed) % counties.size()];
    }
    if (isVHFUHF(r.band)) {
      std::snprintf(text, sizeof text, "%c%c%02d", 'A' + static_cast<int>(next(seed) % 18),
                    'A' + static_cast<int>(next(seed) % 18), static_cast<int>(next(seed) % 100));
      ksbase::putField(r.grid, text);
    }
    if (!check(dbRecordCreate(kLogRecordType, &r, task, 0), "create")) return false;
    if (us) {
      for (long key : {logfield::kState, logfield::kBandState, logfield::kStateMode,
                       logfield::kCountyNumber})
        dbKeyStore(key, task, 0);
    }
    if (r.grid[0] != '\0') {
      dbKeyStore(logfield::kGrid, task, 0);
      dbKeyStore(logfield::kBandGrid, task, 0);
    }
  }
  CloseCountryDb(task);
  const int closed = dbClose(task);
  dbCloseTask(task);
  return check(closed, "close");
}

struct Result {
  const char* name;
  double wall, cpu;
  int rows;
};

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  const fs::path dir = argc > 2 ? fs::path(argv[2])
                                : fs::temp_directory_path() /
                                      ("ksdetail-bench-" + std::to_string(records));
  ::setenv("KESTREL_HOME", dir.c_str(), 1);
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  if (!fs::exists(dir / "complete")) {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    const auto start = std::chrono::steady_clock::now();
    if (!makeLogbook(dir, records)) return 1;
    std::FILE* mark = std::fopen((dir / "complete").c_str(), "w");
    if (mark != nullptr) std::fclose(mark);
    std::printf("made the logbook of %ld contacts in %.1f s\n", records,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }

  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  const std::string d = dir.string();
  if (!check(dbOpen((d + "/LOG").c_str(), "o", task), "open")) return 1;
  for (const char* name : {"COUNTRY", "USCOUNTY", "QSLMGR", "QSLMGR", "IOTA"})
    if (!check(dbOpenAdd((d + "/" + name).c_str(), task), name)) return 1;
  if (CreateDetailWnd(8, 16) == nullptr) return 1;

  std::vector<Result> results;
  const std::string filter = argc > 3 ? argv[3] : "";
  auto time = [&](const char* name, const std::function<int()>& run) {
    if (std::string(name).find(filter) == std::string::npos) return;
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds();
    const int done = run();
    results.push_back({name,
                       std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                       cpuSeconds() - cpu, done ? GetDetailTableCount() : -1});
  };
  time("tally recompute", [&] {
    kstally::Summary s;
    const int rc = kstally::recomputeTallies(task, &s);
    return rc == 0 && s.contacts == records ? 1 : 0;
  });
  time("DXCC mixed full", [&] { return GetDXCCDetailsDLL(nullptr, 200, task, 301, 0); });
  time("DXCC mixed needed", [&] { return GetDXCCDetailsDLL(nullptr, 200, task, 302, 0); });
  time("DXCC CW full", [&] { return GetDXCCDetailsDLL(nullptr, 202, task, 301, 0); });
  time("DXCC 20 m full", [&] { return GetDXCCBandDetailDLL(nullptr, 220, task, 301, 0); });
  time("DXCC 2000", [&] { return GetDXCCDetailsDLL(nullptr, 200, task, 309, 0); });
  static const int types[] = {200, 201, 202, 203, 206};
  static const char* const wasNames[] = {"WAS mixed", "WAS SSB", "WAS CW", "WAS FSK", "WAS sat"};
  static const char* const cqNames[] = {"CQ mixed", "CQ SSB", "CQ CW", "CQ FSK", "CQ sat"};
  for (int i = 0; i < 5; ++i)
    time(wasNames[i], [&] { return GetWASDetailsDLL(nullptr, types[i], task, 301); });
  time("WAS 20 m", [&] { return GetWASBandDetailDLL(nullptr, 220, task, 301); });
  for (int i = 0; i < 5; ++i)
    time(cqNames[i], [&] { return GetCQZoneDetailsDLL(nullptr, types[i], task, 301); });
  time("CQ 20 m", [&] { return GetCQBandDetailsDLL(nullptr, 220, task, 301); });
  time("VUCC 50 MHz", [&] { return GetVUCCDetailsDLL(nullptr, 0, task, 301); });
  time("USCA full", [&] { return GetUSCADetailsDLL(nullptr, 200, task, 301); });
  time("USCA needed", [&] { return GetUSCADetailsDLL(nullptr, 200, task, 302); });

  std::printf("%ld contacts\n%-20s %9s %9s %6s\n", records, "report", "wall s", "CPU s", "rows");
  for (const Result& r : results)
    std::printf("%-20s %9.3f %9.3f %6d\n", r.name, r.wall, r.cpu, r.rows);
  std::printf("peak RSS %.1f MiB\n", static_cast<double>(peakKiB()) / 1024.0);
  dbClose(task);
  dbCloseTask(task);
  return 0;
}
