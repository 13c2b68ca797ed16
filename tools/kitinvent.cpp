// An invented data set over a list of real calls, for the benchmark.
#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "kitinvent.h"

namespace kstools {

using namespace kitapi::writer;
namespace {

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A small deterministic generator, so that the same list gives the same set.
struct Random {
  unsigned long long state = 0x2545F4914F6CDD1DULL;
  unsigned next(unsigned below) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>((state >> 33) % below);
  }
  template <std::size_t N>
  const char* pick(const char* const (&list)[N]) { return list[next(N)]; }
};

bool fits(const std::string& call) {
  const std::size_t from = call.size() >= 2 && std::isdigit(static_cast<unsigned char>(call[1])) ? 1 : 0;
  if (call.size() < 3 || call.size() + from > 6) return false;
  const std::string p = std::string(from, ' ') + call + std::string(6 - from - call.size(), ' ');
  auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
  if (!letter(p[1]) || !std::isdigit(static_cast<unsigned char>(p[2])) || !letter(p[3])) return false;
  if (!(p[0] == ' ' || letter(p[0])) || !(p[4] == ' ' || letter(p[4])) ||
      !(p[5] == ' ' || letter(p[5])) || (p[4] == ' ' && p[5] != ' '))
    return false;
  const char first = call[0], second = call[1];
  if (first == 'K' || first == 'N' || first == 'W') return true;
  if (first == 'A') return second >= 'A' && second <= 'L';
  if (first == 'V') return std::strchr("ABCDEFGOY", second) != nullptr;
  return false;
}

}  // namespace

bool inventKitDataSet(const std::string& file, long count, KitDataSet& set) {
  std::ifstream in(file);
  if (!in) return false;
  static const char* const starts[] = {"AND", "BAR", "BEL", "CAR", "DAV", "ED", "FER", "GAR",
                                       "HAR", "JOHN", "KEL", "LAW", "MAC", "MC", "MOR", "NEL",
                                       "O'", "PAR", "RICH", "ROB", "SAN", "SMI", "STE", "THOM",
                                       "VAN", "WAL", "WIL", "YOUNG"};
  static const char* const ends[] = {"ERSON", "TON", "LEY", "SON", "ER", "MAN", "FORD", "INS",
                                     "WELL", "BERG", "DONALD", "NEIL", "ITH", "ES", "OLDS", "-SMITH"};
  static const char* const firsts[] = {"JAMES", "MARY", "ROBERT", "PATRICIA", "JOHN", "LINDA",
                                       "MICHAEL", "BARBARA", "WILLIAM", "ELIZABETH", "DAVID",
                                       "JENNIFER", "RICHARD", "MARIA", "JOSEPH", "SUSAN",
                                       "THOMAS", "MARGARET", "CHARLES", "DOROTHY", "HANK", "AL"};
  static const char* const streets[] = {"OAK", "MAPLE", "ELM", "MAIN", "PARK", "HILL", "LAKE",
                                        "PINE", "CEDAR", "RIVER", "2ND", "3RD", "1ST", "42ND"};
  static const char* const kinds[] = {"ST", "AVE", "RD", "DR", "LN", "CT", "WAY", "BLVD"};
  static const char* const cities[] = {"SPRINGFIELD", "FRANKLIN", "GREENVILLE", "BRISTOL",
                                       "CLINTON", "FAIRVIEW", "SALEM", "MADISON", "GEORGETOWN",
                                       "ARLINGTON", "ASHLAND", "DOVER", "OXFORD", "JACKSON",
                                       "BURLINGTON", "MANCHESTER", "MILTON", "NEWPORT"};
  static const char* const states[] = {"AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "FL", "GA",
                                       "HI", "ID", "IL", "IN", "IA", "KS", "KY", "LA", "ME", "MD",
                                       "MA", "MI", "MN", "MS", "MO", "MT", "NE", "NV", "NH", "NJ",
                                       "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI", "SC",
                                       "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};
  static const char* const provinces[] = {"ON", "QC", "BC", "AB", "MB", "SK", "NS", "NB", "NL", "PE"};
  static const char* const counties[] = {"MIDDLESEX", "ESSEX", "WORCESTER", "KING", "COOK",
                                         "LOS ANGELES", "HARRIS", "MARICOPA", "ORANGE", "DALLAS"};
  Random random;
  std::set<std::string> seen;
  std::set<long> zips;
  std::string call;
  while (std::getline(in, call) && (count <= 0 || static_cast<long>(set.us.size() + set.ve.size()) < count)) {
    while (!call.empty() && (call.back() == '\r' || call.back() == ' ')) call.pop_back();
    call = upper(call);
    if (call.empty() || call[0] == '#' || !fits(call) || !seen.insert(call).second) continue;
    KitRecord r;
    r.call = call;
    r.lastName = std::string(random.pick(starts)) + random.pick(ends);
    r.firstName = random.next(40) == 0 ? " " : random.pick(firsts);
    r.middle = random.next(3) == 0 ? 0 : static_cast<char>('A' + random.next(26));
    r.street = std::to_string(1 + random.next(9999)) + " " + random.pick(streets) + " " + random.pick(kinds);
    if (random.next(25) == 0) r.street = "RR " + std::to_string(1 + random.next(9)) + " BOX " + std::to_string(random.next(500));
    r.city = random.pick(cities);
    if (call[0] == 'V') {
      r.state = random.pick(provinces);
      r.postal = {static_cast<char>('A' + random.next(26)), static_cast<char>('0' + random.next(10)),
                  static_cast<char>('A' + random.next(26)), static_cast<char>('0' + random.next(10)),
                  static_cast<char>('A' + random.next(26)), static_cast<char>('0' + random.next(10))};
      set.ve.push_back(r);
    } else {
      r.state = random.pick(states);
      r.licenceClass = "NTGAECRM"[random.next(8)];
      r.zip = 1000 + random.next(98999);
      r.birthYear = 20 + static_cast<int>(random.next(80));
      r.birthDay = static_cast<int>(random.next(366));
      zips.insert(r.zip);
      set.us.push_back(r);
    }
  }
  for (long zip : zips) set.counties.push_back({zip, random.pick(counties)});
  return true;
}


}  // namespace kstools
