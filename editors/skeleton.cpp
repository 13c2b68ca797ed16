// The editor skeleton: the window with its form, icon buttons and list, the
// field keys, Find/Save/Delete/Clear, import, export, printing, settings and
// the word to the main program. What differs between the three editors
// comes from their Kind.
#include <limits.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "funct/ksfunct.h"
#include "kind.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/mainwindow.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace kseditor {
namespace {

constexpr int kFirstFieldId = 1000;
constexpr int kListId = 7;
constexpr int kButtonCount = 4;
constexpr const char* kIcons[kButtonCount] = {"CLEARICON", "SAVEICON", "FINDICON", "DELETEICON"};
constexpr UINT kButtonCommands[kButtonCount] = {cmd::kClear, cmd::kSave, cmd::kFind,
                                                cmd::kDelete};
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kDefaultTableBackground = RGB(255, 251, 240);
constexpr const char* kKestrelIni = "KESTREL.INI";

struct State {
  const Kind* kind = nullptr;
  HWND window = nullptr;
  HWND list = nullptr;
  std::vector<HWND> fields;
  std::vector<WNDPROC> fieldProcs;
  DB_TASK* task = nullptr;
  bool open = false;
  std::string dictPath, dbPath;
  bool insert = true;
  int cw = 8, lh = 16;
  int pressed = -1;  // the icon button held down
  bool buttonEnabled[kButtonCount] = {true, false, false, false};
  HBRUSH greyBrush = nullptr, whiteBrush = nullptr;
  HPEN shadowPen = nullptr, lightPen = nullptr, darkPen = nullptr;
  int showCommand = SW_SHOWNORMAL;
  bool printerChosen = false;
  bool printAborted = false;
  HWND printDialog = nullptr;
  COLORREF tableColours[2] = {kDefaultTableBackground, RGB(0, 0, 0)};
  COLORREF customColours[16] = {};
  Outcome outcome = Outcome::None;
  bool keepPlacement = true;
};

State& g() {
  static State state;
  return state;
}

std::string format(const char* text, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* text, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, text);
  std::vsnprintf(buffer, sizeof buffer, text, args);
  va_end(args);
  return buffer;
}

const char* text(int id) { return g().kind->message(id); }

// A warning with the program's text `id`; failures set the outcome.
int warn(const std::string& message, const char* caption = nullptr,
         UINT style = MB_OK | MB_ICONEXCLAMATION) {
  return MessageBox(g().window, message.c_str(), caption, style);
}
void fail(int id, const char* caption = nullptr) {
  warn(text(id), caption);
  g().outcome = Outcome::Failed;
}

int pixelsX(Span s) { return s.units * g().cw + s.pixels; }
int pixelsY(Span s) { return s.units * g().lh + s.pixels; }

void notifyMainProgram() {
  if (HWND main = FindWindow(KESTREL_MAIN_CLASS, nullptr))
    SendMessage(main, g().kind->doneMessage, 0, 0);
}

// ---- Settings ------------------------------------------------------------

// "DictPath" of KESTREL.INI, or the current directory written back there.
std::string readDictPath() {
  char path[PATH_MAX] = {};
  GetPrivateProfileString("Database", "DictPath", "Not Found", path, sizeof path, kKestrelIni);
  std::string dict = path;
  if (dict == "Not Found") {
    char here[PATH_MAX] = {};
    if (getcwd(here, sizeof here) == nullptr) here[0] = '\0';
    dict = here;
    if (dict.size() > 1) dict += '/';
    WritePrivateProfileString("Database", "DictPath", dict.c_str(), kKestrelIni);
  }
  if (!dict.empty() && dict.back() != '/' && dict.back() != '\\') dict += '/';
  return dict;
}

bool readColour(const char* r, const char* gr, const char* b, COLORREF& colour) {
  const char* ini = g().kind->iniFile;
  const int red = static_cast<int>(GetPrivateProfileInt("Program", r, -1, ini));
  const int green = static_cast<int>(GetPrivateProfileInt("Program", gr, -1, ini));
  const int blue = static_cast<int>(GetPrivateProfileInt("Program", b, -1, ini));
  if (red < 0 || green < 0 || blue < 0) return false;
  colour = RGB(red & 255, green & 255, blue & 255);
  return true;
}

void writeColour(const char* r, const char* gr, const char* b, COLORREF colour) {
  const char* ini = g().kind->iniFile;
  WritePrivateProfileString("Program", r, std::to_string(GetRValue(colour)).c_str(), ini);
  WritePrivateProfileString("Program", gr, std::to_string(GetGValue(colour)).c_str(), ini);
  WritePrivateProfileString("Program", b, std::to_string(GetBValue(colour)).c_str(), ini);
}

void writeColours() {
  writeColour("Bkr", "Bkg", "Bkb", g().tableColours[0]);
  writeColour("Textr", "Textg", "Textb", g().tableColours[1]);
}

void savePlacement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(g().window, &placement)) return;
  const char* ini = g().kind->iniFile;
  const RECT& r = placement.rcNormalPosition;
  UINT show = placement.showCmd == SW_SHOWMINIMIZED ? SW_SHOWNORMAL : placement.showCmd;
  WritePrivateProfileString("Program", "Left", std::to_string(r.left).c_str(), ini);
  WritePrivateProfileString("Program", "Top", std::to_string(r.top).c_str(), ini);
  WritePrivateProfileString("Program", "Width", std::to_string(r.right).c_str(), ini);
  WritePrivateProfileString("Program", "Height", std::to_string(r.bottom).c_str(), ini);
  WritePrivateProfileString("Program", "Maximized", std::to_string(show).c_str(), ini);
  if (g().kind->table) writeColours();
}

