// ctyconv: turns the country file cty.dat (as Debian's hamradio-files ships
// it) into the country database's text form, ready for `kestrel setup` and
// the country editor's import.
//
//   ctyconv [CTY.DAT [OUTPUT]]
//
// What it keeps: every entity, its primary prefix as the record key, the
// name cut to 20 characters, continent, CQ and ITU zones, position as D.MM
// with hemisphere letters, and the plain alternate prefixes that change the
// answer of a longest-prefix search. Entities marked "*" in cty.dat (not
// counted for DXCC) get status "I". cty.dat has no dates, so the deleted
// DXCC entities and the dated entities and prefixes of the DXCC list are
// added from the table below. Whatever it has to leave out is reported on
// standard error.
#include "schema/countrytext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using countrytext::CountryLine;

// Table capacities of the prefix library, in bytes (each entry is its text
// and a NUL; each key slot 6 bytes).
constexpr std::size_t kAlternateBytes = 10000;
constexpr std::size_t kPrefixSlots = 15000 / 6;
constexpr std::size_t kSharedBytes = 5000;
constexpr std::size_t kSharedEntries = 500;
constexpr std::size_t kDeletedBytes = 5000;
constexpr std::size_t kDeletedSlots = 7000 / 6;

// Entities that left the DXCC list. `deleted` is the first day on which a
// contact no longer counts for them (MM-DD-YY). Latitude and longitude in
// degrees, north and east positive. Keys are chosen not to collide with the
// primary prefixes of cty.dat.
struct DeletedEntity {
  const char* key;
  const char* name;
  const char* continent;
  double latitude, longitude;
  int cq, itu;
  const char* deleted;
  const char* prefixes;
};

const DeletedEntity kDeleted[] = {
    {"VO", "Newfoundland", "NA", 47.56, -52.71, 5, 9, "04-01-49", "VO"},
    {"FI8", "French Indo-China", "AS", 16.0, 107.0, 26, 49, "12-21-50", "FI8"},
    {"FN8", "French India", "AS", 11.93, 79.83, 22, 41, "11-01-54", "FN8"},
    {"9S4", "Saar", "EU", 49.25, 7.0, 14, 28, "04-01-57", "9S4"},
    {"ZD4", "Gold Coast, Togoland", "AF", 5.56, -0.2, 35, 46, "03-06-57", "ZD4"},
    {"CN2", "Tangier", "AF", 35.77, -5.8, 33, 37, "07-01-60", "CN2"},
    {"UN1", "Karelo-Finnish Rep.", "EU", 61.8, 34.33, 16, 19, "07-01-60", "UN1"},
    {"VQ6", "British Somaliland", "AF", 9.56, 44.06, 37, 48, "07-01-60", "VQ6"},
    {"9U5", "Ruanda-Urundi", "AF", -3.38, 29.36, 36, 52, "07-01-62", "9U5"},
    {"JZ0", "Netherlands New Guin", "OC", -2.53, 140.72, 28, 51, "05-01-63", "JZ0"},
    {"VS2", "Malaya", "AS", 3.14, 101.69, 28, 54, "09-16-63", "VS2,9M2"},
    {"VS4", "Sarawak", "OC", 1.55, 110.34, 28, 54, "09-16-63", "VS4"},
    {"ZC5", "British North Borneo", "OC", 5.98, 116.07, 28, 54, "09-16-63", "ZC5"},
    {"VS9H", "Kuria Muria Island", "AS", 17.5, 56.0, 21, 39, "11-30-67", "VS9H"},
    {"ZC6", "Palestine", "AS", 31.78, 35.22, 20, 39, "07-01-68", "ZC6,4X1"},
    {"KR6", "Okinawa", "AS", 26.5, 127.93, 25, 45, "05-15-72", "KR6,KR8,KA6,JR6"},
    {"KS4", "Swan Islands", "NA", 17.4, -83.93, 7, 11, "09-01-72", "KS4"},
    {"DA-DM", "Germany", "EU", 51.0, 10.0, 14, 28, "09-17-73",
     "DA,DB,DC,DD,DE,DF,DG,DH,DI,DJ,DK,DL"},
    {"AC4", "Tibet", "AS", 29.65, 91.1, 23, 41, "05-31-74", "AC4"},
    {"AC3", "Sikkim", "AS", 27.33, 88.62, 22, 41, "05-01-75", "AC3"},
    {"VQ9/G", "Geyser Reef", "AF", -12.42, 46.42, 39, 53, "03-01-78", ""},
    {"KZ5", "Canal Zone", "NA", 8.98, -79.52, 7, 11, "10-01-79", "KZ5"},
    {"VS9K", "Kamaran Islands", "AS", 15.35, 42.6, 21, 39, "03-11-82", "VS9K"},
    {"4W/Y", "Yemen Arab Republic", "AS", 15.35, 44.2, 21, 39, "05-22-90", "4W"},
    {"VS9A", "P.D.R. of Yemen", "AS", 12.8, 45.03, 21, 39, "05-22-90", "VS9A,VS9P,VS9S,7O"},
    {"Y2-9", "German Democratic Re", "EU", 52.52, 13.4, 14, 28, "10-03-90",
     "DM,Y2,Y3,Y4,Y5,Y6,Y7,Y8,Y9"},
    {"OK-OM", "Czechoslovakia", "EU", 49.8, 15.5, 15, 28, "01-01-93", "OK,OL,OM"},
    {"ZS9", "Walvis Bay", "AF", -22.95, 14.5, 38, 57, "03-01-94", "ZS9"},
    {"ST0", "Southern Sudan", "AF", 4.85, 31.6, 34, 48, "01-01-95", "ST0"},
    {"PJ", "Netherlands Antilles", "SA", 12.17, -69.0, 9, 11, "10-10-10", "PJ2,PJ3,PJ4,PJ9"},
    {"PJ5-8", "St Maarten, Saba, St", "NA", 18.07, -63.07, 8, 11, "10-10-10",
     "PJ5,PJ6,PJ7,PJ8"},
    {"KH5K", "Kingman Reef", "OC", 6.4, -162.4, 31, 61, "03-29-16", "KH5K"},
};

