#include <cstdio>
#include <vector>

#include "base/cabi.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "kskeybld.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace kskeybld {

namespace {

constexpr int kDb = 0;
constexpr long kProgressEvery = 5000;

// The keys of each logbook record type, in a fixed order (bit i of a mask).
struct TypeKeys {
  int type;
  std::vector<long> keys;
};

const std::vector<TypeKeys>& logbookKeys() {
  static const std::vector<TypeKeys> types = [] {
    std::vector<TypeKeys> out;
    std::vector<long> contact(std::begin(logfield::kAutomaticKeys),
                              std::end(logfield::kAutomaticKeys));
    contact.insert(contact.end(), std::begin(logfield::kOptionalKeys),
                   std::end(logfield::kOptionalKeys));
    out.push_back({kLogRecordType, contact});
    out.push_back({kLogHeaderType, {logfield::kHeaderMarker}});
    out.push_back({kCountryTallyType, {logfield::kCountryTallyPrefix}});
    out.push_back({kZoneTallyType, {logfield::kZoneTallyZone}});
    out.push_back({kStateTallyType, {logfield::kStateTallyState}});
    out.push_back({kGridTallyType, {logfield::kGridTallyGrid}});
    return out;
  }();
  return types;
}

// Whether a contact belongs in key `field` by the rules the suite stores
// optional keys under; automatic keys always.
bool belongs(const LogRecord& r, long field) {
  switch (field) {
    case logfield::kState:
    case logfield::kBandState:
    case logfield::kStateMode:
      return isUSA(r.prefix) && isState(r.state);
    case logfield::kGrid:
    case logfield::kBandGrid:
      return r.grid[0] != '\0' && isVHFUHF(r.band);
    case logfield::kCountyNumber:
      return r.countyNumber > 0;
    case logfield::kTagged:
      return r.tagged != 0;
    default:
      return true;
  }
}

// By record type and key (in the order of logbookKeys()), the rows of the
// records that have an entry in the key.
using Holders = std::vector<std::vector<std::vector<bool>>>;

// Checks every key of the logbook against the records: each record must be
// in each key it belongs in, once, and nothing else may be. One pass over
// the records and one over each key; nothing is written. Counts the entries
// that point at no record into `report`, and says whether all is sound.
int checkKeys(DB_TASK* task, Report& report, Holders& held, bool& sound,
              const std::function<void(const char*, long)>& progress) {
  long wrong = 0;  // missing entries and entries against the rules
  for (const TypeKeys& t : logbookKeys()) {
    held.emplace_back(t.keys.size());
    // The rows of the records, and by key the rows of those that belong in it.
    std::vector<bool> present;
    std::vector<std::vector<bool>> required(t.keys.size());
    std::vector<long> count(t.keys.size(), 0);
    int file = -1;
    int rc = dbRecordFirst(t.type, task, kDb);
    for (; rc == RECDB_OK; rc = dbRecordNext(task, kDb)) {
      DB_ADDR address = 0;
      LogRecord contact{};
      if ((rc = dbCurrentGet(&address, task, kDb)) != RECDB_OK) return rc;
      if (t.type == kLogRecordType && (rc = dbRecordRead(&contact, task, kDb)) != RECDB_OK)
        return rc;
      file = static_cast<int>(static_cast<std::uint32_t>(address) >> 24);
      std::size_t row = address & 0xFFFFFF;
      if (present.size() <= row) present.resize(row + 1 + row / 2);
      present[row] = true;
      for (std::size_t i = 0; i < t.keys.size(); ++i) {
        if (t.type == kLogRecordType && !belongs(contact, t.keys[i])) continue;
        if (required[i].size() <= row) required[i].resize(present.size());
        required[i][row] = true;
        ++count[i];
      }
      ++report.records;
      if (progress && report.records % kProgressEvery == 0) progress("checking", report.records);
    }
    if (rc != RECDB_END) return rc;
    for (std::size_t i = 0; i < t.keys.size(); ++i) {
      std::vector<bool>& seen = held.back()[i];
      seen.assign(present.size(), false);
      long found = 0;
      rc = recdb::keyAddresses(task, kDb, t.keys[i], [&](DB_ADDR address) {
        std::size_t row = address & 0xFFFFFF;
        if (static_cast<int>(static_cast<std::uint32_t>(address) >> 24) != file ||
            row >= present.size() || !present[row] || seen[row]) {
          ++report.stray;
        } else {
          seen[row] = true;
          bool belongs = row < required[i].size() && required[i][row];
          found += belongs;
          wrong += !belongs;
        }
      });
      if (rc != RECDB_OK) return rc;
      wrong += count[i] - found;
    }
  }
  if (progress) progress("checking", report.records);
  sound = wrong == 0 && report.stray == 0;
  return RECDB_OK;
}

}  // namespace

