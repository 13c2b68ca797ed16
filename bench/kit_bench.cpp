// Callsign lookups per second in the KIT licence data set: the data set
// invented over MASTER.SCP's US and Canadian calls (written once into a
// temporary directory), looked up in a shuffled order with one call in ten
// missing, through FindCall with the default layout. Two ways of holding
// the files: kept between lookups (read again only when changed on disk),
// and opened by name for every lookup and closed after it.
//   build/bin/kit_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "kit.h"
#include "kitlookup/kitapi32.h"
#include "tools/kitinvent.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace {

struct Fixture {
  std::string directory;
  std::vector<std::string> calls;
  std::size_t records = 0;

  Fixture() {
    // In capitals, as the library names it, so that opening by name costs
    // what it would in a real installation and no search of /tmp.
    directory = "/tmp/KITBENCH" + std::to_string(::getpid());
    std::filesystem::create_directories(directory);
    kitapi::writer::KitDataSet set;
    if (!kstools::inventKitDataSet("/usr/share/hamradio-files/MASTER.SCP", 0, set)) {
      std::fprintf(stderr, "kit_bench: MASTER.SCP missing (Debian hamradio-files)\n");
      std::exit(1);
    }
    const std::string problem = kitapi::writer::writeKitDataSet(directory, set);
    if (!problem.empty()) {
      std::fprintf(stderr, "kit_bench: %s\n", problem.c_str());
      std::exit(1);
    }
    records = set.us.size() + set.ve.size();
    for (const auto& r : set.us) calls.push_back(r.call);
    for (const auto& r : set.ve) calls.push_back(r.call);
    const std::size_t found = calls.size();
    for (std::size_t i = 0; i < found / 9; ++i) calls.push_back(calls[i * 9] + "Q");  // not there
    std::shuffle(calls.begin(), calls.end(), std::mt19937(19));
    ::setenv("KITDIR", directory.c_str(), 1);
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void lookups(benchmark::State& state, bool keep) {
  Fixture& f = fixture();
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  kitapi::module().keepFiles = keep;
  kitapi::resetModule();
  char buffer[256];
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    const int result = FindCall(f.calls[i].c_str(), buffer, sizeof buffer, nullptr);
    if (result > 1) state.SkipWithError("lookup failed");
    found += result == 0;
    benchmark::DoNotOptimize(buffer);
    if (++i == f.calls.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["records"] = static_cast<double>(f.records);
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
  kitapi::resetModule();
}

void BM_FindCallKept(benchmark::State& state) { lookups(state, true); }
void BM_FindCallReopened(benchmark::State& state) { lookups(state, false); }

BENCHMARK(BM_FindCallKept)->MinTime(2.0);
BENCHMARK(BM_FindCallReopened)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
