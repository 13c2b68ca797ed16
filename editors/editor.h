// The reference database editors: the country editor (atlasw), the IOTA
// editor (islesw) and the QSL manager editor (ksqslmgr), three programs on
// one skeleton. Whoever drives one (a person through a host, the kestrel
// command line, a test) starts it with startEditor, chooses its menu
// commands and runs its message loop.
#ifndef KESTREL_EDITORS_EDITOR_H
#define KESTREL_EDITORS_EDITOR_H

#include <string>
#include <vector>

#include "winlayer/wintypes.h"

namespace kseditor {

// Menu commands of every editor.
namespace cmd {
inline constexpr UINT kImport = 102, kExport = 103, kPrint = 104, kPrinterSetup = 105,
                      kExit = 106, kClear = 200, kFind = 201, kSave = 202, kDelete = 203,
                      kHelpIndex = 700, kHelpKeys = 701, kHelpCommands = 702,
                      kHelpProcedures = 703, kHelpOnHelp = 705, kAbout = 706,
                      kBackground = 800, kTextColour = 801;
}  // namespace cmd

// A length on the form: so many average character widths (or line
// heights) of the fixed-pitch font, plus pixels.
struct Span {
  int units = 0;
  int pixels = 0;
};

// One edit field of the form, in Tab order.
struct FormField {
  const char* name;   // how the command line names it ("prefix")
  const char* label;  // "Prefix"
  Span labelX, labelY, x, y, width;
  int limit;  // characters accepted
  bool upper;
};

struct Kind;
const Kind& countryEditor();
const Kind& iotaEditor();
const Kind& qslEditor();
// Whether the editor lists in a data table (and asks before an import
// whether to empty its database), and which form field holds its key.
bool hasDataTable(const Kind& kind);
int keyFieldOf(const Kind& kind);

// Makes the window, opens the database and fills the list. Null when the
// program ended at once (its database missing, the data table's library
// not loaded), after telling the user. `commandLine` is a key to look up
// silently (the QSL manager's call sign), or empty.
HWND startEditor(const Kind& kind, const std::string& commandLine = "",
                 int showCommand = SW_SHOWNORMAL);
// Runs the message loop until the window is gone; returns its exit code.
int runEditor();

// How the last command ended: Done, Failed (a message said what went
// wrong), Declined (the user said no or cancelled a dialog).
enum class Outcome { None, Done, Failed, Declined };
Outcome lastOutcome();

// What the running editor shows.
HWND editorWindow();
const std::vector<FormField>& fields();
int fieldIndex(const std::string& name);  // -1 when the editor has no such field
HWND fieldWindow(int index);
std::string fieldValue(int index);
bool insertMode();
bool databaseOpen();
std::string databasePath();  // path without extension
// The lines of the list (the list box's texts, or the table's rows with
// their fields joined by tabs).
std::vector<std::string> listLines();
// Looks the key up and fills the form when it is found; shows nothing.
bool loadRecord(const std::string& key);

}  // namespace kseditor

#endif
