// Callbook look-ups on a data set of 500,000 licence holders (calls from
// MASTER.SCP, the rest made up), written once into a temporary directory:
// a callsign search, and a search whose 10,000 matches are counted.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "callbook/cbx32.h"
#include "callbook/cbxwrite.h"

namespace {

struct DataSet {
  std::string root;
  std::vector<std::string> calls;  // a spread of calls to look up
  std::string zipLow, zipHigh;     // a range of about 10,000 holders
  size_t inRange = 0;

  DataSet() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cbxbench-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    kscbx::writer::GeneratedCallbook book =
        kscbx::writer::generateCallbook(500000, 11, "/usr/share/hamradio-files/MASTER.SCP");
    std::string error;
    if (!kscbx::writer::writeCallbook(root, book.records, book.crossReferences, book.emails, {}, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(1);
    }
    for (size_t i = 0; i < book.records.size(); i += 499) calls.push_back(book.records[i].call);
    std::vector<std::string> zips;
    for (const kscbx::writer::CallbookRecord& r : book.records) zips.push_back(r.zip);
    std::sort(zips.begin(), zips.end());
    zipLow = zips[200000];
    zipHigh = zips[209999];
    inRange = static_cast<size_t>(std::upper_bound(zips.begin(), zips.end(), zipHigh) -
                                  std::lower_bound(zips.begin(), zips.end(), zipLow));
    ::setenv("KESTREL_DRIVE_K", root.c_str(), 1);
    if (CBXInit("K") != 'K') std::exit(1);
  }
  ~DataSet() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
};

DataSet& dataSet() {
  static DataSet set;
  return set;
}

void BM_CallsignSearch(benchmark::State& state) {
  DataSet& set = dataSet();
  char out[1024];
  size_t next = 0, found = 0;
  for (auto _ : state) {
    found += CBXSearch(1, set.calls[next].c_str(), nullptr, nullptr, out, 4) > 0;
    next = (next + 1) % set.calls.size();
  }
  if (found != static_cast<size_t>(state.iterations())) state.SkipWithError("a call was not found");
}
BENCHMARK(BM_CallsignSearch)->Unit(benchmark::kMicrosecond);

void BM_CountTenThousandMatches(benchmark::State& state) {
  DataSet& set = dataSet();
  char out[1024];
  int total = 0;
  for (auto _ : state) {
    CBXSearch(4, set.zipLow.c_str(), set.zipHigh.c_str(), nullptr, out, 4);
    int more = -1;
    while (more == -1) total = CBXCount(&more);
  }
  state.counters["matches"] = total;
  if (static_cast<size_t>(total) != set.inRange) state.SkipWithError("the count is not the range's");
}
BENCHMARK(BM_CountTenThousandMatches)->Unit(benchmark::kMillisecond);

void BM_NameSearch(benchmark::State& state) {
  dataSet();
  char out[1024];
  for (auto _ : state) benchmark::DoNotOptimize(CBXSearch(2, "SMITH", "JOHN", nullptr, out, 2));
}
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
