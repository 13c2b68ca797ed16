// Internals of the browser library: its state (one browser per process),
// the query, and the pieces the window, the query and the output share.
#ifndef KESTREL_BROWSE_INTERNAL_H
#define KESTREL_BROWSE_INTERNAL_H

#include <array>
#include <memory>
#include <string>

#include "browserow.h"
#include "ksbrowse.h"
#include "winlayer/winlayer.h"

namespace ksbrowse {

inline constexpr const char* kIni = "KESTREL.INI";
inline constexpr const char* kSection = "Browser";
inline constexpr const char* kClassName = "BrowseWClass";
inline constexpr const char* kMenuName = "BrowseWinMenu";
inline constexpr int kTableId = 1;
inline constexpr int kNoSort = 999;

// The exclusion table: 100 slots of a prefix of up to 5 characters and its
// terminator.
inline constexpr int kIgnoreSlots = 100;
inline constexpr int kIgnoreSlotSize = 7;
inline constexpr std::size_t kIgnoreTextMax = 699;
using IgnoreTable = std::array<std::array<char, kIgnoreSlotSize>, kIgnoreSlots>;

// The query as the dialog defines it and "KESTREL.INI" keeps it.
struct Query {
  bool date = false, prefix = false, state = false, zone = false, band = false, mode = false,
       qsl = false, ignore = false;
  std::string dateFrom, dateTo;  // as typed
  int fromDay = 0, toDay = 0;    // the range, inclusive
  std::string prefixText, stateText, zoneText;
  int zoneValue = 0;
  int bandIndex = -1, modeIndex = -1;  // into the dialog's lists
  int qslButton = KSB_Q_QSL_NOT_SENT;
  std::string ignoreText;
};

struct State {
  HWND window = nullptr;
  HWND table = nullptr;
  HMODULE control = nullptr;  // the data table control's library
  DB_TASK* task = nullptr;
  int sortColumn = kNoSort;
  COLORREF background = RGB(255, 251, 240), text = RGB(0, 0, 0);
  COLORREF customColours[16] = {};
  BrowserRow scratch{};  // the line last read from or written to the table
  std::unique_ptr<IgnoreTable> ignore;
  int ignoreCount = 0;
  int charWidth = 8, lineHeight = 16;
  std::string helpPath;
  Query query;
  // Printing.
  HWND printDialog = nullptr;
  bool printCancelled = false;
};
State& state();

// Class, menu, dialogs and the data table control's library, as the library
// is loaded (idempotent; tests call it again after making the control's
// library missing).
void loadLibraryParts();
// The dialog templates "QUERY" and "PRINTLOG".
void registerQueryDialog();
void registerPrintDialog();

// The table.
LRESULT sendTable(UINT message, WPARAM wParam, LPARAM lParam);
int rowCount();
// Reads line `row` into the scratch line; false when there is none.
bool readRow(int row);
// Replaces line `row` with the contact's line and selects it.
void replaceLine(int row, const LogRecord& record, int recordKey);
// Empties the table (message 1099 of the main program).
void emptyTable();

// Band numbers and mode words of the query dialog's lists, in their order.
extern const int kQueryBands[];
extern const int kQueryBandCount;
extern const char* const kQueryModes[];
extern const int kQueryModeCount;

// The query: read from and written to the settings file; the exclusion
// table rebuilt from its text; a query run over the logbook.
Query readQuery();
void writeQuery(const Query& q);
void buildIgnoreTable(const std::string& text);
bool excluded(const char* prefix);
void runQuery(HWND window);

// The menu's File commands.
void tagLabels(HWND window);
void saveList(HWND window);
void printList(HWND window);

// A numbered message with one %s filled in.
std::string formatted(int number, const std::string& argument);

}  // namespace ksbrowse

#endif
