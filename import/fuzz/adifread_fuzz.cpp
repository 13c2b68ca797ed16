// libFuzzer target: any bytes as an ADIF file, read to the end through the
// reader, the tag table and the reading loop, and every record written as
// the error log or the value report would have it. Built with clang in a folder
// of its own, seeded with the logger-style test files:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target adifread_fuzz
//   mkdir -p fuzz-corpus && cp import/testdata/*.adi fuzz-corpus/
//   build-fuzz/bin/adifread_fuzz fuzz-corpus -max_len=40000 -max_total_time=600
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "../adifloop.h"
#include "../valuereport.h"
#include "winlayer/host.h"

namespace {

// Answers like a small country list would, without a database.
class Services : public ksimport::RecordServices {
 public:
  bool resolveCountry(LogRecord& record) override {
    if (record.call[0] < 'A' || record.call[0] > 'Z') return false;
    std::snprintf(record.prefix, sizeof record.prefix, "%.2s", record.call);
    return true;
  }
  int bandOf(double megahertz) override { return megahertz >= 14.0 && megahertz < 14.35 ? 20 : 0; }
  long findCounty(const char*, const char* county) override { return county[0] ? 1 : -1; }
};

// Tallies of a logbook that has worked some of everything: each kind
// answers for some keys, with worked and confirmed bytes taken from them.
class Tallies : public ksimport::TallySource {
 public:
  const CountryTally* country(const char* prefix) override { return pick(country_, prefix[0]); }
  const ZoneTally* zone(int cqZone) override { return pick(zone_, cqZone); }
  const StateTally* state(const char* state) override { return pick(state_, state[0]); }
  const GridTally* grid(const char* grid) override { return pick(grid_, grid[0]); }

 private:
  template <class Tally>
  static const Tally* pick(Tally& tally, int key) {
    if (key % 3 == 0) return nullptr;
    std::memset(&tally, key % 2, sizeof tally);
    return &tally;
  }
  CountryTally country_{};
  ZoneTally zone_{};
  StateTally state_{};
  GridTally grid_{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static kswin::HeadlessHost host;
  static kswin::ScopedHost scoped(host);
  std::string copy(reinterpret_cast<const char*>(data), size);
  std::FILE* file = fmemopen(copy.data(), copy.size(), "rb");
  if (!file) return 0;
  ksimport::AdifReader reader(nullptr, "fuzz.adi", file);
  reader.setProblemSink([](long, const std::string&) {});
  Services services;
  ksimport::AdifRecordBuilder builder(services, {static_cast<int>(size % 3), 0, size % 2 == 0});
  size_t records = 0;
  const auto end = ksimport::readAdifRecords(reader, builder, [&](const ksimport::AdifRecordBuilder& b) {
    const LogRecord& r = b.record();
    // Every text field stays terminated inside its width.
    if (std::memchr(r.call, 0, sizeof r.call) == nullptr ||
        std::memchr(r.remarks, 0, sizeof r.remarks) == nullptr ||
        std::memchr(r.date, 0, sizeof r.date) == nullptr)
      __builtin_trap();
    if (b.errors().size() > ksimport::AdifRecordBuilder::kMaxErrors) __builtin_trap();
    // What the completion path writes of it: the error log entry, or the
    // value report's lines.
    static Tallies tallies;
    const std::string written =
        b.hasError() ? ksimport::errorLogEntry(r, b.errors()) : ksimport::rateContact(r, tallies);
    if (written.empty() || written.find('\0') != std::string::npos) __builtin_trap();
    ++records;
    return true;
  });
  // Every record needs its own "<EOR>" in the input.
  if (end != ksimport::LoopEnd::EndOfFile || records * 5 > size) __builtin_trap();
  std::fclose(file);
  host.clear();
  return 0;
}
