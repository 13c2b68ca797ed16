#include "cbxwrite.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <numeric>
#include <random>
#include <set>
#include <string_view>
#include <sys/stat.h>

namespace kscbx::writer {

namespace {

std::string clean(std::string text) {
  for (char& c : text)
    if (c == ',') c = ';';
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }),
             text.end());
  return text;
}

std::string padded(const std::string& text, size_t length) {
  std::string key = text.substr(0, length);
  key.resize(length, ' ');
  return key;
}

// One line of a data file and the key it sorts by.
struct Line {
  std::string sortKey;
  std::string entryKey;  // what goes into the index
  std::string text;
};

bool writeIndexPair(const std::string& directory, char letter, std::vector<Line>& lines,
                    int keyLength, const CallbookOptions& options, std::string* error) {
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
    return a.sortKey < b.sortKey;
  });
  const std::string base = directory + (options.upperCaseNames ? "CALLBK" : "callbk") +
                           static_cast<char>(options.upperCaseNames ? std::toupper(letter) : letter);
  const std::string dataName = base + (options.upperCaseNames ? ".DAT" : ".dat");
  const std::string indexName = base + (options.upperCaseNames ? ".IDX" : ".idx");

  std::string data;
  std::vector<size_t> starts;
  starts.reserve(lines.size());
  for (const Line& line : lines) {
    starts.push_back(data.size());
    data += line.text;
    data += options.crlf ? "\r\n" : "\n";
  }
  std::ofstream dataFile(dataName, std::ios::binary | std::ios::trunc);
  dataFile.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!dataFile.good()) {
    if (error) *error = "cannot write " + dataName;
    return false;
  }

  // Entry k: the key of the first line that starts at or after block k.
  const size_t block = static_cast<size_t>(std::max<long>(1, options.blockSize));
  const size_t blocks = lines.empty() ? 0 : (data.size() + block - 1) / block;
  std::string index(48, '\0');
  std::memcpy(index.data(), "CALLBOOK INDEX", 14);
  auto number = [&](size_t offset, long value) {
    const std::string text = std::to_string(value);
    std::memcpy(index.data() + offset, text.data(), std::min<size_t>(text.size(), 8));
  };
  number(16, static_cast<long>(block));
  number(24, static_cast<long>(blocks));
  number(32, keyLength);
  std::memcpy(index.data() + 40, options.version.data(), std::min<size_t>(options.version.size(), 7));
  size_t next = 0;
  for (size_t k = 0; k < blocks; ++k) {
    while (next < lines.size() && starts[next] < k * block) ++next;
    const Line& line = lines[std::min(next, lines.size() - 1)];
    index += padded(line.entryKey, static_cast<size_t>(keyLength));
  }
  std::ofstream indexFile(indexName, std::ios::binary | std::ios::trunc);
  indexFile.write(index.data(), static_cast<std::streamsize>(index.size()));
  if (!indexFile.good()) {
    if (error) *error = "cannot write " + indexName;
    return false;
  }
  return true;
}

}  // namespace

std::string callbookStoredKey(const std::string& call) {
  size_t digit = std::string::npos;
  for (size_t i = call.size(); i-- > 0;)
    if (std::isdigit(static_cast<unsigned char>(call[i]))) {
      digit = i;
      break;
    }
  if (digit == std::string::npos) return "   " + padded(call, 3);
  const std::string prefix = call.substr(digit >= 2 ? digit - 2 : 0, std::min<size_t>(digit, 2));
  return padded(prefix, 2) + call[digit] + padded(call.substr(digit + 1), 3);
}

std::string callbookCompareKey(const std::string& stored) {
  const std::string s = padded(stored, 6);
  return s.substr(3, 3) + s[2] + s.substr(0, 2);
}

