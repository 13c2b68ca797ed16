/* The window layer: the suite's stand-in for the windowing platform.
 *
 * The C part has the platform's shape (MessageBox, SetCursor, ...), so the
 * suite's programs and libraries are written as they would be against the
 * platform. Everything a person would see or answer goes through one UiHost
 * (the C++ part below): a headless host for tests, a console host for the
 * kestrel command line. Nothing outside this room depends on which host runs.
 *
 * Where things are: window.cpp (windows), message.cpp (queues, timers,
 * accelerators), menu.cpp, dialog.cpp, controls.cpp, commdlg.cpp (common
 * dialogs, help, modules, error texts), gdi.cpp and print.cpp (device
 * contexts, printing to PDF), datatable.cpp (the data table control, whose
 * messages are in detail/datatable.h), profile.cpp, paths.cpp, remote.cpp
 * (windows shared between processes), uihost.cpp (the hosts), cursor.cpp.
 * Internals are in kswin::detail and are not exported.
 */
#ifndef KESTREL_WINLAYER_WINLAYER_H
#define KESTREL_WINLAYER_WINLAYER_H

#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Shows a message box through the current host and returns the button
 * chosen (IDOK, IDYES ...). A null caption shows the default caption
 * "Error". */
int MessageBox(HWND owner, const char* text, const char* caption, UINT style);

/* Cursor shapes and mouse capture. LoadCursor(NULL, IDC_WAIT) is the
 * hourglass; SetCursor returns the shape it replaced. */
HCURSOR LoadCursor(void* instance, const char* name);
/* An icon: a token the window classes keep (nothing is drawn). */
HICON LoadIcon(HINSTANCE instance, const char* name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor(void);
HWND SetCapture(HWND window);
BOOL ReleaseCapture(void);
HWND GetCapture(void);

/* Delivers a pending WM_PAINT to the window (and its children) at once, so
 * it is drawn before a long step goes on. */
BOOL UpdateWindow(HWND window);

/* ---- Profile files -------------------------------------------------------
 * Sections and keys are found without regard to case; of duplicate sections
 * or keys the first counts. A file named without a directory lives in the
 * settings directory ($KESTREL_HOME, else ~/.kestrel); a null file name is
 * "WIN.INI" there. A missing file reads as empty.
 *
 * GetPrivateProfileString copies the value (trimmed; one pair of enclosing
 * quotes removed) or the default (trailing blanks removed), cut to fit, and
 * returns its length. A null key lists the section's keys, a null section
 * the file's sections, as terminated strings ending with an empty one.
 * GetPrivateProfileInt reads the leading digits (after an optional sign;
 * none: 0) or returns the default when the key is missing or empty.
 * WritePrivateProfileString sets a key (the file and section are created
 * when missing), deletes the key for a null value or the whole section for
 * a null key, and keeps every other line, comment and order as it was. It
 * refuses texts that would break the file's lines. */
DWORD GetPrivateProfileString(const char* section, const char* key, const char* fallback,
                              char* buffer, DWORD size, const char* fileName);
UINT GetPrivateProfileInt(const char* section, const char* key, int fallback,
                          const char* fileName);
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName);
/* The same on "WIN.INI" (where the default printer is named). */
DWORD GetProfileString(const char* section, const char* key, const char* fallback,
                       char* buffer, DWORD size);

/* Last error of the calling thread; FormatMessage with
 * FORMAT_MESSAGE_FROM_SYSTEM gives the platform's text for a code. */
DWORD GetLastError(void);
void SetLastError(DWORD code);
DWORD FormatMessage(DWORD flags, const void* source, DWORD code, DWORD language, char* buffer,
                    DWORD size, void* arguments);

/* Modules. Loading any library succeeds (the suite's libraries are linked
 * in) unless a test has marked its name missing (kswin::setLibraryMissing). */
HMODULE LoadLibrary(const char* name);
BOOL FreeLibrary(HMODULE module);
/* The path of the running program for a null module. */
DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size);

/* ---- Windows --------------------------------------------------------------
 * One desktop of 1280 x 1024; a top-level window's client area is its whole
 * rectangle. Built-in classes: "BUTTON", "EDIT", "STATIC", "LISTBOX",
 * "COMBOBOX", the dialog class "#32770" and the data table "DataTableDLL". */
