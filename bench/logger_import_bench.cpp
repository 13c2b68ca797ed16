// Import of each foreign logger's format end to end into a new logbook, as
// the import program runs it: the country database loaded from the shipped
// list, the county database from the shipped county list, reading the file
// our writer made, the completion path (value report for CT and RTTY, error
// log), storage with every key, the key rebuild and the final commit. The
// stored contacts are counted afterwards (not timed).
//
//   foreign_import_bench --benchmark_filter='BM_ImportForeign/ct/'
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "import/foreign.h"
#include "import/foreignwrite.h"
#include "keybld/kskeybld.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "winlayer/host.h"

namespace {

namespace fs = std::filesystem;
using ksimport::ForeignFormat;

class QuietFrame : public ksimport::ImportFrame {
 public:
  explicit QuietFrame(DB_TASK* task) : task_(task) {}
  void console(const std::string&) override {}
  void showProgress(bool) override {}
  void progress(long) override {}
  bool cancelled() override { return false; }
  void rebuildKeys() override { RebuildKeys(nullptr, task_); }
  bool reopenDatabases() override { return true; }
  bool showReport(const std::string&) override { return true; }

 private:
  DB_TASK* task_;
};

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Format {
  const char* name;
  ForeignFormat format;
};
constexpr Format kFormats[] = {
    {"ct", ForeignFormat::Ct},           {"dxbase", ForeignFormat::DxBase},
    {"easydx", ForeignFormat::EasyDx},   {"logview", ForeignFormat::LogView},
    {"logmaster", ForeignFormat::LogMaster}, {"hyperlog", ForeignFormat::HyperLog},
    {"pakratt", ForeignFormat::PakRatt}, {"rtty", ForeignFormat::Rtty},
};

void BM_ImportForeign(benchmark::State& state, Format format) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const long contacts = state.range(0);
  const char* tmp = std::getenv("TMPDIR");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp") /
                       ("kestrel-foreign-bench-" + std::string(format.name));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string error;
  if (logschema::writeLogbookSkeletons(dir.string(), error) != RECDB_OK ||
      logschema::writeReferenceDatabase(logschema::country(), dir.string(), "COUNTRY", error) !=
          RECDB_OK ||
      !countrytext::fillCountryDatabase((dir / "COUNTRY").string(),
                                        KESTREL_DATA_DIR "/COUNTRY.TXT", error) ||
      logschema::writeReferenceDatabase(logschema::county(), dir.string(), "USCOUNTY", error) !=
          RECDB_OK ||
      !ksschema::fillCountyDatabase(dir.string(), KESTREL_DATA_DIR "/uscounty.txt", error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string file = (dir / "log.in").string();
  {
    const std::string data =
        ksimport::writers::writerFor(format.name)(ksimport::writers::sampleContacts(contacts));
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), out);
    std::fclose(out);
  }

  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  long stored = 0;
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string base = (dir / "LOG").string();
    for (int i = 0; i < 6; ++i)
      fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i],
                    fs::copy_options::overwrite_existing);
    DB_TASK* task = nullptr;
    dbOpenTask(&task);
    dbOpen(base.c_str(), "o", task);
    for (int f : kLogInitOrder) dbInitFile(f, task, 0);
    LogHeader header = newLogHeader();
    dbRecordCreate(kLogHeaderType, &header, task, 0);
    int active = 0, deleted = 0;
    char head[kCountryHeadSize];
    if (!OpenCountryDb(nullptr, (dir / "COUNTRY").c_str(), task, &active, &deleted, head) ||
        dbOpenAdd((dir / "USCOUNTY").c_str(), task) != RECDB_OK) {
      state.SkipWithError("cannot open the country and county databases");
      dbCloseTask(task);
      break;
    }
    host.queueAnswer(IDNO);  // CT, RTTY: tags for labels
    host.queueAnswer(IDNO);  // CT, RTTY: view the report
    const double cpuBefore = processCpuSeconds();
    state.ResumeTiming();

    ksimport::ForeignPrefixServices services(task);
    QuietFrame frame(task);
    ksimport::ForeignOptions options;
    options.power = "100";
    const ksimport::ImportEnd end =
        ksimport::importForeign(format.format, nullptr, task, frame, services, options, file);
    CloseCountryDb(task);
    dbCloseTask(task);  // the last commit is part of the import

    state.PauseTiming();
    cpu += processCpuSeconds() - cpuBefore;
    if (end != ksimport::ImportEnd::Completed) state.SkipWithError("the import did not complete");
    DB_TASK* check = nullptr;
    dbOpenTask(&check);
    dbOpen(base.c_str(), "o", check);
    stored = 0;
    for (int r = dbRecordFirst(kLogRecordType, check, 0); r == RECDB_OK; r = dbRecordNext(check, 0))
      ++stored;
    dbCloseTask(check);
    host.clear();
    state.ResumeTiming();
  }
  state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(contacts),
                                                    benchmark::Counter::kIsIterationInvariantRate);
  const double iterations = std::max(static_cast<double>(state.iterations()), 1.0);
  if (cpu > 0) state.counters["contacts/s_cpu"] = static_cast<double>(contacts) * iterations / cpu;
  state.counters["cpu_s"] = cpu / iterations;
  state.counters["stored"] = static_cast<double>(stored);
  fs::remove_all(dir);
}

const bool registered = [] {
  for (const Format& format : kFormats)
    benchmark::RegisterBenchmark((std::string("BM_ImportForeign/") + format.name).c_str(),
                                 BM_ImportForeign, format)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->UseRealTime();
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