bool writeCallbook(const std::string& root, const std::vector<CallbookRecord>& records,
                   const std::vector<CallbookCrossReference>& crossReferences,
                   const std::vector<CallbookEmail>& emails, const CallbookOptions& options,
                   std::string* error) {
  const std::string directory = root + (options.upperCaseNames ? "/CALLBK/" : "/callbk/");
  ::mkdir(root.c_str(), 0755);
  ::mkdir(directory.c_str(), 0755);

  std::vector<Line> calls, names, cities, zips;
  for (const CallbookRecord& r : records) {
    const std::string stored = callbookStoredKey(r.call);
    const std::string fields[15] = {stored, r.lastName, r.field2, r.firstName, r.field4,
                                    r.born, r.issued, r.expires, r.street, r.city,
                                    r.state, r.zip, r.licenceClass, r.previousCall,
                                    r.previousClass};
    std::string text;
    for (size_t n = 0; n < 15; ++n) text += (n ? "," : "") + clean(fields[n]);
    const std::string last = clean(r.lastName), first = clean(r.firstName);
    const std::string city = clean(r.city), street = clean(r.street);
    calls.push_back({callbookCompareKey(stored) + '\1' + text, stored, text});
    names.push_back({last + '\1' + first + '\1' + r.call, last, text});
    cities.push_back({r.state + '\1' + city + '\1' + street + '\1' + r.call, r.state + city, text});
    zips.push_back({r.zip + '\1' + r.call, r.zip, text});
  }
  for (const CallbookCrossReference& x : crossReferences) {
    const std::string stored = callbookStoredKey(x.call);
    const std::string text = stored + "," + clean(x.listedUnder);
    calls.push_back({callbookCompareKey(stored) + '\1' + text, stored, text});
  }
  if (!writeIndexPair(directory, 'c', calls, 6, options, error) ||
      !writeIndexPair(directory, 'n', names, options.nameKeyLength, options, error) ||
      !writeIndexPair(directory, 's', cities, options.cityKeyLength, options, error) ||
      !writeIndexPair(directory, 'z', zips, options.zipKeyLength, options, error))
    return false;

  // The address file: 60-byte records sorted by a 10-byte key, the call in
  // upper case padded with NULs, then the address padded with NULs.
  std::vector<std::string> entries;
  for (const CallbookEmail& e : emails) {
    std::string entry(60, '\0');
    for (size_t i = 0; i < 9 && i < e.call.size(); ++i)
      entry[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(e.call[i])));
    std::memcpy(entry.data() + 10, e.address.data(), std::min<size_t>(e.address.size(), 50));
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return std::memcmp(a.data(), b.data(), 10) < 0;
  });
  const std::string emailName = directory + (options.upperCaseNames ? "NETADDR.CBX" : "netaddr.cbx");
  std::ofstream emailFile(emailName, std::ios::binary | std::ios::trunc);
  for (const std::string& entry : entries) emailFile.write(entry.data(), 60);
  if (!emailFile.good()) {
    if (error) *error = "cannot write " + emailName;
    return false;
  }
  return true;
}

// ---- the generator

