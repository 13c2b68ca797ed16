/* The data table control (window class "DataTableDLL"): its messages, the
 * values they carry and the notification it sends. Every message is sent
 * with SendMessage to the control window; rows are numbered from 0.
 *
 * A row is one record whose fields follow one another in column order, each
 * as long as set by DT_SETCOLUMNLENGTH; 16- and 32-bit integer fields start
 * at a multiple of their size, and the record is padded to a multiple of 4.
 * Messages that fail return a negative code (DT_ERR_...); the programs that
 * show these errors keep their texts under 65536 + code. */
#ifndef KESTREL_WINLAYER_DATATABLE_H
#define KESTREL_WINLAYER_DATATABLE_H

#define DT_CLASS_NAME "DataTableDLL"
#define DT_LIBRARY_NAME "PVDTBL.DLL"
#define DT_CONTROL_STYLE 0x403001F0L

/* Table definition. */
#define DT_RESET 1024            /* 0, 0: forget columns and rows */
#define DT_SETCOLUMNCOUNT 1032   /* columns, 0 */
#define DT_SETCOLUMNFLAGS 1034   /* col, flags (DT_FLAG_...) */
#define DT_SETCOLUMNTYPE 1036    /* col, DT_TYPE_... */
#define DT_SETCOLUMNLENGTH 1038  /* col, bytes */
#define DT_SETCOLUMNWIDTH 1040   /* col, 4 per character shown */
#define DT_SETCOLUMNMASK 1042    /* col, mask text ("uuu", "????") */
#define DT_SETCOLUMNTITLE 1044   /* col, title text */

/* Rows. */
#define DT_DELETEALLROWS 1025    /* 0, 0: columns stay */
#define DT_GETROWCOUNT 1054      /* 0, 0: returns the count */
#define DT_GETMARKEDROW 1060     /* 0, 0: returns the marked row, -1 when none */
#define DT_SCROLLTOROW 1062      /* 0, row */
#define DT_SETCURRENTROW 1065    /* 0, row; DT_NOROW: no current row */
#define DT_GETROW 1066           /* 0, buffer: copies the current row out */
#define DT_PUTROW 1067           /* 0, buffer: overwrites the current row */
#define DT_APPENDROW 1068        /* 0, buffer: appends a row (it becomes current);
                                    returns its number */
#define DT_DELETEROW 1069        /* 0, 0: deletes the current row */
#define DT_MARKROW 1083          /* 1 mark or 0 unmark, row; one row is marked at most */
#define DT_GETDBLCLKROW 1107     /* 0, 0: the row last double-clicked, -1 when none */
#define DT_SETCOLORS 1121        /* 0, pointer to two COLORREF: background, text */
#define DT_FOCUSROW 1171         /* 0, row */

/* Sorting (stable: rows that compare equal keep their order). */
#define DT_SORT 1137             /* col, order (DT_ORDER_...); col DT_SORTBYKEYS: by the
                                    sort keys, most significant first */
#define DT_SETSORTKEY 1183       /* col, key number 1, 2 or 3 */
#define DT_MULTIKEYSORT 1198     /* 0, 1: announces a sort by several keys (no effect) */

#define DT_NOROW (-2)
#define DT_SORTBYKEYS (-3)
#define DT_ORDER_EXACT 0         /* texts by their bytes */
#define DT_ORDER_NOCASE 1        /* texts without regard to case */
#define DT_ORDER_DESCENDING 2    /* may be added to either */

#define DT_TYPE_INT16 130
#define DT_TYPE_INT32 131
#define DT_TYPE_TEXT 135

#define DT_FLAG_HIDDEN 32        /* kept but not shown (no width, no title) */
#define DT_FLAG_CENTER 64
#define DT_FLAG_LEFT 256
#define DT_FLAG_RIGHT 384

/* WM_COMMAND notification code (high word) of a double-click on a row; the
 * low word is the control id. */
#define DT_NOTIFY_DBLCLK 18

/* Failures (negative results). */
#define DT_ERR_INVALID_ROW (-5)  /* "Invalid row number passed to Data table." */
#define DT_ERR_NULL_STRING (-12) /* "Null string pointer passed to Data table." */
#define DT_ERR_NULL_VALUE (-13)  /* "Null value passed to Data table." */
#define DT_ERR_NO_MEMORY (-21)   /* "No more Data table memory." */
#define DT_ERR_LOCKING (-22)     /* "Error locking Data table memory." */
#define DT_ERR_STRINGS (-23)     /* "Data table string table is corrupt." */
#define DT_ERR_OVERFLOW (-24)    /* "Internal overflow in Data table." */

#endif
