#include <cstdio>
#include <cstring>
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

// The record types of the database with their keys; whether it is a
// logbook (whose contacts' optional keys follow the suite's rules, and which
// must hold its header record).
struct Layout {
  std::vector<recdb::RecordShape> types;
  bool logbook = false;
};

int layoutOf(DB_TASK* task, Layout& layout) {
  std::vector<int> keyFiles;
  if (int rc = recdb::describe(task, kDb, layout.types, keyFiles); rc != RECDB_OK) return rc;
  bool contacts = false, header = false;
  for (const recdb::RecordShape& t : layout.types) {
    contacts = contacts || (t.type == kLogRecordType && t.size == sizeof(LogRecord));
    header = header || (t.type == kLogHeaderType && t.size == sizeof(LogHeader) &&
                        !t.keys.empty() && t.keys[0].field == logfield::kHeaderMarker);
  }
  layout.logbook = contacts && header;
  return RECDB_OK;
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

// Whether the record in `bytes` belongs in key `k`: true, false, or -1
// when no rule says (an optional key of a record without rules: the
// record's entry is kept when it has one).
int ruleFor(const Layout& layout, const recdb::RecordShape& t, const recdb::KeyShape& k,
            const std::vector<std::uint8_t>& bytes) {
  if (!k.optional) return 1;
  if (!layout.logbook || t.type != kLogRecordType) return -1;
  LogRecord contact{};
  std::memcpy(&contact, bytes.data(), sizeof contact);
  return belongs(contact, k.field) ? 1 : 0;
}

// By record type and key (in schema order), the rows of the records that
// have an entry in the key.
using Holders = std::vector<std::vector<std::vector<bool>>>;

// Checks every key of the database against the records: each record must
// be in each key it belongs in, once, and nothing else may be. One pass
// over the records and one over each key; nothing is written. Counts the
// entries that point at no record into `report`, whether a logbook lacks
// its header, and says whether all is sound.
int checkKeys(DB_TASK* task, const Layout& layout, Report& report, Holders& held, bool& sound,
              const std::function<void(const char*, long)>& progress) {
  long wrong = 0;  // missing entries and entries against the rules
  for (const recdb::RecordShape& t : layout.types) {
    held.emplace_back(t.keys.size());
    // The rows of the records, and by key the rows of those that belong in it.
    std::vector<bool> present;
    std::vector<std::vector<bool>> required(t.keys.size()), unruled(t.keys.size());
    std::vector<long> count(t.keys.size(), 0);
    std::vector<std::uint8_t> bytes(t.size);
    long records = 0;
    int file = -1;
    int rc = dbRecordFirst(t.type, task, kDb);
    for (; rc == RECDB_OK; rc = dbRecordNext(task, kDb)) {
      DB_ADDR address = 0;
      if ((rc = dbCurrentGet(&address, task, kDb)) != RECDB_OK) return rc;
      if ((rc = dbRecordRead(bytes.data(), task, kDb)) != RECDB_OK) return rc;
      file = static_cast<int>(static_cast<std::uint32_t>(address) >> 24);
      std::size_t row = address & 0xFFFFFF;
      if (present.size() <= row) present.resize(row + 1 + row / 2);
      present[row] = true;
      for (std::size_t i = 0; i < t.keys.size(); ++i) {
        const int rule = ruleFor(layout, t, t.keys[i], bytes);
        std::vector<bool>& mark = rule < 0 ? unruled[i] : required[i];
        if (rule == 0) continue;
        if (mark.size() <= row) mark.resize(present.size());
        mark[row] = true;
        count[i] += rule > 0;
      }
      ++records;
      ++report.records;
      if (progress && report.records % kProgressEvery == 0) progress("checking", report.records);
    }
    if (rc != RECDB_END) return rc;
    if (layout.logbook && t.type == kLogHeaderType && records == 0) report.headerMissing = true;
    for (std::size_t i = 0; i < t.keys.size(); ++i) {
      std::vector<bool>& seen = held.back()[i];
      seen.assign(present.size(), false);
      long found = 0;
      rc = recdb::keyAddresses(task, kDb, t.keys[i].field, [&](DB_ADDR address) {
        std::size_t row = address & 0xFFFFFF;
        if (static_cast<int>(static_cast<std::uint32_t>(address) >> 24) != file ||
            row >= present.size() || !present[row] || seen[row]) {
          ++report.stray;
        } else {
          seen[row] = true;
          if (row < unruled[i].size() && unruled[i][row]) return;
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
  sound = wrong == 0 && report.stray == 0 && !report.headerMissing;
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
  if (headerRestored) out += "\nThe logbook header was missing and has been restored.";
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
  Layout layout;
  if (int rc = layoutOf(task, layout); rc != RECDB_OK) return failed(rc, "reading the schema");
  if (int rc = checkKeys(task, layout, report, held, sound, progress); rc != RECDB_OK)
    return failed(rc, "checking the keys");
  if (sound) return report;
  report.rebuilt = true;
  report.records = 0;
  // Bulk work: batches committed at least once a second, the last at the end.
  if (int rc = dbBulkBegin(task, kDb); rc != RECDB_OK) return failed(rc, "starting the rebuild");
  struct BulkEnd {
    DB_TASK* task;
    bool pending = true;
    ~BulkEnd() {
      if (pending) dbBulkEnd(task, kDb);
    }
  } bulkEnd{task};

  std::vector<recdb::RecordShape> shapes;
  std::vector<int> keyFiles;
  if (int rc = recdb::describe(task, kDb, shapes, keyFiles); rc != RECDB_OK)
    return failed(rc, "reading the schema");
  for (int file : keyFiles)
    if (int rc = dbInitFile(file, task, kDb); rc != RECDB_OK) return failed(rc, "emptying a key file");

  for (std::size_t n = 0; n < layout.types.size(); ++n) {
    const recdb::RecordShape& t = layout.types[n];
    std::vector<std::uint8_t> bytes(t.size);
    for (int rc = dbRecordFirst(t.type, task, kDb); rc == RECDB_OK; rc = dbRecordNext(task, kDb)) {
      DB_ADDR address = 0;
      if (int got = dbCurrentGet(&address, task, kDb); got != RECDB_OK)
        return failed(got, "reading a record");
      std::size_t row = address & 0xFFFFFF;
      if (int read = dbRecordRead(bytes.data(), task, kDb); read != RECDB_OK)
        return failed(read, "reading a record");
      for (std::size_t i = 0; i < t.keys.size(); ++i) {
        // Records added behind the check's back were in no key.
        bool was = row < held[n][i].size() && held[n][i][row];
        const int rule = ruleFor(layout, t, t.keys[i], bytes);
        if (rule == 0 || (rule < 0 && !was)) {
          report.removed += rule == 0 && was;
          continue;
        }
        int stored = dbKeyStore(t.keys[i].field, task, kDb);
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
  if (report.headerMissing) {
    LogHeader header = newLogHeader();
    if (int rc = dbRecordCreate(kLogHeaderType, &header, task, kDb); rc != RECDB_OK)
      return failed(rc, "restoring the header");
    report.headerRestored = true;
  }
  if (progress) progress("rebuilding", report.records);
  bulkEnd.pending = false;
  if (int rc = dbBulkEnd(task, kDb); rc != RECDB_OK) return failed(rc, "saving the keys");
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