ATOM RegisterClass(const WNDCLASS* windowClass);
BOOL UnregisterClass(const char* name, HINSTANCE instance);
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param);
HWND CreateWindow(const char* className, const char* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                  void* param);
/* Sends WM_DESTROY to the window and then to its children, destroys the
 * windows it owns first, and frees its menu and timers. */
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus(void);
/* A top-level window asks WM_GETMINMAXINFO and keeps within its tracking
 * sizes, as when a person sizes it. */
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
HWND GetDesktopWindow(void);
int GetSystemMetrics(int index);
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);
BOOL SetWindowText(HWND window, const char* text);
int GetWindowText(HWND window, char* buffer, int size);
int GetWindowTextLength(HWND window);
int GetClassName(HWND window, char* buffer, int size);
HWND GetParent(HWND window);
BOOL IsChild(HWND parent, HWND window);
int GetDlgCtrlID(HWND window);
/* A top-level window of this process by class and/or title; for a class
 * alone, also a window another process of this user has published
 * (kswin::publishWindow). */
HWND FindWindow(const char* className, const char* title);
LONG_PTR GetWindowLongPtr(HWND window, int index);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
LRESULT CallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

/* ---- Messages -------------------------------------------------------------
 * Each thread has its own queue. SendMessage calls the window procedure at
 * once (another thread's window answers from its own loop); PostMessage
 * queues. Queued messages come in order of posting; WM_PAINT and WM_TIMER
 * come only when nothing is posted. A null window in PostMessage posts to
 * the calling thread. Timers run on the layer's clock, which tests can
 * stop and advance (kswin::useTestClock, kswin::advanceClock). */
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int code);
BOOL GetMessage(MSG* msg, HWND window, UINT first, UINT last);
BOOL PeekMessage(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
/* A function GetMessage calls each time its thread is about to wait for
 * input (the suite's database engine lets its read snapshots go there);
 * null for none. One per process. */
void SetWaitHook(void (*hook)(void));
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
uintptr_t SetTimer(HWND window, uintptr_t id, UINT milliseconds, TIMERPROC proc);
BOOL KillTimer(HWND window, uintptr_t id);
DWORD GetTickCount(void);
short GetKeyState(int virtualKey);
HACCEL LoadAccelerators(HINSTANCE instance, const char* name);
HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
int TranslateAccelerator(HWND window, HACCEL table, const MSG* msg);

/* ---- Menus ------------------------------------------------------------- */
HMENU CreateMenu(void);
HMENU CreatePopupMenu(void);
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL AppendMenu(HMENU menu, UINT flags, uintptr_t idOrPopup, const char* text);
/* These return the item's previous state, or -1 when there is no such item. */
UINT EnableMenuItem(HMENU menu, UINT item, UINT flags);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuString(HMENU menu, UINT item, char* buffer, int size, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
/* A menu registered by name with kswin::registerMenu. */
HMENU LoadMenu(HINSTANCE instance, const char* name);
HMENU GetMenu(HWND window);
BOOL SetMenu(HWND window, HMENU menu);
BOOL DrawMenuBar(HWND window);

/* ---- Dialogs and controls -----------------------------------------------
 * Dialogs are made from templates registered by name (kswin::registerDialog).
 * A modal dialog disables its owner and runs its own message loop; when the
 * loop has nothing to do it asks the host (whose script may press buttons)
 * and, if the host has nothing either, cancels the dialog. */
INT_PTR DialogBox(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc);
INT_PTR DialogBoxParam(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                       LPARAM param);
HWND CreateDialog(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc);
HWND CreateDialogParam(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc,
                       LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL IsDialogMessage(HWND dialog, MSG* msg);
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size);
/* Leading blanks, an optional minus sign (when `isSigned`) and digits; any
 * other character, an empty text or overflow fail (*translated = FALSE). */
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

/* ---- Common dialogs and help (answered by the host) -------------------- */
typedef struct tagOPENFILENAME {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpstrFilter;     /* pairs of description and pattern, double-NUL ended */
  char* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;          /* from 1 */
  char* lpstrFile;             /* in: proposed name; out: the chosen path */
  DWORD nMaxFile;
  char* lpstrFileTitle;        /* out: the chosen name without its directory */
  DWORD nMaxFileTitle;
  const char* lpstrInitialDir;
  const char* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  const char* lpstrDefExt;
} OPENFILENAME;
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
BOOL GetOpenFileName(OPENFILENAME* request);
BOOL GetSaveFileName(OPENFILENAME* request);

typedef struct tagCHOOSECOLOR {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  COLORREF rgbResult;          /* in: the colour to start from; out: the choice */
  COLORREF* lpCustColors;      /* 16 custom colours, kept by the caller */
  DWORD Flags;
} CHOOSECOLOR;
#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
BOOL ChooseColor(CHOOSECOLOR* request);

typedef struct tagPRINTDLG {
  DWORD lStructSize;
  HWND hwndOwner;
  void* hDevMode;
  void* hDevNames;             /* the printer chosen in set-up, kept by the caller */
  HDC hDC;                     /* out with PD_RETURNDC */
  DWORD Flags;
  WORD nFromPage, nToPage, nMinPage, nMaxPage, nCopies;
} PRINTDLG;
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_PRINTSETUP 0x00000040
#define PD_RETURNDC 0x00000100
#define PD_HIDEPRINTTOFILE 0x00100000
BOOL PrintDlg(PRINTDLG* request);
/* Which step a failed common dialog stopped at (0: the user cancelled). */
DWORD CommDlgExtendedError(void);

BOOL WinHelp(HWND window, const char* file, UINT command, uintptr_t data);
BOOL MessageBeep(UINT type);

/* ---- Drawing and printing ------------------------------------------------
 * A window's device context measures (the system fixed-pitch font is 8 x 16
 * pixels: height 15, external leading 1) and ignores drawing. A printer's
 * device context renders pages to a PDF file through cairo, in a fixed-pitch
 * font at 300 dots per inch on US Letter paper (2550 x 3300 dots, text
 * height 46, external leading 4, average width 30), and keeps every page's
 * texts for kswin::printedDocuments. */
typedef struct tagDOCINFO {
  int cbSize;
  const char* lpszDocName;
  const char* lpszOutput;      /* the PDF file; null: the printer's own file */
  const char* lpszDatatype;
  DWORD fwType;
} DOCINFO;
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
/* A printer context: its PDF goes to `output` when given, else to the file
 * chosen in the last print set-up, else "<settings>/print.pdf". */
HDC CreateDC(const char* driver, const char* device, const char* output, const void* mode);
BOOL DeleteDC(HDC dc);
HGDIOBJ GetStockObject(int which);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HBRUSH CreateSolidBrush(COLORREF colour);
HPEN CreatePen(int style, int width, COLORREF colour);
BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics);
BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
int GetDeviceCaps(HDC dc, int index);
BOOL TextOut(HDC dc, int x, int y, const char* text, int length);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
int SetStretchBltMode(HDC dc, int mode);
int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY,
                  int srcWidth, int srcHeight, const void* bits, const void* info, UINT usage,
                  DWORD rop);
