// kestrel desk: the suite's main window on a desktop. It is the window of
// class "Kestrel4WClass" that the companions find (answering what kestrel
// host answers), holds the open logbook, and starts the companion programs
// from its menu on that logbook: the log browser, the award detail windows
// and the grayline map beside it, the import program in its place (the import program does
// not run beside the main program, so the desk steps aside while it runs and
// comes back when it ends). Programs it cannot start yet stay greyed;
// hovering them says why in the status line.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browse/ksbrowse.h"
#include "commands.h"
#include "detail/ksdetail.h"
#include "grayline/grayline.h"
#include "import/program.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/logschema.h"
#include "schema/mainwindow.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"
#ifdef KESTREL_HAVE_QT
#include "winlayer/qt/qthost.h"
#endif

namespace kcli {

namespace {

constexpr const char* kDeskMenu = "KestrelDeskMenu";
constexpr const char* kIni = "KESTREL.INI";
constexpr const char* kSection = "Desk";

namespace id {
constexpr UINT kOpen = 1001, kClose = 1002, kExit = 1003, kImport = 1010, kBrowser = 1011,
               kDxcc = 1020, kWas = 1021, kCq = 1022, kIota = 1023, kUsca = 1024,
               kGrayline = 1030, kCountryEditor = 1040, kIotaEditor = 1041,
               kQslEditor = 1042, kAbout = 1050;
}  // namespace id
constexpr int kLogControl = 10, kStatusControl = 11;
constexpr int kStatusHeight = 20;

// The programs of the suite not yet started from here, and what their
// greyed entries say.
struct Missing {
  UINT id;
  const char* tip;
};
constexpr Missing kMissing[] = {
    {id::kCountryEditor, "The country editor is not on the desktop yet: kestrel country runs it."},
    {id::kIotaEditor, "The IOTA editor is not on the desktop yet: kestrel iota runs it."},
    {id::kQslEditor, "The QSL manager editor is not on the desktop yet: kestrel qslmgr runs it."},
};

struct DeskState {
  HWND window = nullptr;
  HWND log = nullptr;
  HWND status = nullptr;
  std::string logbook;  // path without extension; empty: none open
  DB_TASK* task = nullptr;
  long contacts = 0;
  bool importNext = false;  // the desk steps aside for the import program
  std::vector<UINT> startQueue;  // menu commands given with --start
};
DeskState desk;

std::string dictionaryPath() {
  char text[512] = {};
  GetPrivateProfileString("Database", "DictPath", "", text, sizeof text, kIni);
  std::string path = text;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path;
}

void appendLog(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  if (desk.log == nullptr) return;
  SendMessage(desk.log, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  SendMessage(desk.log, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  const std::string text = line + "\r\n";
  SendMessage(desk.log, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void showStatus(const std::string& tip = {}) {
  std::string text;
  if (!tip.empty()) text = tip;
  else if (desk.logbook.empty()) text = "No logbook open";
  else text = "Logbook " + desk.logbook + "    " + std::to_string(desk.contacts) + " contacts";
  if (desk.status != nullptr) SetWindowText(desk.status, text.c_str());
}

void closeLogbook() {
  if (desk.task != nullptr) {
    dbClose(desk.task);
    dbCloseTask(desk.task);
    desk.task = nullptr;
  }
  desk.logbook.clear();
  desk.contacts = 0;
}

long countContacts(DB_TASK* task) {
  long count = 0;
  for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == 0;
       rc = dbRecordNext(task, 0))
    ++count;
  return count;
}

// Opens the logbook with the reference databases at the numbers the detail
// library reads, as the main program does.
bool openLogbook(const std::string& path) {
  closeLogbook();
  const std::string dict = dictionaryPath();
  if (dict.empty()) {
    MessageBox(desk.window, "There is no dictionary directory yet: run kestrel setup.",
               "Kestrel", MB_OK | MB_ICONERROR);
    return false;
  }
  std::string problem;
  if (int rc = dbOpenTask(&desk.task); rc != 0) {
    problem = dbResultText(rc);
    desk.task = nullptr;
  } else if (int rc2 = dbOpen(path.c_str(), "s", desk.task); rc2 != 0) {
    problem = "Cannot open the logbook " + path + ": " + dbResultText(rc2);
  } else {
    for (const char* name : {"COUNTRY", "USCOUNTY", "QSLMGR", "QSLMGR", "IOTA"}) {
      const std::string reference = dict + name;
      if (int rc3 = dbOpenAdd(reference.c_str(), desk.task); rc3 != 0) {
        problem = "Cannot open " + reference + ": " + dbResultText(rc3);
        break;
      }
    }
  }
  if (!problem.empty()) {
    if (desk.task != nullptr) {
      dbClose(desk.task);
      dbCloseTask(desk.task);
      desk.task = nullptr;
    }
    MessageBox(desk.window, problem.c_str(), "Kestrel", MB_OK | MB_ICONERROR);
    showStatus();
    return false;
  }
  desk.logbook = path;
  desk.contacts = countContacts(desk.task);
  WritePrivateProfileString(kSection, "Logbook", path.c_str(), kIni);
  appendLog("logbook " + path + ": " + std::to_string(desk.contacts) + " contacts");
  return true;
}

void enableItems() {
  HMENU bar = GetMenu(desk.window);
  if (bar == nullptr) return;
  const UINT open = desk.logbook.empty() ? MF_GRAYED : MF_ENABLED;
  for (UINT item : {id::kClose, id::kBrowser, id::kDxcc, id::kWas, id::kCq, id::kIota, id::kUsca})
    EnableMenuItem(bar, item, MF_BYCOMMAND | open);
  for (const Missing& missing : kMissing) EnableMenuItem(bar, missing.id, MF_BYCOMMAND | MF_GRAYED);
  DrawMenuBar(desk.window);
  std::string title = "Kestrel";
  if (!desk.logbook.empty()) title += " - " + desk.logbook;
  SetWindowText(desk.window, title.c_str());
  showStatus();
}

bool chooseLogbook() {
  char file[1024] = {};
  OPENFILENAME request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = desk.window;
  request.lpstrFilter = "Kestrel Logbooks (*.DBD)\0*.DBD\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrTitle = "Open Logbook";
  request.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileName(&request)) return false;
  std::string path = file;
  const size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && path.find('/', dot) == std::string::npos) path.resize(dot);
  return openLogbook(path);
}

void showDetail(UINT command) {
  if (desk.task == nullptr) return;
  HWND detail = CreateDetailWnd(8, 16);
  if (detail == nullptr) {
    MessageBox(desk.window, "The award detail window cannot be made.", "Kestrel",
               MB_OK | MB_ICONERROR);
    return;
  }
  int done = 0;
  switch (command) {
    case id::kDxcc: done = GetDXCCDetailsDLL(desk.window, KSD_MIXED, desk.task, KSD_FULL_REPORT, 0); break;
    case id::kWas: done = GetWASDetailsDLL(desk.window, KSD_MIXED, desk.task, KSD_FULL_REPORT); break;
    case id::kCq: done = GetCQZoneDetailsDLL(desk.window, KSD_MIXED, desk.task, KSD_FULL_REPORT); break;
    case id::kIota: done = GetIOTADetailsDLL(desk.window, KSD_MIXED, desk.task, KSD_FULL_REPORT, 0); break;
    case id::kUsca: done = GetUSCADetailsDLL(desk.window, KSD_MIXED, desk.task, KSD_FULL_REPORT); break;
    default: break;
  }
  if (done && IsWindow(detail)) {
    ShowWindow(detail, SW_SHOWNORMAL);
    UpdateWindow(detail);
  }
  appendLog(std::string("award details ") + (done ? "shown" : "cancelled"));
}

void command(UINT item) {
  switch (item) {
    case id::kOpen:
      chooseLogbook();
      enableItems();
      break;
    case id::kClose:
      closeLogbook();
      enableItems();
      break;
    case id::kExit: DestroyWindow(desk.window); break;
    case id::kImport:
      // The import program refuses to start beside the main program: the
      // desk closes and comes back when the import program ends.
      desk.importNext = true;
      DestroyWindow(desk.window);
      break;
    case id::kDxcc:
    case id::kWas:
    case id::kCq:
    case id::kIota:
    case id::kUsca: showDetail(item); break;
    case id::kBrowser:
      if (desk.task == nullptr) break;
      if (HWND browser = CreateBrowseWnd(8, 16); browser != nullptr) {
        InitBrowser(0, desk.task);
        appendLog("log browser shown");
      } else {
        MessageBox(desk.window, "The log browser cannot be made.", "Kestrel", MB_OK | MB_ICONERROR);
      }
      break;
    case id::kGrayline:
      if (HWND map = CreateGraylineWnd(nullptr, nullptr); map != nullptr) {
        InitGrayline(0);
        appendLog("grayline map shown");
      }
      break;
    case id::kAbout:
      MessageBox(desk.window,
                 "Kestrel logbook companion suite 1.9\n\nThe main window: open a logbook, then "
                 "start the companions from the Programs menu.",
                 "About Kestrel", MB_OK | MB_ICONINFORMATION);
      break;
    default:
      for (const Missing& missing : kMissing)
        if (missing.id == item) MessageBox(desk.window, missing.tip, "Kestrel", MB_OK | MB_ICONINFORMATION);
      break;
  }
}

void registerDeskMenu() {
  using kswin::MenuTemplateItem;
  kswin::registerMenu(
      kDeskMenu,
      {{"&File",
        {{"&Open Logbook...\tCtrl+O", id::kOpen}, {"&Close Logbook", id::kClose}, {},
         {"E&xit", id::kExit}}},
       {"&Programs",
        {{"&Import...", id::kImport},
         {"Log &Browser", id::kBrowser},
         {},
         {"&Award Details",
          {{"&DXCC", id::kDxcc}, {"&WAS", id::kWas}, {"&CQ Zones", id::kCq},
           {"&IOTA", id::kIota}, {"&USA Counties", id::kUsca}}},
         {"&Grayline Map", id::kGrayline},
         {},
         {"C&ountry Editor", id::kCountryEditor, MF_GRAYED},
         {"IOTA &Editor", id::kIotaEditor, MF_GRAYED},
         {"&QSL Manager Editor", id::kQslEditor, MF_GRAYED}}},
       {"&Help", {{"&About Kestrel...", id::kAbout}}}});
  kswin::registerAccelerators(kDeskMenu, {{FVIRTKEY | FCONTROL, 'O', static_cast<WORD>(id::kOpen)}});
}

LRESULT CALLBACK deskProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      desk.log = CreateWindow("EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL,
                              0, 0, 0, 0, window, reinterpret_cast<HMENU>(kLogControl), nullptr,
                              nullptr);
      SendMessage(desk.log, EM_LIMITTEXT, 0, 0);
      desk.status = CreateWindow("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(kStatusControl), nullptr, nullptr);
      return 0;
    case WM_SIZE: {
      const int width = LOWORD(lParam), height = HIWORD(lParam);
      MoveWindow(desk.log, 0, 0, width, std::max(height - kStatusHeight, 0), TRUE);
      MoveWindow(desk.status, 4, std::max(height - kStatusHeight + 2, 0), std::max(width - 8, 0),
                 kStatusHeight - 2, TRUE);
      return 0;
    }
    case WM_COMMAND: command(LOWORD(wParam)); return 0;
    case WM_MENUSELECT: {
      const UINT item = LOWORD(wParam);
      std::string tip;
      for (const Missing& missing : kMissing)
        if (missing.id == item) tip = missing.tip;
      showStatus(tip);
      return 0;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY:
      kswin::unpublishWindow(window);
      desk.window = desk.log = desk.status = nullptr;
      PostQuitMessage(0);
      return 0;
    default: break;
  }
  if (message < WM_USER) return DefWindowProc(window, message, wParam, lParam);
  // The companions' messages to the main program.
  const LRESULT answer = message == KM_TAG_SETTINGS ? tagSettingsAnswer() : 0;
  appendLog("message " + std::to_string(message) + " wParam " + std::to_string(wParam) +
            " lParam " + std::to_string(lParam) + " -> " + std::to_string(answer));
  return answer;
}

bool makeDesk() {
  WNDCLASS wc{};
  wc.lpfnWndProc = deskProc;
  wc.lpszClassName = KESTREL_MAIN_CLASS;
  wc.lpszMenuName = kDeskMenu;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClass(&wc);
  desk.window = CreateWindow(KESTREL_MAIN_CLASS, "Kestrel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 400, nullptr, nullptr, nullptr, nullptr);
  if (desk.window == nullptr) return false;
  if (!kswin::publishWindow(desk.window)) {
    std::fprintf(stderr, "kestrel desk: another main logbook window is running\n");
    DestroyWindow(desk.window);
    return false;
  }
  enableItems();
  ShowWindow(desk.window, SW_SHOWNORMAL);
  UpdateWindow(desk.window);
  std::printf("main logbook window ready (%s)\n", kswin::publishedSocketPath(KESTREL_MAIN_CLASS).c_str());
  std::fflush(stdout);
  return true;
}

struct StartName {
  const char* name;
  UINT item;
};
constexpr StartName kStarts[] = {{"import", id::kImport}, {"browse", id::kBrowser},
                                 {"dxcc", id::kDxcc}, {"was", id::kWas},
                                 {"cq", id::kCq},         {"iota", id::kIota}, {"usca", id::kUsca},
                                 {"grayline", id::kGrayline}};

}  // namespace

int runDesk(std::span<char*> args) {
  const Command& self = *findCommand("desk");
  std::vector<char*> rest(args.begin(), args.end());
  const kswin::UiKind kind = kswin::chooseUi(rest);
  std::string logbook;
  desk = DeskState{};
  for (size_t i = 0; i < rest.size(); ++i) {
    if (std::strcmp(rest[i], "--start") == 0 && i + 1 < rest.size()) {
      const char* name = rest[++i];
      bool known = false;
      for (const StartName& start : kStarts)
        if (std::strcmp(start.name, name) == 0) {
          desk.startQueue.push_back(start.item);
          known = true;
        }
      if (!known) return usageError(self, ("no companion '" + std::string(name) + "'").c_str());
    } else if (rest[i][0] == '-' && rest[i][1] != '\0') {
      return usageError(self, ("unknown flag " + std::string(rest[i])).c_str());
    } else if (logbook.empty()) {
      logbook = rest[i];
    } else {
      return usageError(self, "one LOGBOOK at most");
    }
  }

  std::unique_ptr<kswin::UiHost> host;
#ifdef KESTREL_HAVE_QT
  if (kind == kswin::UiKind::qt) host = std::make_unique<kswin::QtHost>();
#else
  if (kind == kswin::UiKind::qt)
    std::fprintf(stderr, "kestrel desk: built without Qt; the desk runs on the console\n");
#endif
  if (!host && kind == kswin::UiKind::headless) host = std::make_unique<kswin::HeadlessHost>();
  if (!host) host = std::make_unique<kswin::ConsoleHost>(stderr, stdin);
  kswin::ScopedHost scoped(*host);
  registerDeskMenu();

  if (logbook.empty()) {
    char saved[1024] = {};
    GetPrivateProfileString(kSection, "Logbook", "", saved, sizeof saved, kIni);
    logbook = saved;
  }
  int status = kOk;
  for (bool first = true;; first = false) {
    if (!makeDesk()) return kFailed;
    if (!logbook.empty()) openLogbook(logbook);
    enableItems();
    if (first)
      for (UINT item : desk.startQueue) PostMessage(desk.window, WM_COMMAND, MAKEWPARAM(item, 0), 0);
    HACCEL keys = LoadAccelerators(nullptr, kDeskMenu);
    MSG msg{};
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
      if (desk.window != nullptr && TranslateAccelerator(desk.window, keys, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    DestroyAcceleratorTable(keys);
    status = static_cast<int>(msg.wParam);
    // The companions that read the logbook go with the main window.
    for (const char* companion : {"DetailWClass", "GraylineWClass", "BrowseWClass"})
      while (HWND other = FindWindow(companion, nullptr)) {
        if (!DestroyWindow(other)) break;
      }
    logbook = desk.logbook;
    closeLogbook();
    if (desk.window != nullptr) DestroyWindow(desk.window);
    if (!desk.importNext) break;
    desk.importNext = false;
    // The import program opens logbooks through its own menu; the desk's
    // comes back with the desk.
    if (ksimport::startImportProgram() != nullptr) ksimport::runImportProgram();
  }
  return status;
}

}  // namespace kcli

#if defined(__SANITIZE_ADDRESS__)
// Under the leak checker: what Qt, its platform plugins and fontconfig keep
// for the life of the process is theirs, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6\nleak:libfontconfig\nleak:libglib\nleak:libxcb\nleak:libX11\n"
         "leak:libdbus\nleak:libEGL\nleak:libGL\nleak:qt6/plugins\n";
}
#endif