namespace {

// Made-up people and places; surnames and given names are common American
// ones, so that many holders share them.
constexpr const char* kSurnames[] = {
    "SMITH", "JOHNSON", "WILLIAMS", "BROWN", "JONES", "MILLER", "DAVIS", "GARCIA",
    "WILSON", "ANDERSON", "TAYLOR", "THOMAS", "MOORE", "MARTIN", "JACKSON", "THOMPSON",
    "WHITE", "HARRIS", "CLARK", "LEWIS", "ROBINSON", "WALKER", "YOUNG", "ALLEN",
    "KING", "WRIGHT", "SCOTT", "HILL", "GREEN", "ADAMS", "BAKER", "NELSON",
    "CARTER", "MITCHELL", "ROBERTS", "TURNER", "PHILLIPS", "CAMPBELL", "PARKER", "EVANS",
    "EDWARDS", "COLLINS", "STEWART", "MORRIS", "MURPHY", "COOK", "ROGERS", "MORGAN",
    "COOPER", "PETERSON", "REED", "BAILEY", "BELL", "KELLY", "HOWARD", "WARD",
    "COX", "RICHARDSON", "WOOD", "WATSON", "BROOKS", "BENNETT", "GRAY", "HUGHES",
    "PRICE", "SANDERS", "MYERS", "LONG", "ROSS", "FOSTER", "SMALLWOOD", "SMYTHE",
    "VAN DYKE", "O'BRIEN", "MCALLISTER", "KOWALSKI", "NGUYEN", "SCHMIDT", "LARSON",
};
constexpr const char* kGivenNames[] = {
    "JAMES", "JOHN", "ROBERT", "MICHAEL", "WILLIAM", "DAVID", "RICHARD", "JOSEPH",
    "THOMAS", "CHARLES", "MARY", "PATRICIA", "LINDA", "BARBARA", "ELIZABETH", "SUSAN",
    "DONALD", "GEORGE", "KENNETH", "STEVEN", "EDWARD", "BRIAN", "RONALD", "ANTHONY",
    "KAREN", "NANCY", "BETTY", "HELEN", "SANDRA", "DONNA", "CAROL", "RUTH",
    "PAUL", "MARK", "GARY", "LARRY", "FRANK", "SCOTT", "ERIC", "RAYMOND",
};
struct Place {
  const char* state;
  int zipBase;  // first three ZIP digits
  const char* cities[5];
};
constexpr Place kPlaces[] = {
    {"CA", 900, {"LOS ANGELES", "SAN DIEGO", "SAN JOSE", "FRESNO", "SACRAMENTO"}},
    {"TX", 750, {"HOUSTON", "DALLAS", "AUSTIN", "EL PASO", "SAN ANTONIO"}},
    {"FL", 320, {"MIAMI", "TAMPA", "ORLANDO", "JACKSONVILLE", "TALLAHASSEE"}},
    {"NY", 100, {"NEW YORK", "BUFFALO", "ROCHESTER", "ALBANY", "SYRACUSE"}},
    {"PA", 150, {"PITTSBURGH", "PHILADELPHIA", "ERIE", "ALLENTOWN", "SCRANTON"}},
    {"OH", 430, {"COLUMBUS", "CLEVELAND", "TOLEDO", "AKRON", "DAYTON"}},
    {"IL", 600, {"CHICAGO", "PEORIA", "ROCKFORD", "SPRINGFIELD", "NAPERVILLE"}},
    {"MA", 10, {"BOSTON", "WORCESTER", "SPRINGFIELD", "NEWINGTON", "LOWELL"}},
    {"CT", 60, {"HARTFORD", "NEWINGTON", "NEW HAVEN", "STAMFORD", "BRIDGEPORT"}},
    {"WA", 980, {"SEATTLE", "SPOKANE", "TACOMA", "OLYMPIA", "BELLEVUE"}},
    {"CO", 800, {"DENVER", "BOULDER", "PUEBLO", "AURORA", "FORT COLLINS"}},
    {"AZ", 850, {"PHOENIX", "TUCSON", "MESA", "FLAGSTAFF", "YUMA"}},
    {"GA", 300, {"ATLANTA", "SAVANNAH", "AUGUSTA", "MACON", "ATHENS"}},
    {"MI", 480, {"DETROIT", "LANSING", "FLINT", "ANN ARBOR", "GRAND RAPIDS"}},
    {"MN", 550, {"MINNEAPOLIS", "SAINT PAUL", "DULUTH", "ROCHESTER", "BLOOMINGTON"}},
    {"OR", 970, {"PORTLAND", "SALEM", "EUGENE", "BEND", "MEDFORD"}},
    {"TN", 370, {"NASHVILLE", "MEMPHIS", "KNOXVILLE", "CHATTANOOGA", "CLARKSVILLE"}},
    {"VA", 220, {"RICHMOND", "NORFOLK", "ARLINGTON", "ROANOKE", "VIENNA"}},
    {"NC", 270, {"RALEIGH", "CHARLOTTE", "DURHAM", "ASHEVILLE", "WILMINGTON"}},
    {"AK", 995, {"ANCHORAGE", "FAIRBANKS", "JUNEAU", "SITKA", "KETCHIKAN"}},
};
constexpr const char* kStreets[] = {"MAIN", "OAK", "MAPLE", "CEDAR", "ELM", "PINE", "LAKE",
                                    "HILL", "WASHINGTON", "LINCOLN", "PARK", "RIVER", "CHURCH",
                                    "MILL", "SPRING", "RIDGE", "SUNSET", "MEADOW"};
constexpr const char* kStreetKinds[] = {"ST", "AVE", "RD", "LN", "DR", "CT", "BLVD", "WAY"};
constexpr const char* kDomains[] = {"arrl.net", "example.net", "example.org", "example.com"};

// A call fits the six-character key when one or two characters stand
// before its last digit and one to three letters after it.
bool fitsKey(const std::string& call) {
  size_t digit = std::string::npos;
  for (size_t i = call.size(); i-- > 0;)
    if (std::isdigit(static_cast<unsigned char>(call[i]))) {
      digit = i;
      break;
    }
  if (digit == std::string::npos || digit < 1 || digit > 2) return false;
  const size_t suffix = call.size() - digit - 1;
  if (suffix < 1 || suffix > 3) return false;
  for (char c : call)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  for (size_t i = digit + 1; i < call.size(); ++i)
    if (!std::isupper(static_cast<unsigned char>(call[i]))) return false;
  return true;
}

template <class T, size_t N>
const T& pick(const T (&list)[N], std::mt19937& random) {
  return list[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

// Lower ranks far more often, as with real surnames.
template <class T, size_t N>
const T& pickSkewed(const T (&list)[N], std::mt19937& random) {
  const double u = std::uniform_real_distribution<double>(0, 1)(random);
  return list[std::min(N - 1, static_cast<size_t>(static_cast<double>(N) * u * u))];
}

std::string madeUpCall(std::mt19937& random) {
  static constexpr const char* kHeads[] = {"K", "N", "W", "KA", "KB", "KC", "KD", "KE", "KF",
                                           "KG", "KI", "KJ", "KK", "N", "NA", "NB", "NC",
                                           "ND", "WA", "WB", "WD", "AA", "AB", "AC", "AD"};
  std::string call = pick(kHeads, random);
  call += static_cast<char>('0' + std::uniform_int_distribution<int>(0, 9)(random));
  const int letters = std::uniform_int_distribution<int>(1, 10)(random) <= 2 ? 2 : 3;
  for (int i = 0; i < letters; ++i)
    call += static_cast<char>('A' + std::uniform_int_distribution<int>(0, 25)(random));
  return call;
}

std::string yyddd(int year, int day) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d%03d", year % 100, day);
  return text;
}

}  // namespace

GeneratedCallbook generateCallbook(size_t count, unsigned seed, const std::string& callFile) {
  std::mt19937 random(seed);
  GeneratedCallbook book;
  std::vector<std::string> calls;
  std::set<std::string> taken;
  std::ifstream in(callFile);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#' || !fitsKey(line)) continue;
    if (taken.insert(line).second) calls.push_back(line);
  }
  std::shuffle(calls.begin(), calls.end(), random);
  if (calls.size() > count) calls.resize(count);
  book.callsFromFile = calls.size();
  while (calls.size() < count) {
    std::string call = madeUpCall(random);
    if (taken.insert(call).second) calls.push_back(call);
  }