int StartDoc(HDC dc, const DOCINFO* info);
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
int AbortDoc(HDC dc);
/* The procedure is called with each page end; returning FALSE aborts the
 * document. */
int SetAbortProc(HDC dc, ABORTPROC proc);

#ifdef __cplusplus
}

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kswin {

/* ---- Paths ----------------------------------------------------------------
 * The suite names files the Windows way. mapPath turns such a name into one
 * of this system: backslashes become separators, "X:" is the directory in
 * KESTREL_DRIVE_X (an unmapped drive, or a letter before C, gives "": it does
 * not exist), and each component that does not exist as written is matched
 * without regard to case against its directory. Names already in this
 * system's form pass through unchanged. */
std::string mapPath(std::string_view name);
/* The directory of drive `letter` ("" when unmapped). */
std::string driveRoot(char letter);
/* $KESTREL_HOME, else ~/.kestrel. */
std::string settingsDirectory();
/* Where the profile file `name` lives: in the settings directory when it is
 * named without a directory, else mapPath(name). */
std::string profilePath(std::string_view name);

/* What a message loop does when nothing is queued: the host acted (ran a
 * step of its script), the loop should wait for input, or nothing will ever
 * come (a headless run whose script is over: the loop ends). */
enum class IdleAction { acted, wait, stop };

/* An open or save dialog as the host sees it. */
struct FileRequest {
  bool save = false;
  HWND owner = nullptr;
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
  std::string defaultExtension;
  std::string proposedName;
  std::string path;  // the answer
};

struct ColorRequest {
  HWND owner = nullptr;
  COLORREF initial = 0;
  COLORREF result = 0;  // the answer
};

/* The print dialog (setup: the printer set-up dialog). The answer is the
 * PDF file the pages go to. */
struct PrintRequest {
  HWND owner = nullptr;
  bool setup = false;
  std::string output;
};

/* Everything a person would see or answer. */
class UiHost {
 public:
  virtual ~UiHost() = default;

  /* Shows a box and returns the button chosen. `caption` is never empty
   * here: MessageBox has already put in the default. */
  virtual int messageBox(HWND owner, std::string_view text, std::string_view caption,
                         UINT style) = 0;

  /* The hourglass went on (busy) or off. */
  virtual void cursorChanged(bool busy) { (void)busy; }

  /* Common dialogs: true with the answer filled in, false for Cancel. */
  virtual bool fileDialog(FileRequest& request) { (void)request; return false; }
  virtual bool colorDialog(ColorRequest& request) { (void)request; return false; }
  virtual bool printDialog(PrintRequest& request) { (void)request; return false; }

  /* A help request: the file, the command (HELP_CONTENTS, HELP_KEY,
   * HELP_HELPONHELP, HELP_QUIT) and the keyword of HELP_KEY. */
  virtual void help(std::string_view file, UINT command, std::string_view keyword) {
    (void)file; (void)command; (void)keyword;
  }
  virtual void beep() {}

  /* A top-level window was shown or hidden (destroyed counts as hidden). */
  virtual void windowShown(HWND window, std::string_view title, bool visible) {
    (void)window; (void)title; (void)visible;
  }
  /* A dialog made from template `name` is up (after its WM_INITDIALOG). */
  virtual void dialogShown(HWND dialog, std::string_view name) { (void)dialog; (void)name; }
  /* A static text of a shown dialog changed (how progress dialogs report
   * their running count). */
  virtual void dialogText(HWND dialog, int id, std::string_view text) {
    (void)dialog; (void)id; (void)text;
  }
  /* A dialog went away. */
  virtual void dialogClosed(HWND dialog) { (void)dialog; }

  /* A message loop has nothing to do. */
  virtual IdleAction idle() { return IdleAction::wait; }
  /* A modal dialog's loop has nothing to do (only the dialog can be used
   * while it is up). Stopping cancels the dialog. */
  virtual IdleAction dialogIdle(HWND dialog, std::string_view name) {
    (void)dialog; (void)name;
    return IdleAction::stop;
  }
};

/* The host that serves this process (a ConsoleHost on standard error until
 * another is installed). */
UiHost& host();

/* Installs `next` (null: the default console host) and returns the host it
 * replaced. */
UiHost* setHost(UiHost* next);

/* Installs a host for the lifetime of a scope. */
class ScopedHost {
 public:
  explicit ScopedHost(UiHost& next) : previous_(setHost(&next)) {}
  ~ScopedHost() { setHost(previous_); }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  UiHost* previous_;
};

/* The button a box answers with when nobody chooses: its default button. */
int defaultAnswer(UINT style);

/* Whether `answer` is one of the buttons of a box of `style`. */
bool isButtonOf(UINT style, int answer);

/* A message box as a host saw it. */
struct BoxRecord {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT style = 0;
  int answer = 0;

  UINT icon() const { return style & MB_ICONMASK; }
  UINT buttons() const { return style & MB_TYPEMASK; }
};

/* For tests: answers from a queue the test fills (a box with no queued
 * answer takes its default button) and records everything shown, in order. */
/* Steps that answer dialogs, run in order with the dialog's window: the
 * first when a dialog of that template name comes up, the next ones while a
 * modal one waits with nothing to do (see press, typeInto ...). */
class DialogScripts {
 public:
  void onDialog(std::string name, std::function<void(HWND)> step) {
    steps_.emplace_back(std::move(name), std::move(step));
  }
  /* Runs (and drops) the first step for `name`; false when there is none. */
  bool run(HWND dialog, std::string_view name);

 private:
  std::deque<std::pair<std::string, std::function<void(HWND)>>> steps_;
};

class HeadlessHost : public UiHost {
 public:
  /* Queues the answer for the next box that has more than one button. */
  void queueAnswer(int answer) { answers_.push_back(answer); }
  /* Queues the path the next file dialog answers; "" cancels it. */
  void queueFile(std::string path) { files_.push_back(std::move(path)); }
  /* Queues the colour the next colour dialog answers; nothing queued cancels. */
  void queueColor(COLORREF colour) { colours_.push_back(colour); }
  /* Queues the PDF file of the next print dialog; "" cancels it. */
  void queuePrintFile(std::string path) { printFiles_.push_back(std::move(path)); }
  /* A step for the dialog of template `name` (see DialogScripts). */
  void onDialog(std::string name, std::function<void(HWND)> step) {
    scripts_.onDialog(std::move(name), std::move(step));
  }
  /* A step a message loop runs when it has nothing else to do; when none
   * is left the loop ends (GetMessage returns 0). */
  void onIdle(std::function<void()> step) { idleSteps_.push_back(std::move(step)); }

  const std::vector<BoxRecord>& boxes() const { return boxes_; }
  const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }

  /* Everything shown, one readable line each ("box Copy File: ...",
   * "cursor wait", "cursor normal", "show Kestrel Import", "dialog QUERY",
   * "open Import ADIF File [ADIF Files (*.ADI)|*.ADI] -> x.adi",
   * "help KSIMPORT.HLP key Kestrel Import Commands" ...). */
  const std::vector<std::string>& log() const { return log_; }

  void clear();

  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override;
  void cursorChanged(bool busy) override;
  bool fileDialog(FileRequest& request) override;
  bool colorDialog(ColorRequest& request) override;
  bool printDialog(PrintRequest& request) override;
  void help(std::string_view file, UINT command, std::string_view keyword) override;
  void beep() override;
  void windowShown(HWND window, std::string_view title, bool visible) override;
  void dialogShown(HWND dialog, std::string_view name) override;
  void dialogText(HWND dialog, int id, std::string_view text) override;
  IdleAction idle() override;
  IdleAction dialogIdle(HWND dialog, std::string_view name) override;

 private:
  std::deque<int> answers_;
  std::deque<std::string> files_;
  std::deque<COLORREF> colours_;
  std::deque<std::string> printFiles_;
  std::deque<std::function<void()>> idleSteps_;
  DialogScripts scripts_;
  std::vector<BoxRecord> boxes_;
  std::vector<FileRequest> fileRequests_;
  std::vector<std::string> log_;
};

