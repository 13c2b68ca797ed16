// kestrel browse: the log browser over a logbook. Plays the main logbook
// program: a task with the logbook and the country database, the main
// window (which answers 1101 and takes 1097), the browser window; then
// either a query through the browser's own dialog or the whole log fed line
// by line in date order, the menu's sort, tag, save and print commands, and
// the listed lines on standard output.
#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "browse/browserow.h"
#include "browse/ksbrowse.h"
#include "commands.h"
#include "console_flags.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/logschema.h"
#include "schema/mainwindow.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace kcli {
namespace {

struct Named {
  const char* name;
  int value;
};
constexpr Named kQsl[] = {{"not-sent", KSB_Q_QSL_NOT_SENT},
                          {"sent-not-cfm", KSB_Q_QSL_SENT_NOT_CFM},
                          {"cfm", KSB_Q_QSL_CFM},
                          {"not-sent-cfm", KSB_Q_QSL_NOT_SENT_CFM}};
constexpr Named kSorts[] = {{"band", KSB_CMD_SORT_BAND},     {"call", KSB_CMD_SORT_CALL},
                            {"zone", KSB_CMD_SORT_ZONE},     {"date", KSB_CMD_SORT_DATE},
                            {"mode", KSB_CMD_SORT_MODE},     {"prefix", KSB_CMD_SORT_PREFIX},
                            {"state", KSB_CMD_SORT_STATE}};

const Named* lookUp(const Named* table, std::size_t n, const char* name) {
  for (std::size_t i = 0; i < n; ++i)
    if (std::strcmp(table[i].name, name) == 0) return &table[i];
  return nullptr;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The query as the flags give it; what is not given stays unchecked.
struct Flags {
  const char* date = nullptr;
  const char* prefix = nullptr;
  const char* zone = nullptr;
  const char* state = nullptr;
  const char* band = nullptr;
  const char* mode = nullptr;
  const char* qsl = nullptr;
  const char* exclude = nullptr;
  const char* sort = nullptr;
  const char* save = nullptr;
  const char* print = nullptr;
  bool tag = false;
  bool query() const {
    return date || prefix || zone || state || band || mode || qsl || exclude;
  }
};

// The console host, noting the boxes that warn or report an error: the
// dialog's refusals and the File commands' failures.
class BrowseHost : public kswin::ConsoleHost {
 public:
  using ConsoleHost::ConsoleHost;
  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override {
    const UINT icon = style & MB_ICONMASK;
    if (icon == MB_ICONWARNING || icon == MB_ICONERROR) ++failures;
    return ConsoleHost::messageBox(owner, text, caption, style);
  }
  int failures = 0;
};

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == KM_TAG_SETTINGS) return tagSettingsAnswer();
  if (message == KM_PICK_CONTACT) return 0;  // nothing to show it in here
  return DefWindowProc(window, message, wParam, lParam);
}

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
    if (int rc = dbOpen(logbook.c_str(), "o", task_); rc != 0) {
      error = "cannot open the logbook " + logbook + ": " + dbResultText(rc);
      return false;
    }
    const std::string country = dict + "COUNTRY";
    if (int rc = dbOpenAdd(country.c_str(), task_); rc != 0) {
      error = "cannot open " + country + ": " + dbResultText(rc) + " (run kestrel setup)";
      return false;
    }
    return true;
  }
  DB_TASK* get() const { return task_; }

 private:
  DB_TASK* task_ = nullptr;
};

// Every contact as the main program feeds the browser, in the order of the
// date key: day by day, contacts of one day in the order of their database
// addresses. The contacts are read in database order (one pass through the
// data file; reading them in key order would seek for nearly every one) and
// the table then orders its lines by day, keeping the database order within
// a day: the key's own order (day, then address).
void feedWholeLog(HWND browser, DB_TASK* task) {
  SendMessage(browser, KM_BROWSER_REDRAW, 0, 0);
  SendMessage(browser, KM_BROWSER_EMPTY, 0, 0);
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
  SendMessage(table, DT_SETSORTKEY, ksbrowse::kColDay, 1);
  SendMessage(table, DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), DT_ORDER_EXACT);
  SendMessage(browser, KM_BROWSER_REDRAW, 1, 0);
  SendMessage(browser, KM_BROWSER_LAST, 0, 0);
}

