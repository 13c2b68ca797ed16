#include "tally.h"

#include <array>
#include <cstring>
#include <string>
#include <unordered_map>

#include "base/fields.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"

namespace kstally {
namespace {

using ksbase::fieldText;

// Band positions of the country, zone and state tallies, and of the grids.
constexpr int kBands[14] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2, 220, 432, 902};
constexpr int kGridBands[10] = {6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000};

int positionOf(const int* bands, int count, int band) {
  for (int i = 0; i < count; ++i)
    if (bands[i] == band) return i;
  return -1;
}

const char* const kStates[50] = {
    "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "FL", "GA", "HI", "IA", "ID",
    "IL", "IN", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT",
    "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI",
    "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};

// Award slots of the status bytes: worked at 2 x slot, confirmed after it.
enum Slot { kAll = 0, kCw = 1, kPhone = 2, kFsk = 3, kSatellite = 4 };

struct Marks {
  std::array<std::uint8_t, 10> flags{};
  std::array<std::int16_t, 14> worked{}, confirmed{};

  void mark(int slot, bool c) {
    flags[2 * slot] = 1;
    if (c) flags[2 * slot + 1] = 1;
  }
  void markBand(int position, bool c) {
    if (position < 0) return;
    worked[position] = 1;
    if (c) confirmed[position] = 1;
  }
};

// Mode families of a mode word, worked out once per word.
struct Families {
  bool cw, phone, ssb, fsk;
};

std::uint64_t packed(const char* text, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width && i < 8 && text[i] != '\0'; ++i)
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  return value;
}

template <class Tally>
bool applyMarks(Tally& tally, const Marks* marks) {
  static const Marks empty;
  const Marks& m = marks != nullptr ? *marks : empty;
  bool changed = false;
  if constexpr (requires { tally.awardFlags; }) {
    changed = std::memcmp(tally.awardFlags, m.flags.data(), 10) != 0;
    std::memcpy(tally.awardFlags, m.flags.data(), 10);
  }
  changed = changed ||
            std::memcmp(tally.bandWorked, m.worked.data(), sizeof tally.bandWorked) != 0 ||
            std::memcmp(tally.bandConfirmed, m.confirmed.data(), sizeof tally.bandConfirmed) != 0;
  std::memcpy(tally.bandWorked, m.worked.data(), sizeof tally.bandWorked);
  std::memcpy(tally.bandConfirmed, m.confirmed.data(), sizeof tally.bandConfirmed);
  return changed;
}

class Upkeep {
 public:
  explicit Upkeep(DB_TASK* task) : task_(task) {
    cwFrom_ = CalcJulianDate("01-01-75");
    satFrom_ = CalcJulianDate("01-01-65");
    cqSatFrom_ = CalcJulianDate("01-01-89");
  }

  int count(Summary& summary) {
    for (int rc = dbRecordFirst(kLogRecordType, task_, 0); rc != RECDB_END;
         rc = dbRecordNext(task_, 0)) {
      if (rc != RECDB_OK) return rc == RECDB_NOTFOUND ? RECDB_OK : rc;
      LogRecord r{};
      if (int read = dbRecordRead(&r, task_, 0); read != RECDB_OK) return read;
      take(r);
      ++summary.contacts;
    }
    return RECDB_OK;
  }

  int write(Summary& summary) {
    if (int rc = writeCountries(summary); rc != RECDB_OK) return rc;
    if (int rc = writeZones(summary); rc != RECDB_OK) return rc;
    if (int rc = writeStates(summary); rc != RECDB_OK) return rc;
    return writeGrids(summary);
  }

 private:
  const Families& familiesOf(const char* mode) {
    const std::uint64_t key = packed(mode, 5);
    auto found = families_.find(key);
    if (found != families_.end()) return found->second;
    const std::string word = fieldText(mode, 5);
    Families f{isCW(word.c_str()) != 0, isPhone(word.c_str()) != 0, isSSB(word.c_str()) != 0,
               isFSK(word.c_str()) != 0};
    return families_.emplace(key, f).first->second;
  }

  bool confirmedOf(const char* qslRcvd) {
    const unsigned char letter = static_cast<unsigned char>(qslRcvd[0]);
    if (confirmedKnown_[letter] == 0) {
      const std::string text = fieldText(qslRcvd, 2);
      confirmedKnown_[letter] = isConfirmed(text.c_str()) ? 2 : 1;
    }
    return confirmedKnown_[letter] == 2;
  }

  bool usPrefix(std::uint64_t prefix, const char* text) {
    auto found = usa_.find(prefix);
    if (found != usa_.end()) return found->second;
    const std::string word = fieldText(text, 6);
    return usa_.emplace(prefix, isUSA(word.c_str()) != 0).first->second;
  }

