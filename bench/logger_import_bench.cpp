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
#include "importbench.h"
#include "winlayer/host.h"

namespace {

namespace fs = std::filesystem;
using ksimport::ForeignFormat;

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
  std::string error;
  const fs::path dir = ksbench::prepareImportFolder("foreign-bench-" + std::string(format.name), error);
  if (dir.empty()) {
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
    DB_TASK* task = ksbench::openFreshLogbook(dir);
    if (task == nullptr) {
      state.SkipWithError("cannot open a new logbook beside the country and county databases");
      break;
    }
    host.queueAnswer(IDNO);  // CT, RTTY: tags for labels
    host.queueAnswer(IDNO);  // CT, RTTY: view the report
    const double cpuBefore = ksbench::processCpuSeconds();
    state.ResumeTiming();

    ksimport::ForeignPrefixServices services(task);
    ksbench::QuietFrame frame(task);
    ksimport::ForeignOptions options;
    options.power = "100";
    const ksimport::ImportEnd end =
        ksimport::importForeign(format.format, nullptr, task, frame, services, options, file);
    CloseCountryDb(task);
    dbCloseTask(task);  // the last commit is part of the import

    state.PauseTiming();
    cpu += ksbench::processCpuSeconds() - cpuBefore;
    if (end != ksimport::ImportEnd::Completed) state.SkipWithError("the import did not complete");
    const std::string base = (dir / "LOG").string();
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
