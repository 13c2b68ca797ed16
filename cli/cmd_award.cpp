// kestrel award: an award's detail table for a logbook. Plays the main
// logbook program: a task with the logbook and the reference databases,
// the main window, the detail window, then one award computation of the
// detail library under the console host, its rows printed.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "winlayer/datatable.h"
#include "detail/ksdetail.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/mainwindow.h"
#include "winlayer/winlayer.h"
#include "winlayer/host.h"

namespace kcli {
namespace {

enum class Kind { Dxcc, Dxcc2000, Was, Cq, Vucc, Usca, Iota };

struct Named {
  const char* name;
  int value;
};

constexpr Named kKinds[] = {{"dxcc", 0}, {"dxcc2000", 1}, {"was", 2}, {"cq", 3},
                            {"vucc", 4}, {"usca", 5},     {"iota", 6}};
constexpr Named kTypes[] = {{"mixed", KSD_MIXED}, {"phone", KSD_PHONE}, {"cw", KSD_CW},
                            {"fsk", KSD_FSK},     {"sat", KSD_SATELLITE}};
constexpr Named kVariants[] = {{"duplicate-tags", 300}, {"full", 301},     {"needed", 302},
                               {"not-tagged", 303},     {"qsl-needed", 304}, {"qsl-sent", 305},
                               {"worked", 306},         {"not-submitted", 307},
                               {"submitted", 900}};
constexpr Named kSorts[] = {{"status", KSD_SORT_STATUS}, {"band", KSD_SORT_BAND}};
constexpr int kHfBands[] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2};
constexpr int kVuccBands[] = {6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000};

bool lookUp(const Named* table, std::size_t n, const char* name, int& value) {
  for (std::size_t i = 0; i < n; ++i)
    if (std::strcmp(table[i].name, name) == 0) {
      value = table[i].value;
      return true;
    }
  return false;
}

int indexOf(const int* bands, std::size_t n, int band) {
  for (std::size_t i = 0; i < n; ++i)
    if (bands[i] == band) return static_cast<int>(i);
  return -1;
}

// The shown columns of each report, as the detail window shows them.
struct Column {
  const char* caption;
  int field;  // see fieldOf
};
enum Field { fMarker, fPrefix, fIota, fZone, fState, fGrid, fCountry, fCall, fDate, fTime,
             fBand, fMode, fRcv, fQsl, fQslDate };

std::vector<Column> columnsOf(Kind kind) {
  std::vector<Column> c{{"", fMarker}};
  switch (kind) {
    case Kind::Dxcc:
    case Kind::Dxcc2000: c.insert(c.end(), {{"Prefix", fPrefix}, {"Country", fCountry}}); break;
    case Kind::Cq: c.insert(c.end(), {{"CQ", fZone}, {"Country", fCountry}}); break;
    case Kind::Was: c.push_back({"State", fState}); break;
    case Kind::Vucc: c.push_back({"Grid", fGrid}); break;
    case Kind::Usca: c.insert(c.end(), {{"State", fState}, {"County", fCountry}}); break;
    case Kind::Iota:
      c.insert(c.end(), {{"Prefix", fPrefix}, {"IOTA", fIota}, {"Country", fCountry}});
      break;
  }
  c.insert(c.end(), {{"Call Sign", fCall}, {"Date", fDate}, {"Time", fTime}, {"Band", fBand},
                     {"Mode", fMode}, {"Rcv", fRcv}, {"QSL", fQsl}, {"QSL Date", fQslDate}});
  return c;
}

std::string text(const char* field, std::size_t width) {
  std::string s(field, strnlen(field, width));
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

std::string valueOf(const KSD_DETAILROW& r, int field) {
  switch (field) {
    case fMarker: return text(r.marker, sizeof r.marker);
    case fPrefix: return text(r.prefix, sizeof r.prefix);
    case fIota: return text(r.iota, sizeof r.iota);
    case fZone: return r.cqZone != 0 ? std::to_string(r.cqZone) : "";
    case fState: return text(r.state, sizeof r.state);
    case fGrid: return text(r.grid, sizeof r.grid);
    case fCountry: return text(r.country, sizeof r.country);
    case fCall: return text(r.call, sizeof r.call);
    case fDate: return text(r.date, sizeof r.date);
    case fTime: return text(r.time, sizeof r.time);
    case fBand: return text(r.band, sizeof r.band);
    case fMode: return text(r.mode, sizeof r.mode);
    case fRcv: return text(r.rcv, sizeof r.rcv);
    case fQsl: return text(r.qsl, sizeof r.qsl);
    case fQslDate: return text(r.qslDate, sizeof r.qslDate);
    default: return "";
  }
}

// One RFC 4180 field: quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

void printCsv(Kind kind, HWND table, int rows) {
  const std::vector<Column> columns = columnsOf(kind);
  std::string line;
  for (std::size_t i = 0; i < columns.size(); ++i)
    line += (i ? "," : "") + csvField(columns[i].caption);
  std::printf("%s\r\n", line.c_str());
  for (int row = 0; row < rows; ++row) {
    KSD_DETAILROW r{};
    SendMessage(table, DT_SETCURRENTROW, 0, row);
    SendMessage(table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&r));
    line.clear();
    for (std::size_t i = 0; i < columns.size(); ++i)
      line += (i ? "," : "") + csvField(valueOf(r, columns[i].field));
    std::printf("%s\r\n", line.c_str());
  }
}

volatile std::sig_atomic_t interrupted = 0;
HWND progressDialog = nullptr;

void onInterrupt(int) {
  interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

// Presses Cancel in the progress dialog once Ctrl-C was pressed.
void CALLBACK watchInterrupt(HWND, UINT, uintptr_t, DWORD) {
  if (interrupted && progressDialog != nullptr && IsWindow(progressDialog))
    PostMessage(progressDialog, WM_COMMAND, IDCANCEL, 0);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

// The logbook as database 0, then the reference databases at the numbers
// the detail library reads (3 and 4 stand for the main program's others).
class Task {
 public:
  ~Task() {
    if (task_ == nullptr) return;
    dbClose(task_);
    dbCloseTask(task_);
  }
  bool open(const std::string& logbook, const std::string& dict, std::string& error) {
    if (int rc = dbOpenTask(&task_); rc != 0) {
      error = dbResultText(rc);
      return false;
    }
    if (int rc = dbOpen(logbook.c_str(), "s", task_); rc != 0) {
      error = "cannot open the logbook " + logbook + ": " + dbResultText(rc);
      return false;
    }
    for (const char* name : {"COUNTRY", "USCOUNTY", "QSLMGR", "QSLMGR", "IOTA"}) {
      const std::string path = dict + name;
      if (int rc = dbOpenAdd(path.c_str(), task_); rc != 0) {
        error = "cannot open " + path + ": " + dbResultText(rc) + " (run kestrel setup)";
        return false;
      }
    }
    return true;
  }
  DB_TASK* get() const { return task_; }

 private:
  DB_TASK* task_ = nullptr;
};

}  // namespace

int runAward(std::span<char*> args) {
  const Command& self = *findCommand("award");
  std::vector<const char*> words;
  const char* typeName = nullptr;
  const char* bandText = nullptr;
  const char* variantText = nullptr;
  const char* sortName = nullptr;
  bool submission = false, csv = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const char* arg = args[i];
    auto value = [&](const char*& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (std::strcmp(arg, "--type") == 0) {
      if (!value(typeName)) return usageError(self, "--type needs a value");
    } else if (std::strcmp(arg, "--band") == 0) {
      if (!value(bandText)) return usageError(self, "--band needs a value");
    } else if (std::strcmp(arg, "--variant") == 0) {
      if (!value(variantText)) return usageError(self, "--variant needs a value");
    } else if (std::strcmp(arg, "--sort") == 0) {
      if (!value(sortName)) return usageError(self, "--sort needs a value");
    } else if (std::strcmp(arg, "--submission") == 0) {
      submission = true;
    } else if (std::strcmp(arg, "--csv") == 0) {
      csv = true;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usageError(self, ("unknown flag " + std::string(arg)).c_str());
    } else {
      words.push_back(arg);
    }
  }
  if (words.size() != 2) return usageError(self, "needs KIND and LOGBOOK");
  int kindValue = 0;
  if (!lookUp(kKinds, std::size(kKinds), words[0], kindValue))
    return usageError(self, ("no award kind '" + std::string(words[0]) + "'").c_str());
  const Kind kind = static_cast<Kind>(kindValue);
  int type = KSD_MIXED;
  if (typeName != nullptr && !lookUp(kTypes, std::size(kTypes), typeName, type))
    return usageError(self, ("no award type '" + std::string(typeName) + "'").c_str());
  int variant = KSD_FULL_REPORT;
  if (variantText != nullptr && !lookUp(kVariants, std::size(kVariants), variantText, variant)) {
    char* end = nullptr;
    const long code = std::strtol(variantText, &end, 10);
    if (end == variantText || *end != '\0' || code < 0 || code > 99999)
      return usageError(self, ("no variant '" + std::string(variantText) + "'").c_str());
    variant = static_cast<int>(code);
  }
  int sort = 0;
  if (sortName != nullptr && !lookUp(kSorts, std::size(kSorts), sortName, sort))
    return usageError(self, ("no sort order '" + std::string(sortName) + "'").c_str());
  int band = -1;
  if (bandText != nullptr) {
    char* end = nullptr;
    const long value = std::strtol(bandText, &end, 10);
    const bool vhf = kind == Kind::Vucc;
    const bool known = end != bandText && *end == '\0' &&
                       (vhf ? indexOf(kVuccBands, std::size(kVuccBands), static_cast<int>(value))
                            : indexOf(kHfBands, std::size(kHfBands), static_cast<int>(value))) >= 0;
    if (!known) return usageError(self, ("no band '" + std::string(bandText) + "' for this award").c_str());
    if (kind != Kind::Dxcc && kind != Kind::Was && kind != Kind::Cq && !vhf)
      return usageError(self, "--band is for dxcc, was, cq and vucc");
    band = static_cast<int>(value);
  }
  if (kind == Kind::Vucc && band < 0) return usageError(self, "vucc needs --band");

  char dictionary[512];
  GetPrivateProfileString("Database", "DictPath", "Not Found", dictionary, sizeof dictionary,
                          "KESTREL.INI");
  if (std::strcmp(dictionary, "Not Found") == 0) {
    std::fprintf(stderr, "kestrel award: no dictionary directory yet; run kestrel setup\n");
    return kFailed;
  }
  std::string dict = dictionary;
  if (!dict.empty() && dict.back() != '/' && dict.back() != '\\') dict += '/';
  Task task;
  std::string error;
  if (!task.open(words[1], dict, error)) {
    std::fprintf(stderr, "kestrel award: %s\n", error.c_str());
    return kFailed;
  }

  kswin::ConsoleHost host(stderr, stdin);
  host.onDialog("REPORTDLG", [](HWND dialog) { progressDialog = dialog; });
  kswin::ScopedHost scoped(host);
  WNDCLASS wc{};
  wc.lpfnWndProc = mainWindowProc;
  wc.lpszClassName = KESTREL_MAIN_CLASS;
  RegisterClass(&wc);
  HWND main = CreateWindow(KESTREL_MAIN_CLASS, "Kestrel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
  HWND detail = CreateDetailWnd(8, 16);
  if (main == nullptr || detail == nullptr) {
    std::fprintf(stderr, "kestrel award: cannot make the detail window\n");
    return kFailed;
  }
  interrupted = 0;
  auto previous = std::signal(SIGINT, onInterrupt);
  SetTimer(main, 1, 100, watchInterrupt);

  DB_TASK* t = task.get();
  int done = 0;
  switch (kind) {
    case Kind::Dxcc:
      done = band >= 0 ? GetDXCCBandDetailDLL(main, 200 + band, t, variant, sort)
                       : GetDXCCDetailsDLL(main, type, t, variant, sort);
      break;
    case Kind::Dxcc2000: done = GetDXCCDetailsDLL(main, KSD_MIXED, t, KSD_YEAR_2000, sort); break;
    case Kind::Was:
      done = band >= 0 ? GetWASBandDetailDLL(main, 200 + band, t, variant)
                       : GetWASDetailsDLL(main, type, t, variant);
      break;
    case Kind::Cq:
      done = band >= 0 ? GetCQBandDetailsDLL(main, 200 + band, t, variant)
                       : GetCQZoneDetailsDLL(main, type, t, variant);
      break;
    case Kind::Vucc:
      done = GetVUCCDetailsDLL(main, indexOf(kVuccBands, std::size(kVuccBands), band), t, variant);
      break;
    case Kind::Usca: done = GetUSCADetailsDLL(main, type, t, variant); break;
    case Kind::Iota: done = GetIOTADetailsDLL(main, type, t, variant, sort); break;
  }
  KillTimer(main, 1);
  std::signal(SIGINT, previous);

  const int rows = GetDetailTableCount();
  if (csv) {
    printCsv(kind, GetDlgItem(detail, 1), rows);
  } else {
    char title[128] = {};
    GetWindowText(detail, title, sizeof title);
    std::printf("%s\n", title);
    for (int row = 0; row < rows; ++row) {
      char line[256] = {};
      if (submission)
        GetDXCCReportDetailTableLine(row, line);
      else
        GetDetailTableLine(row, line);
      std::printf("%s\n", line);
    }
  }
  std::fflush(stdout);
  // The detail window stays until the process ends: destroying it would
  // write its (never shown) placement into KESTREL.INI.
  DestroyWindow(main);
  if (!done) {
    std::fprintf(stderr, "kestrel award: %s\n",
                 interrupted ? "cancelled; the rows so far are shown" : "this report cannot be computed");
    return kFailed;
  }
  return kOk;
}

}  // namespace kcli