// ---- Form ------------------------------------------------------------------

int indexOfField(HWND field) {
  for (std::size_t i = 0; i < g().fields.size(); ++i)
    if (g().fields[i] == field) return static_cast<int>(i);
  return -1;
}

void focusField(int index) {
  const int n = static_cast<int>(g().fields.size());
  SetFocus(g().fields[static_cast<std::size_t>((index % n + n) % n)]);
}

void clearForm() {
  for (HWND field : g().fields) SetWindowText(field, "");
  focusField(0);
}

void redrawIndicator() {
  const RECT r{pixelsX(g().kind->indicatorX), pixelsY(g().kind->indicatorY),
               pixelsX(g().kind->indicatorX) + 4 * g().cw,
               pixelsY(g().kind->indicatorY) + g().lh};
  InvalidateRect(g().window, &r, TRUE);
}

// Every form field runs through here before its own edit procedure.
LRESULT CALLBACK fieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  const int index = indexOfField(field);
  if (index < 0) return DefWindowProc(field, message, wParam, lParam);
  const WNDPROC base = g().fieldProcs[static_cast<std::size_t>(index)];
  switch (message) {
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_INSERT:
          g().insert = !g().insert;
          redrawIndicator();
          return 0;
        case VK_TAB:
          if (GetKeyState(VK_CONTROL) < 0) return 0;
          if (GetKeyState(VK_SHIFT) >= 0)
            focusField(index + 1);
          else
            focusField(index == 0 ? g().kind->backFromFirst : index - 1);
          return 0;
        case VK_RETURN: focusField(index + 1); return 0;
        case VK_ESCAPE: SetWindowText(field, ""); return 0;
        default: break;
      }
      break;
    case WM_CHAR: {
      const unsigned char c = static_cast<unsigned char>(wParam);
      if (c == '\t' || c == '\r' || c == '\n' || c == 0x1B) return 0;  // the keys did it
      if (!g().insert && c >= 32 && c < 127) {
        DWORD start = 0, end = 0;
        SendMessage(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                    reinterpret_cast<LPARAM>(&end));
        SendMessage(field, EM_SETSEL, start, start + 1);
        SendMessage(field, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
      }
      break;
    }
    default: break;
  }
  return CallWindowProc(base, field, message, wParam, lParam);
}

// ---- Icon buttons and menu states --------------------------------------

RECT buttonRect(int i) {
  const int top = g().kind->bandTop * g().lh + g().lh / 4;
  const int size = g().lh * 3 / 2;
  const int left = g().cw + i * (size + g().cw);
  return RECT{left, top, left + size, top + size};
}

int buttonAt(int x, int y) {
  for (int i = 0; i < kButtonCount; ++i) {
    const RECT r = buttonRect(i);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

void setDatabaseOpen(bool open) {
  g().open = open;
  const HMENU menu = GetMenu(g().window);
  for (UINT id : {cmd::kFind, cmd::kSave, cmd::kDelete})
    EnableMenuItem(menu, id, MF_BYCOMMAND | (open ? MF_ENABLED : MF_GRAYED));
  for (int i = 1; i < kButtonCount; ++i) g().buttonEnabled[i] = open;
  const RECT band{0, g().kind->bandTop * g().lh, 100 * g().cw, (g().kind->bandTop + 2) * g().lh};
  InvalidateRect(g().window, &band, TRUE);
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const Kind& k = *g().kind;
  SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (const FormField& f : k.form)
    TextOut(dc, pixelsX(f.labelX), pixelsY(f.labelY), f.label, static_cast<int>(strlen(f.label)));
  // The sunken band, its buttons raised or pressed.
  RECT client;
  GetClientRect(window, &client);
  const RECT band{0, k.bandTop * g().lh, client.right, (k.bandTop + 2) * g().lh};
  FillRect(dc, &band, g().greyBrush);
  SelectObject(dc, g().shadowPen);
  MoveToEx(dc, band.left, band.top, nullptr);
  LineTo(dc, band.right, band.top);
  for (int i = 0; i < kButtonCount; ++i) {
    const RECT r = buttonRect(i);
    const int shift = g().pressed == i ? 1 : 0;
    SelectObject(dc, g().pressed == i ? g().darkPen : g().lightPen);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, g().pressed == i ? g().lightPen : g().shadowPen);
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.left, r.bottom);
    SetTextColor(dc, g().buttonEnabled[i] ? RGB(0, 0, 0) : RGB(128, 128, 128));
    TextOut(dc, r.left + 2 + shift, r.top + 2 + shift, kIcons[i], 1);
  }
  SetTextColor(dc, RGB(0, 0, 0));
  const char* mode = g().insert ? "Ins" : "Ovr";
  TextOut(dc, pixelsX(k.indicatorX), pixelsY(k.indicatorY), mode, 3);
  EndPaint(window, &ps);
}

// ---- The list --------------------------------------------------------------

void defineTable() {
  g().kind->defineTable(g().list);
  SendMessage(g().list, DT_SETCOLORS, 0, reinterpret_cast<LPARAM>(g().tableColours));
}