// The index of the list item whose text is `word` (without regard to
// case), -1 when none.
int findItem(HWND dialog, int list, const std::string& word) {
  const int count = static_cast<int>(SendDlgItemMessage(dialog, list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    SendDlgItemMessage(dialog, list, CB_GETLBTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(text));
    if (strcasecmp(text, word.c_str()) == 0) return i;
  }
  return -1;
}

// Fills the query dialog from the flags: every criterion stored from an
// earlier run is cleared first. `problem` is set (and the dialog cancelled)
// for a band or mode the dialog's lists do not hold.
void fillDialog(HWND d, const Flags& f, std::string& problem) {
  for (int id : {KSB_Q_DATE, KSB_Q_PREFIX, KSB_Q_ZONE, KSB_Q_STATE, KSB_Q_BAND, KSB_Q_MODE,
                 KSB_Q_QSL, KSB_Q_EXCLUDE})
    CheckDlgButton(d, id, BST_UNCHECKED);
  for (int id : {KSB_Q_DATE_FROM, KSB_Q_DATE_TO, KSB_Q_PREFIX_TEXT, KSB_Q_ZONE_TEXT,
                 KSB_Q_STATE_TEXT, KSB_Q_EXCLUDE_TEXT})
    SetDlgItemText(d, id, "");
  for (int id = KSB_Q_QSL_NOT_SENT; id <= KSB_Q_QSL_NOT_SENT_CFM; ++id)
    EnableWindow(GetDlgItem(d, id), FALSE);
  if (f.date != nullptr) {
    const std::string range = f.date;
    const std::size_t comma = range.find(',');
    const std::string from = range.substr(0, comma);
    const std::string to = comma == std::string::npos ? "" : range.substr(comma + 1);
    kswin::press(d, KSB_Q_DATE);
    SetDlgItemText(d, KSB_Q_DATE_FROM, logDate(from).c_str());
    SetDlgItemText(d, KSB_Q_DATE_TO, to.empty() ? "" : logDate(to).c_str());
  }
  auto checkWithText = [&](const char* value, int box, int edit) {
    if (value == nullptr) return;
    kswin::press(d, box);
    SetDlgItemText(d, edit, upper(value).c_str());
  };
  checkWithText(f.prefix, KSB_Q_PREFIX, KSB_Q_PREFIX_TEXT);
  checkWithText(f.zone, KSB_Q_ZONE, KSB_Q_ZONE_TEXT);
  checkWithText(f.state, KSB_Q_STATE, KSB_Q_STATE_TEXT);
  auto choose = [&](const char* value, int box, int list, const char* what) {
    if (value == nullptr) return;
    const int index = findItem(d, list, value);
    if (index < 0) {
      problem = std::string("no ") + what + " '" + value + "' in the query's list";
      return;
    }
    kswin::press(d, box);
    kswin::selectItem(d, list, index);
  };
  choose(f.band, KSB_Q_BAND, KSB_Q_BAND_LIST, "band");
  choose(f.mode, KSB_Q_MODE, KSB_Q_MODE_LIST, "mode");
  if (f.qsl != nullptr) {
    kswin::press(d, KSB_Q_QSL);
    kswin::press(d, lookUp(kQsl, std::size(kQsl), f.qsl)->value);
  }
  if (f.exclude != nullptr) {
    kswin::press(d, KSB_Q_EXCLUDE);
    SetDlgItemText(d, KSB_Q_EXCLUDE_TEXT, upper(f.exclude).c_str());
  }
  kswin::press(d, problem.empty() ? IDOK : IDCANCEL);
}

}  // namespace

