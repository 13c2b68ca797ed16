// The import program's main window: start checks, settings, menu, console,
// title, help and About, and the import commands.
#include "program.h"

#include <limits.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "funct/ksfunct.h"
#include "adifimport.h"
#include "importers.h"
#include "prefixservices.h"
#include "programstate.h"
#include "strings.h"
#include "keybld/kskeybld.h"
#include "recdb/recdb.h"
#include "schema/mainwindow.h"
#include "winlayer/host.h"

namespace ksimport {
namespace app {

ProgramState& state() {
  static ProgramState instance;
  return instance;
}

namespace {

constexpr const char* kClassName = "KSImportWClass";
constexpr const char* kMenuName = "KSImportMenu";
constexpr const char* kTitle = "Kestrel Import";
constexpr int kVersionMajor = 1, kVersionMinor = 9;
constexpr int kImportMenuPosition = 1;

// The importers whose formats are still to come: their menu item and file
// dialog, and what they say for now.
struct PendingImporter {
  UINT id;
  const char* title;
  const char* filter;  // description and pattern, double-NUL ended
  const char* extension;
};
constexpr PendingImporter kPending[] = {
    {menu::kAscii, "Import ASCII File",
     "ASCII Import Files (*.ASC)\0*.ASC\0All Files (*.*)\0*.*\0", "ASC"},
    {menu::kCt, "Import CT Results File", "CT Results Files (*.RES)\0*.RES\0", "RES"},
    {menu::kDxBase, "Import DXBase File", "DXBase Files (*.SDF)\0*.SDF\0", "SDF"},
    {menu::kDxLog, "Import DXLog File", "DXLog Files (*.DBF)\0*.DBF\0", "DBF"},
    {menu::kDxDesktop, "Import DX Desktop File", "DXBase Files (*.DBF)\0*.DBF\0", "DBF"},
    {menu::kEasyDx, "Import Easy-DX File", "Easy-DX Files (*.DAT)\0*.DAT\0", "DAT"},
    {menu::kHyperlog, "Import Hyperlog File", "HyperLog Files (*.TXT)\0*.TXT\0", "TXT"},
    {menu::kLogMaster, "Import Logmaster File", "Logmaster Files (*.DB)\0*.DB\0", "DB"},
    {menu::kLogPlus, "Import Q7QC LogPlus! File", "LogPlus! Files (*.DBF)\0*.DBF\0", "DBF"},
    {menu::kLogView, "Import LogView File", "LogView Files (*.LGS)\0*.LGS\0", "LGS"},
    {menu::kSecondOp, "Import Q6QB Second Op File", "DXBase Files (*.DBF)\0*.DBF\0", "DBF"},
    {menu::kPakRatt, "Import PakRatt File", "All Files (*.*)\0*.*\0", ""},
    {menu::kRtty, "Import RTTY by Q1QA File", "Q1QA Files (*.BIN)\0*.BIN\0", "BIN"},
    {menu::kTrLog, "Import TR-LOG File", "TRLOG Files (*.DAT)\0*.DAT\0", "DAT"},
};
constexpr const char* kNotYet = "This import format is not available yet.";

void registerMenuBar() {
  kswin::registerMenu(
      kMenuName,
      {{"&File",
        {{"&New Logbook", menu::kNewLogbook},
         {"&Open Logbook", menu::kOpenLogbook},
         {"&Close Logbook", menu::kCloseLogbook},
         {"&Rename", menu::kRename},
         {"Rebuild &Keys", menu::kRebuildKeys},
         {},
         {"&Exit", menu::kExit}}},
       {"&Import",
        {{"AD&IF", menu::kAdif},
         {"&ASCII", menu::kAscii},
         {"&CT", menu::kCt},
         {"&DXBase", menu::kDxBase},
         {"D&XLog", menu::kDxLog},
         {"DX Desk&top", menu::kDxDesktop},
         {"&Easy-DX", menu::kEasyDx},
         {"&Hyperlog", menu::kHyperlog},
         {"&LogMaster", menu::kLogMaster},
         {"LogPlus&!", menu::kLogPlus},
         {"Log &View", menu::kLogView},
         {"&Q6QB 2nd Op", menu::kSecondOp},
         {"&PakRatt", menu::kPakRatt},
         {"&Q1QA", menu::kRtty}}},
       {"&Help",
        {{"&Index\tF1", menu::kHelpIndex},
         {"&Commands", menu::kHelpCommands},
         {"&Procedures", menu::kHelpProcedures},
         {"&Using Help", menu::kHelpOnHelp},
         {},
         {"&About Import...", menu::kAbout}}}});
  kswin::registerAccelerators(kMenuName, {{FVIRTKEY, VK_F1, static_cast<WORD>(menu::kHelpIndex)}});
}

// "KSIMPORT.HLP" beside the program; the directory alone when the program's
// path is too long to take the name.
std::string helpFile() {
  char path[PATH_MAX] = {};
  GetModuleFileName(nullptr, path, sizeof path);
  std::string help = path;
  const size_t slash = help.find_last_of("/\\");
  help.erase(slash == std::string::npos ? 0 : slash + 1);
  if (std::strlen(path) < 242) help += "KSIMPORT.HLP";
  return help;
}

void importAdifFile() {
  state().lastImport = ImportEnd::NotStarted;
  std::string path;
  if (!askFile(false, "Import ADIF File", "ADIF Files (*.ADI)\0*.ADI\0", "ADI", "", path))
    return;
  ProgramState& s = state();
  ProgramFrame frame;
  PrefixServices services(s.task);
  AdifSettings settings;
  settings.dateFormat = s.settings.dateFormat;
  settings.hourOffset = s.settings.hourOffset;
  s.lastImport = importAdif(s.window, s.task, frame, services, settings, path);
}

void importPending(const PendingImporter& importer) {
  state().lastImport = ImportEnd::NotStarted;
  std::string path;
  if (!askFile(false, importer.title, importer.filter, importer.extension, "", path)) return;
  if (const ImportFunction run = importerFor(importer.id)) {
    ProgramState& s = state();
    ProgramFrame frame;
    PrefixServices services(s.task);
    ImportContext context;
    context.window = s.window;
    context.task = s.task;
    context.frame = &frame;
    context.services = &services;
    context.dateFormat = s.settings.dateFormat;
    context.hourOffset = s.settings.hourOffset;
    context.powerLevel = s.settings.powerLevel;
    s.lastImport = run(context, path);
    return;
  }
  if (importer.id == menu::kTrLog) return;  // this one never did more than ask
  MessageBox(state().window, kNotYet, importer.title, MB_OK | MB_ICONINFORMATION);
}

INT_PTR aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      char version[16];
      std::snprintf(version, sizeof version, "V%d.%d", kVersionMajor, kVersionMinor);
      SetDlgItemText(dialog, 1000, version);
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, TRUE);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

void setTitle(WPARAM which, LPARAM record) {
  const ProgramState& s = state();
  std::string title = kTitle;
  if (which == 1) {
    title += " - " + s.baseName;
    if (record != 0) title += " [Record " + std::to_string(record - 1) + "]";
  }
  SetWindowText(s.window, title.c_str());
}

void command(HWND window, UINT id) {
  ProgramState& s = state();
  std::string path;
  switch (id) {
    case menu::kNewLogbook:
      if (askFile(true, "New Logbook", kLogbookFilter, "DAT", "NONAME.DAT", path))
        openLogbook(path, true);
      return;
    case menu::kOpenLogbook:
      if (askFile(false, "Open Logbook", kLogbookFilter, "DAT", "", path)) openLogbook(path, false);
      return;
    case menu::kCloseLogbook:
      if (!s.logbookOpen) return;
      if (s.baseName == "NONAME") {
        renameLogbook();  // it closes the logbook whatever the answer
        if (s.logbookOpen) closeLogbook();
      } else {
        closeLogbook();
      }
      return;
    case menu::kRename:
      if (s.logbookOpen && renameLogbook() == 1) openLogbook(s.files[1], false);
      return;
    case menu::kRebuildKeys:
      if (s.logbookOpen) RebuildKeys(window, s.task);
      return;
    case menu::kExit: SendMessage(window, WM_CLOSE, 0, 0); return;
    case menu::kAdif:
      if (s.logbookOpen) importAdifFile();
      return;
    case menu::kHelpIndex: WinHelp(window, helpFile().c_str(), HELP_CONTENTS, 0); return;
    case menu::kHelpCommands:
      WinHelp(window, helpFile().c_str(), HELP_KEY,
              reinterpret_cast<uintptr_t>("Kestrel Import Commands"));
      return;
    case menu::kHelpProcedures:
      WinHelp(window, helpFile().c_str(), HELP_KEY,
              reinterpret_cast<uintptr_t>("Kestrel Import Procedures"));
      return;
    case menu::kHelpOnHelp: WinHelp(window, "WINHELP.HLP", HELP_HELPONHELP, 0); return;
    case menu::kAbout: DialogBox(nullptr, "AboutBox", window, aboutProc); return;
    default:
      for (const PendingImporter& importer : kPending)
        if (importer.id == id && s.logbookOpen) importPending(importer);
      return;
  }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgramState& s = state();
  switch (message) {
    case WM_CREATE:
      s.window = window;
      s.console = CreateWindow("EDIT", "",
                               WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                   ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                               0, 0, 0, 0, window, reinterpret_cast<HMENU>(1), nullptr, nullptr);
      if (s.console == nullptr) return -1;
      SendMessage(s.console, EM_LIMITTEXT, 0, 0);
      return 0;
    case WM_SIZE:
      MoveWindow(s.console, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS: SetFocus(s.console); return 0;
    case WM_COMMAND: command(window, LOWORD(wParam)); return 0;
    case kSetTitleMessage: setTitle(wParam, lParam); return 0;
    case WM_QUERYENDSESSION: return closeBeforeExit() ? TRUE : FALSE;
    case WM_CLOSE:
      if (closeBeforeExit()) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      WinHelp(window, helpFile().c_str(), HELP_QUIT, 0);
      s.window = s.console = nullptr;
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace

bool askFile(bool save, const char* title, const char* filter, const char* extension,
             const char* proposed, std::string& path) {
  char file[PATH_MAX] = {};
  std::snprintf(file, sizeof file, "%s", proposed);
  OPENFILENAME request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = state().window;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrTitle = title;
  request.lpstrDefExt = extension[0] != '\0' ? extension : nullptr;
  request.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileName(&request) : GetOpenFileName(&request);
  if (chosen) path = file;
  return chosen != 0;
}

int hourOffsetOf(int timeZone, int otherZone) {
  static constexpr int kOffsets[9] = {0, 5, 4, 6, 5, 7, 6, 8, 7};
  if (timeZone >= 0 && timeZone < 9) return kOffsets[timeZone];
  // "OtherZone" counts from -12 hours; a value off that scale (its default
  // among them) means no offset.
  if (timeZone == 9 && otherZone >= 0 && otherZone <= 24) return otherZone - 12;
  return 0;
}

bool readSettings(Settings& settings) {
  char text[PATH_MAX] = {};
  GetPrivateProfileString("Database", "DictPath", "Not Found", text, sizeof text, "KESTREL.INI");
  // Without a dictionary directory nothing can be opened or made.
  if (std::strcmp(text, "Not Found") == 0 || text[0] == '\0') return false;
  settings.dictPath = text;
  GetPrivateProfileString("Settings", "PowerLevel", "0", text, 5, "KESTREL.INI");
  settings.powerLevel = text;
  settings.dateFormat =
      static_cast<int>(GetPrivateProfileInt("Settings", "DateFormat", 0, "KESTREL.INI"));
  settings.hourOffset = hourOffsetOf(
      static_cast<int>(GetPrivateProfileInt("Settings", "TimeZone", 0, "KESTREL.INI")),
      static_cast<int>(GetPrivateProfileInt("Settings", "OtherZone", 15000, "KESTREL.INI")));
  // "NOTEPAD" is what the main program writes; here it means the system's
  // own viewer.
  GetPrivateProfileString("Program", "Editor", "NOTEPAD", text, sizeof text, "KESTREL.INI");
  settings.editor = strcasecmp(text, "NOTEPAD") == 0 ? "" : text;
  return true;
}

// The console takes text as if it were typed: a key going down, its
// character and the key coming up, for every character.
void typeIntoConsole(const std::string& text) {
  ProgramState& s = state();
  if (s.console == nullptr) return;
  for (const char c : text) {
    const WPARAM key = c == '\n' ? VK_RETURN : static_cast<unsigned char>(c);
    SendMessage(s.console, WM_KEYDOWN, key, 1);
    SendMessage(s.console, WM_CHAR, c == '\n' ? '\r' : static_cast<unsigned char>(c), 1);
    SendMessage(s.console, WM_KEYUP, key, 1);
  }
  if (s.options.consoleCopy) s.options.consoleCopy(text);
}

void enableLogbookItems(bool on) {
  const HMENU bar = GetMenu(state().window);
  const UINT flag = on ? MF_ENABLED : MF_GRAYED;
  for (UINT id : {menu::kCloseLogbook, menu::kRename, menu::kRebuildKeys})
    EnableMenuItem(bar, id, MF_BYCOMMAND | flag);
  EnableMenuItem(bar, kImportMenuPosition, MF_BYPOSITION | flag);
  DrawMenuBar(state().window);
}

}  // namespace app

HWND startImportProgram(const ProgramOptions& options) {
  using namespace app;
  ProgramState& s = state();
  if (s.window != nullptr) return s.window;  // one instance
  if (FindWindow(KESTREL_MAIN_CLASS, nullptr) != nullptr) {
    MessageBox(nullptr, message(6), nullptr, MB_OK | MB_ICONERROR);
    return nullptr;
  }
  Settings settings;
  if (!readSettings(settings)) {
    MessageBox(nullptr, message(7), nullptr, MB_OK | MB_ICONERROR);
    return nullptr;
  }
  s = ProgramState{};
  s.settings = settings;
  s.options = options;

  registerMenuBar();
  registerProgramDialogs();
  WNDCLASS wc{};
  wc.lpfnWndProc = windowProc;
  wc.hIcon = LoadIcon(nullptr, MAKEINTRESOURCE(1));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = kMenuName;
  wc.lpszClassName = kClassName;
  RegisterClass(&wc);

  // 80 characters by 20 lines of the system's fixed font.
  TEXTMETRIC metrics{};
  HDC dc = GetDC(nullptr);
  SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  GetTextMetrics(dc, &metrics);
  ReleaseDC(nullptr, dc);
  HWND window = CreateWindow(kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             metrics.tmAveCharWidth * 80,
                             (metrics.tmHeight + metrics.tmExternalLeading) * 20, nullptr,
                             nullptr, nullptr, nullptr);
  if (window == nullptr) return nullptr;
  if (dbOpenTask(&s.task) != RECDB_OK) {
    DestroyWindow(window);
    return nullptr;
  }
  // Read snapshots end whenever the program waits for the user.
  SetWaitHook(dbIdle);
  enableLogbookItems(false);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

int runImportProgram() {
  app::ProgramState& s = app::state();
  HACCEL accelerators = LoadAccelerators(nullptr, "KSImportMenu");
  MSG msg{};
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    if (s.window != nullptr && TranslateAccelerator(s.window, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  if (s.window != nullptr) {  // the loop ended with the window still up
    if (s.logbookOpen) app::closeLogbook();
    DestroyWindow(s.window);
    MSG rest;  // the quit request the window's end posts has no loop left to read it
    while (PeekMessage(&rest, nullptr, 0, 0, PM_REMOVE)) {
      if (rest.message != WM_QUIT) DispatchMessage(&rest);
    }
  }
  if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
  if (s.task != nullptr) dbCloseTask(s.task);
  s.task = nullptr;
  return static_cast<int>(msg.wParam);
}

std::string openLogbookPath() { return app::state().logbookOpen ? app::state().basePath : ""; }

ImportEnd lastImportEnd() { return app::state().lastImport; }

std::string consoleText() {
  const HWND console = app::state().console;
  if (console == nullptr) return "";
  std::string text(static_cast<size_t>(GetWindowTextLength(console)) + 1, '\0');
  const int length = GetWindowText(console, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace ksimport