// Refills the list from the database, in database order (the table then
// sorted by its first column).
void fillList() {
  const Kind& k = *g().kind;
  if (k.table) {
    SendMessage(g().list, DT_DELETEALLROWS, 0, 0);
    SendMessage(g().list, DT_SETCURRENTROW, 0, DT_NOROW);
  } else {
    SendMessage(g().list, LB_RESETCONTENT, 0, 0);
  }
  if (!g().open) return;
  std::vector<unsigned char> record(k.recordSize), row(k.rowSize);
  for (int rc = dbRecordFirst(10000, g().task, 0); rc == RECDB_OK; rc = dbRecordNext(g().task, 0)) {
    std::fill(record.begin(), record.end(), 0);
    if (dbRecordRead(record.data(), g().task, 0) != RECDB_OK) break;
    if (k.table) {
      DB_ADDR address = 0;
      dbCurrentGet(&address, g().task, 0);
      std::fill(row.begin(), row.end(), 0);
      k.toRow(record.data(), address, row.data());
      SendMessage(g().list, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(row.data()));
    } else {
      SendMessage(g().list, LB_ADDSTRING, 0,
                  reinterpret_cast<LPARAM>(k.listLine(record.data()).c_str()));
    }
  }
  if (k.table) SendMessage(g().list, DT_SORT, 0, DT_ORDER_EXACT);
}

// The table row holding `address`, -1 when none.
int rowOf(DB_ADDR address) {
  std::vector<unsigned char> row(g().kind->rowSize);
  const int rows = static_cast<int>(SendMessage(g().list, DT_GETROWCOUNT, 0, 0));
  for (int i = 0; i < rows; ++i) {
    SendMessage(g().list, DT_SETCURRENTROW, 0, i);
    SendMessage(g().list, DT_GETROW, 0, reinterpret_cast<LPARAM>(row.data()));
    if (g().kind->rowAddress(row.data()) == address) return i;
  }
  return -1;
}

void showRow(int row) {
  SendMessage(g().list, DT_SETCURRENTROW, 0, row);
  SendMessage(g().list, DT_MARKROW, 1, row);
  SendMessage(g().list, DT_SCROLLTOROW, 0, row);
}

// ---- Database --------------------------------------------------------------

// The key field's text as the key's value, zero-padded to its width.
std::vector<char> keyValue(const std::string& key) {
  std::vector<char> value(g().kind->keyWidth, '\0');
  std::memcpy(value.data(), key.data(), std::min(key.size(), value.size() - 1));
  return value;
}

bool findKey(const std::string& key) {
  const std::vector<char> value = keyValue(key);
  return dbKeyFind(g().kind->keyNumber, value.data(), g().task, 0) == RECDB_OK;
}

bool openDatabase() {
  const bool open = dbOpen(g().dbPath.c_str(), "o", g().task) == RECDB_OK;
  setDatabaseOpen(open);
  return open;
}

void closeDatabase() {
  if (g().open) dbClose(g().task);
  setDatabaseOpen(false);
}

// ---- Commands --------------------------------------------------------------

std::string keyText() { return formText(g().kind->keyField); }

void find() {
  if (!g().open) return fail(3);
  const std::string key = keyText();
  if (key.empty()) return fail(4);
  if (!loadRecord(key)) return fail(7);
  g().outcome = Outcome::Done;
}

