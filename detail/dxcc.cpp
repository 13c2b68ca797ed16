// DXCC: one row per country of the country database, the countries still
// needed, and DXCC 2000.
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "internal.h"
#include "funct/ksfunct.h"
#include "winlayer/winlayer.h"

namespace ksdetail {
namespace {

constexpr int kCountryDb = 1;
constexpr int kFirstDay2000 = 36160, kLastDay2000 = 36525;

enum class Award { Mixed, Phone, Cw, Fsk, Satellite, Band };

struct AwardInfo {
  Award award;
  const char* title;
  int neededIndex;
};

bool awardOf(int type, AwardInfo& info) {
  switch (type) {
    case 200: info = {Award::Mixed, "DXCC Mixed", 0}; return true;
    case 201: info = {Award::Phone, "DXCC Phone", 2}; return true;
    case 202: info = {Award::Cw, "DXCC CW", 1}; return true;
    case 203: info = {Award::Fsk, "DXCC FSK/RTTY", 3}; return true;
    case 206: info = {Award::Satellite, "DXCC Satellite", 4}; return true;
    default: return false;
  }
}

struct Country {
  CountryRecord record{};
  char prefix[6] = {};  // as the contacts hold it
};

// Every country record of database 1 in record order, or until cancelled.
template <class Each>
void eachCountry(DB_TASK* task, Each each) {
  for (int rc = dbRecordFirst(kCountryRecordType, task, kCountryDb); rc == 0;
       rc = dbRecordNext(task, kCountryDb)) {
    Country country;
    if (dbRecordRead(&country.record, task, kCountryDb) != 0) continue;
    copyField(country.prefix, country.record.prefix);
    if (!each(country)) break;
  }
  dbSelect(0, task);
}

void completeRow(DetailRow& row, const CountryRecord& country) {
  copyField(row.prefix, country.prefix);
  copyField(row.country, country.name);
  copyField(row.status, country.status);
}

void applySort(int sortOrder) {
  if (sortOrder == 5001) sortByKeys(15, 1);
  if (sortOrder == 5000) sortByKeys(10, 11, 1, true);
}

bool sameText(const char* a, const char* b, std::size_t n) { return std::strncmp(a, b, n) == 0; }

// A prefix as one number, its characters up to the first NUL (at most six):
// contacts and countries match when their numbers are equal.
std::uint64_t prefixCode(const char* text, std::size_t width) {
  std::uint64_t code = 0;
  std::memcpy(&code, text, strnlen(text, std::min<std::size_t>(width, 6)));
  return code;
}

// One row per country: the contacts of each country chosen as the award
// asks. A band award walks the band's contacts of each country through
// key 42 (a twelfth of the log or so); the others read the whole log once
// in record order and hand each contact to its country.
int awardReport(Computation& c, DB_TASK* task, const AwardInfo& info, int band, int variant,
                int sortOrder) {
  const int cwFrom = dayOf("01-01-75"), satelliteFrom = dayOf("01-01-65");
  const bool year2000 = variant == 309 && info.award != Award::Band;
  const bool modeAward = info.award != Award::Mixed && info.award != Award::Band;
  auto passes = [&](const LogRecord& r) {
    if (year2000 && (r.julianDay < kFirstDay2000 || r.julianDay > kLastDay2000)) return false;
    if (!modeAward) return true;
    char mode[sizeof r.mode + 1];
    copyField(mode, r.mode);
    switch (info.award) {
      case Award::Phone: return isPhone(mode) != 0;
      case Award::Fsk: return isFSK(mode) != 0;
      case Award::Cw: return isCW(mode) != 0 && r.julianDay >= cwFrom;
      case Award::Satellite: return r.satId[0] != '\0' && r.julianDay >= satelliteFrom;
      default: return true;
    }
  };
  auto tagOf = [&](const LogRecord& r) -> int {
    return info.award == Award::Mixed  ? r.dxccFlag
           : info.award == Award::Band ? r.dxccBandFlag
                                       : r.dxccModeFlag;
  };
  auto finish = [&](const Country& country, DetailRow& row, const Selection& s) {
    completeRow(row, country.record);
    if (!admits(variant, s, row, modeAward)) return false;
    appendRow(row);
    return true;
  };
  int count = 0;
  if (info.award == Award::Band) {
    const std::uint16_t code = static_cast<std::uint16_t>(band);
    eachCountry(task, [&](const Country& country) {
      DetailRow row;
      clearRow(row);
      Selection s(row);
      char key[8] = {};
      std::memcpy(key, &code, 2);
      std::memcpy(key + 2, country.prefix, 6);
      const bool going = walkKey(
          c, task, logfield::kBandPrefix, key,
          [&](const LogRecord& r) {
            return r.band == code && sameText(r.prefix, country.prefix, sizeof country.prefix);
          },
          [&](const LogRecord& r, DB_ADDR address) {
            if (passes(r)) s.take(r, address, tagOf(r));
          });
      if (!going) return false;  // a country cut short gives no row
      if (finish(country, row, s)) ++count;
      return !c.cancelled();
    });
    applySort(sortOrder);
    return count;
  }

  std::vector<Country> countries;
  eachCountry(task, [&](const Country& country) {
    countries.push_back(country);
    return true;
  });
  std::vector<DetailRow> rows(countries.size());
  std::vector<Selection> selections;
  selections.reserve(countries.size());
  // Countries by prefix; more than one country may hold a prefix, and each
  // takes the contact.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::unordered_map<std::uint64_t, std::size_t> byPrefix;
  std::vector<std::size_t> samePrefix(countries.size(), kNone);
  for (std::size_t i = 0; i < countries.size(); ++i) {
    clearRow(rows[i]);
    selections.emplace_back(rows[i]);
    auto [at, added] = byPrefix.try_emplace(
        prefixCode(countries[i].prefix, sizeof countries[i].prefix), i);
    if (!added) {
      samePrefix[i] = at->second;
      at->second = i;
    }
  }
  const bool whole = scanContacts(c, task, [&](const LogRecord& r, DB_ADDR address) {
    auto found = byPrefix.find(prefixCode(r.prefix, sizeof r.prefix));
    if (found == byPrefix.end() || !passes(r)) return;
    const int tag = tagOf(r);
    for (std::size_t i = found->second; i != kNone; i = samePrefix[i])
      selections[i].take(r, address, tag);
  });
  if (!whole) return 0;  // every country was cut short: no rows
  for (std::size_t i = 0; i < countries.size(); ++i)
    if (finish(countries[i], rows[i], selections[i])) ++count;
  applySort(sortOrder);
  return count;
}

// DXCC 2000: per country, the first contact of 2000 (in day order) with
// the country's prefix. The year's contacts are read once, in that order.
int year2000Report(Computation& c, DB_TASK* task, int sortOrder) {
  std::map<std::string, std::pair<LogRecord, DB_ADDR>> first;
  for (int day = kFirstDay2000; day <= kLastDay2000 && !c.cancelled(); ++day) {
    const std::int32_t key = day;
    walkKey(
        c, task, logfield::kJulianDay, &key,
        [&](const LogRecord& r) { return r.julianDay == day; },
        [&](const LogRecord& r, DB_ADDR address) {
          first.try_emplace(fieldText(r.prefix), r, address);
        });
  }
  int count = 0;
  eachCountry(task, [&](const Country& country) {
    if (c.cancelled()) return false;
    DetailRow row;
    clearRow(row);
    row.marker[0] = '-';
    auto found = first.find(fieldText(country.prefix));
    if (found != first.end()) {
      Selection s(row);
      s.take(found->second.first, found->second.second, 0);
      row.marker[0] = '*';
      ++count;
    }
    completeRow(row, country.record);
    appendRow(row);
    return true;
  });
  applySort(sortOrder);
  return count;
}

// The countries still needed: active ones whose tally says not worked.
int neededList(Computation& c, DB_TASK* task, int neededIndex, bool band) {
  int count = 0;
  for (int rc = dbRecordFirst(kCountryTallyType, task, 0); rc == 0 && c.step();
       rc = dbRecordNext(task, 0)) {
    CountryTally tally{};
    if (dbRecordRead(&tally, task, 0) != 0) continue;
    const bool worked = band ? tally.bandWorked[neededIndex] != 0
                             : tally.awardFlags[2 * neededIndex] == 1;
    if (worked) continue;
    char key[7] = {};
    copyField(key, sizeof key, tally.prefix, sizeof tally.prefix);
    CountryRecord country{};
    const bool found = dbKeyFind(reffield::kCountryPrefix, key, task, kCountryDb) == 0 &&
                       dbRecordRead(&country, task, kCountryDb) == 0;
    dbSelect(0, task);
    if (!found || fieldText(country.status) != "A") continue;
    DetailRow row;
    clearRow(row);
    completeRow(row, country);
    appendRow(row);
    ++count;
  }
  sortByKeys(1);
  return count;
}

}  // namespace

int dxccAward(HWND owner, DB_TASK* task, int awardType, int band, int variant, int sortOrder) {
  State& s = state();
  defineTable(Layout::Dxcc);
  s.kind = kDxcc;
  AwardInfo info{};
  std::string title;
  if (band >= 0) {
    const int index = bandIndex(band);
    if (index < 0) return 0;
    info = {Award::Band, "", index};
    char text[32];
    std::snprintf(text, sizeof text, "%d Meter DXCC", band);
    title = text;
  } else {
    if (!awardOf(awardType, info)) return 0;
    title = info.title;
    if (awardType == 200 && variant == 309) title = "DXCC 2000";
  }
  setTitle(title, variant);
  int count = 0;
  bool cancelled = false;
  {
    Computation c(owner, task);
    if (variant == 302)
      count = neededList(c, task, info.neededIndex, info.award == Award::Band);
    else if (awardType == 200 && variant == 309 && band < 0)
      count = year2000Report(c, task, sortOrder);
    else
      count = awardReport(c, task, info, band, variant, sortOrder);
    appendTotals(count);
    cancelled = c.cancelled();
  }
  return cancelled ? 0 : 1;
}

}  // namespace ksdetail
