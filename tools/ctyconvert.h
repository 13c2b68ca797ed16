// The conversion of cty.dat (the country file that Debian's hamradio-files
// ships) into the country database's text form, for `kestrel setup` and the
// country editor's import.
//
// What it keeps: every entity, its primary prefix as the record key (with
// the keys the suite's rules know by another name, such as Alaska's KL7),
// its name shortened to the record's 20 characters by whole-word
// abbreviations, continent, CQ and ITU zones, position as D.MM with
// hemisphere letters, and the plain alternate prefixes that change the
// answer of a longest-prefix search. Entities marked "*" in cty.dat (not
// counted for DXCC) get status "I". cty.dat has no dates, so the deleted
// DXCC entities and the dated entities and prefixes of the DXCC list come
// from the converter's own tables. Everything stays within the prefix
// library's table capacities (prefix/limits.h).
#ifndef KESTREL_TOOLS_CTYCONVERT_H
#define KESTREL_TOOLS_CTYCONVERT_H

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "schema/countrytext.h"

namespace ctyconv {

// One entity of cty.dat.
struct Entity {
  std::string key;
  std::string name;
  std::string continent;
  double latitude = 0, longitude = 0;  // north and west positive, as cty.dat
  int cq = 0, itu = 0;
  bool counted = true;
  std::vector<std::string> prefixes;  // plain, in file order
};

// What was left out or changed, and why.
struct Report {
  int exactCalls = 0;
  int overrides = 0;
  int duplicates = 0;
  int redundant = 0;
  int cutForListLength = 0;
  int cutForTables = 0;
  int namesShortened = 0;
  std::vector<std::pair<std::string, std::string>> shortened;  // name, as written
  int active = 0, uncounted = 0, deleted = 0, emptyLists = 0;
  std::size_t alternateEntries = 0, alternateBytes = 0;
  std::size_t sharedEntries = 0, sharedBytes = 0;
  std::size_t deletedEntries = 0, deletedBytes = 0;
  // Problems that need the converter's tables mended; the conversion is not
  // to be shipped while there are any.
  std::vector<std::string> notes;
};

// The entities of cty.dat's text, in file order.
std::vector<Entity> readCty(std::string_view text, Report& report);

// Drops every prefix whose longest shorter prefix in the whole file belongs
// to the same entity: a longest-prefix search gives the same answer without
// it. Of a prefix listed by two entities the first keeps it.
void dropRedundant(std::vector<Entity>& entities, Report& report);

// A name as the record holds it: as it is when it fits the 20 characters,
// else shortened by the whole-name table, then word by word by the
// abbreviation table, then by dropping the full stops of abbreviations.
// Words are never cut: a name that still does not fit comes back whole-word
// shortened as far as it goes, longer than 20 (the caller reports it).
std::string shortName(std::string_view name);

struct Abbreviation {
  std::string_view full;
  std::string_view shortened;
};
// The converter's own tables, for the tests.
std::span<const Abbreviation> nameTable();
std::span<const Abbreviation> wordTable();

// The record keys the suite's rules name; the converter uses these keys
// where cty.dat's primary prefix differs.
std::span<const Abbreviation> keyRenames();

// Degrees as D.MM with a hemisphere letter.
std::string degreesMinutes(double degrees, char positive, char negative);

// The whole conversion. `calls` (may be empty) is a list of real calls: when
// an entity's prefixes overflow its 511-character list, those that begin the
// most calls are kept.
std::vector<countrytext::CountryLine> convert(std::string_view ctyText,
                                              const std::vector<std::string>& calls,
                                              Report& report);

// The text file of the lines: each line as the editor exports it, then an
// empty line.
std::string countryFile(const std::vector<countrytext::CountryLine>& lines);

// The summary written to standard error.
std::string summary(const Report& report);

}  // namespace ctyconv

#endif