void save() {
  const Kind& k = *g().kind;
  if (!g().open) return fail(3);
  const std::string key = keyText();
  if (key.empty()) return fail(5);
  std::vector<unsigned char> record(k.recordSize, 0);
  int focus = k.keyField;
  if (const int problem = k.fromForm(record.data(), &focus); problem != 0) {
    fail(problem, "Data Error");
    focusField(focus);
    return;
  }
  const bool exists = findKey(key);
  if (!exists) {
    if (dbRecordCreate(10000, record.data(), g().task, 0) != RECDB_OK) return fail(16);
  } else if (dbRecordWrite(record.data(), g().task, 0) != RECDB_OK) {
    return fail(15);
  }
  g().outcome = Outcome::Done;
  if (!k.table) {
    warn(text(exists ? 18 : 17), k.storedCaption);
    fillList();
    const LRESULT at = SendMessage(g().list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(k.listLine(record.data()).c_str()));
    if (at != LB_ERR) SendMessage(g().list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return;
  }
  DB_ADDR address = 0;
  dbCurrentGet(&address, g().task, 0);
  std::vector<unsigned char> row(k.rowSize, 0);
  k.toRow(record.data(), address, row.data());
  if (!exists) {
    const LRESULT at = SendMessage(g().list, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(row.data()));
    showRow(static_cast<int>(at));
    warn(text(17), k.storedCaption);
    clearForm();
  } else {
    const int at = rowOf(address);
    if (at >= 0) {
      SendMessage(g().list, DT_SETCURRENTROW, 0, at);
      SendMessage(g().list, DT_PUTROW, 0, reinterpret_cast<LPARAM>(row.data()));
    }
    warn(text(18), k.storedCaption);
  }
}

void remove() {
  if (!g().open) return fail(3);
  const std::string key = keyText();
  if (key.empty()) return fail(6);
  if (warn(format(text(19), key.c_str()), "Delete Record", MB_YESNO | MB_ICONEXCLAMATION) !=
      IDYES) {
    g().outcome = Outcome::Declined;
    return;
  }
  if (!findKey(key)) return fail(7);
  DB_ADDR address = 0;
  dbCurrentGet(&address, g().task, 0);
  if (dbDelete(g().task, 0) != RECDB_OK) return fail(20);
  g().outcome = Outcome::Done;
  clearForm();
  if (!g().kind->table) return fillList();
  if (const int at = rowOf(address); at >= 0) {
    SendMessage(g().list, DT_SETCURRENTROW, 0, at);
    SendMessage(g().list, DT_DELETEROW, 0, 0);
  }
}

bool askFile(bool saving, const char* title, std::string& path) {
  char file[PATH_MAX] = {};
  OPENFILENAME request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = g().window;
  request.lpstrFilter = "All Files(*.*)\0*.*\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrTitle = title;
  request.Flags = OFN_HIDEREADONLY | (saving ? 0 : OFN_FILEMUSTEXIST);
  if (!(saving ? GetSaveFileName(&request) : GetOpenFileName(&request))) return false;
  path = file;
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Empties the database for an import that replaces it: never under another
// program that has it open.
bool reopenEmptied() {
  closeDatabase();
  if (const long other = dbInUse(g().dbPath.c_str()); other != 0) {
    warn(format(text(42), g().dbPath.c_str(), other));
    g().outcome = Outcome::Failed;
    openDatabase();
    return false;
  }
  if (!openDatabase() || dbInitFile(0, g().task, 0) != RECDB_OK ||
      dbInitFile(1, g().task, 0) != RECDB_OK) {
    fail(2);
    return false;
  }
  return true;
}

void import() {
  const Kind& k = *g().kind;
  std::string path;
  if (!askFile(false, "Open Import File", path)) {
    g().outcome = Outcome::Declined;
    return;
  }
  // The file is opened before anything is emptied: one that cannot be read
  // leaves the database as it was.
  std::unique_ptr<std::FILE, FileCloser> file(countrytext::openTextFile(path.c_str()));
  bool replace = true;
  if (k.table) {
    const int answer = warn(text(21), "Restore Logbook", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) {
      g().outcome = Outcome::Declined;
      return;
    }
    replace = answer == IDYES;
  }
  if (!file) {
    warn(format(text(27), path.c_str()));
    g().outcome = Outcome::Failed;
    return;
  }
  if (replace ? !reopenEmptied() : (!g().open && !openDatabase())) {
    if (!replace) fail(2);
    fillList();
    return;
  }
  clearForm();
  WaitCursor(g().window, 1);
  dbBulkBegin(g().task, 0);
  const LinesResult result = k.importLines(file.get(), g().task, 0);
  const bool readFailed = std::ferror(file.get()) != 0;
  const int committed = dbBulkEnd(g().task, 0);
  WaitCursor(g().window, 0);
  g().outcome = result.emptyKeyLine == 0 && result.failedLine == 0 && committed == RECDB_OK &&
                        !readFailed
                    ? Outcome::Done
                    : Outcome::Failed;
  if (readFailed) {
    // A file that stops reading part way is not taken for a whole one.
    warn(format(text(27), path.c_str()), nullptr, MB_OK | MB_ICONSTOP);
  } else if (result.emptyKeyLine != 0) {
    warn(format(text(k.emptyKeyMessage), result.emptyKeyLine), nullptr, MB_OK | MB_ICONSTOP);
  } else if (result.failedLine != 0) {
    // The records before the line stay; the import does not say it is done.
    warn(text(k.storeErrorMessage), nullptr, MB_OK | MB_ICONSTOP);
  } else if (committed != RECDB_OK) {
    // Nothing is said to be imported that the database did not keep.
    warn(format(text(28), g().dbPath.c_str()), nullptr, MB_OK | MB_ICONSTOP);
  } else {
    warn(text(31), k.importCaption);
  }
  fillList();
}

void exportFile() {
  const Kind& k = *g().kind;
  std::string path;
  if (!askFile(true, "Save Export File", path)) {
    g().outcome = Outcome::Declined;
    return;
  }
  if (!g().open && !openDatabase()) return fail(2);
  if (FileExists(path.c_str()) &&
      warn(format(text(26), path.c_str()), "File Exists", MB_YESNO | MB_ICONEXCLAMATION) !=
          IDYES) {
    g().outcome = Outcome::Declined;
    return;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    warn(format(text(27), path.c_str()));
    g().outcome = Outcome::Failed;
    return;
  }
  WaitCursor(g().window, 1);
  int count = 0;
  bool written = true;
  std::vector<unsigned char> record(k.recordSize);
  for (int rc = dbRecordFirst(10000, g().task, 0); rc == RECDB_OK && written;
       rc = dbRecordNext(g().task, 0)) {
    std::fill(record.begin(), record.end(), 0);
    if (dbRecordRead(record.data(), g().task, 0) != RECDB_OK) break;
    const std::string line = k.exportLine(record.data());
    written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
    if (written) ++count;
  }
  written = written && std::fputs("\r\n", file.get()) >= 0;
  written = std::fclose(file.release()) == 0 && written;
  WaitCursor(g().window, 0);
  if (!written) {
    warn(format(text(28), path.c_str()));
    g().outcome = Outcome::Failed;
    return;
  }
  warn(format(text(29), count), "Export Complete");
  g().outcome = Outcome::Done;
}

// ---- Printing --------------------------------------------------------------

constexpr int kPrintDocName = 101, kPrintPage = 103;

INT_PTR CALLBACK printDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: kswin::centreWindow(dialog, g().window); return TRUE;
    case WM_COMMAND:
      g().printAborted = true;
      EnableWindow(g().window, TRUE);
      DestroyWindow(dialog);
      g().printDialog = nullptr;
      return TRUE;
    default: return FALSE;
  }
}

