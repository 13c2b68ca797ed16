// One line of the browser's table and its text form. The browser library
// fills lines from contacts; hosts that read the table (the kestrel command
// line) and the browser's save and print share the text form from here.
#ifndef KESTREL_BROWSE_BROWSEROW_H
#define KESTREL_BROWSE_BROWSEROW_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "schema/logschema.h"

namespace ksbrowse {

#pragma pack(push, 1)
// The 15 columns in order, laid out as the data table control lays out its
// rows: the 16-bit band on an even offset, the two 32-bit numbers on a
// multiple of 4, the whole padded to 84 bytes.
struct BrowserRow {
  char date[9];
  char time[6];
  char call[12];     // the first 11 characters of the call
  char mode[5];
  std::int16_t band;
  char rstSent[4];
  char rstRcvd[4];
  char country[17];  // the first 16 characters of the QTH
  char qslSent[2];
  char qslRcvd[2];
  char prefix[6];
  char cqZone[3];    // "%2d"
  char state[3];
  char pad[1];
  std::int32_t recordKey;  // the contact's database address (not shown)
  std::int32_t julianDay;  // for the date sort (not shown)
};
#pragma pack(pop)

static_assert(sizeof(BrowserRow) == 84);
static_assert(offsetof(BrowserRow, date) == 0);
static_assert(offsetof(BrowserRow, time) == 9);
static_assert(offsetof(BrowserRow, call) == 15);
static_assert(offsetof(BrowserRow, mode) == 27);
static_assert(offsetof(BrowserRow, band) == 32);
static_assert(offsetof(BrowserRow, rstSent) == 34);
static_assert(offsetof(BrowserRow, rstRcvd) == 38);
static_assert(offsetof(BrowserRow, country) == 42);
static_assert(offsetof(BrowserRow, qslSent) == 59);
static_assert(offsetof(BrowserRow, qslRcvd) == 61);
static_assert(offsetof(BrowserRow, prefix) == 63);
static_assert(offsetof(BrowserRow, cqZone) == 69);
static_assert(offsetof(BrowserRow, state) == 72);
static_assert(offsetof(BrowserRow, recordKey) == 76);
static_assert(offsetof(BrowserRow, julianDay) == 80);

// Column numbers of the table.
inline constexpr int kColDate = 0, kColTime = 1, kColCall = 2, kColMode = 3, kColBand = 4,
                     kColRstSent = 5, kColRstRcvd = 6, kColCountry = 7, kColSent = 8,
                     kColRcvd = 9, kColPrefix = 10, kColZone = 11, kColState = 12,
                     kColKey = 13, kColDay = 14, kColumns = 15;

// The line of a contact: every text cut to its column, the zone as "%2d".
BrowserRow rowOf(const LogRecord& record, std::int32_t recordKey);

// The line as the saved and printed list holds it (no line end).
std::string textLine(const BrowserRow& row);

}  // namespace ksbrowse

#endif
