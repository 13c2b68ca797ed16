/* KSPREFIX: callsign to country (DXCC entity) resolution over the country
 * database, frequency to band, call-area zone correction and the IOTA
 * twins of the prefix searches.
 *
 * Export table, in ordinal order (programs of the suite bind by these
 * positions; on Linux the names are the binding):
 *
 *    1 OpenCountryDb        6 SearchDeletedPrefix   10 CorrectZone
 *    2 CloseCountryDb       7 isPrefix              11 CorrectITUZone
 *    3 GetPrefix            8 GetBand               12 GetIotaPrefix
 *    4 SearchPrefix         9 WEP                   13 SearchIotaPrefix
 *    5 SearchSharedPrefix
 *
 * The caller opens its logbook as database 0 of its task; OpenCountryDb
 * opens the country database as database 1 of the same task, reads every
 * country record once into memory tables and makes sure the logbook holds
 * a tally record for each counted country, each CQ zone and each US state.
 * The searches then run in memory and leave database 0 selected.
 *
 * Resolving a contact: text = GetPrefix(callsign), day = CalcJulianDate
 * (contact date); SearchDeletedPrefix, then SearchSharedPrefix, then
 * SearchPrefix, each with the same text, day and head buffer, until one
 * returns 1. The country head is the first 52 bytes of a CountryRecord
 * (prefix, name, continent, latitude, longitude, CQ zone, ITU zone), its
 * zones corrected for the text's call area.
 *
 * Callsigns and search texts longer than 15 characters are cut to 15.
 */
#ifndef KESTREL_PREFIX_KSPREFIX_H
#define KESTREL_PREFIX_KSPREFIX_H

#include "recdb/dbengine.h"
#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* 1 loaded, 0 failed (a table that cannot be allocated is reported in a
 * message box; a country database that cannot be opened is not). */
int OpenCountryDb(HWND owner, const char* name, DB_TASK* task, int* activeCount,
                  int* deletedCount, char* countryHead);
/* Releases the tables; always 1. Does not close the database. */
int CloseCountryDb(DB_TASK* unused);
/* The part of a callsign to search; `out` holds at least 16 characters. */
char* GetPrefix(char* out, const char* callsign, DB_TASK* task);
/* 1 found, 0 not found. `countryName` holds at least 21 characters,
 * `countryHead` 52 bytes; both are cleared first. */
int SearchPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                 char* countryHead);
int SearchSharedPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                       char* countryHead);
/* 1 also when a deleted prefix matched but its country record is gone
 * (head and name then stay empty); 0 when the contact is on or after the
 * deletion day, so that it counts for a current entity. */
int SearchDeletedPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                        char* countryHead);
/* 1 if a country record has `prefix` as its key. */
int isPrefix(int unused, const char* prefix, DB_TASK* task);
/* Band number of a frequency in MHz, 0 if none. */
int GetBand(double megahertz);
int WEP(int unused);

/* The zone for the call area of `text` in the country of `countryHead`. */
int CorrectZone(const char* countryHead, const char* text, int zone);
int CorrectITUZone(const char* countryHead, const char* text, int zone);
/* GetPrefix and SearchPrefix over the IOTA database, database 5 of the
 * task (opened by the caller); `record586` receives the whole record. */
char* GetIotaPrefix(char* out, const char* callsign, DB_TASK* task);
int SearchIotaPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                     char* record586);

#ifdef __cplusplus
}
#endif

#endif
