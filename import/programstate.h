// Inside the import program: its one state, and the logbook management and
// progress pieces its window procedure calls.
#ifndef KESTREL_IMPORT_PROGRAMSTATE_H
#define KESTREL_IMPORT_PROGRAMSTATE_H

#include <sys/types.h>

#include <array>
#include <string>

#include "recdb/dbengine.h"
#include "program.h"
#include "session.h"
#include "winlayer/wintypes.h"

namespace ksimport::app {

// What the program reads from the main program's settings at start.
struct Settings {
  std::string dictPath;  // ends with a separator
  std::string powerLevel;
  int dateFormat = 0;
  int hourOffset = 0;  // local time to UTC
  std::string editor;  // "Program"/"Editor"; empty for the system's default viewer
};

struct ProgramState {
  HWND window = nullptr;
  HWND console = nullptr;
  HWND progress = nullptr;  // the progress dialog while an import runs
  DB_TASK* task = nullptr;
  Settings settings;
  ProgramOptions options;

  bool logbookOpen = false;
  std::string basePath;              // the open logbook without extension
  std::string baseName;              // its name, upper-case
  std::array<std::string, 6> files;  // ".DBD", ".DAT" ... in the skeletons' order

  int countryDb = 0;  // OpenCountryDb's answer while a logbook is open
  char countryHead[52] = {};
  bool cancel = false;
  ImportEnd lastImport = ImportEnd::NotStarted;
  pid_t lastStarted = 0;  // the last program started (key builder, viewer)
};

ProgramState& state();

// Reads the settings file; false when the main program has not set it up.
bool readSettings(Settings& settings);
// The UTC offset in hours of the "TimeZone" and "OtherZone" settings.
int hourOffsetOf(int timeZone, int otherZone);

inline constexpr const char* kLogbookFilter = "Logbook Files (*.DAT)\0*.DAT\0";

// An open or save dialog of the program, starting from `proposed`. False
// when cancelled.
bool askFile(bool save, const char* title, const char* filter, const char* extension,
             const char* proposed, std::string& path);

// Types `text` into the console, a key at a time.
void typeIntoConsole(const std::string& text);
// Enables or greys the logbook commands and the import menu.
void enableLogbookItems(bool on);

// ---- Logbooks (logbook.cpp) ----
// Whether `path` names one of the reference databases.
bool isReferenceName(const std::string& path);
// New or Open of the logbook whose ".DAT" is `path`.
void openLogbook(const std::string& path, bool isNew);
void closeLogbook();
// 1 moved to a new name, 0 declined, 2 cancelled or refused.
int renameLogbook();
// Closes the open logbook before the window goes: a "NONAME" one is offered
// for renaming first. False when the user cancelled that.
bool closeBeforeExit();
// Closes and reopens the logbook and its reference databases.
bool reopenDatabases();

// ---- Imports and their progress (progress.cpp) ----
class ProgramFrame : public ImportFrame {
 public:
  void console(const std::string& text) override;
  void showProgress(bool on) override;
  void progress(long records) override;
  bool cancelled() override;
  void rebuildKeys() override;
  bool reopenDatabases() override;
  bool showReport(const std::string& path) override;
};

// Starts `command` with `argument` through the shell and waits for it when
// `wait` is set. False when it could not be started (or the shell found no
// such program).
bool startProgram(const std::string& command, const std::string& argument, bool wait);

// Registers the dialogs "PROGRESS" and "AboutBox".
void registerProgramDialogs();

}  // namespace ksimport::app

#endif
