// ADIF import end to end into a new logbook, as the import program runs it:
// the country database loaded from the shipped list (the prefix library
// resolves every call), the county database filled from the shipped county
// list, reading, the tag table, the completion path with the value report
// on and the error log, storage with every key, the key check at the end
// and the final commit. Afterwards (not timed) the reopened logbook's keys
// are checked again.
//
// Run one size at a time for its own peak memory:
//   adif_import_bench --benchmark_filter=BM_ImportAdif/100000/
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "schema/countrydb.h"
#include "import/adifimport.h"
#include "schema/countyfile.h"
#include "import/prefixservices.h"
#include "keybld/kskeybld.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "tools/adifgen.h"
#include "importbench.h"
#include "winlayer/host.h"

namespace {

namespace fs = std::filesystem;

void BM_ImportAdif(benchmark::State& state) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const long contacts = state.range(0);
  std::string error;
  const fs::path dir = ksbench::prepareImportFolder("import-bench-" + std::to_string(contacts), error);
  if (dir.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string adif = (dir / "log.adi").string();
  std::FILE* out = std::fopen(adif.c_str(), "wb");
  kstools::writeSampleLog(out, contacts, 1);
  std::fclose(out);

  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  long stored = 0;
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    DB_TASK* task = ksbench::openFreshLogbook(dir);
    if (task == nullptr) {
      state.SkipWithError("cannot open a new logbook beside the country and county databases");
      break;
    }
    host.queueAnswer(IDYES);  // value report
    host.queueAnswer(IDNO);   // tags for labels
    host.queueAnswer(IDNO);   // view the report
    const double cpuBefore = ksbench::processCpuSeconds();
    state.ResumeTiming();

    ksimport::PrefixServices services(task);
    ksbench::QuietFrame frame(task);
    ksimport::importAdif(nullptr, task, frame, services, {}, adif);
    CloseCountryDb(task);
    dbCloseTask(task);  // the last commit is part of the import

    state.PauseTiming();
    cpu += ksbench::processCpuSeconds() - cpuBefore;
    const std::string base = (dir / "LOG").string();
    DB_TASK* check = nullptr;
    dbOpenTask(&check);
    dbOpen(base.c_str(), "o", check);
    stored = 0;
    for (int r = dbRecordFirst(kLogRecordType, check, 0); r == RECDB_OK; r = dbRecordNext(check, 0))
      ++stored;
    // The logbook as reopened must be whole: no repair at the end of the
    // import, none now.
    const kskeybld::Report keys = kskeybld::rebuild(check, {});
    dbCloseTask(check);
    for (const kswin::BoxRecord& box : host.boxes())
      if (box.caption == "Rebuild Keys") state.SkipWithError(box.text.c_str());
    if (keys.result != RECDB_OK || keys.rebuilt) state.SkipWithError("the keys needed a repair");
    host.clear();
    state.ResumeTiming();
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(contacts),
                                                    benchmark::Counter::kIsIterationInvariantRate);
  if (cpu > 0) state.counters["contacts/s_cpu"] = static_cast<double>(contacts) * iterations / cpu;
  state.counters["cpu_s"] = cpu / std::max(iterations, 1.0);
  state.counters["stored"] = static_cast<double>(stored);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRSS_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  fs::remove_all(dir);
}

BENCHMARK(BM_ImportAdif)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
