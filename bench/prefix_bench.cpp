// Call-to-country lookups over the shipped country list and the real calls
// of MASTER.SCP (Debian hamradio-files): the plain search, the three-step
// resolution of an import, and loading the country database.
#include "schema/countrydb.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Fixture {
  std::string dir;
  DB_TASK* task = nullptr;
  std::vector<std::string> texts;  // GetPrefix of each real call
  int day = 0;

  Fixture() {
    std::string pattern = (fs::temp_directory_path() / "ksprefix-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    makeLogbook("LOG");
    make(logschema::country(), "COUNTRY");
    dbOpenTask(&task);
    dbOpen((dir + "/COUNTRY").c_str(), "o", task);
    const auto imported =
        countrytext::importCountryFile(KESTREL_SOURCE_DIR "/data/COUNTRY.TXT", task, 0);
    if (imported.stored == 0) std::fprintf(stderr, "no country records imported\n");
    dbClose(task);
    dbOpen((dir + "/LOG").c_str(), "o", task);
    int active = 0, deleted = 0;
    char head[52];
    if (!OpenCountryDb(nullptr, (dir + "/COUNTRY").c_str(), task, &active, &deleted, head))
      std::fprintf(stderr, "OpenCountryDb failed\n");
    std::ifstream calls("/usr/share/hamradio-files/MASTER.SCP");
    std::string line;
    char text[16];
    while (std::getline(calls, line))
      if (!line.empty() && line[0] != '#') texts.push_back(GetPrefix(text, line.c_str(), task));
    day = CalcJulianDate("12-07-26");
  }
  ~Fixture() {
    CloseCountryDb(task);
    dbClose(task);
    dbCloseTask(task);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  void make(const recdb::SchemaDef& schema, const std::string& base) {
    std::string error;
    if (recdb::writeDatabase(schema, dir + "/" + base + ".DBD", recdb::fileNamesFor(schema, base),
                             true, error) != RECDB_OK)
      std::fprintf(stderr, "%s\n", error.c_str());
  }
  void makeLogbook(const std::string& base) { make(logschema::logbook(), base); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_SearchPrefix(benchmark::State& state) {
  Fixture& f = fixture();
  char name[21], head[52];
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    found += SearchPrefix(name, f.texts[i].c_str(), f.day, f.task, head);
    if (++i == f.texts.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["found%"] = 100.0 * static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchPrefix);

void BM_ThreeStepResolution(benchmark::State& state) {
  Fixture& f = fixture();
  char name[21], head[52];
  std::size_t i = 0;
  for (auto _ : state) {
    const char* text = f.texts[i].c_str();
    benchmark::DoNotOptimize(SearchDeletedPrefix(name, text, f.day, f.task, head) ||
                             SearchSharedPrefix(name, text, f.day, f.task, head) ||
                             SearchPrefix(name, text, f.day, f.task, head));
    if (++i == f.texts.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThreeStepResolution);

// Loading into a new logbook each time, so that every tally is created.
void BM_OpenCountryDbNewLogbook(benchmark::State& state) {
  Fixture& f = fixture();
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CloseCountryDb(f.task);
    dbClose(f.task);
    const std::string base = "NEW" + std::to_string(n++);
    f.makeLogbook(base);
    dbOpen((f.dir + "/" + base).c_str(), "o", f.task);
    state.ResumeTiming();
    int active = 0, deleted = 0;
    char head[52];
    benchmark::DoNotOptimize(
        OpenCountryDb(nullptr, (f.dir + "/COUNTRY").c_str(), f.task, &active, &deleted, head));
    state.PauseTiming();
    dbClose(f.task);  // commits the new tallies outside the figure
    state.ResumeTiming();
  }
  // Back to the fixture's logbook for the benchmarks that follow.
  dbOpen((f.dir + "/LOG").c_str(), "o", f.task);
  int active = 0, deleted = 0;
  char head[52];
  OpenCountryDb(nullptr, (f.dir + "/COUNTRY").c_str(), f.task, &active, &deleted, head);
}
BENCHMARK(BM_OpenCountryDbNewLogbook)->Unit(benchmark::kMillisecond)->Iterations(10);

// Loading again into a logbook that holds its tallies already.
void BM_OpenCountryDbSeeded(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    state.PauseTiming();
    CloseCountryDb(f.task);
    dbClose(f.task);
    dbOpen((f.dir + "/LOG").c_str(), "o", f.task);
    state.ResumeTiming();
    int active = 0, deleted = 0;
    char head[52];
    benchmark::DoNotOptimize(
        OpenCountryDb(nullptr, (f.dir + "/COUNTRY").c_str(), f.task, &active, &deleted, head));
  }
}
BENCHMARK(BM_OpenCountryDbSeeded)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
