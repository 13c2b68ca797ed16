/* KSDETAIL: award details over the logbook, shown in the detail window.
 *
 * The host (the main logbook program) loads the library, which registers
 * the window class "DetailWClass" as it is loaded, creates the one detail
 * window with CreateDetailWnd, and asks for one award at a time. Each award
 * export fills the window's data table with one row per award entity
 * (country, zone, state, grid, county, island) and the contact that best
 * stands for it, then a blank row and a total row; the host reads the rows
 * back as text lines to print or export them.
 *
 * The task given to the award exports holds the logbook as database 0, the
 * country database as 1, the county database as 2 and the IOTA database as
 * 5. The host must have the data table control ("DataTableDLL") registered.
 *
 * Export table, in ordinal order:
 *   1  LibMain32
 *   2  CreateDetailWnd
 *   3  DetailWndProc
 *   4  SetWindowTitleOptions
 *   5  GetDetailTableCount
 *   6  GetDetailTableLine
 *   7  GetDXCCReportDetailTableLine
 *   8  ProgressDlgProc
 *   9  ProgressYield
 *  10  WEP
 *  11  GetDXCCDetailsDLL
 *  12  GetDXCCBandDetailDLL
 *  13  GetWASDetailsDLL
 *  14  GetWASBandDetailDLL
 *  15  GetCQZoneDetailsDLL
 *  16  GetCQBandDetailsDLL
 *  17  GetVUCCDetailsDLL
 *  18  GetUSCADetailsDLL
 *  19  GetIOTADetailsDLL
 *
 * The row record and the codes below are the host's view of the table.
 */
#ifndef KESTREL_DETAIL_KSDETAIL_H
#define KESTREL_DETAIL_KSDETAIL_H

#include <stdint.h>

#include "recdb/dbengine.h"
#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Report variants (the host's choice of rows) and their title suffixes. */
#define KSD_DUPLICATE_TAGS 300 /* " - Duplicate Tags" */
#define KSD_FULL_REPORT 301    /* " - Full Report" (so is every code not listed) */
#define KSD_NEEDED 302         /* " - Needed" */
#define KSD_NOT_TAGGED 303     /* " - Not Tagged" */
#define KSD_QSL_NEEDED 304     /* " - QSL's Needed" */
#define KSD_QSL_SENT 305       /* " - QSL's Sent" */
#define KSD_WORKED 306         /* " - Worked" */
#define KSD_NOT_SUBMITTED 307  /* " - Not Submitted" */
#define KSD_YEAR_2000 309      /* DXCC 2000 with award type 200 */
#define KSD_SUBMITTED 900      /* " - Submitted" */

/* Award types. */
#define KSD_MIXED 200
#define KSD_PHONE 201 /* SSB for WAS and CQ */
#define KSD_CW 202
#define KSD_FSK 203
#define KSD_SATELLITE 206

/* Sort orders of the DXCC exports. */
#define KSD_SORT_BAND 5000   /* band, mode, prefix */
#define KSD_SORT_STATUS 5001 /* country status, prefix */

/* One row of the detail table (112 bytes): the 17 columns in order. Texts
 * are NUL-terminated except the IOTA reference, which may fill its six
 * bytes. Hosts that read rows from the table get this record. */
#pragma pack(push, 1)
typedef struct KSD_DETAILROW {
  char marker[2];    /* " ", "*", "x", "-", "+" */
  char prefix[6];    /* country prefix (DXCC, IOTA) */
  char iota[6];      /* IOTA reference */
  int16_t cqZone;    /* CQ zone (CQ) */
  char state[3];     /* state (WAS, USCA) */
  char grid[5];      /* grid square (VUCC) */
  char country[21];  /* the contact's QTH, the country or county, or "Total: N" */
  char call[15];
  char date[9];
  char time[6];
  char band[6];      /* band as text, or MHz for VUCC */
  char mode[5];
  char rcv[4];
  char qsl[4];       /* "Cfm", "Snt" or empty */
  char qslDate[9];
  char status[2];    /* country status (DXCC, IOTA) */
  char pad[3];
  int32_t address;   /* the contact's database address; 0 for other rows */
} KSD_DETAILROW;
#pragma pack(pop)

/* Message from the host after the display colours changed. */
#define KSD_COLOURS_CHANGED 1106

/* Library entry: on process attach (reason 1) registers "DetailWClass".
 * The library calls it itself when it is loaded. Returns 1. */
BOOL LibMain32(HINSTANCE instance, DWORD reason, void* reserved);

/* The detail window (not yet shown), placed and coloured from "KESTREL.INI";
 * null when it or its table could not be made. */
HWND CreateDetailWnd(int charWidth, int lineHeight);
LRESULT DetailWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Appends the variant's suffix to `title` (which must have room for 20
 * more characters) and returns it. */
char* SetWindowTitleOptions(char* title, int variant);

/* Rows in the detail table. */
int GetDetailTableCount(void);
/* Row `row` as one text line in the layout of the last award computed;
 * `out` needs room for 160 characters. Returns the line's length, or the
 * report kind - 1 (-2 before any award) when the kind has no layout. */
int GetDetailTableLine(int row, char* out);
/* The same for submission lists: dates as DD/MM/YY, DXCC and IOTA rows as
 * numbered submission lines. */
int GetDXCCReportDetailTableLine(int row, char* out);

/* The progress dialog "REPORTDLG" every award computation shows. */
INT_PTR ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/* Dispatches every pending message (to `dialog`'s keyboard handling first
 * when given). Returns 0. */
int ProgressYield(HWND dialog);

int WEP(int unused);

/* The awards. Each returns 1 when it ran to the end, 0 when cancelled or
 * for a type, band or variant it cannot compute. Band codes are 200 + the
 * band in metres (160 ... 10, 6, 2). */
int GetDXCCDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant, int sortOrder);
int GetDXCCBandDetailDLL(HWND owner, int bandCode, DB_TASK* task, int variant, int sortOrder);
int GetWASDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant);
int GetWASBandDetailDLL(HWND owner, int bandCode, DB_TASK* task, int variant);
int GetCQZoneDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant);
int GetCQBandDetailsDLL(HWND owner, int bandCode, DB_TASK* task, int variant);
/* `vuccBand` indexes 6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000. */
int GetVUCCDetailsDLL(HWND owner, int vuccBand, DB_TASK* task, int variant);
/* Only award type 200 is computed. */
int GetUSCADetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant);
/* Every island of the IOTA database; type, variant and sort are not used. */
int GetIOTADetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant, int sortOrder);

#ifdef __cplusplus
}
#endif

#endif
