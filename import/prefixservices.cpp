#include "prefixservices.h"

#include <algorithm>
#include <cstring>

#include "funct/ksfunct.h"
#include "session.h"
#include "base/fields.h"
#include "prefix/ksprefix.h"

namespace ksimport {
namespace {

using ksbase::putField;

}  // namespace

bool PrefixServices::resolveCountry(LogRecord& record) {
  char searchText[32] = {};
  GetPrefix(searchText, record.call, task_);
  // A call signed "/AM" or "/MM" is mobile wherever its prefix points.
  const char* slash = std::strrchr(record.call, '/');
  const char* mobile = isMobile(searchText) ? searchText
                       : slash && isMobile(slash + 1) ? slash + 1
                                                      : nullptr;
  if (mobile) {
    putField(record.prefix, mobile);
    putField(record.qth, mobile[0] == 'A' ? "Aeronautical Mobile" : "Maritime Mobile");
    return true;
  }
  char name[32] = {};
  char head[kCountryHeadSize] = {};
  const int day = record.julianDay;
  if (!SearchDeletedPrefix(name, searchText, day, task_, head) &&
      !SearchSharedPrefix(name, searchText, day, task_, head) &&
      !SearchPrefix(name, searchText, day, task_, head)) {
    record.prefix[0] = '\0';
    return false;
  }
  CountryRecord country{};
  std::memcpy(&country, head, kCountryHeadSize);
  country.prefix[sizeof country.prefix - 1] = '\0';
  country.name[sizeof country.name - 1] = '\0';
  country.continent[sizeof country.continent - 1] = '\0';
  putField(record.prefix, country.prefix);
  putField(record.continent, country.continent);
  putField(record.qth, country.name);
  record.cqZone = static_cast<uint16_t>(country.cqZone);
  record.ituZone = static_cast<uint16_t>(country.ituZone);
  return record.prefix[0] != '\0';
}

int PrefixServices::bandOf(double megahertz) { return GetBand(megahertz); }

long PrefixServices::findCounty(const char* state, const char* county) {
  // Each look-up in the county database, a database of its own outside the
  // import's transaction, takes and releases its file locks.
  countyKey_.assign(state);
  countyKey_ += ',';
  countyKey_ += county;
  if (auto at = counties_.find(countyKey_); at != counties_.end()) return at->second;
  const long address = FindCounty(task_, state, county);
  if (counties_.size() < kCountiesKept) counties_.emplace(countyKey_, address);
  return address;
}

}  // namespace ksimport