BOOL CALLBACK abortProc(HDC, int) {
  kswin::pumpMessages();
  return g().printAborted ? FALSE : TRUE;
}

void registerPrintDialog() {
  kswin::DialogTemplate dialog;
  dialog.title = g().kind->printTitle;
  dialog.cx = 160;
  dialog.cy = 80;
  dialog.controls = {kswin::controls::staticText(100, "Printing"),
                     kswin::controls::staticText(kPrintDocName, ""),
                     kswin::controls::staticText(102, "Page"),
                     kswin::controls::staticText(kPrintPage, ""),
                     kswin::controls::pushButton(IDCANCEL, "Cancel", true)};
  kswin::registerDialog("PRINTLOG", dialog);
}

// The printer chosen in set-up, else the default printer of "windows"/"device".
HDC printerContext() {
  if (g().printerChosen) return CreateDC(nullptr, "Kestrel PDF", nullptr, nullptr);
  char device[256] = {};
  GetProfileString("windows", "device", "", device, sizeof device);
  std::string entry = device;
  const std::string name = entry.substr(0, entry.find(','));
  if (name.empty()) return nullptr;
  return CreateDC(nullptr, name.c_str(), nullptr, nullptr);
}

void print() {
  const Kind& k = *g().kind;
  if (!g().open) return fail(3);
  HDC dc = printerContext();
  if (dc == nullptr) return fail(32);
  const std::string docName = g().dbPath.substr(0, 31);
  g().printAborted = false;
  if (SetAbortProc(dc, abortProc) <= 0) {
    DeleteDC(dc);
    return fail(35);
  }
  DOCINFO info{sizeof(DOCINFO), docName.c_str(), nullptr, nullptr, 0};
  if (StartDoc(dc, &info) <= 0) {
    DeleteDC(dc);
    return fail(36, docName.c_str());
  }
  registerPrintDialog();
  g().printDialog = CreateDialog(nullptr, "PRINTLOG", g().window, printDialogProc);
  if (g().printDialog == nullptr) {
    AbortDoc(dc);
    DeleteDC(dc);
    return fail(37);
  }
  SetDlgItemText(g().printDialog, kPrintDocName, docName.c_str());
  EnableWindow(g().window, FALSE);

  void* currency = nullptr;
  int currencySize = 0;
  const bool saved = dbCurrencySave(&currency, &currencySize, g().task, 0) == RECDB_OK;

  TEXTMETRIC metrics{};
  GetTextMetrics(dc, &metrics);
  const int perPage = GetDeviceCaps(dc, VERTRES) / (metrics.tmHeight + metrics.tmExternalLeading);
  SIZE extent{};
  GetTextExtentPoint32(dc, "CC", 2, &extent);
  const int spacing = extent.cy;
  const int width = GetDeviceCaps(dc, HORZRES);
  int page = 0, line = 0;
  bool ok = true;
  auto startPage = [&] {
    ++page;
    if (StartPage(dc) <= 0) return false;
    const std::string header = format(k.printHeader, g().dbPath.c_str());
    TextOut(dc, 16 * metrics.tmAveCharWidth, 0, header.c_str(), static_cast<int>(header.size()));
    const std::string number = format("Page: %3d", page);
    TextOut(dc, width - static_cast<int>(number.size() + 2) * metrics.tmAveCharWidth, 0,
            number.c_str(), static_cast<int>(number.size()));
    if (g().printDialog != nullptr) SetDlgItemText(g().printDialog, kPrintPage, std::to_string(page).c_str());
    line = 2;
    return true;
  };
  ok = startPage();
  std::vector<unsigned char> record(k.recordSize);
  for (int rc = dbRecordFirst(10000, g().task, 0); ok && rc == RECDB_OK && !g().printAborted;
       rc = dbRecordNext(g().task, 0)) {
    std::fill(record.begin(), record.end(), 0);
    if (dbRecordRead(record.data(), g().task, 0) != RECDB_OK) break;
    for (const std::string& text : k.printLines(record.data())) {
      if (line >= perPage - 1) {
        ok = EndPage(dc) > 0 && !g().printAborted && startPage();
        if (!ok) break;
      }
      TextOut(dc, 1, line * spacing, text.c_str(), static_cast<int>(text.size()));
      ++line;
    }
  }
  if (ok && !g().printAborted) ok = EndPage(dc) > 0;
  if (ok && !g().printAborted) {
    EndDoc(dc);
    g().outcome = Outcome::Done;
  } else {
    AbortDoc(dc);
    g().outcome = Outcome::Declined;
  }
  if (saved) dbCurrencyRestore(currency, g().task, 0);
  EnableWindow(g().window, TRUE);
  if (g().printDialog != nullptr) DestroyWindow(g().printDialog);
  g().printDialog = nullptr;
  DeleteDC(dc);
}

void printerSetup() {
  PRINTDLG request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = g().window;
  request.Flags = PD_PRINTSETUP;
  if (PrintDlg(&request)) {
    g().printerChosen = true;
    g().outcome = Outcome::Done;
  } else {
    g().outcome = Outcome::Declined;
  }
}