/* For the command line: prints every box to standard error with its caption.
 * A question takes the next answer given in advance (from command-line
 * flags), else asks on the terminal, else — standard input not a terminal —
 * takes the box's default button, so it never blocks. */
class ConsoleHost : public UiHost {
 public:
  explicit ConsoleHost(std::FILE* out = stderr, std::FILE* in = stdin);

  void queueAnswer(int answer) { answers_.push_back(answer); }
  /* Answers every question not answered otherwise (IDYES, IDNO), 0 to ask. */
  void setStandingAnswer(int answer) { standing_ = answer; }
  /* The answer to every box whose text starts with `textStart` (how
   * "--answer" flags name a question). Checked before the queue. */
  void setAnswerFor(std::string textStart, int answer) {
    answersFor_.emplace_back(std::move(textStart), answer);
  }
  void setQuiet(bool quiet) { quiet_ = quiet; }
  /* Paths that answer file dialogs in turn; with none left a dialog is
   * cancelled. */
  void queueFile(std::string path) { files_.push_back(std::move(path)); }
  /* The PDF file every print dialog answers ("" cancels). */
  void setPrintFile(std::string path) { printFile_ = std::move(path); }
  void queueColor(COLORREF colour) { colours_.push_back(colour); }
  void onDialog(std::string name, std::function<void(HWND)> step) {
    scripts_.onDialog(std::move(name), std::move(step));
  }
  /* Whether a progress line is drawn (standard error is a terminal, by
   * default). */
  void setProgress(bool on) { progress_ = on; }

  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override;
  bool fileDialog(FileRequest& request) override;
  bool colorDialog(ColorRequest& request) override;
  bool printDialog(PrintRequest& request) override;
  void help(std::string_view file, UINT command, std::string_view keyword) override;
  void dialogShown(HWND dialog, std::string_view name) override;
  void dialogText(HWND dialog, int id, std::string_view text) override;
  void dialogClosed(HWND dialog) override;
  IdleAction dialogIdle(HWND dialog, std::string_view name) override;

