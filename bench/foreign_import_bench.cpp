// The ASCII and dBASE imports end to end into a new logbook, as the import
// program runs them: the country database loaded from the shipped list (the
// prefix library resolves every call), the county database, reading, the
// record rules, the completion path with its error log, storage with every
// key, the key rebuild at the end and the final commit. The logbook's count
// is checked afterwards, untimed.
//
//   foreign_import_bench --benchmark_filter=BM_ImportDbase/0/100000
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "import/asciiimport.h"
#include "import/dbaseimport.h"
#include "import/prefixservices.h"
#include "keybld/kskeybld.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "tools/dbfsample.h"
#include "importbench.h"
#include "winlayer/host.h"

namespace {

namespace fs = std::filesystem;

fs::path prepare(const std::string& name, std::string& error) {
  return ksbench::prepareImportFolder("foreign-bench-" + name, error);
}

// The ASCII file: call, date, time, mode, frequency, reports, name, state.
bool writeAsciiSample(const std::string& path, long count) {
  static constexpr const char* kPrefixes[] = {"K", "W", "N", "DL", "G", "F", "JA", "VK", "PY", "ZS"};
  static constexpr const char* kFreqs[] = {"3.525", "7.025", "14.025", "14.200", "21.050",
                                           "28.400", "50.125", "10.120", "18.090", "24.900"};
  static constexpr const char* kModes[] = {"CW", "SSB", "RTTY", "FT8", "PSK31", "USB"};
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fprintf(out, "; call,date,time,mode,freq,rst sent,rst rcvd,name,state\n");
  for (long n = 1; n <= count; ++n) {
    const unsigned long u = static_cast<unsigned long>(n) * 2654435761UL;
    std::fprintf(out, "%s%lu%c%c%c,%02lu-%02lu-%02lu,%02lu%02lu,%s,%s,599,579,\"Op, %ld\",MA\n",
                 kPrefixes[u % 10], (u >> 4) % 10, static_cast<char>('A' + (u >> 8) % 26),
                 static_cast<char>('A' + (u >> 13) % 26), static_cast<char>('A' + (u >> 18) % 26),
                 1 + (u >> 9) % 12, 1 + (u >> 14) % 28, (80 + (u >> 3) % 44) % 100, (u >> 5) % 24,
                 (u >> 11) % 60, kModes[(u >> 12) % 6], kFreqs[(u >> 7) % 10], n % 1000);
  }
  return std::fclose(out) == 0;
}

// Runs `import` (with the logbook open as its task's database 0) and
// reports the figures.
template <class Import>
void runImport(benchmark::State& state, const fs::path& dir, long contacts, Import import) {
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
    const double cpuBefore = ksbench::processCpuSeconds();
    state.ResumeTiming();

    ksimport::PrefixServices services(task);
    ksbench::QuietFrame frame(task);
    ksimport::ImportContext context;
    context.task = task;
    context.frame = &frame;
    context.services = &services;
    const ksimport::ImportEnd end = import(context);
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
    state.ResumeTiming();
  }
  state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(contacts),
                                                    benchmark::Counter::kIsIterationInvariantRate);
  if (cpu > 0)
    state.counters["contacts/s_cpu"] =
        static_cast<double>(contacts) * static_cast<double>(state.iterations()) / cpu;
  state.counters["stored"] = static_cast<double>(stored);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRSS_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  fs::remove_all(dir);
}

// Argument 0: 0 DXLog, 1 DX Desktop, 2 LogPlus!, 3 Q6QB 2nd Op.
void BM_ImportDbase(benchmark::State& state) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const auto format = static_cast<ksimport::DbaseFormat>(state.range(0));
  const long contacts = state.range(1);
  std::string error;
  const fs::path dir = prepare("dbase", error);
  const std::string table = (dir / "log.dbf").string();
  if (dir.empty() || !kstools::writeDbaseSample(format, contacts, table)) {
    state.SkipWithError(error.empty() ? "cannot write the table" : error.c_str());
    return;
  }
  runImport(state, dir, contacts, [&](ksimport::ImportContext& context) {
    return ksimport::importDbase(context, format, table);
  });
}

void BM_ImportAscii(benchmark::State& state) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const long contacts = state.range(0);
  std::string error;
  const fs::path dir = prepare("ascii", error);
  const std::string file = (dir / "log.txt").string();
  if (dir.empty() || !writeAsciiSample(file, contacts)) {
    state.SkipWithError(error.empty() ? "cannot write the file" : error.c_str());
    return;
  }
  ksimport::AsciiColumns columns;
  columns.map.fill(-1);
  const int chosen[] = {0, 1, 2, 3, 4, 6, 5, 8, 10};  // Call Date Time Mode Freq ... State
  for (size_t i = 0; i < std::size(chosen); ++i) columns.map[i] = chosen[i];
  runImport(state, dir, contacts, [&](ksimport::ImportContext& context) {
    return ksimport::importAsciiFile(context, columns, file);
  });
}

BENCHMARK(BM_ImportDbase)->ArgsProduct({{0, 1, 2, 3}, {100000}})->Unit(benchmark::kMillisecond)
    ->Iterations(1)->UseRealTime();
BENCHMARK(BM_ImportAscii)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
