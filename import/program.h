// The import program: its main window, which manages logbooks and runs the
// importers into the open one. Whoever drives it (a person through a host,
// the kestrel command line, a test) creates the window with
// startImportProgram, chooses its menu commands and runs its message loop.
#ifndef KESTREL_IMPORT_PROGRAM_H
#define KESTREL_IMPORT_PROGRAM_H

#include <functional>
#include <string>
#include <string_view>

#include "import/adifimport.h"
#include "winlayer/wintypes.h"

namespace ksimport {

// Menu command ids of the main window.
namespace menu {
inline constexpr UINT kAbout = 100, kExit = 101, kNewLogbook = 102, kOpenLogbook = 103,
                      kCloseLogbook = 104, kRename = 105, kRebuildKeys = 106, kDxBase = 107,
                      kLogMaster = 108, kHyperlog = 109, kEasyDx = 110, kLogView = 111,
                      kSecondOp = 112, kCt = 115, kAscii = 116, kHelpIndex = 117,
                      kHelpCommands = 118, kHelpProcedures = 119, kHelpOnHelp = 120,
                      kDxLog = 122, kPakRatt = 123, kDxDesktop = 124, kRtty = 125,
                      kLogPlus = 126, kAdif = 127, kTrLog = 128;
}  // namespace menu

// The title message: wParam 0 or 2 plain title, 1 with the logbook's name
// (and "[Record n]" for lParam n + 1 when lParam is not 0).
inline constexpr UINT kSetTitleMessage = 1074;

struct ProgramOptions {
  // Receives every text the console shows, as it is typed into it.
  std::function<void(std::string_view)> consoleCopy;
  // Asked while an import runs; once it answers true the progress
  // dialog's Cancel button is pressed (how an interrupt from the terminal
  // reaches the import).
  std::function<bool()> interrupted;
};

// The start checks, then the main window with its console and the engine's
// task. Null when the program may not run (the reason shown) or its window
// could not be made.
HWND startImportProgram(const ProgramOptions& options = {});

// Runs the message loop until the main window is gone, then ends the task.
// Returns the exit code of the loop.
int runImportProgram();

// The open logbook's path without extension; empty when none is open.
std::string openLogbookPath();

// How the last import command ended (NotStarted before the first, and for
// a cancelled file dialog or a format not available yet).
ImportEnd lastImportEnd();

// Everything the console holds.
std::string consoleText();

}  // namespace ksimport

#endif