 private:
  int ask(UINT style);
  void endProgressLine();

  std::FILE* out_;
  std::FILE* in_;
  std::deque<int> answers_;
  std::vector<std::pair<std::string, int>> answersFor_;
  std::deque<std::string> files_;
  std::deque<COLORREF> colours_;
  std::string printFile_;
  DialogScripts scripts_;
  int standing_ = 0;
  bool quiet_ = false;
  bool progress_ = false;
  bool progressLine_ = false;  // a progress line is on the terminal
  // The terminal is redrawn at most every tenth of a second; the count last
  // seen is drawn when its dialog goes.
  long long lastDrawn_ = 0;  // steady clock, milliseconds
  std::string pendingCount_;
  HWND pendingDialog_ = nullptr;
  HWND titleOf_ = nullptr;  // the dialog whose title the line shows
  std::string title_;
};

/* ---- Windows, messages and the clock -------------------------------- */

/* The desktop rectangle. */
RECT desktopRect();
/* Centres `window` on `owner` (null: the screen); when that would leave the
 * screen, on the screen. */
void centreWindow(HWND window, HWND owner);
/* Dispatches every queued message of this thread; returns how many. A quit
 * request stays queued. */
int pumpMessages();
/* Stops the clock (timers, GetTickCount) at its current time (on) or lets
 * it run again; advanceClock moves the stopped clock forward. */