  void take(const LogRecord& r) {
    const Families& f = familiesOf(r.mode);
    const bool c = confirmedOf(r.qslRcvd);
    const bool satellite = r.satId[0] != '\0';
    const int position = positionOf(kBands, 14, r.band);
    const std::uint64_t prefix = packed(r.prefix, sizeof r.prefix);

    if (r.prefix[0] != '\0') {
      Marks& m = countries_[prefix];
      m.mark(kAll, c);
      if (f.cw && r.julianDay >= cwFrom_) m.mark(kCw, c);
      if (f.phone) m.mark(kPhone, c);
      if (f.fsk) m.mark(kFsk, c);
      if (satellite && r.julianDay >= satFrom_) m.mark(kSatellite, c);
      m.markBand(position, c);
    }
    if (r.cqZone >= 1 && r.cqZone <= 40) {
      Marks& m = zones_[r.cqZone - 1];
      m.mark(kAll, c);
      if (f.cw) m.mark(kCw, c);
      if (f.ssb) m.mark(kPhone, c);
      if (f.fsk) m.mark(kFsk, c);
      if (satellite && r.julianDay >= cqSatFrom_) m.mark(kSatellite, c);
      m.markBand(position, c);
    }
    const std::string state = fieldText(r.state, 2);
    if (state.size() == 2 && usPrefix(prefix, r.prefix) && isState(state.c_str())) {
      Marks& m = states_[packed(r.state, 2)];
      m.mark(kAll, c);
      if (f.cw) m.mark(kCw, c);
      if (f.ssb) m.mark(kPhone, c);
      if (f.fsk) m.mark(kFsk, c);
      if (satellite && r.julianDay >= satFrom_) m.mark(kSatellite, c);
      m.markBand(position, c);
    }
    if (r.grid[0] != '\0' && isVHFUHF(r.band)) {
      Marks& m = grids_[fieldText(r.grid, 6)];
      m.markBand(positionOf(kGridBands, 10, r.band), c);
    }
  }

  // Rewrites each record of `type`; `marksOf` gives the marks for a record
  // (null: none). Returns the engine's result.
  template <class Tally, class MarksOf>
  int rewrite(int type, MarksOf marksOf, int& written) {
    for (int rc = dbRecordFirst(type, task_, 0); rc != RECDB_END; rc = dbRecordNext(task_, 0)) {
      if (rc != RECDB_OK) return rc == RECDB_NOTFOUND ? RECDB_OK : rc;
      Tally tally{};
      if (int read = dbRecordRead(&tally, task_, 0); read != RECDB_OK) return read;
      if (applyMarks(tally, marksOf(tally))) {
        if (int w = dbRecordWrite(&tally, task_, 0); w != RECDB_OK) return w;
      }
      ++written;
    }
    return RECDB_OK;
  }

  int writeCountries(Summary& summary) {
    return rewrite<CountryTally>(
        kCountryTallyType,
        [&](const CountryTally& t) -> const Marks* {
          auto found = countries_.find(packed(t.prefix, 6));
          return found != countries_.end() ? &found->second : nullptr;
        },
        summary.countries);
  }

  int writeZones(Summary& summary) {
    for (std::int16_t zone = 1; zone <= 40; ++zone) {
      if (dbKeyFind(logfield::kZoneTallyZone, &zone, task_, 0) == RECDB_OK) continue;
      ZoneTally tally{};
      tally.zone = zone;
      if (int rc = dbRecordCreate(kZoneTallyType, &tally, task_, 0); rc != RECDB_OK) return rc;
      ++summary.created;
    }
    return rewrite<ZoneTally>(
        kZoneTallyType,
        [&](const ZoneTally& t) -> const Marks* {
          return t.zone >= 1 && t.zone <= 40 ? &zones_[t.zone - 1] : nullptr;
        },
        summary.zones);
  }

  int writeStates(Summary& summary) {
    for (const char* code : kStates) {
      char key[4] = {code[0], code[1], '\0', '\0'};
      if (dbKeyFind(logfield::kStateTallyState, key, task_, 0) == RECDB_OK) continue;
      StateTally tally{};
      std::memcpy(tally.state, key, sizeof key);
      if (int rc = dbRecordCreate(kStateTallyType, &tally, task_, 0); rc != RECDB_OK) return rc;
      ++summary.created;
    }
    return rewrite<StateTally>(
        kStateTallyType,
        [&](const StateTally& t) -> const Marks* {
          auto found = states_.find(packed(t.state, 2));
          return found != states_.end() && strnlen(t.state, 4) == 2 ? &found->second : nullptr;
        },
        summary.states);
  }

  int writeGrids(Summary& summary) {
    for (const auto& [grid, marks] : grids_) {
      char key[6] = {};
      std::memcpy(key, grid.data(), grid.size() < 6 ? grid.size() : 6);
      if (dbKeyFind(logfield::kGridTallyGrid, key, task_, 0) == RECDB_OK) continue;
      GridTally tally{};
      std::memcpy(tally.grid, key, sizeof key);
      if (int rc = dbRecordCreate(kGridTallyType, &tally, task_, 0); rc != RECDB_OK) return rc;
      ++summary.created;
    }
    return rewrite<GridTally>(
        kGridTallyType,
        [&](const GridTally& t) -> const Marks* {
          auto found = grids_.find(fieldText(t.grid, 6));
          return found != grids_.end() ? &found->second : nullptr;
        },
        summary.grids);
  }

  DB_TASK* task_;
  int cwFrom_, satFrom_, cqSatFrom_;
  std::unordered_map<std::uint64_t, Families> families_;
  std::array<std::uint8_t, 256> confirmedKnown_{};
  std::unordered_map<std::uint64_t, bool> usa_;
  std::unordered_map<std::uint64_t, Marks> countries_;
  std::array<Marks, 40> zones_{};
  std::unordered_map<std::uint64_t, Marks> states_;
  std::unordered_map<std::string, Marks> grids_;
};

}  // namespace

int recomputeTallies(DB_TASK* task, Summary* summary) {
  if (task == nullptr) return RECDB_E_ARG;
  Summary local;
  Summary& s = summary != nullptr ? *summary : local;
  s = Summary{};
  try {
    Upkeep upkeep(task);
    void* position = nullptr;
    int size = 0;
    if (dbCurrencySave(&position, &size, task, 0) != RECDB_OK) position = nullptr;
    int rc = upkeep.count(s);
    if (rc == RECDB_OK) rc = upkeep.write(s);
    if (position != nullptr) dbCurrencyRestore(position, task, 0);
    return rc;
  } catch (...) {
    return RECDB_E_IO;
  }
}

}  // namespace kstally