void chooseColour(int which) {
  CHOOSECOLOR request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = g().window;
  request.rgbResult = g().tableColours[which];
  request.lpCustColors = g().customColours;
  request.Flags = CC_RGBINIT;
  if (!ChooseColor(&request)) {
    g().outcome = Outcome::Declined;
    return;
  }
  g().tableColours[which] = request.rgbResult;
  SendMessage(g().list, DT_SETCOLORS, 0, reinterpret_cast<LPARAM>(g().tableColours));
  writeColours();
  g().outcome = Outcome::Done;
}

// ---- About, help, the window ---------------------------------------------

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    kswin::centreWindow(dialog, GetParent(dialog));
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, TRUE);
    return TRUE;
  }
  return FALSE;
}

std::string helpPath() {
  char path[PATH_MAX] = {};
  GetModuleFileName(nullptr, path, sizeof path);
  std::string help = path;
  help.erase(help.find_last_of('/') + 1);
  return help + g().kind->helpFile;
}

void command(HWND window, UINT id) {
  const Kind& k = *g().kind;
  g().outcome = Outcome::None;
  switch (id) {
    case cmd::kImport: import(); return;
    case cmd::kExport: exportFile(); return;
    case cmd::kPrint: print(); return;
    case cmd::kPrinterSetup: printerSetup(); return;
    case cmd::kExit: DestroyWindow(window); return;
    case cmd::kClear: clearForm(); g().outcome = Outcome::Done; return;
    case cmd::kFind: find(); return;
    case cmd::kSave: save(); return;
    case cmd::kDelete: remove(); return;
    case cmd::kHelpIndex: WinHelp(window, helpPath().c_str(), HELP_CONTENTS, 0); return;
    case cmd::kHelpKeys:
    case cmd::kHelpCommands:
    case cmd::kHelpProcedures:
      WinHelp(window, helpPath().c_str(), HELP_KEY,
              reinterpret_cast<uintptr_t>(k.helpKeys[id - cmd::kHelpKeys]));
      return;
    case cmd::kHelpOnHelp: WinHelp(window, "WINHELP.HLP", HELP_HELPONHELP, 0); return;
    case cmd::kAbout: DialogBox(nullptr, "AboutBox", window, aboutProc); return;
    case cmd::kBackground: chooseColour(0); return;
    case cmd::kTextColour: chooseColour(1); return;
    default: return;
  }
}

// A line of the list chosen with a double-click: the key up to the first
// blank (list box), or the row itself (table), into the form.
void listChosen() {
  const Kind& k = *g().kind;
  if (k.table) {
    const LRESULT at = SendMessage(g().list, DT_GETDBLCLKROW, 0, 0);
    if (at < 0) return;
    std::vector<unsigned char> row(k.rowSize, 0);
    SendMessage(g().list, DT_SETCURRENTROW, 0, at);
    SendMessage(g().list, DT_GETROW, 0, reinterpret_cast<LPARAM>(row.data()));
    k.rowToForm(row.data());
    return;
  }
  const LRESULT at = SendMessage(g().list, LB_GETCURSEL, 0, 0);
  if (at == LB_ERR) return;
  char line[1024] = {};
  SendMessage(g().list, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(line));
  std::string key = line;
  key.erase(std::min(key.find(' '), key.size()));
  setFormText(k.keyField, key);
  find();
}

