// The prefix library's exports: loading the country database into the
// tables, seeding the logbook's tallies, and the searches over the tables.
#include "ksprefix.h"

#include "base/cabi.h"
#include "base/fields.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "exports_internal.h"
#include "search.h"
#include "strings.h"
#include "winlayer/winlayer.h"

#include <array>
#include <cstring>
#include <new>
#include <unordered_map>

namespace ksprefix {

namespace {

constexpr int kLogbookDb = 0;
constexpr int kCountryDb = 1;
constexpr int kIotaDb = 5;

const char* const kStates[50] = {
    "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "FL", "GA", "HI", "ID", "IL",
    "IN", "IA", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT",
    "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI",
    "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};

// The country records, read once at load: the searches take their
// candidates from here instead of asking the database for each.
class CountryCache : public RecordReader {
 public:
  void clear() { records_.clear(); }
  void add(const CountryRecord& record) {
    std::array<char, sizeof(CountryRecord)> bytes;
    std::memcpy(bytes.data(), &record, sizeof record);
    records_.emplace(std::string(recordText(bytes.data(), kPrefixOffset, kPrefixSize)), bytes);
  }
  const char* read(std::string_view key) override {
    const auto at = records_.find(key);
    return at == records_.end() ? nullptr : at->second.data();
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, std::array<char, sizeof(CountryRecord)>, Hash, std::equal_to<>>
      records_;
};

// Reads candidates from a database of the task (the IOTA database).
class DatabaseReader : public RecordReader {
 public:
  DatabaseReader(DB_TASK* task, int db) : task_(task), db_(db) {}
  const char* read(std::string_view key) override {
    char value[sizeof(CountryRecord::prefix)] = {};
    std::memcpy(value, key.data(), std::min(key.size(), sizeof value - 1));
    record_ = {};
    if (dbKeyFind(reffield::kCountryPrefix, value, task_, db_) != 0) return nullptr;
    if (dbRecordRead(&record_, task_, db_) != 0) return nullptr;
    return reinterpret_cast<const char*>(&record_);
  }

 private:
  DB_TASK* task_;
  int db_;
  IotaRecord record_{};
};

struct State {
  CountryTables tables;
  CountryCache cache;
  bool loaded = false;
  int failAllocation = 0;  // test hook: the table id whose allocation fails
};

State& state() {
  static State s;
  return s;
}

// Key tests of the equal-length rule: is `text` a record key in `db`?
// The database's position is kept.
bool isKeyIn(DB_TASK* task, int db, const std::string& text) {
  void* block = nullptr;
  int size = 0;
  const bool saved = dbCurrencySave(&block, &size, task, db) == 0;
  dbSelect(db, task);
  char value[sizeof(CountryRecord::prefix)] = {};
  std::memcpy(value, text.data(), std::min(text.size(), sizeof value - 1));
  const bool found = text.size() < sizeof value &&
                     dbKeyFind(reffield::kCountryPrefix, value, task, db) == 0;
  if (saved) dbCurrencyRestore(block, task, db);
  dbSelect(kLogbookDb, task);
  return found;
}

// `oneLetter`: a single letter in front of "/" is the prefix when the
// tables list it (the country search; the IOTA search keeps the older rule).
char* prefixExport(char* out, const char* callsign, DB_TASK* task, int db, bool oneLetter) {
  const PrefixTable& plain = state().tables.plain;
  const std::string text = prefixOf(
      callsign ? callsign : "", [&](const std::string& t) { return isKeyIn(task, db, t); },
      [&](const std::string& t) { return oneLetter && !plain.find(t).empty(); });
  std::memcpy(out, text.c_str(), text.size() + 1);
  return out;
}

// Allocates the six tables in the load's order; the id of the first that
// fails, or 0.
int allocateTables(State& s) {
  static constexpr int order[] = {kPrefixTableId,     kAlternateTable,     kSharedPrefixTable,
                                  kSharedAlternateTable, kDeletedPrefixTable, kDeletedAlternateTable};
  for (int id : order) {
    try {
      if (s.failAllocation == id) throw std::bad_alloc();
      switch (id) {
        case kPrefixTableId: s.tables.plain.reserveSlots(); break;
        case kAlternateTable: s.tables.plain.reserveTexts(); break;
        case kSharedPrefixTable: s.tables.shared.reserveSlots(); break;
        case kSharedAlternateTable:
          s.tables.shared.reserveTexts();
          s.tables.sharedCondition.reserve(kMaxSharedEntries);
          s.tables.sharedDay.reserve(kMaxSharedEntries);
          break;
        case kDeletedPrefixTable: s.tables.deleted.reserveSlots(); break;
        case kDeletedAlternateTable: s.tables.deleted.reserveTexts(); break;
      }
    } catch (const std::bad_alloc&) {
      return id;
    }
  }
  return 0;
}

template <class Tally>
void seedTally(DB_TASK* task, long field, const void* value, int type, const Tally& tally) {
  if (dbKeyFind(field, value, task, kLogbookDb) == RECDB_NOTFOUND)
    dbRecordCreate(type, &tally, task, kLogbookDb);
}

void clearOut(char* name, char* buffer, std::size_t size) {
  if (name) name[0] = '\0';
  if (buffer) std::memset(buffer, 0, size);
}

std::string_view searchText(const char* text) {
  return text ? std::string_view(text).substr(0, kMaxText) : std::string_view();
}

}  // namespace

void failTableAllocation(int tableId) { state().failAllocation = tableId; }

}  // namespace ksprefix

using namespace ksprefix;

extern "C" {

int OpenCountryDb(HWND owner, const char* name, DB_TASK* task, int* activeCount,
                  int* deletedCount, char* countryHead) {
  const int loaded = ksbase::guarded(0, [&] {
    State& s = state();
    s.tables.clear();
    s.cache.clear();
    s.loaded = false;
    if (countryHead) std::memset(countryHead, 0, kHeadSize);
    if (const int failed = allocateTables(s)) {
      MessageBox(owner, loadString(failed).c_str(), nullptr, MB_OK | MB_ICONERROR);
      return 0;
    }
    if (!name || dbOpenAdd(name, task) != 0) return 0;
    WaitCursor(owner, 1);

    for (int rc = dbRecordFirst(kCountryRecordType, task, kCountryDb); rc == 0;
         rc = dbRecordNext(task, kCountryDb)) {
      CountryRecord record{};
      if (dbRecordRead(&record, task, kCountryDb) != 0) continue;
      void* block = nullptr;
      int size = 0;
      const bool saved = dbCurrencySave(&block, &size, task, kCountryDb) == 0;
      dbSelect(kLogbookDb, task);
      const char* bytes = reinterpret_cast<const char*>(&record);
      const std::string_view status = recordText(bytes, kStatusOffset, kStatusSize);
      if (status != "I") {
        CountryTally tally{};
        ksbase::putField(tally.prefix, recordText(bytes, kPrefixOffset, kPrefixSize));
        ksbase::putField(tally.status, status);
        seedTally(task, logfield::kCountryTallyPrefix, tally.prefix, kCountryTallyType, tally);
      }
      dbSelect(kCountryDb, task);
      if (saved) dbCurrencyRestore(block, task, kCountryDb);
      s.tables.addRecord(bytes, CalcJulianDate);
      s.cache.add(record);
    }
    dbSelect(kLogbookDb, task);
    for (int zone = 1; zone <= 40; ++zone) {
      ZoneTally tally{};
      tally.zone = static_cast<std::int16_t>(zone);
      seedTally(task, logfield::kZoneTallyZone, &tally.zone, kZoneTallyType, tally);
    }
    for (const char* code : kStates) {
      StateTally tally{};
      ksbase::putField(tally.state, code);
      seedTally(task, logfield::kStateTallyState, tally.state, kStateTallyType, tally);
    }
    WaitCursor(owner, 0);
    if (activeCount) *activeCount = s.tables.activeCount;
    if (deletedCount) *deletedCount = s.tables.deletedCount;
    s.loaded = true;
    return 1;
  });
  if (!loaded) WaitCursor(owner, 0);
  return loaded;
}

int CloseCountryDb(DB_TASK*) {
  State& s = state();
  s.tables.release();
  s.cache.clear();
  s.loaded = false;
  return 1;
}

char* GetPrefix(char* out, const char* callsign, DB_TASK* task) {
  char* found = ksbase::guarded<char*>(
      nullptr, [&] { return prefixExport(out, callsign, task, kCountryDb, true); });
  if (found == nullptr) out[0] = '\0';
  return out;
}

int SearchPrefix(char* countryName, const char* text, int day, DB_TASK* task, char* countryHead) {
  return ksbase::guarded(0, [&] {
    clearOut(countryName, countryHead, kHeadSize);
    State& s = state();
    const std::string_view t = searchText(text);
    const char* record = nullptr;
    if (s.loaded) {
      if (isKc6Special(t)) record = s.cache.read("K");
      if (!record) record = searchPlain(s.tables.plain, t, day, s.cache, CalcJulianDate);
    }
    if (task) dbSelect(kLogbookDb, task);
    if (!record) return 0;
    fillHead(record, t, countryHead, countryName);
    return 1;
  });
}

int SearchSharedPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                       char* countryHead) {
  return ksbase::guarded(0, [&] {
    clearOut(countryName, countryHead, kHeadSize);
    State& s = state();
    const std::string_view t = searchText(text);
    const char* record = s.loaded ? searchShared(s.tables, t, day, s.cache) : nullptr;
    if (task) dbSelect(kLogbookDb, task);
    if (!record) return 0;
    fillHead(record, t, countryHead, countryName);
    return 1;
  });
}

int SearchDeletedPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                        char* countryHead) {
  return ksbase::guarded(0, [&] {
    clearOut(countryName, countryHead, kHeadSize);
    State& s = state();
    const std::string_view t = searchText(text);
    DeletedAnswer answer{0, nullptr};
    if (s.loaded) answer = searchDeleted(s.tables.deleted, t, day, s.cache, CalcJulianDate);
    if (task) dbSelect(kLogbookDb, task);
    if (answer.record) fillHead(answer.record, t, countryHead, countryName);
    return answer.result;
  });
}

int isPrefix(int, const char* prefix, DB_TASK* task) {
  if (!prefix) return 0;
  char value[sizeof(CountryRecord::prefix)] = {};
  const std::string_view text(prefix);
  if (text.size() >= sizeof value) return 0;
  std::memcpy(value, text.data(), text.size());
  dbSelect(kCountryDb, task);
  const bool found = dbKeyFind(reffield::kCountryPrefix, value, task, kCountryDb) == 0;
  dbSelect(kLogbookDb, task);
  return found ? 1 : 0;
}

int GetBand(double megahertz) { return bandOf(megahertz); }

int CorrectZone(const char* countryHead, const char* text, int zone) {
  if (!countryHead) return zone;
  return correctZone(recordText(countryHead, kPrefixOffset, kPrefixSize), text ? text : "", zone);
}

int CorrectITUZone(const char* countryHead, const char* text, int zone) {
  if (!countryHead) return zone;
  return correctItuZone(recordText(countryHead, kPrefixOffset, kPrefixSize), text ? text : "",
                        zone);
}

char* GetIotaPrefix(char* out, const char* callsign, DB_TASK* task) {
  char* found = ksbase::guarded<char*>(
      nullptr, [&] { return prefixExport(out, callsign, task, kIotaDb, false); });
  if (found == nullptr) out[0] = '\0';
  return out;
}

int SearchIotaPrefix(char* countryName, const char* text, int day, DB_TASK* task,
                     char* record586) {
  return ksbase::guarded(0, [&] {
    clearOut(countryName, record586, kIotaRecordSize);
    State& s = state();
    const std::string_view t = searchText(text);
    dbSelect(kIotaDb, task);
    DatabaseReader reader(task, kIotaDb);
    const char* record = nullptr;
    if (s.loaded) {
      if (isKc6Special(t)) record = reader.read("K");
      if (!record) record = searchPlain(s.tables.plain, t, day, reader, CalcJulianDate);
    }
    dbSelect(kLogbookDb, task);
    if (!record) return 0;
    if (record586) {
      std::memcpy(record586, record, kIotaRecordSize);
      fillHead(record, t, record586, countryName);
    } else {
      fillHead(record, t, nullptr, countryName);
    }
    return 1;
  });
}

}  // extern "C"
