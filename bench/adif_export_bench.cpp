// Times the ADIF export of a logbook of many contacts: every field of a
// busy station's contact filled, counties and DXCC numbers looked up. The
// logbook is made first (not timed); then the export to a file is timed,
// the closing flush included. Prints wall and CPU time, the rate, the
// file's size and the process's peak resident memory; fails when the file
// does not hold one record per contact.
//
//   adif_export_bench [CONTACTS] [DIRECTORY]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "usage.h"
#include "base/fields.h"
#include "funct/ksfunct.h"
#include "import/adifexport.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/logschema.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

using ksbench::cpuSeconds;
using ksbench::peakKiB;

LogRecord contact(long i) {
  static const char* const modes[] = {"CW", "USB", "RTTY", "FT8", "FT4", "PSK"};
  static const unsigned short bands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2, 432};
  static const char* const freqs[] = {"1.825",  "3.525",  "7.012",  "10.120", "14.025", "18.080",
                                      "21.030", "24.900", "28.020", "50.110", "144.200", "432.100"};
  static const char* const prefixes[] = {"K", "DL", "JA", "G", "VK", "PY", "ZS", "UA", "I", "F"};
  LogRecord r{};
  const unsigned long h = static_cast<unsigned long>(i) * 2654435761u;
  char text[32];
  std::snprintf(text, sizeof text, "K%luAB%c/P", h % 10, static_cast<char>('A' + h % 26));
  ksbase::putField(r.call, text);
  const int day = static_cast<int>(16500 + (i / 40) % 36000);  // 1946 to 2044
  ksbase::putField(r.date, ksexport::adifDateOfDay(day).substr(4, 2) + "-" +
                               ksexport::adifDateOfDay(day).substr(6, 2) + "-" +
                               ksexport::adifDateOfDay(day).substr(2, 2));
  r.julianDay = CalcJulianDate(r.date);
  ksbase::putField(r.time, "12:34");
  const unsigned long b = (h >> 12) % 12;
  ksbase::putField(r.mode, modes[(h >> 4) % 6]);
  ksbase::putField(r.freq, freqs[b]);
  r.band = bands[b];
  ksbase::putField(r.rstSent, "599");
  ksbase::putField(r.rstRcvd, "579");
  ksbase::putField(r.power, "100");
  ksbase::putField(r.name, "Alexander");
  ksbase::putField(r.city, "Springfield");
  ksbase::putField(r.qth, "United States");
  ksbase::putField(r.remarks, "QSL via bureau, thanks for QSO");
  ksbase::putField(r.qslSent, "Y");
  ksbase::putField(r.qslRcvd, (h & 1) ? "Y" : "N");
  ksbase::putField(r.qslDate, r.date);
  ksbase::putField(r.prefix, prefixes[(h >> 8) % 10]);
  ksbase::putField(r.continent, "NA");
  ksbase::putField(r.state, "MA");
  ksbase::putField(r.grid, "FN42ab");
  r.cqZone = static_cast<std::uint16_t>(1 + (h >> 16) % 40);
  r.ituZone = static_cast<std::uint16_t>(1 + (h >> 20) % 90);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const long contacts = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string dir = argc > 2 ? argv[2] : std::string();
  const bool temporary = dir.empty();
  if (temporary) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "adif-export-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    dir = pattern;
  }
  const std::string base = dir + "/BENCH";
  std::string error;
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  if (!std::filesystem::exists(base + ".DAT")) {
    if (recdb::writeDatabase(logschema::logbook(), base + ".DBD",
                             recdb::fileNamesFor(logschema::logbook(), "BENCH"), true,
                             error) != RECDB_OK) {
      std::fprintf(stderr, "adif_export_bench: %s\n", error.c_str());
      return 1;
    }
    if (dbOpen(base.c_str(), "o", task) != RECDB_OK) return 1;
    for (long i = 0; i < contacts; ++i) {
      const LogRecord r = contact(i);
      if (dbRecordCreate(kLogRecordType, &r, task, 0) != RECDB_OK) {
        std::fprintf(stderr, "adif_export_bench: create failed at %ld\n", i);
        return 1;
      }
    }
    dbClose(task);
  }
  if (dbOpen(base.c_str(), "o", task) != RECDB_OK) return 1;

  ksexport::DxccTable dxcc;
  if (!dxcc.load(std::string(KESTREL_DATA_DIR) + "/DXCC.TXT", error)) {
    std::fprintf(stderr, "adif_export_bench: %s\n", error.c_str());
    return 1;
  }
  ksexport::ExportSources sources;
  sources.task = task;
  sources.dxcc = &dxcc;
  ksexport::ExportOptions options;
  options.created = "20261208 120000";
  options.programVersion = "bench";
  const std::string out = dir + "/export.adi";

  const auto start = std::chrono::steady_clock::now();
  const double cpu = cpuSeconds();
  const ksexport::ExportResult result = ksexport::exportLogbook(sources, options, out);
  const double wall = seconds(start), used = cpuSeconds() - cpu;
  dbClose(task);
  dbCloseTask(task);
  if (!result.ok) {
    std::fprintf(stderr, "adif_export_bench: %s\n", result.error.c_str());
    return 1;
  }
  long lines = 0;
  {
    std::ifstream in(out);
    std::string line;
    while (std::getline(in, line)) lines += line.size() > 5 && line.ends_with("<EOR>");
  }
  const double megabytes = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
  std::printf("export  %ld contacts  %.2f s  %.0f contacts/s  (CPU %.2f s)  %.0f MB  "
              "peak RSS %ld KiB  target 5 s: %s\n",
              result.written, wall, static_cast<double>(result.written) / wall, used, megabytes,
              peakKiB(), wall < 5.0 ? "met" : "missed");
  if (temporary) std::filesystem::remove_all(dir);
  return result.written == contacts && lines == contacts ? 0 : 1;
}
