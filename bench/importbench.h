// What the import benchmarks share: a folder with the logbook's skeletons
// and the country and county databases filled from the shipped lists, a
// fresh logbook opened beside them as the import program opens it, a frame
// that shows nothing, and the process's CPU time.
#ifndef KESTREL_BENCH_IMPORTBENCH_H
#define KESTREL_BENCH_IMPORTBENCH_H

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <string>

#include "import/session.h"
#include "keybld/kskeybld.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "schema/logschema.h"

namespace ksbench {

inline double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

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

// A new folder $TMPDIR/kestrel-NAME with the logbook's skeletons, COUNTRY
// and USCOUNTY; an empty path (and `error`) when it cannot be made.
inline std::filesystem::path prepareImportFolder(const std::string& name, std::string& error) {
  namespace fs = std::filesystem;
  const char* tmp = std::getenv("TMPDIR");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp") / ("kestrel-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  if (logschema::writeLogbookSkeletons(dir.string(), error) != RECDB_OK ||
      logschema::writeReferenceDatabase(logschema::country(), dir.string(), "COUNTRY", error) !=
          RECDB_OK ||
      !countrytext::fillCountryDatabase((dir / "COUNTRY").string(),
                                        KESTREL_DATA_DIR "/COUNTRY.TXT", error) ||
      logschema::writeReferenceDatabase(logschema::county(), dir.string(), "USCOUNTY", error) !=
          RECDB_OK ||
      !ksschema::fillCountyDatabase(dir.string(), KESTREL_DATA_DIR "/uscounty.txt", error))
    return {};
  return dir;
}

// The logbook DIR/LOG made new from the skeletons and opened as database 0
// of a new task, with its header, and COUNTRY and USCOUNTY opened beside it.
// Null when any of it fails (the task closed).
inline DB_TASK* openFreshLogbook(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  const std::string base = (dir / "LOG").string();
  for (int i = 0; i < 6; ++i)
    fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i],
                  fs::copy_options::overwrite_existing);
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK) return nullptr;
  if (dbOpen(base.c_str(), "o", task) != RECDB_OK) {
    dbCloseTask(task);
    return nullptr;
  }
  for (int file : kLogInitOrder) dbInitFile(file, task, 0);
  LogHeader header = newLogHeader();
  dbRecordCreate(kLogHeaderType, &header, task, 0);
  int active = 0, deleted = 0;
  char head[kCountryHeadSize];
  if (!OpenCountryDb(nullptr, (dir / "COUNTRY").c_str(), task, &active, &deleted, head) ||
      dbOpenAdd((dir / "USCOUNTY").c_str(), task) != RECDB_OK) {
    dbCloseTask(task);
    return nullptr;
  }
  return task;
}

}  // namespace ksbench

#endif
