/* kitapi32: US and Canadian callsign lookup in a KIT licence data set
 * (a dictionary-compressed callsign database on disk or CD-ROM).
 *
 * Export table, in ordinal order (programs of the suite bind by these
 * positions; on Linux the name is the binding):
 *
 *    1 FindCall
 *
 * The first call finds the data set's directory: the value of KITDIR or
 * WKITDIR in the environment, else a PATH entry ending in \KIT (entries
 * separated by ':' or ';'), else any PATH entry, else C:\KIT, C:\KITHD ...
 * Z:\KIT, Z:\KITHD with the drives mapped by KESTREL_DRIVE_C ... _Z. Folder
 * and file names are matched without regard to case. The files of the data
 * set are kept open between lookups and read again when they change on
 * disk.
 */
#ifndef KESTREL_KITLOOKUP_KITAPI32_H
#define KESTREL_KITLOOKUP_KITAPI32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Looks `callsign` up (leading blanks skipped) and writes the holder's data
 * laid out by `layout` (null: the default layout) into `buffer`, at most
 * `length` - 1 characters and a terminating NUL.
 *   0  found; the buffer holds the text
 *   1  not found, or the callsign does not fit the form of US and VE calls
 *   2  the data set cannot be found or opened (a message was shown)
 *   3  a fatal error during the lookup (a message was shown)
 * Layout tags: [AD] [BE] [C+n] [C-n] [CA] [CI] [CCn] [CL] [CO] [DB] [FN] [LC]
 * [LN] [MI] [MSn] [NLn] [RN] [ST] [TAn] [UCn] [ZI] [ZZ]. */
int FindCall(const char* callsign, char* buffer, int length, const char* layout);

#ifdef __cplusplus
}
#endif

#endif