  auto chance = [&](int percent) {
    return std::uniform_int_distribution<int>(1, 100)(random) <= percent;
  };
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  book.records.reserve(count);
  for (const std::string& call : calls) {
    CallbookRecord r;
    r.call = call;
    const int cls = between(1, 100);
    r.licenceClass = cls <= 30 ? "E" : cls <= 55 ? "G" : cls <= 80 ? "T" : cls <= 88 ? "A"
                   : cls <= 93 ? "N" : cls <= 98 ? "P" : "C";
    const Place& place = pick(kPlaces, random);
    r.state = place.state;
    r.city = pick(place.cities, random);
    char zip[8];
    std::snprintf(zip, sizeof zip, "%03d%02d", (place.zipBase + between(0, 4)) % 1000, between(0, 99));
    r.zip = zip;
    r.street = std::to_string(between(1, 9999)) + " " + pick(kStreets, random) + " " +
               pick(kStreetKinds, random);
    if (chance(5)) r.street += ", APT " + std::to_string(between(1, 40));
    if (r.licenceClass == "C") {
      r.lastName = std::string(pick(kStreets, random)) + " RADIO CLUB";
      r.previousCall = calls[static_cast<size_t>(between(0, static_cast<int>(calls.size()) - 1))];
    } else {
      r.lastName = pickSkewed(kSurnames, random);
      r.firstName = pickSkewed(kGivenNames, random);
      if (chance(30)) r.firstName += std::string(" ") + static_cast<char>('A' + between(0, 25));
      r.born = yyddd(between(25, 99), between(1, 365));
      if (chance(15)) {
        r.previousCall = madeUpCall(random);
        r.previousClass = chance(50) ? "N" : "T";
      }
    }
    const int issued = between(80, 99);
    const int day = between(1, 365);
    r.issued = yyddd(issued, day);
    r.expires = yyddd(issued + 10, day);
    book.records.push_back(std::move(r));
    if (chance(2)) {
      std::string old = madeUpCall(random);
      if (taken.insert(old).second) book.crossReferences.push_back({old, call});
    }
    if (chance(30)) {
      std::string user = call;
      for (char& c : user) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      book.emails.push_back({call, user + "@" + pick(kDomains, random)});
    }
  }
  return book;
}

}  // namespace kscbx::writer