void createChildren(HWND window) {
  const Kind& k = *g().kind;
  HGDIOBJ font = GetStockObject(SYSTEM_FIXED_FONT);
  for (std::size_t i = 0; i < k.form.size(); ++i) {
    const FormField& f = k.form[i];
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
    if (f.upper) style |= ES_UPPERCASE;
    HWND field = CreateWindow("EDIT", "", style, pixelsX(f.x), pixelsY(f.y), pixelsX(f.width),
                              g().lh * 3 / 2, window,
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(kFirstFieldId + i)),
                              nullptr, nullptr);
    SendMessage(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessage(field, EM_LIMITTEXT, static_cast<WPARAM>(f.limit), 0);
    g().fields.push_back(field);
    g().fieldProcs.push_back(reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldProc))));
  }
  if (k.table) {
    g().list = CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE, 0, 0, 0, 0, window,
                            reinterpret_cast<HMENU>(static_cast<uintptr_t>(kListId)), nullptr,
                            nullptr);
    defineTable();
  } else {
    g().list = CreateWindow("LISTBOX", k.listCaption,
                            WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_VSCROLL |
                                WS_HSCROLL | LBS_NOTIFY | LBS_MULTICOLUMN,
                            0, k.listTop * g().lh, 0, 0, window,
                            reinterpret_cast<HMENU>(static_cast<uintptr_t>(kListId)), nullptr,
                            nullptr);
    SendMessage(g().list, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessage(g().list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(k.listColumn * g().cw), 0);
  }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g().window = window;
      createChildren(window);
      return 0;
    case WM_SIZE:
      if (g().list != nullptr) {
        const int top = g().kind->listTop * g().lh;
        MoveWindow(g().list, 0, top, LOWORD(lParam), std::max(0, HIWORD(lParam) - top), TRUE);
      }
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 80 * g().cw;
      info->ptMinTrackSize.y = 20 * g().lh;
      return 0;
    }
    case WM_SETFOCUS:
      if (!g().fields.empty()) SetFocus(g().fields[0]);
      return 0;
    case WM_PAINT: paint(window); return 0;
    case WM_LBUTTONDOWN: {
      const int at = buttonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (at >= 0 && g().buttonEnabled[at]) {
        g().pressed = at;
        SetCapture(window);
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const int held = g().pressed;
      if (held < 0) return 0;
      g().pressed = -1;
      ReleaseCapture();
      InvalidateRect(window, nullptr, FALSE);
      if (buttonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))) == held && g().buttonEnabled[held])
        PostMessage(window, WM_COMMAND, kButtonCommands[held], 0);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kListId) {
        if ((g().kind->table && HIWORD(wParam) == DT_NOTIFY_DBLCLK) ||
            (!g().kind->table && HIWORD(wParam) == LBN_DBLCLK))
          listChosen();
        return 0;
      }
      if (lParam != 0) return 0;  // the form fields' notifications
      command(window, LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      if (g().keepPlacement) savePlacement();
      WinHelp(window, helpPath().c_str(), HELP_QUIT, 0);
      closeDatabase();
      if (g().task != nullptr) dbCloseTask(g().task);
      g().task = nullptr;
      notifyMainProgram();
      g().window = g().list = nullptr;
      g().fields.clear();
      g().fieldProcs.clear();
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

void registerMenuBar(const Kind& k) {
  std::vector<kswin::MenuTemplateItem> bar = {
      {"&File",
       {{"&Import", cmd::kImport},
        {"&Export", cmd::kExport},
        {"&Print", cmd::kPrint},
        {"Printer Se&tup...", cmd::kPrinterSetup},
        {},
        {"E&xit", cmd::kExit}}},
      {"&Edit",
       {{"&Clear\tF6", cmd::kClear},
        {"&Delete", cmd::kDelete},
        {"&Find\tF3", cmd::kFind},
        {"&Save\tF7", cmd::kSave}}}};
  if (k.table)
    bar.push_back({"&Setup",
                   {{"&Color", {{"&Background", cmd::kBackground}, {"&Text", cmd::kTextColour}}}}});
  bar.push_back({"&Help",
                 {{"&Index\tF1", cmd::kHelpIndex},
                  {"&Keyboard", cmd::kHelpKeys},
                  {"&Commands", cmd::kHelpCommands},
                  {"&Procedures", cmd::kHelpProcedures},
                  {"&Using Help", cmd::kHelpOnHelp},
                  {},
                  {k.aboutItem, cmd::kAbout}}});
  kswin::registerMenu(k.menuName, bar);
  kswin::registerAccelerators(k.menuName, {{FVIRTKEY, VK_F3, static_cast<WORD>(cmd::kFind)},
                                           {FVIRTKEY, VK_F6, static_cast<WORD>(cmd::kClear)},
                                           {FVIRTKEY, VK_F7, static_cast<WORD>(cmd::kSave)},
                                           {FVIRTKEY, VK_F1, static_cast<WORD>(cmd::kHelpIndex)}});
  kswin::DialogTemplate about;
  about.title = k.title;
  about.controls = {kswin::controls::staticText(-1, k.title),
                    kswin::controls::staticText(-1, std::string("Version ") + k.version),
                    kswin::controls::pushButton(IDOK, "OK", true)};
  kswin::registerDialog("AboutBox", about);
}

HWND makeWindow(const Kind& k, int showCommand) {
  TEXTMETRIC metrics{};
  HDC dc = GetDC(nullptr);
  SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  GetTextMetrics(dc, &metrics);
  ReleaseDC(nullptr, dc);
  g().cw = metrics.tmAveCharWidth;
  g().lh = metrics.tmHeight + metrics.tmExternalLeading;

  WNDCLASS wc{};
  wc.lpfnWndProc = windowProc;
  wc.hIcon = LoadIcon(nullptr, k.className);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = g().greyBrush;
  wc.lpszMenuName = k.menuName;
  wc.lpszClassName = k.className;
  RegisterClass(&wc);

  const char* ini = k.iniFile;
  const int left = static_cast<int>(GetPrivateProfileInt("Program", "Left", INT_MIN, ini));
  const int top = static_cast<int>(GetPrivateProfileInt("Program", "Top", 0, ini));
  const int right = static_cast<int>(GetPrivateProfileInt("Program", "Width", INT_MIN, ini));
  const int bottom = static_cast<int>(GetPrivateProfileInt("Program", "Height", 0, ini));
  g().showCommand =
      static_cast<int>(GetPrivateProfileInt("Program", "Maximized", showCommand, ini));
  HWND window;
  if (left == INT_MIN || right == INT_MIN)
    window = CreateWindow(k.className, k.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                          80 * g().cw, 20 * g().lh, nullptr, nullptr, nullptr, nullptr);
  else
    window = CreateWindow(k.className, k.title, WS_OVERLAPPEDWINDOW, left, top, right - left,
                          bottom - top, nullptr, nullptr, nullptr, nullptr);
  return window;
}

}  // namespace

std::string formText(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= g().fields.size()) return "";
  char text[1024] = {};
  GetWindowText(g().fields[static_cast<std::size_t>(index)], text, sizeof text);
  return text;
}

void setFormText(int index, const std::string& text) {
  if (index >= 0 && static_cast<std::size_t>(index) < g().fields.size())
    SetWindowText(g().fields[static_cast<std::size_t>(index)], text.c_str());
}

