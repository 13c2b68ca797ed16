/* The window layer: the suite's stand-in for the windowing platform.
 *
 * The C part has the platform's shape (MessageBox, SetCursor, ...), so the
 * suite's programs and libraries are written as they would be against the
 * platform. Everything a person would see or answer goes through one UiHost
 * (the C++ part below): a headless host for tests, a console host for the
 * kestrel command line. Nothing outside this room depends on which host runs.
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
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor(void);
HWND SetCapture(HWND window);
BOOL ReleaseCapture(void);
HWND GetCapture(void);

/* Lets a window repaint what is pending before a long step goes on. */
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

#ifdef __cplusplus
}

#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
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
class HeadlessHost : public UiHost {
 public:
  /* Queues the answer for the next box that has more than one button. */
  void queueAnswer(int answer) { answers_.push_back(answer); }

  const std::vector<BoxRecord>& boxes() const { return boxes_; }

  /* Everything shown, one readable line each ("box Copy File: ...",
   * "cursor wait", "cursor normal"). */
  const std::vector<std::string>& log() const { return log_; }

  void clear();

  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override;
  void cursorChanged(bool busy) override;

 private:
  std::deque<int> answers_;
  std::vector<BoxRecord> boxes_;
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
  void setQuiet(bool quiet) { quiet_ = quiet; }

  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override;

 private:
  int ask(UINT style);

  std::FILE* out_;
  std::FILE* in_;
  std::deque<int> answers_;
  int standing_ = 0;
  bool quiet_ = false;
};

}  // namespace kswin

#endif /* __cplusplus */

#endif
