// Times the log browser on a large logbook: a band query and a one-year
// date query end to end (the Query > Define command with its dialog
// answered, the contacts read through the logbook's keys and listed),
// listing the whole log line by line in date order as the main program
// (and kestrel browse) feeds it, and sorting the listed lines by date. The
// logbook is made once in DIRECTORY and kept for later runs. Prints wall
// and CPU time of each step and the process's peak resident memory.
//
//   browse_bench [RECORDS] [DIRECTORY]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "usage.h"
#include "base/fields.h"
#include "browse/ksbrowse.h"
#include "funct/ksfunct.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/logschema.h"
#include "schema/mainwindow.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace {

namespace fs = std::filesystem;

using ksbench::cpuSeconds;
using ksbench::peakKiB;

std::uint64_t next(std::uint64_t& seed) {
  seed = seed * 6364136223846793005ull + 1442695040888963407ull;
  return seed >> 33;
}

bool check(int rc, const char* what) {
  if (rc == 0) return true;
  std::fprintf(stderr, "browse_bench: %s: %s\n", what, dbResultText(rc));
  return false;
}

// Contacts over 12 bands, 6 modes, 40 prefixes and the years 1945 to 2024,
// in random order.
bool makeLogbook(const fs::path& dir, long records) {
  std::string error;
  const std::string d = dir.string();
  fs::create_directories(dir);
  if (logschema::writeLogbookSkeletons(d, error) != 0 ||
      logschema::writeReferenceDatabase(logschema::country(), d, "COUNTRY", error) != 0) {
    std::fprintf(stderr, "browse_bench: %s\n", error.c_str());
    return false;
  }
  const std::string base = d + "/LOG";
  for (int i = 0; i < 6; ++i) fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i]);
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  if (!check(dbOpen(base.c_str(), "o", task), "open")) return false;
  for (int file : kLogInitOrder) dbInitFile(file, task, 0);
  LogHeader header = newLogHeader();
  dbRecordCreate(kLogHeaderType, &header, task, 0);
  dbBulkBegin(task, 0);
  static const char* const modes[] = {"CW", "SSB", "FT8", "RTTY", "FM", "PSK"};
  static const int bands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2, 432};
  std::uint64_t seed = 29;
  for (long i = 0; i < records; ++i) {
    LogRecord r{};
    char text[24];
    const int country = static_cast<int>(next(seed) % 40);
    std::snprintf(text, sizeof text, "P%d", country);
    ksbase::putField(r.prefix, text);
    std::snprintf(text, sizeof text, "P%dX%lu", country, next(seed) % 10000);
    ksbase::putField(r.call, text);
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", 1 + static_cast<int>(next(seed) % 12),
                  1 + static_cast<int>(next(seed) % 28), (45 + static_cast<int>(next(seed) % 80)) % 100);
    ksbase::putField(r.date, text);
    r.julianDay = CalcJulianDate(r.date);
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(next(seed) % 24),
                  static_cast<int>(next(seed) % 60));
    ksbase::putField(r.time, text);
    ksbase::putField(r.mode, modes[next(seed) % 6]);
    r.band = static_cast<std::uint16_t>(bands[next(seed) % 12]);
    ksbase::putField(r.rstRcvd, "599");
    ksbase::putField(r.rstSent, "599");
    ksbase::putField(r.qth, "Somewhere Far Away");
    ksbase::putField(r.qslRcvd, next(seed) % 3 == 0 ? "Y" : "N");
    ksbase::putField(r.qslSent, next(seed) % 2 == 0 ? "Y" : "N");
    r.cqZone = static_cast<std::uint16_t>(1 + country);
    if (!check(dbRecordCreate(kLogRecordType, &r, task, 0), "create")) return false;
  }
  if (!check(dbBulkEnd(task, 0), "commit")) return false;
  const int closed = dbClose(task);
  dbCloseTask(task);
  return check(closed, "close");
}

struct Timer {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double cpu = cpuSeconds();
  void report(const char* what, int rows, double target) const {
    const double w =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    std::printf("%-44s %9d lines  wall %6.2f s  cpu %6.2f s  (target < %.0f s)\n", what, rows, w,
                cpuSeconds() - cpu, target);
    std::fflush(stdout);
  }
};

int rows(HWND table) { return static_cast<int>(SendMessage(table, DT_GETROWCOUNT, 0, 0)); }