void useTestClock(bool on);
void advanceClock(unsigned milliseconds);
/* Marks a key held down or released for GetKeyState (shift, control). */
void setKeyDown(int virtualKey, bool down);
/* Makes LoadLibrary of `name` fail (or succeed again). */
void setLibraryMissing(std::string_view name, bool missing);

/* ---- Menus as data ------------------------------------------------------ */
struct MenuTemplateItem {
  MenuTemplateItem() = default;  // a separator
  MenuTemplateItem(std::string itemText, UINT itemId, UINT itemFlags = 0)
      : text(std::move(itemText)), id(itemId), flags(itemFlags) {}
  MenuTemplateItem(std::string itemText, std::vector<MenuTemplateItem> popup)
      : text(std::move(itemText)), items(std::move(popup)) {}

  std::string text;
  UINT id = 0;
  UINT flags = 0;  // MF_GRAYED, MF_CHECKED ...
  std::vector<MenuTemplateItem> items;  // a pop-up when not empty
};
/* Makes `bar` loadable by LoadMenu(instance, name) and as a class menu. */
void registerMenu(const std::string& name, std::vector<MenuTemplateItem> bar);
/* Accelerators loadable by LoadAccelerators(instance, name). */
void registerAccelerators(const std::string& name, std::vector<ACCEL> entries);

struct MenuEntry {
  UINT id = 0;
  std::string text;
  bool separator = false;
  bool popup = false;
  bool enabled = true;
  bool grayed = false;
  bool checked = false;
};
std::vector<MenuEntry> menuItems(HMENU menu);
/* Opens pop-up `position` of the window's menu bar as the user would
 * (WM_INITMENU, WM_INITMENUPOPUP) and returns what it then shows. */
std::vector<MenuEntry> openMenu(HWND window, int position);
/* Opens the pop-up holding command `id` and chooses it: WM_COMMAND when the
 * item is there and enabled once the menu is open. Returns whether it was. */
bool chooseMenuItem(HWND window, UINT id);

