#include "ctyconvert.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "prefix/limits.h"

namespace ctyconv {
namespace {

using countrytext::CountryLine;

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
    {"JZ0", "Netherlands New Guinea", "OC", -2.53, 140.72, 28, 51, "05-01-63", "JZ0"},
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
    {"Y2-9", "German Democratic Republic", "EU", 52.52, 13.4, 14, 28, "10-03-90",
     "DM,Y2,Y3,Y4,Y5,Y6,Y7,Y8,Y9"},
    {"OK-OM", "Czechoslovakia", "EU", 49.8, 15.5, 15, 28, "01-01-93", "OK,OL,OM"},
    {"ZS9", "Walvis Bay", "AF", -22.95, 14.5, 38, 57, "03-01-94", "ZS9"},
    {"ST0", "Southern Sudan", "AF", 4.85, 31.6, 34, 48, "01-01-95", "ST0"},
    {"PJ", "Netherlands Antilles", "SA", 12.17, -69.0, 9, 11, "10-10-10", "PJ2,PJ3,PJ4,PJ9"},
    {"PJ5-8", "St. Maarten, Saba, St. Eustatius", "NA", 18.07, -63.07, 8, 11, "10-10-10",
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

// Names too long for the record that no word rule shortens well.
constexpr Abbreviation kNames[] = {
    {"United States of America", "United States"},
    {"Sov Mil Order of Malta", "Sov Mil Order Malta"},
    {"San Felix & San Ambrosio", "San Felix & Ambrosio"},
    {"Trindade & Martim Vaz", "Trindade & M. Vaz"},
    {"Tristan da Cunha & Gough", "Tristan d.C. & Gough"},
    {"UK Base Areas on Cyprus", "UK Bases on Cyprus"},
    {"Amsterdam & St. Paul Is.", "Amsterdam & St. Paul"},
    {"Pr. Edward & Marion Is.", "Pr. Edward & Marion"},
    {"St. Maarten, Saba, St. Eustatius", "Maarten, Saba, Eust."},
};

// Whole words, tried in this order while a name is too long.
constexpr Abbreviation kWords[] = {
    {"Islands", "Is."},     {"Republic", "Rep."},  {"Democratic", "Dem."},
    {"Netherlands", "Neth."}, {"Providencia", "Prov."}, {"Saint", "St."},
};

// cty.dat's primary prefixes that the suite's rules know by another key:
// Alaska is "KL7" to the state and zone rules.
constexpr Abbreviation kKeys[] = {
    {"KL", "KL7"},
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

bool isWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; }

// Replaces every whole-word `word` of `text`.
std::string replaceWord(std::string_view text, std::string_view word, std::string_view by) {
  std::string out;
  std::size_t copied = 0;
  std::size_t at = text.find(word);
  while (at != std::string_view::npos) {
    const std::size_t end = at + word.size();
    const bool whole = (at == 0 || !isWordCharacter(text[at - 1])) &&
                       (end == text.size() || !isWordCharacter(text[end]));
    if (whole) {
      out.append(text.substr(copied, at - copied));
      out.append(by);
      copied = end;
    }
    at = text.find(word, whole ? end : at + 1);
  }
  out.append(text.substr(copied));
  return out;
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
// that would cross a table's capacity are left out.
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

std::string nameFor(std::string_view name, Report& report) {
  std::string shortened = shortName(name);
  if (shortened != name) {
    ++report.namesShortened;
    report.shortened.emplace_back(name, shortened);
  }
  if (shortened.size() > countrytext::kNameWidth)
    report.notes.push_back("name \"" + std::string(name) +
                           "\" does not fit 20 characters: add it to the name table");
  return shortened;
}

}  // namespace

std::span<const Abbreviation> nameTable() { return kNames; }
std::span<const Abbreviation> wordTable() { return kWords; }
std::span<const Abbreviation> keyRenames() { return kKeys; }

std::string shortName(std::string_view name) {
  std::string text(name);
  if (text.size() <= countrytext::kNameWidth) return text;
  for (const Abbreviation& entry : kNames)
    if (text == entry.full) text = entry.shortened;
  for (const Abbreviation& entry : kWords) {
    if (text.size() <= countrytext::kNameWidth) return text;
    text = replaceWord(text, entry.full, entry.shortened);
  }
  if (text.size() > countrytext::kNameWidth) std::erase(text, '.');
  return text;
}

std::vector<Entity> readCty(std::string_view text, Report& report) {
  std::vector<Entity> entities;
  for (const std::string& record : split(std::string(text), ';')) {
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
    for (const Abbreviation& rename : kKeys)
      if (e.key == rename.full) e.key = rename.shortened;
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

std::vector<CountryLine> convert(std::string_view ctyText, const std::vector<std::string>& calls,
                                 Report& report) {
  std::vector<Entity> entities = readCty(ctyText, report);
  dropRedundant(entities, report);

  std::map<std::string, std::string> startDates;
  for (const StartDate& s : kStartDates) startDates[s.key] = s.date;
  std::map<std::string, std::vector<std::string>> sharedTokens;
  for (const SharedToken& s : kShared) sharedTokens[s.key].push_back(s.token);

  using namespace ksprefix;
  std::set<std::string> keys;
  std::vector<CountryLine> lines;
  TableBudget alternate(kAlternateTableBytes, kPrefixTableBytes / kSlotSize);
  TableBudget shared(kSharedAlternateTableBytes, kMaxSharedEntries);
  TableBudget deleted(kDeletedAlternateTableBytes, kDeletedPrefixTableBytes / kSlotSize);

  for (const Entity& e : entities) {
    if (e.key.size() > countrytext::kPrefixWidth || !keys.insert(e.key).second) {
      report.notes.push_back("entity " + e.name + ": key \"" + e.key +
                             "\" too long or repeated, left out");
      continue;
    }
    CountryLine line;
    line.prefix = e.key;
    line.name = nameFor(e.name, report);
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
    if (line.prefixList.empty()) ++report.emptyLists;
    (e.counted ? report.active : report.uncounted)++;
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
    line.name = nameFor(d.name, report);
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
    ++report.deleted;
    lines.push_back(std::move(line));
  }
  report.alternateEntries = alternate.usedEntries();
  report.alternateBytes = alternate.usedBytes();
  report.sharedEntries = shared.usedEntries();
  report.sharedBytes = shared.usedBytes();
  report.deletedEntries = deleted.usedEntries();
  report.deletedBytes = deleted.usedBytes();
  return lines;
}

std::string countryFile(const std::vector<CountryLine>& lines) {
  std::string text;
  for (const CountryLine& line : lines) text += countrytext::formatCountryLine(line);
  text += "\r\n";
  return text;
}

std::string summary(const Report& r) {
  using namespace ksprefix;
  char text[1024];
  std::snprintf(text, sizeof text,
                "ctyconv: %zu records: %d counted, %d not counted (status I), %d deleted\n"
                "  alternate prefixes %zu (%zu of %zu bytes), shared %zu (%zu of %zu bytes),"
                " deleted %zu (%zu of %zu bytes)\n"
                "  left out: %d exact-callsign entries, %d zone/position overrides (the prefix"
                " kept),\n"
                "            %d prefixes that do not change the search's answer,"
                " %d repeated in another entity,\n"
                "            %d over a 511-character prefix list, %d over a table's capacity\n"
                "  names shortened to 20 characters: %d; entities with no prefix left: %d\n",
                static_cast<std::size_t>(r.active + r.uncounted + r.deleted), r.active,
                r.uncounted, r.deleted, r.alternateEntries, r.alternateBytes,
                kAlternateTableBytes, r.sharedEntries, r.sharedBytes, kSharedAlternateTableBytes,
                r.deletedEntries, r.deletedBytes, kDeletedAlternateTableBytes, r.exactCalls,
                r.overrides, r.redundant, r.duplicates, r.cutForListLength, r.cutForTables,
                r.namesShortened, r.emptyLists);
  std::string out = text;
  for (const std::string& note : r.notes) out += "  " + note + "\n";
  return out;
}

}  // namespace ctyconv
