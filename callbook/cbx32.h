/* cbx32: look licence holders up in the data set of a callbook CD-ROM (by
 * callsign, last name, state and city, street, or ZIP code), step through
 * the matches, count them, browse the data files, and turn a record into
 * text in one of six layouts.
 *
 * Export table, in ordinal order (the main program binds by these
 * positions; on Linux the names are the binding):
 *
 *    1 CBXInit             8 CBXAdvanceTo       15 CBXSetFilter
 *    2 CBXSearch           9 CBXBack            16 CBXField
 *    3 CBXGetNext         10 CBXBrowseBackFix   17 CBXReformat
 *    4 CBXCount           11 CBXGetSbPos        18 CBXReformatRTF
 *    5 CBXGetCount        12 CBXGetCbInfo       19 CBXTextMode
 *    6 CBXGetIndex        13 CBXVersion         20 CBXFixBuffer
 *    7 CBXAdvance         14 CBXExit            21 CBXGetEmail
 *
 * The data set lies in \callbk\ at the root of one of the drives C to Z
 * (drives are directories named by KESTREL_DRIVE_C ... KESTREL_DRIVE_Z; file
 * names are matched without regard to case). One lookup state serves the
 * whole process: one selected index, one current record, one formatted text.
 * Calls are made one at a time from one thread.
 *
 * Output buffers are the caller's: 1024 bytes for formatted text, 256 for
 * CBXField. Output formats are 1 to 6; any other number selects 4.
 */
#ifndef KESTREL_CALLBOOK_CBX32_H
#define KESTREL_CALLBOOK_CBX32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Search types of CBXSearch. */
#define CBX_SEARCH_CALL 1   /* first = callsign */
#define CBX_SEARCH_NAME 2   /* first = last name, second = first name or null */
#define CBX_SEARCH_CITY 3   /* first = state, second = city or null */
#define CBX_SEARCH_ZIP 4    /* first = lowest ZIP, second = highest ZIP or null */
#define CBX_SEARCH_STREET 5 /* first = state, second = city, third = street text */

/* Finds the data set, trying the drives from the letter that `path` begins
 * with (C when none, or A) up to Z. Returns the drive letter or 0. */
int CBXInit(const char* path);

/* Runs a search and formats its first match into `out`. Returns the text's
 * length; 0 when nothing matches, a string is longer than 32 characters or
 * the index cannot be opened; -1 when all three strings are null or no data
 * set is found. */
int CBXSearch(int type, const char* first, const char* second, const char* third, char* out,
              int format);

/* The next line, when it matches the last search: its text's length; 0 when
 * it does not match; -1 at the end of the data file. */
int CBXGetNext(char* out, int format);

/* Counts further matches, at most 100 lines a call. `*more` is -1 while
 * there is more to count and 0 at the end, when the first match is current
 * again. Returns the count so far (the first match included). */
int CBXCount(int* more);

/* How many records have been formatted since the last search. */
int CBXGetCount(void);

/* Selects index 0 (callsign), 1 (name), 2 (state and city) or 3 (ZIP) and
 * opens its files: 0 done, 1 failed, -1 no such index. */
int CBXGetIndex(int index);

/* Browsing the selected index: a step of 1 moves one record, more moves one
 * page. Each returns the length of the record's text (0 when there is none). */
int CBXAdvance(int step, char* out, int format);
int CBXAdvanceTo(int thousandths, char* out, int unused);
int CBXBack(int step, char* out, int unused);
void CBXBrowseBackFix(void);

/* The read position in the data file, in thousandths of its size. */
int CBXGetSbPos(void);

/* Which data file is selected, its size and the data set's version. */
int CBXGetCbInfo(char* out);

int CBXVersion(void); /* 7 */
int CBXExit(void);    /* 0; everything stays open */
void CBXSetFilter(int unused);

/* One value of the current record: 0-19 a field, 5/6/7 a date as M/D/YY,
 * 12 the licence class described, 100 the full name, 101 the city line, 102
 * the licence class letter. `out` gets 256 bytes, `*length` the value's
 * length. */
void CBXField(int field, char* out, int* length);

/* The current record again in `format` (the session's format stays). */
int CBXReformat(int format, char* out);

/* The current record's text as RTF paragraphs. */
int CBXReformatRTF(char* out);

/* 1: every record formatted afterwards comes as RTF paragraphs; else plain. */
void CBXTextMode(int mode);

/* Cuts an RTF file the host wrote back to before its last two lines.
 * Returns 1, or 0 when the file cannot be read or written. */
int CBXFixBuffer(const char* path);

/* The e-mail address listed for `callsign`: at most `maximum` (1-256)
 * characters, terminated only when shorter. Returns the number copied, 0
 * when none is found. */
int CBXGetEmail(const char* callsign, char* out, int maximum);

#ifdef __cplusplus
}
#endif

#endif