// Entities of cty.dat that count only from a date on (MM-DD-YY), by their
// primary prefix.
struct StartDate {
  const char* key;
  const char* date;
};

const StartDate kStartDates[] = {
    {"DL", "09-17-73"},  {"7O", "05-22-90"},  {"E3", "05-24-91"},  {"9A", "06-26-91"},
    {"S5", "06-26-91"},  {"Z3", "09-08-91"},  {"E7", "10-15-91"},  {"OK", "01-01-93"},
    {"OM", "01-01-93"},  {"FO/a", "04-01-98"}, {"FO/m", "04-01-98"}, {"H40", "04-01-98"},
    {"4O", "06-28-06"},  {"PJ2", "10-10-10"}, {"PJ4", "10-10-10"}, {"PJ5", "10-10-10"},
    {"PJ7", "10-10-10"}, {"Z8", "07-14-11"},  {"Z6", "01-21-18"},
};

// Prefixes that belonged to an entity only up to ("<") or from (">") a day,
// by the primary prefix of the entity they go to.
struct SharedToken {
  const char* key;
  const char* token;
};

const SharedToken kShared[] = {
    // Montenegro's 4O counted for Serbia and Montenegro before it became an
    // entity of its own.
    {"YU", "4O<06-27-06"},
};

struct Entity {
  std::string key;
  std::string name;
  std::string continent;
  double latitude = 0, longitude = 0;  // north and west positive, as cty.dat
  int cq = 0, itu = 0;
  bool counted = true;
  std::vector<std::string> prefixes;  // plain, in file order
};

