// How fast ADIF files are read into contacts: the reader, the tag table and
// the reading loop, without the logbook and the prefix search.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "sampleband.h"
#include "import/adifloop.h"
#include "tools/adifgen.h"

namespace {

class BandOnlyServices : public ksimport::RecordServices {
 public:
  bool resolveCountry(LogRecord& record) override { return record.call[0] != '\0'; }
  int bandOf(double mhz) override { return sampleBand(mhz); }
  long findCounty(const char*, const char*) override { return 1; }
};

// One sample log per size, written once into the temporary directory.
const std::string& sampleLog(long contacts) {
  static std::map<long, std::string> files;
  auto& path = files[contacts];
  if (path.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp ? tmp : "/tmp") + "/kestrel-bench-" + std::to_string(contacts) + ".adi";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || !kstools::writeSampleLog(out, contacts, 1)) std::abort();
    std::fclose(out);
  }
  return path;
}

void BM_ReadAdifContacts(benchmark::State& state) {
  const long contacts = state.range(0);
  const std::string& path = sampleLog(contacts);
  long records = 0;
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ksimport::AdifReader reader(nullptr, path.c_str(), file);
    BandOnlyServices services;
    ksimport::AdifRecordBuilder builder(services, {});
    records = 0;
    ksimport::readAdifRecords(reader, builder, [&](const ksimport::AdifRecordBuilder& b) {
      benchmark::DoNotOptimize(b.record());
      ++records;
      return true;
    });
    std::fclose(file);
  }
  if (records != contacts) state.SkipWithError("not every contact was read");
  state.counters["contacts/s"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsIterationInvariantRate);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRSS_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(BM_ReadAdifContacts)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