// Query > Define answered by `fill`, then OK.
void query(kswin::HeadlessHost& host, HWND browser, std::function<void(HWND)> fill) {
  host.onDialog("QUERY", [fill](HWND d) {
    for (int id : {KSB_Q_DATE, KSB_Q_PREFIX, KSB_Q_ZONE, KSB_Q_STATE, KSB_Q_BAND, KSB_Q_MODE,
                   KSB_Q_QSL, KSB_Q_EXCLUDE})
      CheckDlgButton(d, id, BST_UNCHECKED);
    fill(d);
    kswin::press(d, IDOK);
  });
  kswin::chooseMenuItem(browser, KSB_CMD_QUERY);
}

// The whole log as kestrel browse feeds it (cli/cmd_browse.cpp): read in
// database order, then ordered by day (the sort keeps database order within
// a day), the date key's order.
void feedWholeLog(HWND browser, DB_TASK* task) {
  SendMessage(browser, KM_BROWSER_REDRAW, 0, 0);
  if (dbRecordFirst(kLogRecordType, task, 0) == 0) {
    do {
      LogRecord r{};
      DB_ADDR address = 0;
      if (dbRecordRead(&r, task, 0) != 0 || dbCurrentGet(&address, task, 0) != 0) break;
      FillBrowserLine(0, &r, address, 1);
    } while (dbRecordNext(task, 0) == 0);
  }
  HWND table = GetDlgItem(browser, 1);
  SendMessage(table, DT_SETSORTKEY, 14, 1);  // the day; the sort keeps database order
  SendMessage(table, DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), DT_ORDER_EXACT);
  SendMessage(browser, KM_BROWSER_REDRAW, 1, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  const fs::path dir = argc > 2 ? fs::path(argv[2])
                                : fs::temp_directory_path() /
                                      ("ksbrowse-bench-" + std::to_string(records));
  ::setenv("KESTREL_HOME", dir.c_str(), 1);
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  if (!fs::exists(dir / "complete")) {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    const auto start = std::chrono::steady_clock::now();
    if (!makeLogbook(dir, records)) return 1;
    std::FILE* mark = std::fopen((dir / "complete").c_str(), "w");
    if (mark != nullptr) std::fclose(mark);
    std::printf("made the logbook of %ld contacts in %.1f s\n", records,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }

  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  DB_TASK* task = nullptr;
  dbOpenTask(&task);
  const std::string d = dir.string();
  if (!check(dbOpen((d + "/LOG").c_str(), "o", task), "open") ||
      !check(dbOpenAdd((d + "/COUNTRY").c_str(), task), "COUNTRY"))
    return 1;
  HWND browser = CreateBrowseWnd(8, 16);
  if (browser == nullptr) return 1;
  InitBrowser(0, task);
  HWND table = GetDlgItem(browser, 1);

  {
    Timer t;
    query(host, browser, [](HWND dialog) {
      kswin::press(dialog, KSB_Q_BAND);
      kswin::selectItem(dialog, KSB_Q_BAND_LIST, 4);  // 20 m
    });
    t.report("band query (20 m), end to end", rows(table), 1);
  }
  {
    Timer t;
    query(host, browser, [](HWND dialog) {
      kswin::press(dialog, KSB_Q_DATE);
      SetDlgItemText(dialog, KSB_Q_DATE_FROM, "01-01-99");
      SetDlgItemText(dialog, KSB_Q_DATE_TO, "12-31-99");
    });
    t.report("date query (one year, 1999), end to end", rows(table), 1);
  }
  {
    Timer t;
    SendMessage(browser, KM_BROWSER_EMPTY, 0, 0);
    feedWholeLog(browser, task);
    SendMessage(browser, KM_BROWSER_LAST, 0, 0);
    t.report("whole log in date order, line by line", rows(table), 3);
  }
  {
    // Out of date order first (by call, in the table alone), so that the
    // date sort has work.
    SendMessage(table, DT_SORT, 2, DT_ORDER_NOCASE);
    Timer t;
    kswin::chooseMenuItem(browser, KSB_CMD_SORT_DATE);
    t.report("sort the lines by date (day, then time)", rows(table), 2);
  }
  std::printf("peak resident memory %.1f MiB\n", static_cast<double>(peakKiB()) / 1024.0);
  dbCloseTask(task);
  return 0;
}