/* ---- Dialog templates ----------------------------------------------------
 * Positions and sizes in dialog units (a quarter of the average character
 * width, an eighth of the line height). */
struct ControlTemplate {
  std::string className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX", "DataTableDLL"
  std::string text;
  int id = -1;
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};
struct DialogTemplate {
  std::string title;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  int x = 0, y = 0, cx = 200, cy = 100;
  std::vector<ControlTemplate> controls;
};
void registerDialog(const std::string& name, DialogTemplate dialog);

namespace controls {
ControlTemplate pushButton(int id, std::string text, bool isDefault = false);
ControlTemplate checkBox(int id, std::string text);
ControlTemplate radioButton(int id, std::string text, bool firstOfGroup = false);
ControlTemplate groupBox(int id, std::string text);
ControlTemplate edit(int id, DWORD style = ES_AUTOHSCROLL);
ControlTemplate staticText(int id, std::string text);
ControlTemplate listBox(int id, DWORD style = LBS_NOTIFY);
ControlTemplate comboBox(int id, DWORD style = CBS_DROPDOWNLIST);
ControlTemplate dataTable(int id);
}  // namespace controls

/* ---- Driving dialogs and controls as a person would -------------------- */
/* Clicks button `id` of `dialog`: an automatic check box toggles, an
 * automatic radio button is checked and the others of its group cleared,
 * then the dialog gets WM_COMMAND (id, BN_CLICKED). False when the button is
 * missing or disabled. */
bool press(HWND dialog, int id);
/* Types `text` into a control, one WM_CHAR each. */
void typeInto(HWND control, std::string_view text);
/* Key down and up of a virtual key (VK_TAB, VK_F3 ...) at a window. */
void pressKey(HWND window, int virtualKey);
/* Selects item `index` of list or combo box `id` and notifies the dialog. */
bool selectItem(HWND dialog, int id, int index);
/* Double-clicks item `index` of a list box or row `index` of a data table:
 * the parent gets the control's double-click notification. */
bool doubleClickItem(HWND control, int index);

/* ---- The data table as its callers left it (for tests) ----------------- */
struct DataTableColumn {
  int type = 0, length = 0, flags = 0, width = 0;
  size_t offset = 0;  // in the row record
  std::string mask, title;
};
struct DataTableView {
  std::vector<DataTableColumn> columns;
  size_t recordSize = 0;
  size_t rows = 0;
  int current = -1, marked = -1, focused = -1, scrolledTo = -1, doubleClicked = -1;
  int sortKeys[3] = {-1, -1, -1};
  COLORREF background = 0, text = 0;
  bool redraw = true;
};
/* What a data table window holds; an empty view for other windows. */
DataTableView dataTableView(HWND table);

/* ---- Printing -------------------------------------------------------------*/
struct PrintedText {
  int x = 0, y = 0;
  std::string text;
};
struct PrintedPage {
  std::vector<PrintedText> texts;  // in the order printed
};
struct PrintedDocument {
  std::string name;
  std::string output;  // the PDF file
  std::vector<PrintedPage> pages;
  bool ended = false;    // EndDoc
  bool aborted = false;  // AbortDoc, or the abort procedure said stop
};
/* Every document printed in this process, oldest first. */
std::vector<PrintedDocument> printedDocuments();
void clearPrintedDocuments();
/* Makes the next call of `step` ("SetAbortProc", "StartDoc") fail. */
void failNextPrintStep(std::string_view step);

/* ---- Between processes -------------------------------------------------
 * A window published here can be found by FindWindow(className, NULL) in
 * every process of this user and sent or posted messages: the suite's own
 * (WM_USER and up), WM_CLOSE and WM_NULL, whose parameters cross as numbers.
 * The platform's messages that carry pointers do not cross (they fail).
 * The socket lives in $XDG_RUNTIME_DIR, else the settings directory, in a
 * directory only this user may enter. Publishing starts a listening thread;
 * the window answers from its own message loop. */
bool publishWindow(HWND window);
void unpublishWindow(HWND window);
/* Where the socket for windows of `className` lives. */
std::string publishedSocketPath(std::string_view className);

}  // namespace kswin

#endif /* __cplusplus */

#endif
