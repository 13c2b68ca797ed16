// kestrel export: the contacts of a logbook written out for the online logs
// and other loggers. The county names come from the dictionary's county
// database, the DXCC entity numbers from the shipped list.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/paths.h"
#include "commands.h"
#include "funct/ksfunct.h"
#include "import/adifexport.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/logschema.h"
#include "winlayer/winlayer.h"

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "0"
#endif

namespace kcli {
namespace {

int fail(const std::string& text) {
  std::fprintf(stderr, "kestrel export: %s\n", text.c_str());
  return kFailed;
}

// A day number of DATE: YYYYMMDD, YYYY-MM-DD or one of the log's forms.
int dayOf(const char* text) {
  const int day = ksexport::dayOfAdifDate(text);
  if (day > 0) return day;
  return std::strlen(text) == 8 ? CalcJulianDate(text) : 0;
}

std::string utcTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d %H%M%S", &utc);
  return text;
}

// The logbook (database 0) and the county database (1) in a task of this
// command's own.
class Databases {
 public:
  ~Databases() {
    if (task_ == nullptr) return;
    dbClose(task_);
    dbCloseTask(task_);
  }
  bool open(const std::string& logbook, const std::string& dictionary, std::string& error) {
    int rc = dbOpenTask(&task_);
    if (rc == 0) rc = dbOpen(logbook.c_str(), "o", task_);
    if (rc != 0) {
      error = "cannot open the logbook " + logbook + ": " + dbResultText(rc);
      return false;
    }
    std::string county = dictionary;
    if (!county.empty() && county.back() != '/' && county.back() != '\\') county += '/';
    county += "USCOUNTY";
    rc = dbOpenAdd(county.c_str(), task_);
    if (rc != 0) {
      error = "cannot open " + county + ": " + dbResultText(rc) + " (run kestrel setup)";
      return false;
    }
    return true;
  }
  DB_TASK* task() const { return task_; }

 private:
  DB_TASK* task_ = nullptr;
};

long countContacts(DB_TASK* task) {
  long count = 0;
  for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == 0; rc = dbRecordNext(task, 0))
    ++count;
  return count;
}

// A bar on the terminal: "[#####.....]  50%  5000/10000".
class ProgressBar {
 public:
  explicit ProgressBar(long total) : total_(total) {}
  void show(long done) {
    if (total_ <= 0) return;
    const long percent = std::min(100L, done * 100 / total_);
    if (percent == shown_) return;
    shown_ = percent;
    char bar[41];
    const long filled = percent * 40 / 100;
    for (long i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
    bar[40] = '\0';
    std::fprintf(stderr, "\r[%s] %3ld%%  %ld/%ld", bar, percent, done, total_);
    std::fflush(stderr);
  }
  void end() {
    if (shown_ >= 0) std::fputc('\n', stderr);
  }

 private:
  long total_;
  long shown_ = -1;
};

}  // namespace

int runExport(std::span<char*> args) {
  const Command& self = *findCommand("export");
  ksexport::ExportOptions options;
  bool sinceLast = false;
  std::vector<const char*> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const char* arg = args[i];
    if (std::strcmp(arg, "--from") == 0 || std::strcmp(arg, "--to") == 0) {
      if (i + 1 >= args.size()) return usageError(self, (std::string(arg) + " needs a DATE").c_str());
      const int day = dayOf(args[++i]);
      if (day <= 0)
        return usageError(self, ("'" + std::string(args[i]) + "' is not a date").c_str());
      (arg[2] == 'f' ? options.fromDay : options.toDay) = day;
    } else if (std::strcmp(arg, "--tagged") == 0) {
      options.taggedOnly = true;
    } else if (std::strcmp(arg, "--since-last") == 0) {
      sinceLast = true;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usageError(self, ("unknown flag " + std::string(arg)).c_str());
    } else {
      words.push_back(arg);
    }
  }
  if (words.size() != 3) return usageError(self, "needs FORMAT, LOGBOOK and FILE");
  if (std::strcmp(words[0], "adif") != 0)
    return usageError(self, ("no format '" + std::string(words[0]) + "'").c_str());
  if (options.fromDay > 0 && options.toDay > 0 && options.fromDay > options.toDay)
    return usageError(self, "--from is after --to");
  const std::string logbook = words[1], file = words[2];

  char dictionary[512];
  GetPrivateProfileString("Database", "DictPath", "Not Found", dictionary, sizeof dictionary,
                          "KESTREL.INI");
  if (std::strcmp(dictionary, "Not Found") == 0)
    return fail("no dictionary directory yet; run kestrel setup");

  Databases db;
  std::string error;
  if (!db.open(logbook, dictionary, error)) return fail(error);

  ksexport::DxccTable dxcc;
  const std::string dxccPath = ksbase::dataDirectory() + "/DXCC.TXT";
  if (!dxcc.load(dxccPath, error))
    std::fprintf(stderr, "kestrel export: %s; DXCC entity numbers are left out\n",
                 error.c_str());

  const DB_ADDR mark = ksexport::readExportMark(logbook);
  if (sinceLast) options.after = mark;
  options.created = utcTimestamp();
  options.programVersion = KESTREL_VERSION;

  ksexport::ExportSources sources;
  sources.task = db.task();
  sources.logDb = 0;
  sources.countyDb = 1;
  sources.dxcc = dxcc.size() > 0 ? &dxcc : nullptr;

  const bool terminal = isatty(STDERR_FILENO) != 0;
  ProgressBar bar(terminal ? countContacts(db.task()) : 0);
  const ksexport::ExportResult result =
      ksexport::exportLogbook(sources, options, file, [&](long done) { bar.show(done); });
  bar.end();
  if (!result.ok) return fail(result.error + "; nothing exported");

  // The mark moves with every export that takes all the contacts it could:
  // a date range or the tagged ones leave it where it was.
  const bool complete = options.fromDay == 0 && options.toDay == 0 && !options.taggedOnly;
  if (complete && result.lastAddress > mark &&
      !ksexport::writeExportMark(logbook, result.lastAddress, error))
    return fail(error + " (the export itself is complete)");
  std::printf("%ld contact%s exported to %s\n", result.written, result.written == 1 ? "" : "s",
              file.c_str());
  return kOk;
}

}  // namespace kcli
