// The prefix library's plain search in memory, with its index and with the
// walk over the whole table that the index replaces, over the shipped
// country list and the real calls of MASTER.SCP.
#include "schema/countrytext.h"
#include "funct/ksfunct.h"
#include "search.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace ksprefix;

class MapReader : public RecordReader {
 public:
  std::map<std::string, CountryRecord, std::less<>> records;
  const char* read(std::string_view key) override {
    const auto at = records.find(key);
    return at == records.end() ? nullptr : reinterpret_cast<const char*>(&at->second);
  }
};

struct Core {
  CountryTables tables;
  MapReader reader;
  std::vector<std::string> calls;
  Core() {
    std::ifstream data(KESTREL_SOURCE_DIR "/data/COUNTRY.TXT");
    for (std::string line; std::getline(data, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (countrytext::isBlankLine(line)) continue;
      const CountryRecord record = countrytext::toRecord(countrytext::parseCountryLine(line));
      tables.addRecord(reinterpret_cast<const char*>(&record), CalcJulianDate);
      reader.records[record.prefix] = record;
    }
    std::ifstream master("/usr/share/hamradio-files/MASTER.SCP");
    for (std::string line; std::getline(master, line);)
      if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
};

Core& core() {
  static Core c;
  return c;
}

void run(benchmark::State& state, Lookup how) {
  Core& c = core();
  const int day = CalcJulianDate("12-07-26");
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(searchPlain(c.tables.plain, c.calls[i], day, c.reader, CalcJulianDate, how));
    if (++i == c.calls.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_CorePlainSearchIndexed(benchmark::State& state) { run(state, Lookup::Indexed); }
void BM_CorePlainSearchWalk(benchmark::State& state) { run(state, Lookup::Walk); }
BENCHMARK(BM_CorePlainSearchIndexed);
BENCHMARK(BM_CorePlainSearchWalk);

}  // namespace

BENCHMARK_MAIN();
