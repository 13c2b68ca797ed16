/* The window layer: the suite's stand-in for the windowing platform.
 *
 * This header is the C part, in the platform's shape (MessageBox, SetCursor,
 * CreateWindow, ...), so that the suite's programs and libraries are written
 * as they would be against the platform. winlayer/host.h has the C++ part:
 * the hosts that show what a person would see (a headless host for tests, a
 * console host for the kestrel command line), menus and dialogs as data, and
 * windows shared between processes. winlayer/datatable.h has the messages of
 * the data table control; winlayer/testing.h the hooks only tests use.
 *
 * Where things are: window.cpp (windows), message.cpp (queues, timers,
 * accelerators), menu.cpp, dialog.cpp, controls.cpp, commdlg.cpp (common
 * dialogs, help, modules, error texts), gdi.cpp and print.cpp (device
 * contexts, printing to PDF), datatable.cpp, profile.cpp, remote.cpp
 * (windows shared between processes), uihost.cpp (the hosts), cursor.cpp.
 * Internals are in kswin::detail and are not exported.
 */
#ifndef KESTREL_WINLAYER_WINLAYER_H
#define KESTREL_WINLAYER_WINLAYER_H

#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma GCC visibility push(default)

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

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif

#endif
