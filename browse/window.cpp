// The browser window: its class, menu and table, placement and colours
// from the settings file, sorting, and the main program's messages.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/cabi.h"
#include "funct/ksfunct.h"
#include "internal.h"
#include "schema/mainwindow.h"
#include "strings.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"

namespace ksbrowse {
namespace {

constexpr int kAbsent = CW_USEDEFAULT;  // what a missing placement key reads as

int readInt(const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileInt(kSection, key, fallback, kIni));
}

void writeInt(const char* key, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  WritePrivateProfileString(kSection, key, text, kIni);
}

// A colour from its three keys, taken only when all three are there.
COLORREF readColour(const char* red, const char* green, const char* blue, COLORREF fallback) {
  const int r = readInt(red, -1), g = readInt(green, -1), b = readInt(blue, -1);
  if (r < 0 || g < 0 || b < 0) return fallback;
  return RGB(r, g, b);
}

void writeColour(const char* red, const char* green, const char* blue, COLORREF colour) {
  writeInt(red, GetRValue(colour));
  writeInt(green, GetGValue(colour));
  writeInt(blue, GetBValue(colour));
}

void sendColours() {
  State& s = state();
  COLORREF pair[2] = {s.background, s.text};
  sendTable(DT_SETCOLORS, 0, reinterpret_cast<LPARAM>(pair));
}

LPARAM textParam(const char* text) { return reinterpret_cast<LPARAM>(text); }

// Column by column: display flags, type, bytes, width, picture, title.
struct Column {
  int flags, type, bytes, width;
  const char* picture;
  const char* title;
};
constexpr Column kColumnTable[kColumns] = {
    {256, DT_TYPE_TEXT, 9, 32, nullptr, "Date"},
    {256, DT_TYPE_TEXT, 6, 22, nullptr, "Time"},
    {256, DT_TYPE_TEXT, 12, 44, nullptr, "Call Sign"},
    {256, DT_TYPE_TEXT, 5, 24, nullptr, "Mode"},
    {256, DT_TYPE_INT16, 2, 24, "????", "Band"},
    {256, DT_TYPE_TEXT, 4, 23, "uuu", "RSTs"},
    {256, DT_TYPE_TEXT, 4, 23, "uuu", "RSTr"},
    {256, DT_TYPE_TEXT, 17, 58, nullptr, "Country"},
    {64, DT_TYPE_TEXT, 2, 8, nullptr, "S"},
    {64, DT_TYPE_TEXT, 2, 8, nullptr, "R"},
    {256, DT_TYPE_TEXT, 6, 22, nullptr, "Prefix"},
    {384, DT_TYPE_TEXT, 3, 12, "uu", "CQ"},
    {256, DT_TYPE_TEXT, 3, 14, "uu", "St"},
    {DT_FLAG_HIDDEN, DT_TYPE_INT32, 4, 0, nullptr, nullptr},
    {DT_FLAG_HIDDEN, DT_TYPE_INT32, 4, 0, nullptr, nullptr},
};

void defineColumns() {
  sendTable(DT_SETCOLUMNCOUNT, kColumns, 0);
  for (int col = 0; col < kColumns; ++col) {
    const Column& c = kColumnTable[col];
    const WPARAM w = static_cast<WPARAM>(col);
    sendTable(DT_SETCOLUMNFLAGS, w, c.flags);
    sendTable(DT_SETCOLUMNTYPE, w, c.type);
    sendTable(DT_SETCOLUMNLENGTH, w, c.bytes);
    if (c.title == nullptr) continue;  // kept, not shown
    sendTable(DT_SETCOLUMNWIDTH, w, c.width);
    if (c.picture != nullptr) sendTable(DT_SETCOLUMNMASK, w, textParam(c.picture));
    sendTable(DT_SETCOLUMNTITLE, w, textParam(c.title));
  }
  sendColours();
}

void registerMenu() {
  using Item = kswin::MenuTemplateItem;
  kswin::registerMenu(
      kMenuName,
      {Item("&File", {Item("&Save", KSB_CMD_SAVE), Item("&Print", KSB_CMD_PRINT),
                      Item("&Tag Labels", KSB_CMD_TAG), Item(), Item("E&xit", KSB_CMD_EXIT)}),
       Item("&Setup", {Item("&Color", {Item("&Background", KSB_CMD_BACKGROUND),
                                       Item("&Text", KSB_CMD_TEXT)})}),
       Item("&Query", {Item("&Define", KSB_CMD_QUERY)}),
       Item("S&ort", {Item("&Band", KSB_CMD_SORT_BAND), Item("&Call", KSB_CMD_SORT_CALL),
                      Item("C&Q Zone", KSB_CMD_SORT_ZONE), Item("&Date", KSB_CMD_SORT_DATE),
                      Item("&Mode", KSB_CMD_SORT_MODE), Item("&Prefix", KSB_CMD_SORT_PREFIX),
                      Item("&State", KSB_CMD_SORT_STATE)}),
       Item("&Help", {Item("&Index\tF1", KSB_CMD_HELP_INDEX),
                      Item("&Commands", KSB_CMD_HELP_COMMANDS),
                      Item("&Procedures", KSB_CMD_HELP_PROCEDURES), Item(),
                      Item("&Using Help", KSB_CMD_HELP_USING)})});
}

// The library's own directory + "KESTREL.HLP".
std::string helpPath() {
  Dl_info info{};
  std::string dir;
  if (dladdr(reinterpret_cast<void*>(&state), &info) != 0 && info.dli_fname != nullptr) {
    dir = info.dli_fname;
    const std::size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
  }
  return dir + "KESTREL.HLP";
}

void savePlacement(HWND window) {
  State& s = state();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(window, &placement)) {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const RECT& r = placement.rcNormalPosition;
    writeInt("Left", r.left);
    writeInt("Top", r.top);
    writeInt("Width", r.right > desktop.right ? desktop.right : r.right);
    writeInt("Height", r.bottom);
  }
  writeColour("Bkr", "Bkg", "Bkb", s.background);
  writeColour("Textr", "Textg", "Textb", s.text);
}