HWND startEditor(const Kind& kind, const std::string& commandLine, int showCommand) {
  State& s = g();
  if (s.window != nullptr) return s.window;  // one instance
  s = State{};
  s.kind = &kind;
  if (kind.table && LoadLibrary(DT_LIBRARY_NAME) == nullptr) {
    MessageBox(nullptr, "Unable to Load DataTable DLL", "System Error", MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  if (kind.table) {
    COLORREF colour;
    if (readColour("Bkr", "Bkg", "Bkb", colour)) s.tableColours[0] = colour;
    if (readColour("Textr", "Textg", "Textb", colour)) s.tableColours[1] = colour;
  }
  s.greyBrush = CreateSolidBrush(kGrey);
  s.whiteBrush = CreateSolidBrush(RGB(255, 255, 255));
  s.shadowPen = CreatePen(0, 1, RGB(128, 128, 128));
  s.lightPen = CreatePen(0, 1, RGB(255, 255, 255));
  s.darkPen = CreatePen(0, 1, RGB(0, 0, 0));
  registerMenuBar(kind);
  HWND window = makeWindow(kind, showCommand);
  if (window == nullptr) return nullptr;
  ShowWindow(window, s.showCommand);
  UpdateWindow(window);

  // Ending at the start: no placement is kept, the main program is told
  // (by WM_DESTROY) all the same.
  const auto endAtStart = [&] {
    s.keepPlacement = false;
    DestroyWindow(window);
    MSG rest;
    while (PeekMessage(&rest, nullptr, 0, 0, PM_REMOVE)) {
      if (rest.message != WM_QUIT) DispatchMessage(&rest);
    }
  };
  if (dbOpenTask(&s.task) != RECDB_OK) {
    endAtStart();
    return nullptr;
  }
  SetWaitHook(dbIdle);
  s.dictPath = readDictPath();
  s.dbPath = s.dictPath + kind.database;
  const std::string dataFile = s.dbPath + ".DAT";
  if (!FileExists(dataFile.c_str())) {
    warn(format(text(1), dataFile.c_str()));
    endAtStart();
    return nullptr;
  }
  setDatabaseOpen(false);
  if (!openDatabase()) {
    warn(text(2));
    if (kind.listWhenOpenFails) fillList();
  } else {
    fillList();
  }
  if (!commandLine.empty()) {
    setFormText(kind.keyField, commandLine);
    if (s.open) loadRecord(commandLine);
  }
  return window;
}

int runEditor() {
  HACCEL accelerators = g().kind != nullptr ? LoadAccelerators(nullptr, g().kind->menuName) : nullptr;
  MSG msg{};
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    if (g().window != nullptr && TranslateAccelerator(g().window, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  if (g().window != nullptr) {  // the loop ended with the window still up
    DestroyWindow(g().window);
    MSG rest;
    while (PeekMessage(&rest, nullptr, 0, 0, PM_REMOVE)) {
      if (rest.message != WM_QUIT) DispatchMessage(&rest);
    }
  }
  if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(g().greyBrush), static_cast<HGDIOBJ>(g().whiteBrush),
                         static_cast<HGDIOBJ>(g().shadowPen), static_cast<HGDIOBJ>(g().lightPen),
                         static_cast<HGDIOBJ>(g().darkPen)})
    if (object != nullptr) DeleteObject(object);
  g().greyBrush = g().whiteBrush = nullptr;
  g().shadowPen = g().lightPen = g().darkPen = nullptr;
  return static_cast<int>(msg.wParam);
}

bool hasDataTable(const Kind& kind) { return kind.table; }
int keyFieldOf(const Kind& kind) { return kind.keyField; }

Outcome lastOutcome() { return g().outcome; }
HWND editorWindow() { return g().window; }
const std::vector<FormField>& fields() { return g().kind->form; }

int fieldIndex(const std::string& name) {
  const auto& form = g().kind->form;
  for (std::size_t i = 0; i < form.size(); ++i)
    if (name == form[i].name) return static_cast<int>(i);
  return -1;
}

HWND fieldWindow(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < g().fields.size()
             ? g().fields[static_cast<std::size_t>(index)]
             : nullptr;
}

std::string fieldValue(int index) { return formText(index); }
bool insertMode() { return g().insert; }
bool databaseOpen() { return g().open; }
std::string databasePath() { return g().dbPath; }

std::vector<std::string> listLines() {
  std::vector<std::string> lines;
  if (g().list == nullptr) return lines;
  if (g().kind->table) {
    std::vector<unsigned char> row(g().kind->rowSize);
    const int rows = static_cast<int>(SendMessage(g().list, DT_GETROWCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i) {
      std::fill(row.begin(), row.end(), 0);
      SendMessage(g().list, DT_SETCURRENTROW, 0, i);
      SendMessage(g().list, DT_GETROW, 0, reinterpret_cast<LPARAM>(row.data()));
      lines.push_back(g().kind->rowText(row.data()));
    }
    return lines;
  }
  const int count = static_cast<int>(SendMessage(g().list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char line[1024] = {};
    SendMessage(g().list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
    lines.push_back(line);
  }
  return lines;
}

bool loadRecord(const std::string& key) {
  if (!g().open || key.empty() || !findKey(key)) return false;
  std::vector<unsigned char> record(g().kind->recordSize, 0);
  if (dbRecordRead(record.data(), g().task, 0) != RECDB_OK) return false;
  g().kind->toForm(record.data());
  return true;
}

}  // namespace kseditor