int runBrowse(std::span<char*> args) {
  const Command& self = *findCommand("browse");
  std::vector<char*> rest(args.begin(), args.end());
  BrowseHost host(stderr, stdin);
  std::string problem;
  if (!takeConsoleFlags(rest, host, nullptr, &problem)) return usageError(self, problem.c_str());

  Flags f;
  std::vector<const char*> words;
  struct Option {
    const char* flag;
    const char** into;
  };
  const Option options[] = {{"--date", &f.date},   {"--prefix", &f.prefix},
                            {"--zone", &f.zone},   {"--state", &f.state},
                            {"--band", &f.band},   {"--mode", &f.mode},
                            {"--qsl", &f.qsl},     {"--exclude", &f.exclude},
                            {"--sort", &f.sort},   {"--save", &f.save},
                            {"--print", &f.print}};
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char* arg = rest[i];
    if (std::strcmp(arg, "--tag") == 0) {
      f.tag = true;
      continue;
    }
    const Option* option = nullptr;
    for (const Option& o : options)
      if (std::strcmp(arg, o.flag) == 0) option = &o;
    if (option != nullptr) {
      if (i + 1 >= rest.size())
        return usageError(self, (std::string(arg) + " needs a value").c_str());
      *option->into = rest[++i];
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usageError(self, ("unknown flag " + std::string(arg)).c_str());
    } else {
      words.push_back(arg);
    }
  }
  if (words.size() != 1) return usageError(self, "needs LOGBOOK");
  if (f.qsl != nullptr && lookUp(kQsl, std::size(kQsl), f.qsl) == nullptr)
    return usageError(self, ("no QSL state '" + std::string(f.qsl) + "'").c_str());
  const Named* sort = nullptr;
  if (f.sort != nullptr && (sort = lookUp(kSorts, std::size(kSorts), f.sort)) == nullptr)
    return usageError(self, ("no sort order '" + std::string(f.sort) + "'").c_str());
  if (f.date != nullptr) {
    const std::string range = f.date;
    const std::size_t comma = range.find(',');
    for (const std::string& part :
         {range.substr(0, comma), comma == std::string::npos ? "" : range.substr(comma + 1)}) {
      bool outOfRange = false;
      logDate(part, &outOfRange);
      if (outOfRange) return usageError(self, ("the log cannot hold the date " + part).c_str());
    }
  }

  char dictionary[512];
  GetPrivateProfileString("Database", "DictPath", "Not Found", dictionary, sizeof dictionary,
                          "KESTREL.INI");
  if (std::strcmp(dictionary, "Not Found") == 0) {
    std::fprintf(stderr, "kestrel browse: no dictionary directory yet; run kestrel setup\n");
    return kFailed;
  }
  std::string dict = dictionary;
  if (!dict.empty() && dict.back() != '/' && dict.back() != '\\') dict += '/';
  Task task;
  std::string error;
  if (!task.open(words[0], dict, error)) {
    std::fprintf(stderr, "kestrel browse: %s\n", error.c_str());
    return kFailed;
  }

  std::string dialogProblem;
  int refusals = -1;  // warnings shown while the query dialog was up
  if (f.query()) {
    host.onDialog("QUERY", [&](HWND d) {
      const int before = host.failures;
      fillDialog(d, f, dialogProblem);
      refusals = host.failures - before;
    });
  }
  kswin::ScopedHost scoped(host);
  WNDCLASS wc{};
  wc.lpfnWndProc = mainWindowProc;
  wc.lpszClassName = KESTREL_MAIN_CLASS;
  RegisterClass(&wc);
  HWND main = CreateWindow(KESTREL_MAIN_CLASS, "Kestrel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
  HWND browser = CreateBrowseWnd(8, 16);
  if (main == nullptr || browser == nullptr) {
    std::fprintf(stderr, "kestrel browse: cannot make the browser window\n");
    return kFailed;
  }
  InitBrowser(0, task.get());

  if (f.query()) {
    kswin::chooseMenuItem(browser, KSB_CMD_QUERY);
    if (!dialogProblem.empty()) return usageError(self, dialogProblem.c_str());
    if (refusals != 0) return kUsage;  // the dialog said why, on standard error
  } else {
    feedWholeLog(browser, task.get());
  }

  HWND table = GetDlgItem(browser, 1);
  auto rows = [&] { return static_cast<int>(SendMessage(table, DT_GETROWCOUNT, 0, 0)); };
  int status = kOk;
  // A File command failed when it showed a warning or an error.
  auto run = [&](UINT command) {
    const int before = host.failures;
    if (!kswin::chooseMenuItem(browser, command) || host.failures != before) status = kFailed;
  };
  if (sort != nullptr && rows() > 0) kswin::chooseMenuItem(browser, static_cast<UINT>(sort->value));
  if (f.tag && rows() > 0) {
    host.queueAnswer(IDYES);
    run(KSB_CMD_TAG);
  }
  if (f.save != nullptr) {
    if (rows() > 0) {
      host.queueFile(f.save);
      run(KSB_CMD_SAVE);
    } else {
      std::fprintf(stderr, "kestrel browse: nothing listed; %s not written\n", f.save);
      status = kFailed;
    }
  }
  if (f.print != nullptr) {
    if (rows() > 0) {
      std::error_code ignored;
      std::filesystem::remove(f.print, ignored);
      host.setPrintFile(f.print);
      run(KSB_CMD_PRINT);
      if (!std::filesystem::exists(f.print)) status = kFailed;
    } else {
      std::fprintf(stderr, "kestrel browse: nothing listed; %s not printed\n", f.print);
      status = kFailed;
    }
  }

  const int count = rows();
  for (int row = 0; row < count; ++row) {
    ksbrowse::BrowserRow line{};
    SendMessage(table, DT_SETCURRENTROW, 0, row);
    SendMessage(table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&line));
    const std::string text = ksbrowse::textLine(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  // The browser stays until the process ends: destroying it would write its
  // (never seen) placement into KESTREL.INI.
  DestroyWindow(main);
  if (count == 0 && status == kOk) status = kFailed;
  return status;
}

}  // namespace kcli