struct Report {
  int exactCalls = 0;
  int overrides = 0;
  int duplicates = 0;
  int redundant = 0;
  int cutForListLength = 0;
  int cutForTables = 0;
  int namesCut = 0;
  std::vector<std::string> notes;
};

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// Cuts cty.dat's per-prefix overrides ("(5)", "[8]", "<lat/lon>", "{AS}",
// "~-5~") from an alias; true when there was one.
bool cutOverrides(std::string& alias) {
  const auto at = alias.find_first_of("([<{~");
  if (at == std::string::npos) return false;
  alias.erase(at);
  return true;
}

// Reads cty.dat: records end with ";", the header's fields with ":".
std::vector<Entity> readCty(const char* path, Report& report) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "ctyconv: cannot read %s\n", path);
    std::exit(1);
  }
  std::stringstream whole;
  whole << in.rdbuf();
  std::vector<Entity> entities;
  for (const std::string& record : split(whole.str(), ';')) {
    const auto fields = split(record, ':');
    if (fields.size() < 9) continue;
    Entity e;
    e.name = trim(fields[0]);
    e.cq = std::atoi(fields[1].c_str());
    e.itu = std::atoi(fields[2].c_str());
    e.continent = trim(fields[3]);
    e.latitude = std::atof(fields[4].c_str());
    e.longitude = std::atof(fields[5].c_str());
    e.key = trim(fields[7]);
    if (!e.key.empty() && e.key[0] == '*') {
      e.counted = false;
      e.key.erase(0, 1);
    }
    for (std::string alias : split(fields[8], ',')) {
      alias = trim(alias);
      if (alias.empty()) continue;
      if (alias[0] == '=') {
        ++report.exactCalls;
        continue;
      }
      if (cutOverrides(alias)) ++report.overrides;
      if (!alias.empty()) e.prefixes.push_back(alias);
    }
    entities.push_back(std::move(e));
  }
  return entities;
}

// Drops every prefix whose longest shorter prefix in the whole file belongs
// to the same entity: a longest-prefix search gives the same answer
// without it.
void dropRedundant(std::vector<Entity>& entities, Report& report) {
  std::map<std::string, std::size_t> owner;
  for (std::size_t i = 0; i < entities.size(); ++i)
    for (const std::string& p : entities[i].prefixes) {
      const auto [at, added] = owner.emplace(p, i);
      if (!added && at->second != i) ++report.duplicates;
    }
  for (std::size_t i = 0; i < entities.size(); ++i) {
    std::vector<std::string> kept;
    std::set<std::string> seen;
    for (const std::string& p : entities[i].prefixes) {
      // Of a prefix listed twice the first entity wins, as in the search.
      if (!seen.insert(p).second || owner[p] != i) continue;
      bool redundant = false;
      for (std::size_t n = p.size() - 1; n > 0; --n) {
        const auto shorter = owner.find(p.substr(0, n));
        if (shorter != owner.end()) {
          redundant = shorter->second == i;
          break;
        }
      }
      if (redundant)
        ++report.redundant;
      else
        kept.push_back(p);
    }
    entities[i].prefixes = std::move(kept);
  }
}

