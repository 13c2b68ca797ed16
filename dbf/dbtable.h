/* The dBASE table reader: opens a dBASE III table (".DBF") read-only, steps
 * to a record and reads its fields by position, as text or as a date.
 * Memo, index and expression facilities are not offered.
 *
 * Export table, in order:
 *   1 TableInit
 *   2 TableOpen
 *   3 TableGoto
 *   4 TableAtEnd
 *   5 FieldText
 *   6 FieldDate
 *   7 TableClose
 *   8 TableLastError
 *   9 TableRecordCount
 *  10 TableRecordDeleted
 *  11 TableFieldCount
 *  12 TableFieldInfo
 *
 * Every export returns the reader's result code: 0 for success, a negative
 * code for a failure, TABLE_SIZE_WARNING for a table that opened but whose
 * file size does not match its header. The code of the last call is kept
 * and returned by TableLastError. Handles are small integers; -1 is none.
 */
#ifndef KESTREL_DBF_DBTABLE_H
#define KESTREL_DBF_DBTABLE_H

#ifdef __cplusplus
extern "C" {
#endif

#define TABLE_OK 0
/* The version byte is not one of a dBASE III or IV table. */
#define TABLE_BAD_VERSION (-2010)
/* The header does not describe the records: the field lengths plus the
 * deletion byte are not the record length, or the descriptors do not fit
 * the header. */
#define TABLE_BAD_LAYOUT (-2023)
/* Record number out of range, or a handle or field position that names
 * nothing. */
#define TABLE_OUT_OF_RANGE (-9)
/* TableInit was asked for fewer than 5 handles, or not called; or no handle
 * is free. */
#define TABLE_NO_HANDLES (-4)
/* The file could not be opened or read. */
#define TABLE_READ_ERROR (-1)
/* Warning: the file size is not the header length plus the records (one
 * extra byte, the end-of-file mark, is accepted). A file shorter than its
 * header says offers only the records it holds whole. */
#define TABLE_SIZE_WARNING 2007

/* (Re)creates the handle table with room for `handles` - 5 tables; closes
 * every table still open. A date format outside 2..5 becomes 2. */
int TableInit(int handles, int dateFormat);

/* Opens the table `fileName` (read-only; `flags` are not used). On success
 * *handle is the table's handle and the result 0 or TABLE_SIZE_WARNING; on
 * failure *handle is -1. */
int TableOpen(int* handle, const char* fileName, int flags);

/* Reads record `n` (1 <= n <= record count). */
int TableGoto(int handle, long n);

/* 1 when the current record is the last one (or the table has none), else
 * 0; 0 also for a handle that names nothing. */
int TableAtEnd(int handle);

/* The field's bytes of the current record as a NUL-terminated text of at
 * most size - 1 characters (a longer field is cut). A bad handle or field
 * leaves the empty text. */
int FieldText(int handle, int field, char* text, int size);

/* A date field (stored YYYYMMDD) as year (with its century), month and
 * day; a blank or unreadable date gives zeros. */
int FieldDate(int handle, int field, int* year, int* month, int* day);

/* Closes the table and frees its handle. */
int TableClose(int handle);

/* The result code of the last call. */
int TableLastError(void);

/* The number of records that can be read (those of the header, or fewer
 * when the file ends sooner); -1 for a bad handle. */
long TableRecordCount(int handle);

/* 1 when the current record is marked deleted, 0 when not, -1 for a bad
 * handle. */
int TableRecordDeleted(int handle);

/* The number of fields; -1 for a bad handle. */
int TableFieldCount(int handle);

/* Field `field`'s name (up to 10 characters and NUL: name must hold 11),
 * type letter, length and decimal count. */
int TableFieldInfo(int handle, int field, char* name, char* type, int* length, int* decimals);

#ifdef __cplusplus
}
#endif

#endif
