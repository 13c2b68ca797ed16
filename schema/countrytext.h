// The country database's text form: one record per line, twelve
// comma-separated fields, as the country editor exports and imports it and
// as the shipped country list in data/ is written.
//
// This file holds only the text side (the field tokenizer, reading and
// writing lines); no window code. countrydb.h beside it moves lines into
// and out of a country database.
#ifndef KESTREL_SCHEMA_COUNTRYTEXT_H
#define KESTREL_SCHEMA_COUNTRYTEXT_H

#include "schema/logschema.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace countrytext {

// Takes the fields of one import line, one call at a time. Blanks and tabs
// outside double quotes are dropped; a field ends at a comma or CR outside
// quotes; "^" takes the next character literally ("^" at the very end is
// kept as itself); characters beyond the width asked for are dropped.
class FieldTokenizer {
 public:
  explicit FieldTokenizer(std::string_view line) : line_(line) {}
  std::string next(std::size_t width);
  bool atEnd() const { return pos_ >= line_.size(); }

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
};

// Characters an import keeps of each field: as many as the record holds, so
// that an export reads back unchanged.
inline constexpr std::size_t kPrefixWidth = 6;
inline constexpr std::size_t kNameWidth = 20;
inline constexpr std::size_t kContinentWidth = 3;
inline constexpr std::size_t kLatitudeWidth = 7;
inline constexpr std::size_t kLongitudeWidth = 7;
inline constexpr std::size_t kZoneWidth = 3;
inline constexpr std::size_t kStatusWidth = 1;
inline constexpr std::size_t kDateWidth = 8;
inline constexpr std::size_t kPrefixListWidth = 511;

// One country as its text line holds it.
struct CountryLine {
  std::string prefix;
  std::string name;
  std::string continent;
  std::string latitude;   // D.MM and N or S, e.g. "40.45N"
  std::string longitude;  // D.MM and E or W, e.g. "73.58W"
  int cqZone = 0;
  int ituZone = 0;
  std::string status;  // "A", "D" or "I"
  std::string date;    // MM-DD-YY; "01-01-01" = none
  std::string prefixList;
};

// Splits an import line (CR already dropped) into a country. Fields 11 and
// 12 are read and ignored; missing fields are empty (zones 0).
CountryLine parseCountryLine(std::string_view line);

// The export line of a country, every field quoted, ending in CR LF. A
// double quote or "^" inside a field is written behind "^" so that the
// line reads back as written.
std::string formatCountryLine(const CountryLine& country);

// The zones' leading-digits rule: blanks, an optional sign, then digits up
// to the first other character; nothing numeric gives 0.
int leadingNumber(std::string_view text);

// Reads an import file line by line: a line runs to the first LF, CR
// characters are dropped and a NUL byte ends the line's text.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file) {}
  // The next line, or nothing at the end of the file.
  std::optional<std::string> next();
  int lineNumber() const { return lineNumber_; }  // of the last line read, from 1

 private:
  std::FILE* file_;
  int lineNumber_ = 0;
};

// A country line as its record (cleared first, every text cut to its
// field) and back.
CountryRecord toRecord(const CountryLine& line);
CountryLine fromRecord(const CountryRecord& record);

// True when a line holds nothing but blanks and tabs: the empty line an
// export writes after its last record, which an import passes over.
bool isBlankLine(std::string_view line);

}  // namespace countrytext

#endif
