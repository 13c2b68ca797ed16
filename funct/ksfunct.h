/* KSFUNCT: the suite's shared radio vocabulary (bands, modes, states,
 * sections, continents, zones) and its rules for dates, times and files.
 *
 * Export table, in ordinal order (programs of the suite bind by these
 * positions; on Linux the names are the binding):
 *
 *    1 WEP                 15 FindModule          29 FileSize
 *    2 KSCopyFile          16 CalcYearDays        30 FreeDiskSpace
 *    3 CopyDictionary      17 CheckValidDate      31 isSSTV
 *    4 KSDeleteFile        18 DateToEuro          32 GetDateTime
 *    5 FileExists          19 isState             33 WaitCursor
 *    6 isPhone             20 isContinent         34 Strip
 *    7 isSSB               21 isGrid              35 CopyNoteDictionary
 *    8 isCW                22 MakeFileName        36 isMobile
 *    9 isFSK               23 isUSA               37 StateToITUZone
 *   10 isMode (= isSSB)    24 ARRLSectToState     38 StateToCQZone
 *   11 CheckTime           25 isVHFUHF            39 DateToIntl
 *   12 CheckDate           26 isBand              40 DateToUSA
 *   13 CalcJulianDate      27 BandToFreq          41 IsLeapYear
 *   14 isConfirmed         28 isSAT
 *
 * Ordinals 7 and 10 are one operation under two names.
 *
 * Predicates answer 1 for yes and 0 for no; comparisons are exact and
 * case-sensitive over the whole text (callers strip trailing blanks first).
 */
#ifndef KESTREL_FUNCT_KSFUNCT_H
#define KESTREL_FUNCT_KSFUNCT_H

#include <stdint.h>

#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The record exchanged with CheckValidDate, IsLeapYear and CalcYearDays. */
typedef struct DateInfo {
  int32_t day;     /* day of month (in) */
  int32_t month;   /* 1..12 (in) */
  int32_t year;    /* four digits (in) */
  int32_t yearDay; /* 1..366 (out of CalcYearDays) */
  int32_t result;  /* cleared by CalcJulianDate */
  int32_t isLeap;  /* out of IsLeapYear */
  int32_t invalid; /* out of CheckValidDate: 1 when the date is not valid */
} DateInfo;

/* The longest path MakeFileName writes, without its terminator. */
#define KS_MAKEFILENAME_MAX 127

int WEP(int unused);

/* Files, dictionaries and disks. */
int KSCopyFile(HWND window, const char* source, const char* destination);
int CopyDictionary(HWND window, const char* source, const char* destination);
int CopyNoteDictionary(HWND window, const char* source, const char* destination,
                       const char* nameFrom);
int KSDeleteFile(const char* name); /* 0 deleted, 1 failed */
int FileExists(const char* name);
long FileSize(HWND window, const char* name);
long FreeDiskSpace(const char* rootPath);
void MakeFileName(const char* path, const char* extension, char* out);
int FindModule(const char* moduleName);
void WaitCursor(HWND window, int on);
int Strip(char* text);

/* Mode families. */
int isPhone(const char* mode);
int isSSB(const char* mode);
int isMode(const char* mode); /* the same operation as isSSB */
int isCW(const char* mode);
int isFSK(const char* mode);
int isSSTV(const char* mode);
int isSAT(const char* mode);

/* Other words. */
int isConfirmed(const char* flag);
int isState(const char* abbrev);
int isContinent(const char* abbrev);
int isGrid(const char* locator);
int isUSA(const char* prefix);
int isMobile(const char* suffix);
char* ARRLSectToState(char* stateOut, const char* section);
int StateToITUZone(const char* abbrev);
int StateToCQZone(const char* abbrev);

/* Bands. */
int isVHFUHF(int band);
int isBand(int band);
void BandToFreq(int band, char* freqOut); /* freqOut: at least 11 bytes */

/* Dates and times. */
int CheckTime(const char* text);
int CheckDate(const char* text);
int CalcJulianDate(const char* text);
int CalcYearDays(DateInfo* info);
void CheckValidDate(DateInfo* info);
void IsLeapYear(DateInfo* info);
void DateToEuro(char* date);
void DateToIntl(char* date);
void DateToUSA(char* date);
/* dateOut: at least 9 bytes, timeOut: at least 6. */
void GetDateTime(int format, int hourOffset, char* dateOut, char* timeOut);

#ifdef __cplusplus
}
#endif

#endif
