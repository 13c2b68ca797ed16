// libFuzzer targets: any bytes as a file of one of the binary foreign formats
// (Easy-DX, Log View, LogMaster, RTTY by Q1QA), read to its end or its break,
// every contact's error-log line built and its fields checked to be
// terminated. One source, one target per format (KESTREL_FUZZ_FORMAT_<name>):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target easydx_fuzz
//   build-fuzz/bin/easydx_fuzz -max_len=4096 -max_total_time=600
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../foreign.h"
#include "../valuereport.h"

namespace {

#if defined(KESTREL_FUZZ_FORMAT_easydx)
constexpr ksimport::ForeignFormat kFormat = ksimport::ForeignFormat::EasyDx;
#elif defined(KESTREL_FUZZ_FORMAT_logview)
constexpr ksimport::ForeignFormat kFormat = ksimport::ForeignFormat::LogView;
#elif defined(KESTREL_FUZZ_FORMAT_logmaster)
constexpr ksimport::ForeignFormat kFormat = ksimport::ForeignFormat::LogMaster;
#else
constexpr ksimport::ForeignFormat kFormat = ksimport::ForeignFormat::Rtty;
#endif

// Answers like a small country list would, without a database.
class Services : public ksimport::ForeignServices {
 public:
  bool resolveCountry(LogRecord& record) override {
    if (record.call[0] < 'A' || record.call[0] > 'Z') return false;
    std::snprintf(record.prefix, sizeof record.prefix, "%.2s", record.call);
    return true;
  }
  int bandOf(double megahertz) override { return megahertz >= 14.0 && megahertz < 14.35 ? 20 : 0; }
  long findCounty(const char*, const char* county) override { return county[0] ? 1 : -1; }
  bool countryByPrefix(const char* prefix, LogRecord& record) override {
    if (prefix[0] != 'K') return false;
    std::snprintf(record.prefix, sizeof record.prefix, "%s", prefix);
    return true;
  }
};

template <size_t N>
void mustBeTerminated(const char (&field)[N]) {
  if (std::memchr(field, '\0', N) == nullptr) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::rewind(file);
  Services services;
  ksimport::ForeignOptions options;
  ksimport::ReadContext context{services, options, false, "fuzz"};
  ksimport::readForeign(kFormat, file, context, [](const ksimport::Contact& contact) {
    const LogRecord& r = contact.record;
    mustBeTerminated(r.call);
    mustBeTerminated(r.date);
    mustBeTerminated(r.time);
    mustBeTerminated(r.mode);
    mustBeTerminated(r.freq);
    mustBeTerminated(r.remarks);
    mustBeTerminated(r.qth);
    const std::string line =
        contact.errorLine.empty() ? ksimport::tenTextLine(r) : contact.errorLine;
    volatile size_t length = ksimport::errorLogEntry(line, contact.errors()).size();
    (void)length;
    return true;
  });
  std::fclose(file);
  return 0;
}