// Degrees as D.MM with a hemisphere letter.
std::string degreesMinutes(double degrees, char positive, char negative) {
  const char hemisphere = degrees < 0 ? negative : positive;
  const double magnitude = std::fabs(degrees);
  int whole = static_cast<int>(magnitude);
  int minutes = static_cast<int>(std::lround((magnitude - whole) * 60.0));
  if (minutes == 60) {
    ++whole;
    minutes = 0;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%d.%02d%c", whole, minutes, hemisphere);
  return text;
}

std::string cutName(const std::string& name, Report& report) {
  if (name.size() <= countrytext::kNameWidth) return name;
  ++report.namesCut;
  return name.substr(0, countrytext::kNameWidth);
}

// Appends a token to a prefix list unless the list would pass its 511
// characters; false then.
bool appendToList(std::string& list, const std::string& token) {
  const std::size_t need = token.size() + (list.empty() ? 0 : 1);
  if (list.size() + need > countrytext::kPrefixListWidth) return false;
  if (!list.empty()) list += ',';
  list += token;
  return true;
}

// Keeps the tables' totals within what the prefix library loads: tokens
// that would cross a table's capacity are cut from the end of the record.
class TableBudget {
 public:
  TableBudget(std::size_t bytes, std::size_t entries) : bytes_(bytes), entries_(entries) {}
  bool take(const std::string& token) {
    if (usedBytes_ + token.size() + 1 > bytes_ || usedEntries_ + 1 > entries_) return false;
    usedBytes_ += token.size() + 1;
    ++usedEntries_;
    return true;
  }
  std::size_t usedBytes() const { return usedBytes_; }
  std::size_t usedEntries() const { return usedEntries_; }

 private:
  std::size_t bytes_, entries_;
  std::size_t usedBytes_ = 0, usedEntries_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: ctyconv [--calls FILE] [CTY.DAT [OUTPUT]]\n"
        "Writes the country database's text form from cty.dat.\n"
        "CTY.DAT defaults to /usr/share/hamradio-files/cty.dat, OUTPUT to\n"
        "standard output. What is left out is reported on standard error.\n"
        "--calls FILE: a list of real calls, one per line (such as MASTER.SCP);\n"
        "  where an entity's prefixes exceed the 511 characters of its list,\n"
        "  those that begin the most of these calls are kept.\n");
    return 0;
  }
  std::vector<std::string> calls;
  if (argc > 2 && std::strcmp(argv[1], "--calls") == 0) {
    std::ifstream in(argv[2]);
    if (!in) {
      std::fprintf(stderr, "ctyconv: cannot read %s\n", argv[2]);
      return 1;
    }
    for (std::string call; std::getline(in, call);)
      if (!call.empty() && call[0] != '#') calls.push_back(trim(call));
    argc -= 2;
    argv += 2;
  }
  const char* source = argc > 1 ? argv[1] : "/usr/share/hamradio-files/cty.dat";
  Report report;
  std::vector<Entity> entities = readCty(source, report);
  if (entities.empty()) {
    std::fprintf(stderr, "ctyconv: no entities in %s\n", source);
    return 1;
  }
  dropRedundant(entities, report);

  std::map<std::string, std::string> startDates;
  for (const StartDate& s : kStartDates) startDates[s.key] = s.date;
  std::map<std::string, std::vector<std::string>> sharedTokens;
  for (const SharedToken& s : kShared) sharedTokens[s.key].push_back(s.token);

  std::set<std::string> keys;
  std::vector<CountryLine> lines;
  TableBudget alternate(kAlternateBytes, kPrefixSlots);
  TableBudget shared(kSharedBytes, kSharedEntries);
  TableBudget deleted(kDeletedBytes, kDeletedSlots);
  int active = 0, uncounted = 0, emptyLists = 0;

  for (const Entity& e : entities) {
    if (e.key.size() > countrytext::kPrefixWidth || !keys.insert(e.key).second) {
      report.notes.push_back("entity " + e.name + ": key \"" + e.key +
                             "\" too long or repeated, left out");
      continue;
    }
    CountryLine line;
    line.prefix = e.key;
    line.name = cutName(e.name, report);
    line.continent = e.continent;
    line.latitude = degreesMinutes(e.latitude, 'N', 'S');
    line.longitude = degreesMinutes(-e.longitude, 'E', 'W');
    line.cqZone = e.cq;
    line.ituZone = e.itu;
    line.status = e.counted ? "A" : "I";
    const auto start = startDates.find(e.key);
    line.date = start == startDates.end() ? "01-01-01" : start->second;
    if (start != startDates.end()) startDates.erase(start);

    // Dated tokens first, so that the length limit never cuts them. When
    // the plain prefixes do not all fit in the list, those that decide the
    // most of the given calls are kept.
    if (const auto s = sharedTokens.find(e.key); s != sharedTokens.end()) {
      for (const std::string& t : s->second) {
        if (!shared.take(t.substr(0, t.find_first_of("<>"))))
          ++report.cutForTables;
        else if (!appendToList(line.prefixList, t))
          ++report.cutForListLength;
      }
      sharedTokens.erase(s);
    }
    std::vector<std::string> plain = e.prefixes;
    std::size_t length = 0;
    for (const std::string& p : plain) length += p.size() + 1;
    if (!calls.empty() && length > countrytext::kPrefixListWidth + 1) {
      std::map<std::string, int> decided;
      for (const std::string& p : plain)
        for (const std::string& call : calls) decided[p] += call.starts_with(p);
      std::stable_sort(plain.begin(), plain.end(), [&](const std::string& a, const std::string& b) {
        return decided[a] > decided[b];
      });
    }
    for (const std::string& p : plain) {
      if (line.prefixList.size() + p.size() + 1 > countrytext::kPrefixListWidth + 1)
        ++report.cutForListLength;
      else if (!alternate.take(p))
        ++report.cutForTables;
      else
        appendToList(line.prefixList, p);
    }
    if (line.prefixList.empty()) ++emptyLists;
    (e.counted ? active : uncounted)++;
    lines.push_back(std::move(line));
  }
  for (const auto& [key, date] : startDates)
    report.notes.push_back("start date " + date + " for \"" + key + "\": no such entity");
  for (const auto& [key, tokens] : sharedTokens)
    report.notes.push_back("shared prefixes for \"" + key + "\": no such entity");

  for (const DeletedEntity& d : kDeleted) {
    if (!keys.insert(d.key).second) {
      report.notes.push_back(std::string("deleted entity key \"") + d.key + "\" repeated");
      continue;
    }
    CountryLine line;
    line.prefix = d.key;
    line.name = cutName(d.name, report);
    line.continent = d.continent;
    line.latitude = degreesMinutes(d.latitude, 'N', 'S');
    line.longitude = degreesMinutes(d.longitude, 'E', 'W');
    line.cqZone = d.cq;
    line.ituZone = d.itu;
    line.status = "D";
    line.date = d.deleted;
    for (const std::string& t : split(d.prefixes, ','))
      if (!deleted.take(t))
        ++report.cutForTables;
      else if (!appendToList(line.prefixList, t))
        ++report.cutForListLength;
    lines.push_back(std::move(line));
  }

  std::FILE* out = stdout;
  if (argc > 2 && !(out = std::fopen(argv[2], "wb"))) {
    std::fprintf(stderr, "ctyconv: cannot write %s\n", argv[2]);
    return 1;
  }
  for (const CountryLine& line : lines) {
    const std::string text = countrytext::formatCountryLine(line);
    std::fwrite(text.data(), 1, text.size(), out);
  }
  std::fputs("\r\n", out);
  if (out != stdout && std::fclose(out) != 0) {
    std::fprintf(stderr, "ctyconv: writing %s failed\n", argv[2]);
    return 1;
  }

  std::fprintf(stderr,
               "ctyconv: %zu records: %d counted, %d not counted (status I), %zu deleted\n"
               "  alternate prefixes %zu (%zu of %zu bytes), shared %zu (%zu of %zu bytes),"
               " deleted %zu (%zu of %zu bytes)\n"
               "  left out: %d exact-callsign entries, %d zone/position overrides (the prefix"
               " kept),\n"
               "            %d prefixes that do not change the search's answer,"
               " %d repeated in another entity,\n"
               "            %d over a 511-character prefix list, %d over a table's capacity\n"
               "  names cut to 20 characters: %d; entities with no prefix left: %d\n",
               lines.size(), active, uncounted, std::size(kDeleted), alternate.usedEntries(),
               alternate.usedBytes(), kAlternateBytes, shared.usedEntries(), shared.usedBytes(),
               kSharedBytes, deleted.usedEntries(), deleted.usedBytes(), kDeletedBytes,
               report.exactCalls, report.overrides, report.redundant, report.duplicates,
               report.cutForListLength, report.cutForTables, report.namesCut, emptyLists);
  for (const std::string& note : report.notes) std::fprintf(stderr, "  %s\n", note.c_str());
  return report.notes.empty() ? 0 : 1;
}
