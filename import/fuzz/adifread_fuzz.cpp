// libFuzzer target: any bytes as an ADIF file, read to the end through the
// reader, the tag table and the reading loop. Built with clang in a folder
// of its own, seeded with the logger-style test files:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target adifread_fuzz
//   mkdir -p fuzz-corpus && cp import/testdata/*.adi fuzz-corpus/
//   build-fuzz/bin/adifread_fuzz fuzz-corpus -max_len=40000 -max_total_time=600
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "import/adifloop.h"
#include "winlayer/winlayer.h"

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
    ++records;
    return true;
  });
  // Every record needs its own "<EOR>" in the input.
  if (end != ksimport::LoopEnd::EndOfFile || records * 5 > size) __builtin_trap();
  std::fclose(file);
  host.clear();
  return 0;
}