void chooseColour(HWND window, bool background) {
  State& s = state();
  for (COLORREF& c : s.customColours) c = RGB(255, 255, 255);
  CHOOSECOLOR request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = window;
  request.rgbResult = background ? s.background : s.text;
  request.lpCustColors = s.customColours;
  request.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColor(&request)) return;
  (background ? s.background : s.text) = request.rgbResult;
  sendColours();
  if (background) writeColour("Bkr", "Bkg", "Bkb", s.background);
  else writeColour("Textr", "Textg", "Textb", s.text);
}

void sortBy(HWND window, int command) {
  State& s = state();
  int column = 0;
  switch (command) {
    case KSB_CMD_SORT_BAND: column = kColBand; break;
    case KSB_CMD_SORT_CALL: column = kColCall; break;
    case KSB_CMD_SORT_ZONE: column = kColZone; break;
    case KSB_CMD_SORT_DATE: column = kColDay; break;
    case KSB_CMD_SORT_MODE: column = kColMode; break;
    case KSB_CMD_SORT_PREFIX: column = kColPrefix; break;
    case KSB_CMD_SORT_STATE: column = kColState; break;
    default: return;
  }
  if (s.sortColumn != kNoSort) sendTable(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
  s.sortColumn = column;
  WaitCursor(window, 1);
  if (column == kColDay) {
    sendTable(DT_SETSORTKEY, kColDay, 1);
    sendTable(DT_SETSORTKEY, kColTime, 2);
    sendTable(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
  } else {
    sendTable(DT_SORT, static_cast<WPARAM>(column), column == kColBand ? 0 : 1);
  }
  WaitCursor(window, 0);
  InvalidateRect(s.table, nullptr, TRUE);
}

// A line picked in the table: the main program shows its contact.
void pick(HWND window) {
  State& s = state();
  const LRESULT row = sendTable(DT_GETDBLCLKROW, 0, 0);
  if (row < 0 || row >= rowCount() || !readRow(static_cast<int>(row))) return;
  if (s.scratch.recordKey == 0) return;
  HWND main = FindWindow(KESTREL_MAIN_CLASS, nullptr);
  if (main == nullptr) {
    MessageBox(window, message(kNoMainWindow), nullptr, MB_OK);
    return;
  }
  PostMessage(main, KM_PICK_CONTACT, 0, s.scratch.recordKey);
}

void showLastLine() {
  const int last = rowCount() - 1;
  if (last < 0) return;
  sendTable(DT_FOCUSROW, 0, last);
  sendTable(DT_SCROLLTOROW, 0, last);
  sendTable(DT_MARKROW, 0, last);
}

// Items 103 to 113 are of no use while the table is empty.
void greyMenu(HWND window) {
  HMENU menu = GetMenu(window);
  if (menu == nullptr) return;
  const UINT flags = MF_BYCOMMAND | (rowCount() == 0 ? MF_GRAYED : MF_ENABLED);
  for (UINT id = KSB_CMD_TAG; id <= KSB_CMD_SORT_STATE; ++id) EnableMenuItem(menu, id, flags);
}

void command(HWND window, WPARAM wParam) {
  State& s = state();
  const int id = LOWORD(wParam);
  switch (id) {
    case KSB_CMD_EXIT: ShowWindow(window, SW_HIDE); break;
    case KSB_CMD_QUERY:
      if (DialogBox(nullptr, "QUERY", window, DefineQueryProc) == 1) runQuery(window);
      break;
    case KSB_CMD_TAG: tagLabels(window); break;
    case KSB_CMD_PRINT: printList(window); break;
    case KSB_CMD_SAVE: saveList(window); break;
    case KSB_CMD_BACKGROUND: chooseColour(window, true); break;
    case KSB_CMD_TEXT: chooseColour(window, false); break;
    case KSB_CMD_HELP_INDEX: WinHelp(window, s.helpPath.c_str(), HELP_CONTENTS, 0); break;
    case KSB_CMD_HELP_COMMANDS:
      WinHelp(window, s.helpPath.c_str(), HELP_KEY,
              reinterpret_cast<uintptr_t>("Browser Commands"));
      break;
    case KSB_CMD_HELP_PROCEDURES:
      WinHelp(window, s.helpPath.c_str(), HELP_KEY,
              reinterpret_cast<uintptr_t>("Browser Procedures"));
      break;
    case KSB_CMD_HELP_USING: WinHelp(window, "WINHELP.HLP", HELP_HELPONHELP, 0); break;
    default: sortBy(window, id); break;
  }
}

}  // namespace

State& state() {
  static State s;
  return s;
}

LRESULT sendTable(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND table = state().table;
  return table != nullptr ? SendMessage(table, message, wParam, lParam) : 0;
}

int rowCount() { return static_cast<int>(sendTable(DT_GETROWCOUNT, 0, 0)); }

bool readRow(int row) {
  State& s = state();
  if (s.table == nullptr || row < 0) return false;
  if (sendTable(DT_SETCURRENTROW, 0, row) < 0) return false;
  return sendTable(DT_GETROW, 0, reinterpret_cast<LPARAM>(&s.scratch)) >= 0;
}

void emptyTable() {
  State& s = state();
  sendTable(DT_DELETEALLROWS, 0, 0);
  sendTable(DT_SETCURRENTROW, 0, DT_NOROW);
  if (s.sortColumn != kNoSort) sendTable(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
  s.sortColumn = kNoSort;
  sendTable(WM_SETREDRAW, 1, 0);
  if (s.table != nullptr) InvalidateRect(s.table, nullptr, TRUE);
}

std::string formatted(int number, const std::string& argument) {
  char text[1024];
  std::snprintf(text, sizeof text, message(number), argument.c_str());
  return text;
}

void loadLibraryParts() {
  State& s = state();
  static bool registered = false;
  if (!registered) {
    registerMenu();
    registerQueryDialog();
    registerPrintDialog();
    WNDCLASS wc{};
    wc.lpfnWndProc = BrowseWndProc;
    wc.hIcon = LoadIcon(nullptr, MAKEINTRESOURCE(1));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = kMenuName;
    wc.lpszClassName = kClassName;
    registered = RegisterClass(&wc) != 0;
  }
  if (s.control != nullptr) FreeLibrary(s.control);
  LoadLibrary("pvdtbl.dll");
  s.control = LoadLibrary("PVDTBL.DLL");
  if (s.control == nullptr)
    MessageBox(nullptr, kNoControlText, kNoControlCaption, MB_OK | MB_ICONERROR);
}

}  // namespace ksbrowse

using namespace ksbrowse;

namespace {
// The library makes its class and loads the data table control as it is
// loaded.
__attribute__((constructor)) void onLoad() {
  try {
    loadLibraryParts();
  } catch (...) {
  }
}
}  // namespace

extern "C" {

HWND CreateBrowseWnd(int charWidth, int charHeight) {
  return ksbase::guarded<HWND>(nullptr, [&]() -> HWND {
    State& s = state();
    if (s.control == nullptr) return nullptr;
    const int left = readInt("Left", kAbsent), top = readInt("Top", kAbsent);
    const int right = readInt("Width", kAbsent), bottom = readInt("Height", kAbsent);
    int x = left == kAbsent ? CW_USEDEFAULT : left, y = top == kAbsent ? CW_USEDEFAULT : top;
    int width = charWidth * 85, height = charHeight * 20;
    if (left != kAbsent && right != kAbsent) {
      width = right - left;
      // A height needs both of its edges; without them it keeps the default.
      if (top != kAbsent && bottom != kAbsent) height = bottom - top;
    }
    s.background = readColour("Bkr", "Bkg", "Bkb", RGB(255, 251, 240));
    s.text = readColour("Textr", "Textg", "Textb", RGB(0, 0, 0));

    HWND window = CreateWindow(kClassName, "Kestrel Database Browser", WS_OVERLAPPEDWINDOW, x,
                               y, width, height, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return nullptr;
    HWND table =
        CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE, 0, 0, 0, 0, window,
                     reinterpret_cast<HMENU>(static_cast<intptr_t>(kTableId)), nullptr, nullptr);
    if (table == nullptr) {
      DestroyWindow(window);
      return nullptr;
    }
    s.window = window;
    s.table = table;
    ShowWindow(table, SW_SHOW);
    RECT client{};
    GetClientRect(window, &client);
    MoveWindow(table, 0, 0, client.right, client.bottom, FALSE);
    defineColumns();
    sendTable(DT_DELETEALLROWS, 0, 0);
    sendTable(DT_SETCURRENTROW, 0, DT_NOROW);
    s.sortColumn = kNoSort;
    ShowWindow(window, SW_HIDE);
    try {
      s.ignore = std::make_unique<IgnoreTable>();
      s.ignoreCount = 0;
    } catch (const std::bad_alloc&) {
      MessageBox(window, message(kNoIgnoreTable), nullptr, MB_OK | MB_ICONERROR);
      DestroyWindow(window);
      return nullptr;
    }
    s.helpPath = helpPath();
    return window;
  });
}

void InitBrowser(int, DB_TASK* task) {
  ksbase::guardedVoid(
      [&] {
        State& s = state();
        s.task = task;
        if (s.window == nullptr) return;
        // 1 shows the window maximized; anything else shows it as it was
        // placed (a show command of 0 would hide it).
        const int maximized = readInt("Maximized", 0);
        ShowWindow(s.window, maximized == 1 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
      },
      [] {});
}

LRESULT BrowseWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    State& s = state();
    switch (message) {
      case WM_CREATE: {
        HDC dc = GetDC(window);
        HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
        TEXTMETRIC metrics{};
        GetTextMetrics(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
        s.charWidth = metrics.tmAveCharWidth;
        s.lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
        return 0;
      }
      case WM_SIZE:
        if (s.table != nullptr && GetParent(s.table) == window) {
          MoveWindow(s.table, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
          InvalidateRect(s.table, nullptr, TRUE);
        }
        return 0;
      case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
      case WM_DESTROY:
        if (s.window != window) return 0;
        WinHelp(window, s.helpPath.c_str(), HELP_QUIT, 0);
        savePlacement(window);
        s.ignore.reset();
        s.ignoreCount = 0;
        s.window = nullptr;
        s.table = nullptr;
        return 0;
      case WM_INITMENU:
      case WM_INITMENUPOPUP: greyMenu(window); return 0;
      case WM_COMMAND:
        if (LOWORD(wParam) == kTableId && HIWORD(wParam) == DT_NOTIFY_DBLCLK) pick(window);
        else if (lParam == 0) command(window, wParam);
        return 0;
      case KM_BROWSER_REDRAW: sendTable(WM_SETREDRAW, wParam != 0, 0); return 0;
      case KM_BROWSER_EMPTY: emptyTable(); return 0;
      case KM_BROWSER_LAST: showLastLine(); return 0;
      default: break;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // extern "C"