std::string Report::text() const {
  if (!rebuilt)
    return "The keys of all " + std::to_string(records) + " records are whole; nothing was rebuilt.";
  char text[512];
  std::snprintf(text, sizeof text,
                "Keys rebuilt for %ld records.\n%ld missing key entries restored.\n"
                "%ld key entries removed that broke the rules.",
                records, restored, removed);
  std::string out = text;
  if (stray != 0)
    out += "\n" + std::to_string(stray) +
           " key entries removed that pointed at no record, or at one already in the key.";
  if (refused != 0)
    out += "\n" + std::to_string(refused) +
           " records hold a value that an earlier record holds in a unique key and "
           "were left out of it.";
  return out;
}

Report rebuild(DB_TASK* task, const std::function<void(const char*, long)>& progress) {
  Report report;
  auto failed = [&](int rc, const char* what) {
    report.result = rc;
    report.failure = std::string(what) + ": " + dbResultText(rc);
    return report;
  };
  // Most runs find nothing to repair: check first, cheaply.
  bool sound = false;
  Holders held;
  if (int rc = checkKeys(task, report, held, sound, progress); rc != RECDB_OK)
    return failed(rc, "checking the keys");
  if (sound) return report;
  report.rebuilt = true;
  report.records = 0;

  for (int file : {kLogFileKey, kLogFileK01, kLogFileK02})
    if (int rc = dbInitFile(file, task, kDb); rc != RECDB_OK) return failed(rc, "emptying a key file");

  for (std::size_t n = 0; n < logbookKeys().size(); ++n) {
    const TypeKeys& t = logbookKeys()[n];
    for (int rc = dbRecordFirst(t.type, task, kDb); rc == RECDB_OK; rc = dbRecordNext(task, kDb)) {
      DB_ADDR address = 0;
      if (int got = dbCurrentGet(&address, task, kDb); got != RECDB_OK)
        return failed(got, "reading a record");
      std::size_t row = address & 0xFFFFFF;
      LogRecord contact{};
      if (t.type == kLogRecordType) {
        if (int read = dbRecordRead(&contact, task, kDb); read != RECDB_OK)
          return failed(read, "reading a contact");
      }
      for (std::size_t i = 0; i < t.keys.size(); ++i) {
        // Records added behind the check's back were in no key.
        bool was = row < held[n][i].size() && held[n][i][row];
        if (t.type == kLogRecordType && !belongs(contact, t.keys[i])) {
          report.removed += was;
          continue;
        }
        int stored = dbKeyStore(t.keys[i], task, kDb);
        if (stored == RECDB_DUPLICATE) {
          ++report.refused;
          continue;
        }
        if (stored != RECDB_OK) return failed(stored, "storing a key");
        report.restored += !was;
      }
      ++report.records;
      if (progress && report.records % kProgressEvery == 0) progress("rebuilding", report.records);
    }
  }
  if (progress) progress("rebuilding", report.records);
  return report;
}

}  // namespace kskeybld

extern "C" int RebuildKeys(HWND window, DB_TASK* task) {
  constexpr int kOutOfMemory = -1;
  const int done = ksbase::guarded(kOutOfMemory, [&] {
    WaitCursor(window, 1);
    kskeybld::Report report = kskeybld::rebuild(task, {});
    WaitCursor(window, 0);
    if (report.result != RECDB_OK) {
      std::string text = "The keys could not be rebuilt (" + report.failure +
                         ").\nRun Rebuild Keys again before using the logbook.";
      MessageBox(window, text.c_str(), "Rebuild Keys", MB_OK | MB_ICONERROR);
      return 0;
    }
    if (report.repaired())
      MessageBox(window, report.text().c_str(), "Rebuild Keys", MB_OK | MB_ICONINFORMATION);
    return 1;
  });
  if (done != kOutOfMemory) return done;
  WaitCursor(window, 0);
  MessageBox(window, "Not enough memory to rebuild the keys.", "Rebuild Keys",
             MB_OK | MB_ICONERROR);
  return 0;
}
