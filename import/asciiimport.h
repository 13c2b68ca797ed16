// Import of a delimited text file whose columns the user names in the
// dialog "ASCIIFILE".
#ifndef KESTREL_IMPORT_ASCIIIMPORT_H
#define KESTREL_IMPORT_ASCIIIMPORT_H

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "import/importers.h"

namespace ksimport {

inline constexpr int kAsciiColumns = 35;

// The names the dialog offers, in list order, and the longest token each
// column takes (the record field's width, terminator included).
std::span<const char* const> asciiColumnNames();
int asciiColumnSize(int column);

// What the dialog answered: the chosen columns in order (their indexes in
// the name list), the rest -1; the order of the date's parts (0 month-day-
// year, 1 day-month-year, 2 year-month-day), the date delimiter button
// (0 "-", 1 "/", 2 ".") and the quoted-field box.
struct AsciiColumns {
  std::array<int, kAsciiColumns> map{};
  int dateOrder = 0;
  int dateDelimiter = 0;
  bool quoted = true;
};

// Registers the dialog "ASCIIFILE" and shows it, preset from the date
// format setting. 1 with `columns` filled; -1 when no column was chosen
// (message 58 is the caller's); 0 when cancelled.
int askAsciiColumns(HWND owner, int dateFormat, AsciiColumns& columns);

// The band of a "Band" column's number: MHz values and a few loose ways of
// naming a band become the log's band numbers.
int normalisedBand(int value);

// Imports `path` with the given columns.
ImportEnd importAsciiFile(ImportContext& context, const AsciiColumns& columns,
                          const std::string& path);

// The menu command: the field dialog, then the import.
ImportEnd importAscii(ImportContext& context, const std::string& path);

}  // namespace ksimport

#endif
