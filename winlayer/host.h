/* The window layer's C++ part: the hosts that show what a person would see
 * and answer (UiHost and its headless and console hosts), menus and dialog
 * templates as data, driving dialogs as a person would, and windows shared
 * between processes. Everything here is exported from libkswin.so; the
 * hooks only tests use are in winlayer/testing.h. */
#ifndef KESTREL_WINLAYER_HOST_H
#define KESTREL_WINLAYER_HOST_H

#include "winlayer/winlayer.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Members of exported classes that are no one else's business.
#define KSWIN_INTERNAL __attribute__((visibility("hidden")))

#pragma GCC visibility push(default)

namespace kswin {

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

/* Where a host that shows windows takes the drawing made on a window's
 * device contexts (GetDC, BeginPaint). Coordinates are the window's client
 * pixels; colours are COLORREF. */
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void fillRect(const RECT& rect, COLORREF colour) = 0;
  /* A rectangle outlined with the pen and filled with the brush; either
   * may be absent (the null pen or brush). */
  virtual void rectangle(const RECT& rect, bool outline, COLORREF pen, bool fill,
                         COLORREF brush) = 0;
  virtual void line(POINT from, POINT to, COLORREF pen) = 0;
  /* Text in the fixed-pitch font with its cell's top left at (x, y); an
   * opaque background fills the cells first. */
  virtual void text(int x, int y, std::string_view text, COLORREF colour, bool opaque,
                    COLORREF background) = 0;
  /* A 24- or 32-bit bitmap (8-bit with its colour table), `info` the
   * BITMAPINFOHEADER followed by the table, stretched from the source
   * rectangle onto the destination. */
  virtual void stretch(const RECT& destination, const RECT& source, const void* bits,
                       const BITMAPINFOHEADER& info, const RGBQUAD* colours) = 0;
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

  /* A window was made (after its WM_CREATE, before it is first shown) or
   * is about to go (before its WM_DESTROY; its children follow). A host
   * that shows windows keeps its own picture of each and reads their state
   * through the layer's calls. */
  virtual void windowCreated(HWND window) { (void)window; }
  virtual void windowDestroyed(HWND window) { (void)window; }
  /* A message loop is about to wait for input. A host with an event loop of
   * its own waits there (a short while: posts from other threads and timers
   * are not its events) and returns true; false lets the layer wait. */
  virtual bool waitForInput() { return false; }
  /* Where drawing on the window's device contexts goes; null: nowhere. */
  virtual Canvas* canvas(HWND window) {
    (void)window;
    return nullptr;
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
  KSWIN_INTERNAL int ask(UINT style);
  KSWIN_INTERNAL void endProgressLine();

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

/* ---- For hosts that show windows ---------------------------------------
 * Which host a program should use: the one named by a "--console",
 * "--headless" or "--qt" argument (taken out of `args`), else by KESTREL_UI
 * ("console", "headless", "qt"), else the desktop's when a display is there
 * (WAYLAND_DISPLAY or DISPLAY set and not empty), else the console. */
enum class UiKind { console, headless, qt };
UiKind chooseUi(std::vector<char*>& args);
/* The same from the environment alone. */
UiKind chooseUi();

/* Marks a key held down or released for GetKeyState, as a host that
 * delivers the keyboard sees the shift and control keys. */
void setKeyDown(int virtualKey, bool down);

/* A data table as a host shows it: its shown columns (hidden ones left
 * out), its rows and a count that changes with every change of the table. */
struct DataTableShape {
  struct Column {
    int index = 0;  // in the table's own column numbers
    std::string title;
    int width = 0;  // 4 per character
    int flags = 0;  // DT_FLAG_...
  };
  std::vector<Column> columns;
  size_t rows = 0;
  unsigned long revision = 0;
  int marked = -1, focused = -1, scrolledTo = -1;
  COLORREF background = 0, text = 0;
};
/* False for a window that is not a data table. */
bool dataTableShape(HWND table, DataTableShape* shape);
/* The texts of row `row`'s shown columns (numbers in decimal, texts up to
 * their end), without touching the table's current row. */
bool dataTableRowTexts(HWND table, size_t row, std::vector<std::string>* cells);

}  // namespace kswin

#pragma GCC visibility pop

#endif
