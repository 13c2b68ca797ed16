/* KSBROWSE: the log browser, a list-shaped view of the logbook.
 *
 * The host (the main logbook program) loads the library, which registers
 * the window class "BrowseWClass" and loads the data table control as it is
 * loaded. The host creates the one browser window with CreateBrowseWnd,
 * hands it its database task with InitBrowser (which shows it), and feeds
 * it contacts one by one with FillBrowserLine; a changed contact's line is
 * replaced with UpdateBrowserLine. The browser's own menu defines and runs
 * queries over the logbook (database 0 of the task; the country database is
 * database 1), tags the listed contacts for labels, saves the list as text
 * and prints it.
 *
 * Messages between the browser and the main window (class
 * "Kestrel4WClass") are in schema/mainwindow.h: 1098, 1099 and 1100 to the
 * browser; 1097 (a line picked) and 1101 (before tagging) from it.
 *
 * Export table, in ordinal order:
 *   1  WEP
 *   2  CreateBrowseWnd
 *   3  BrowseWndProc
 *   4  FillBrowserLine
 *   6  UpdateBrowserLine
 *   7  DefineQueryProc
 *   8  InitBrowser
 *   9  PrintDlgProc
 *  10  AbortProc
 *
 * (Ordinal 5 is not used.) browse/browserow.h has the line record the
 * table holds and its text form, for hosts that read the table.
 */
#ifndef KESTREL_BROWSE_KSBROWSE_H
#define KESTREL_BROWSE_KSBROWSE_H

#include "recdb/dbengine.h"
#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The browser's menu commands (WM_COMMAND identifiers). */
#define KSB_CMD_EXIT 101
#define KSB_CMD_QUERY 102
#define KSB_CMD_TAG 103
#define KSB_CMD_PRINT 104
#define KSB_CMD_SAVE 105
#define KSB_CMD_SORT_DATE 106
#define KSB_CMD_SORT_BAND 107
#define KSB_CMD_SORT_MODE 108
#define KSB_CMD_SORT_CALL 109
#define KSB_CMD_SORT_PREFIX 110
#define KSB_CMD_SORT_ZONE 112
#define KSB_CMD_SORT_STATE 113
#define KSB_CMD_HELP_INDEX 114
#define KSB_CMD_HELP_COMMANDS 115
#define KSB_CMD_HELP_PROCEDURES 116
#define KSB_CMD_HELP_USING 117
#define KSB_CMD_BACKGROUND 120
#define KSB_CMD_TEXT 121

/* Controls of the query dialog "QUERY". */
#define KSB_Q_BAND 1000
#define KSB_Q_BAND_LIST 1001
#define KSB_Q_DATE 1002
#define KSB_Q_DATE_FROM 1003
#define KSB_Q_DATE_TO 1004
#define KSB_Q_PREFIX 1005
#define KSB_Q_PREFIX_TEXT 1006
#define KSB_Q_MODE 1007
#define KSB_Q_MODE_LIST 1008
#define KSB_Q_QSL 1009
#define KSB_Q_ZONE 1010
#define KSB_Q_QSL_NOT_SENT 1011
#define KSB_Q_QSL_SENT_NOT_CFM 1012
#define KSB_Q_QSL_CFM 1013
#define KSB_Q_QSL_NOT_SENT_CFM 1014
#define KSB_Q_QSL_GROUP 1015
#define KSB_Q_ZONE_TEXT 1016
#define KSB_Q_STATE 1017
#define KSB_Q_STATE_TEXT 1018
#define KSB_Q_EXCLUDE 1019
#define KSB_Q_EXCLUDE_TEXT 1020

/* The printing dialog "PRINTLOG": the page number the browser reports. */
#define KSB_PRINT_PAGE 1089

int WEP(int unused);

/* The browser window, hidden, placed and coloured from "KESTREL.INI"
 * (section "Browser"); null when the data table control is missing or the
 * window, its table or its tables cannot be made. */
HWND CreateBrowseWnd(int charWidth, int charHeight);
LRESULT BrowseWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Adds the contact `record` as the last line, with `recordKey` (its
 * database address) to find it again. With `applyIgnore` set, a contact
 * whose prefix is in the query's exclusion list is left out while the
 * exclusion is on. Dispatches the thread's pending messages afterwards. */
void FillBrowserLine(int unused, const void* record, int recordKey, int applyIgnore);
/* Replaces the line of `recordKey` with `record` and selects it: 1, or 0
 * when no line has that key. */
int UpdateBrowserLine(int unused, const void* record, int recordKey);

INT_PTR DefineQueryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* Keeps `task` for every later database access and shows the window
 * ("Maximized" 1 in "KESTREL.INI" shows it maximized). */
void InitBrowser(int unused, DB_TASK* task);

INT_PTR PrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL AbortProc(HDC printer, int code);

#ifdef __cplusplus
}
#endif

#endif
