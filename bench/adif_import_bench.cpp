// ADIF import end to end into a new logbook: reading, the tag table, the
// completion path (error log, value report), storage with keys and the key
// rebuild at the end. The prefix search is stood in for by a fixed answer:
// its own benchmark belongs to the prefix library.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/sampleband.h"
#include "import/adifimport.h"
#include "import/countyfile.h"
#include "keybld/kskeybld.h"
#include "recdb/recdb.h"
#include "tools/adifgen.h"
#include "winlayer/winlayer.h"

namespace {

namespace fs = std::filesystem;

class FixedCountry : public ksimport::RecordServices {
 public:
  explicit FixedCountry(DB_TASK* task) : task_(task) {}
  bool resolveCountry(LogRecord& record) override {
    const char c = record.call[0];
    std::strcpy(record.prefix, c == 'K' || c == 'N' || c == 'W' ? "K" : "DL");
    record.cqZone = 5;
    return true;
  }
  int bandOf(double mhz) override { return sampleBand(mhz); }
  long findCounty(const char* state, const char* county) override {
    return ksimport::FindCounty(task_, state, county);
  }

 private:
  DB_TASK* task_;
};

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

void BM_ImportAdif(benchmark::State& state) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const long contacts = state.range(0);
  const char* tmp = std::getenv("TMPDIR");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp") / ("kestrel-import-bench-" + std::to_string(contacts));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string error;
  if (logschema::writeLogbookSkeletons(dir.string(), error) != RECDB_OK ||
      logschema::writeReferenceDatabase(logschema::county(), dir.string(), "USCOUNTY", error) !=
          RECDB_OK ||
      !ksimport::fillCountyDatabase(dir.string(), KESTREL_DATA_DIR "/uscounty.txt", error)) {
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
  for (auto _ : state) {
    state.PauseTiming();
    const std::string base = (dir / "LOG").string();
    for (int i = 0; i < 6; ++i)
      fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i],
                    fs::copy_options::overwrite_existing);
    DB_TASK* task = nullptr;
    dbOpenTask(&task);
    dbOpen(base.c_str(), "o", task);
    for (int file : kLogInitOrder) dbInitFile(file, task, 0);
    LogHeader header = newLogHeader();
    dbRecordCreate(kLogHeaderType, &header, task, 0);
    dbOpenAdd((dir / "USCOUNTY").c_str(), task);  // 1: no country database here
    dbOpenAdd((dir / "USCOUNTY").c_str(), task);  // 2
    host.queueAnswer(IDYES);  // value report
    host.queueAnswer(IDNO);   // tags for labels
    host.queueAnswer(IDNO);   // view the report
    state.ResumeTiming();

    FixedCountry services(task);
    QuietFrame frame(task);
    ksimport::importAdif(nullptr, task, frame, services, {}, adif);
    dbCloseTask(task);  // the last commit is part of the import

    state.PauseTiming();
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
