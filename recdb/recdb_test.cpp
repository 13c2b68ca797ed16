#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

#include "testing/testdb.h"

namespace {

using namespace kstest;
using Engine = LogbookTest;

// Walks key `field` from the entry equal to `start` to the end, reading each
// record into `out`.
template <class Rec>
std::vector<Rec> walk(DB_TASK* task, long field, const void* start, int db = 0) {
  std::vector<Rec> out;
  for (int rc = dbKeyFind(field, start, task, db); rc == RECDB_OK;
       rc = dbKeyNext(field, task, db)) {
    Rec r{};
    EXPECT_EQ(dbRecordRead(&r, task, db), RECDB_OK);
    out.push_back(r);
  }
  return out;
}

std::int64_t count(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  std::int64_t n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return n;
}

TEST_F(Engine, KeysOrderTextsIntegersAndCompounds) {
  // Inserted out of order on every key.
  create(contact("W1AW", 40000, "SSB", "W", 10000, 5));
  create(contact("KH6XX", -3, "CW", "KH6", 160, 31));
  create(contact("K1ABC", 300, "RTTY", "K", 2, 5));
  create(contact("VE3X", 70000, "FM", "VE", 432, 4));

  std::int32_t lowDay = -3;
  std::vector<std::string> calls;
  for (const LogRecord& r : walk<LogRecord>(task, logfield::kJulianDay, &lowDay))
    calls.push_back(r.call);
  EXPECT_EQ(calls, (std::vector<std::string>{"KH6XX", "K1ABC", "W1AW", "VE3X"}));

  calls.clear();  // "K" sorts before "KH6"
  for (const LogRecord& r : walk<LogRecord>(task, logfield::kPrefix, "K")) calls.push_back(r.call);
  EXPECT_EQ(calls, (std::vector<std::string>{"K1ABC", "KH6XX", "VE3X", "W1AW"}));

  std::uint16_t lowBand = 2;
  calls.clear();  // 16-bit values across the byte boundary: 160 < 432 < 10000
  for (const LogRecord& r : walk<LogRecord>(task, logfield::kBand, &lowBand))
    calls.push_back(r.call);
  EXPECT_EQ(calls, (std::vector<std::string>{"K1ABC", "KH6XX", "VE3X", "W1AW"}));

  // Compound (band, prefix): band first, then prefix.
  struct {
    std::uint16_t band;
    char prefix[6];
  } bandPrefix{2, "K"};
  calls.clear();
  for (const LogRecord& r : walk<LogRecord>(task, logfield::kBandPrefix, &bandPrefix))
    calls.push_back(r.call);
  EXPECT_EQ(calls, (std::vector<std::string>{"K1ABC", "KH6XX", "VE3X", "W1AW"}));

  // Compound (prefix, mode) found by a value built at record widths.
  char prefixMode[11] = {};
  std::memcpy(prefixMode, "KH6", 3);
  std::memcpy(prefixMode + 6, "CW", 2);
  ASSERT_EQ(dbKeyFind(logfield::kPrefixMode, prefixMode, task, 0), RECDB_OK);
  LogRecord found{};
  ASSERT_EQ(dbRecordRead(&found, task, 0), RECDB_OK);
  EXPECT_STREQ(found.call, "KH6XX");
}

TEST_F(Engine, SignedSixteenBitKeysOrderNegativesFirst) {
  for (std::int16_t zone : {std::int16_t{300}, std::int16_t{-5}, std::int16_t{3}, std::int16_t{-300}}) {
    ZoneTally t{};
    t.zone = zone;
    ASSERT_EQ(dbRecordCreate(kZoneTallyType, &t, task, 0), RECDB_OK);
  }
  std::int16_t low = -300;
  std::vector<int> zones;
  for (const ZoneTally& t : walk<ZoneTally>(task, logfield::kZoneTallyZone, &low))
    zones.push_back(t.zone);
  EXPECT_EQ(zones, (std::vector<int>{-300, -5, 3, 300}));
}

TEST_F(Engine, FindOfMissingValueFailsAndKeepsCurrency) {
  DB_ADDR kept = create(contact("K1ABC", 100, "CW", "K", 20, 5));
  EXPECT_EQ(dbKeyFind(logfield::kMode, "SSB", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kMode, "C", task, 0), RECDB_NOTFOUND);  // no prefix match
  DB_ADDR current = 0;
  ASSERT_EQ(dbCurrentGet(&current, task, 0), RECDB_OK);
  EXPECT_EQ(current, kept);
  EXPECT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_NOCURRENT);  // never found on it
}

TEST_F(Engine, DuplicatesComeInAddressOrder) {
  std::vector<DB_ADDR> made;
  create(contact("A", 1, "SSB", "K", 20, 5));
  for (const char* call : {"C1", "C2", "C3", "C4"}) made.push_back(create(contact(call, 1, "CW", "K", 20, 5)));
  create(contact("Z", 1, "FM", "K", 20, 5));
  std::vector<DB_ADDR> seen;
  for (int rc = dbKeyFind(logfield::kMode, "CW", task, 0); rc == RECDB_OK;
       rc = dbKeyNext(logfield::kMode, task, 0)) {
    LogRecord r{};
    ASSERT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
    if (std::string(r.mode) != "CW") break;
    DB_ADDR a = 0;
    dbCurrentGet(&a, task, 0);
    seen.push_back(a);
  }
  EXPECT_EQ(seen, made);
  EXPECT_TRUE(std::is_sorted(made.begin(), made.end()));
}

// Queued entries go in many to a statement; a count that is no multiple of
// that, values out of order and many equal ones must all land in order.
TEST_F(Engine, ManyQueuedEntriesLandInKeyOrder) {
  constexpr int kRecords = 203;
  std::vector<std::pair<int, DB_ADDR>> made;  // (day, address)
  for (int i = 0; i < kRecords; ++i) {
    const int day = (i * 37) % 11;  // out of order, each day many times
    made.emplace_back(day, create(contact("C", day, "CW", "K", 20, 5)));
  }
  std::sort(made.begin(), made.end());
  std::vector<std::pair<int, DB_ADDR>> seen;
  const std::int32_t first = 0;
  for (int rc = dbKeyFind(logfield::kJulianDay, &first, task, 0); rc == RECDB_OK;
       rc = dbKeyNext(logfield::kJulianDay, task, 0)) {
    LogRecord r{};
    ASSERT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
    DB_ADDR a = 0;
    dbCurrentGet(&a, task, 0);
    seen.emplace_back(r.julianDay, a);
  }
  EXPECT_EQ(seen, made);
}

TEST_F(Engine, RecordsMadeDuringAWalkJoinItInKeyOrderAndAreSaved) {
  create(contact("C1", 1, "CW", "K", 20, 5));
  create(contact("F1", 1, "FM", "K", 20, 5));
  std::vector<std::string> calls;
  int rc = dbKeyFind(logfield::kMode, "CW", task, 0);
  for (int step = 0; rc == RECDB_OK; rc = dbKeyNext(logfield::kMode, task, 0), ++step) {
    LogRecord r{};
    ASSERT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
    calls.push_back(r.call);
    if (step == 0) {
      create(contact("A1", 1, "AM", "K", 20, 5));   // behind the walk
      create(contact("C2", 1, "CW", "K", 20, 5));   // ahead of it, after C1
      create(contact("S1", 1, "SSB", "K", 20, 5));  // at the end
    }
  }
  EXPECT_EQ(rc, RECDB_END);
  EXPECT_EQ(calls, (std::vector<std::string>{"C1", "C2", "F1", "S1"}));

  ASSERT_EQ(dbClose(task), RECDB_OK);
  for (long field : logfield::kAutomaticKeys) {
    std::string file = base() + (field >= 42 ? ".K01" : ".KEY");
    EXPECT_EQ(count(file, "SELECT count(*) FROM key_" + std::to_string(field)), 5) << field;
  }
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
}

TEST_F(Engine, UniqueKeyRefusesASecondValueAndStoresNothing) {
  LogHeader header = newLogHeader();
  ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
  header.value2 = 99;
  EXPECT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_DUPLICATE);
  int records = 0;
  for (int rc = dbRecordFirst(kLogHeaderType, task, 0); rc == RECDB_OK; rc = dbRecordNext(task, 0))
    ++records;
  EXPECT_EQ(records, 1);
  ASSERT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
  LogHeader read{};
  ASSERT_EQ(dbRecordRead(&read, task, 0), RECDB_OK);
  EXPECT_EQ(read.value1, 3);
  EXPECT_EQ(read.value2, 0);
  // Rewriting the one holder of the value is not a duplicate.
  read.value2 = 7;
  EXPECT_EQ(dbRecordWrite(&read, task, 0), RECDB_OK);
}

TEST_F(Engine, OptionalKeysStoredTestedDeletedAndStoredAgain) {
  LogRecord r = contact("K1ABC", 100, "CW", "K", 20, 5);
  KS_SET(r.state, "MA");
  DB_ADDR address = create(r);
  EXPECT_EQ(dbKeyExists(logfield::kState, task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_NOTFOUND);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_DUPLICATE);
  EXPECT_EQ(dbKeyExists(logfield::kState, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_OK);
  DB_ADDR found = 0;
  dbCurrentGet(&found, task, 0);
  EXPECT_EQ(found, address);
  ASSERT_EQ(dbKeyDelete(logfield::kState, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyDelete(logfield::kState, task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyExists(logfield::kState, task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_NOTFOUND);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_OK);
  // A key of another record type is refused.
  EXPECT_EQ(dbKeyStore(logfield::kStateTallyState, task, 0), RECDB_E_FIELD);
}

// An import stores each new contact in its optional keys right after making
// it; those entries wait with the automatic ones and must behave the same.
TEST_F(Engine, OptionalKeysOfNewRecordsFollowChangesAndReachTheFiles) {
  LogRecord first = contact("K1ABC", 100, "CW", "K", 20, 5);
  KS_SET(first.state, "MA");
  DB_ADDR a = create(first);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyStore(logfield::kStateMode, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_DUPLICATE);
  // An automatic key holds a new record already.
  EXPECT_EQ(dbKeyStore(logfield::kMode, task, 0), RECDB_DUPLICATE);

  LogRecord second = contact("W1AW", 101, "SSB", "K", 20, 5);
  KS_SET(second.state, "CT");
  DB_ADDR b = create(second);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  // Changed and read back before anything reached the key file.
  KS_SET(second.state, "RI");
  ASSERT_EQ(dbRecordWrite(&second, task, 0), RECDB_OK);
  LogRecord read{};
  ASSERT_EQ(dbRecordRead(&read, task, 0), RECDB_OK);
  EXPECT_STREQ(read.state, "RI");
  EXPECT_EQ(dbKeyExists(logfield::kState, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyExists(logfield::kStateMode, task, 0), RECDB_NOTFOUND);

  // Made, stored in a key and deleted at once: nothing of it is left.
  LogRecord third = contact("N1XX", 102, "CW", "K", 20, 5);
  KS_SET(third.state, "MA");
  create(third);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  ASSERT_EQ(dbDelete(task, 0), RECDB_OK);

  ASSERT_EQ(dbClose(task), RECDB_OK);
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
  DB_ADDR found = 0;
  ASSERT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_OK);
  dbCurrentGet(&found, task, 0);
  EXPECT_EQ(found, a);
  ASSERT_EQ(dbKeyNext(logfield::kState, task, 0), RECDB_OK);  // "RI", the only other
  dbCurrentGet(&found, task, 0);
  EXPECT_EQ(found, b);
  EXPECT_EQ(dbKeyNext(logfield::kState, task, 0), RECDB_END);
  EXPECT_EQ(dbKeyFind(logfield::kState, "CT", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(count(dir / "LOG.DAT", "SELECT count(*) FROM records"), 2);
}

TEST_F(Engine, RecordWriteMovesAutomaticAndStoredOptionalKeys) {
  LogRecord r = contact("K1ABC", 100, "CW", "K", 20, 5);
  KS_SET(r.state, "MA");
  KS_SET(r.grid, "FN42");
  create(r);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  KS_SET(r.mode, "SSB");
  KS_SET(r.state, "CT");
  KS_SET(r.grid, "FN31");
  ASSERT_EQ(dbRecordWrite(&r, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kMode, "SSB", task, 0), RECDB_OK);
  char prefixMode[11] = "K";
  std::memcpy(prefixMode + 6, "SSB", 3);
  EXPECT_EQ(dbKeyFind(logfield::kPrefixMode, prefixMode, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kState, "CT", task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyExists(logfield::kState, task, 0), RECDB_OK);
  // Never stored in the grid key: the write does not put it there.
  EXPECT_EQ(dbKeyFind(logfield::kGrid, "FN31", task, 0), RECDB_NOTFOUND);
}

TEST_F(Engine, DeleteRemovesEveryKeyEntry) {
  LogRecord r = contact("K1ABC", 100, "CW", "K", 20, 5);
  KS_SET(r.state, "MA");
  r.tagged = 1;
  create(r);
  ASSERT_EQ(dbKeyStore(logfield::kState, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyStore(logfield::kTagged, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyStore(logfield::kStateMode, task, 0), RECDB_OK);
  ASSERT_EQ(dbDelete(task, 0), RECDB_OK);
  EXPECT_EQ(dbRecordRead(&r, task, 0), RECDB_NOCURRENT);
  ASSERT_EQ(dbClose(task), RECDB_OK);
  for (const char* file : {"LOG.KEY", "LOG.K01", "LOG.K02"}) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir / file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'key_%'",
                       -1, &tables, nullptr);
    int seen = 0;
    while (sqlite3_step(tables) == SQLITE_ROW) {
      std::string table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
      EXPECT_EQ(count(dir / file, "SELECT count(*) FROM " + table), 0) << table;
      ++seen;
    }
    EXPECT_GT(seen, 0) << file;
    sqlite3_finalize(tables);
    sqlite3_close(db);
  }
  EXPECT_EQ(count(dir / "LOG.DAT", "SELECT count(*) FROM records"), 0);
}

TEST_F(Engine, CurrencySurvivesWorkInAnotherDatabase) {
  makeDatabase(logschema::country(), dir / "COUNTRY");
  ASSERT_EQ(dbOpenAdd((dir / "COUNTRY").c_str(), task), RECDB_OK);
  for (const char* p : {"K", "VE", "W"}) {
    CountryRecord c{};
    KS_SET(c.prefix, p);
    ASSERT_EQ(dbRecordCreate(kCountryRecordType, &c, task, 1), RECDB_OK);
  }
  for (int i = 0; i < 3; ++i) create(contact("X", 10, "CW", "K", 20, 5));

  // Scan the countries; after each, record a tally in the logbook, as the
  // prefix library's loading does.
  std::vector<std::string> scanned;
  ASSERT_EQ(dbSelect(1, task), RECDB_OK);
  for (int rc = dbRecordFirst(kCountryRecordType, task, DB_CURRENT); rc == RECDB_OK;
       rc = dbRecordNext(task, DB_CURRENT)) {
    CountryRecord c{};
    ASSERT_EQ(dbRecordRead(&c, task, DB_CURRENT), RECDB_OK);
    scanned.push_back(c.prefix);
    void* block = nullptr;
    int size = 0;
    ASSERT_EQ(dbCurrencySave(&block, &size, task, 1), RECDB_OK);
    ASSERT_EQ(dbSelect(0, task), RECDB_OK);
    CountryTally t{};
    KS_SET(t.prefix, c.prefix);
    ASSERT_EQ(dbRecordCreate(kCountryTallyType, &t, task, DB_CURRENT), RECDB_OK);
    ASSERT_EQ(dbSelect(1, task), RECDB_OK);
    // Moving in the same database as well, then restoring.
    ASSERT_EQ(dbKeyFind(reffield::kCountryPrefix, "W", task, 1), RECDB_OK);
    ASSERT_EQ(dbCurrencyRestore(block, task, 1), RECDB_OK);
  }
  EXPECT_EQ(scanned, (std::vector<std::string>{"K", "VE", "W"}));

  // A key walk goes on where it was saved, too.
  ASSERT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_OK);
  DB_ADDR first = 0, after = 0;
  dbCurrentGet(&first, task, 0);
  void* block = nullptr;
  int size = 0;
  ASSERT_EQ(dbCurrencySave(&block, &size, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_OK);
  ASSERT_EQ(dbCurrencyRestore(block, task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_OK);
  dbCurrentGet(&after, task, 0);
  EXPECT_GT(after, first);
  EXPECT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyNext(logfield::kMode, task, 0), RECDB_END);

  // A block of one database is refused by another, and freed all the same.
  ASSERT_EQ(dbCurrencySave(&block, &size, task, 0), RECDB_OK);
  EXPECT_EQ(dbCurrencyRestore(block, task, 1), RECDB_E_CURRENCY);
}

TEST_F(Engine, InitFileEmptiesOnlyThatFile) {
  create(contact("K1ABC", 100, "CW", "K", 20, 5));
  LogHeader header = newLogHeader();
  ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
  ASSERT_EQ(dbInitFile(kLogFileDat, task, 0), RECDB_OK);
  EXPECT_EQ(dbRecordFirst(kLogRecordType, task, 0), RECDB_END);
  EXPECT_EQ(dbRecordFirst(kLogHeaderType, task, 0), RECDB_OK);
  ASSERT_EQ(dbInitFile(kLogFileK02, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbRecordFirst(kLogHeaderType, task, 0), RECDB_OK);
  EXPECT_EQ(dbInitFile(5, task, 0), RECDB_E_ARG);
}

TEST_F(Engine, AddressesStayAcrossCloseAndReopen) {
  std::vector<DB_ADDR> made;
  for (int i = 0; i < 5; ++i) made.push_back(create(contact(("C" + std::to_string(i)).c_str(), i, "CW", "K", 20, 5)));
  LogHeader header = newLogHeader();
  ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
  DB_ADDR headerAddress = 0;
  dbCurrentGet(&headerAddress, task, 0);
  EXPECT_EQ(headerAddress >> 24, kLogFileDa1);
  EXPECT_EQ(made[0] >> 24, kLogFileDat);
  ASSERT_EQ(dbClose(task), RECDB_OK);
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(dbCurrentSet(&made[i], task, 0), RECDB_OK);
    LogRecord r{};
    ASSERT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
    EXPECT_EQ(std::string(r.call), "C" + std::to_string(i));
  }
  ASSERT_EQ(dbCurrentSet(&headerAddress, task, 0), RECDB_OK);
  // A stale address, and ones of no data file, are refused.
  ASSERT_EQ(dbDelete(task, 0), RECDB_OK);
  EXPECT_EQ(dbCurrentSet(&headerAddress, task, 0), RECDB_E_ADDR);
  DB_ADDR keyFile = (kLogFileKey << 24) | 1, negative = -1;
  EXPECT_EQ(dbCurrentSet(&keyFile, task, 0), RECDB_E_ADDR);
  EXPECT_EQ(dbCurrentSet(&negative, task, 0), RECDB_E_ADDR);
}

TEST_F(Engine, DatabasesAreNumberedAndTasksIndependent) {
  makeDatabase(logschema::country(), dir / "COUNTRY");
  makeDatabase(logschema::county(), dir / "USCOUNTY");
  ASSERT_EQ(dbOpenAdd((dir / "COUNTRY").c_str(), task), RECDB_OK);
  ASSERT_EQ(dbOpenAdd((dir / "USCOUNTY").c_str(), task), RECDB_OK);
  CountyRecord county{};
  std::memcpy(county.state, "MA", 2);
  KS_SET(county.county, "MIDDLESEX");
  EXPECT_EQ(dbRecordCreate(kLogRecordType, &county, task, 3), RECDB_E_NODB);
  EXPECT_EQ(dbRecordCreate(kCountyRecordType, &county, task, 2), RECDB_OK);
  EXPECT_EQ(dbRecordCreate(kCountyRecordType, &county, task, 2), RECDB_DUPLICATE);
  EXPECT_EQ(dbKeyFind(reffield::kCountyKey, "MAMIDDLESEX", task, 2), RECDB_OK);
  EXPECT_EQ(dbKeyFind(reffield::kCountyKey, "MAMIDDLESEX", task, 1), RECDB_E_FIELD);
  EXPECT_EQ(dbOpen(base().c_str(), "o", task), RECDB_E_BUSY);

  // A second task has its own numbering and currency.
  makeDatabase(logschema::qslManager(), dir / "QSLMGR");
  DB_TASK* second = nullptr;
  ASSERT_EQ(dbOpenTask(&second), RECDB_OK);
  ASSERT_EQ(dbOpen((dir / "QSLMGR").c_str(), "o", second), RECDB_OK);
  QslManagerRecord manager{};
  KS_SET(manager.call, "VP8XX");
  EXPECT_EQ(dbRecordCreate(kQslManagerRecordType, &manager, second, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(reffield::kQslCall, "VP8XX", second, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(reffield::kCountyKey, "MAMIDDLESEX", second, 1), RECDB_E_NODB);
  EXPECT_EQ(dbCloseTask(second), RECDB_OK);
  EXPECT_EQ(dbKeyFind(reffield::kCountyKey, "MAMIDDLESEX", task, 2), RECDB_OK);
}

TEST_F(Engine, BadCallsGetClearResults) {
  LogRecord r{};
  EXPECT_EQ(dbRecordRead(&r, task, 0), RECDB_NOCURRENT);
  EXPECT_EQ(dbRecordWrite(&r, task, 0), RECDB_NOCURRENT);
  EXPECT_EQ(dbDelete(task, 0), RECDB_NOCURRENT);
  EXPECT_EQ(dbRecordCreate(10009, &r, task, 0), RECDB_E_TYPE);
  EXPECT_EQ(dbRecordCreate(9999, &r, task, 0), RECDB_E_TYPE);
  EXPECT_EQ(dbRecordFirst(10042, task, 0), RECDB_E_TYPE);
  EXPECT_EQ(dbKeyFind(3, "12:00", task, 0), RECDB_E_FIELD);  // a field, not a key
  EXPECT_EQ(dbKeyFind(77, "X", task, 0), RECDB_E_FIELD);
  EXPECT_EQ(dbKeyFind(-1, "X", task, 0), RECDB_E_FIELD);
  EXPECT_EQ(dbKeyFind(logfield::kMode, nullptr, task, 0), RECDB_E_ARG);
  EXPECT_EQ(dbRecordCreate(kLogRecordType, nullptr, task, 0), RECDB_E_ARG);
  EXPECT_EQ(dbRecordRead(&r, task, 7), RECDB_E_NODB);
  EXPECT_EQ(dbRecordRead(&r, nullptr, 0), RECDB_E_NODB);
  EXPECT_EQ(dbSelect(1, task), RECDB_E_NODB);
  EXPECT_EQ(dbRecordNext(task, 0), RECDB_NOCURRENT);
  EXPECT_EQ(dbCurrencyRestore(nullptr, task, 0), RECDB_E_ARG);
  EXPECT_EQ(dbRecordPrepare(kLogRecordType, task, 0), RECDB_OK);
  EXPECT_EQ(dbRecordPrepare(1, task, 0), RECDB_E_TYPE);
  EXPECT_STREQ(dbResultText(RECDB_DUPLICATE), "duplicate value in a unique key");
}

TEST(EngineOpen, BrokenFilesAreRefused) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  TempDir dir;
  makeDatabase(logschema::country(), dir / "COUNTRY");
  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  EXPECT_EQ(dbOpen((dir / "NOWHERE").c_str(), "o", task), RECDB_E_DICT);

  // Names are matched without regard to case when not found as given.
  EXPECT_EQ(dbOpen((dir / "country").c_str(), "o", task), RECDB_OK);
  EXPECT_EQ(dbClose(task), RECDB_OK);

  std::filesystem::copy_file(dir / "COUNTRY.DBD", dir / "FULL.DBD");
  for (std::uintmax_t size : {0, 21, 100, 330}) {
    std::filesystem::copy_file(dir / "FULL.DBD", dir / "COUNTRY.DBD",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(dir / "COUNTRY.DBD", size);
    EXPECT_EQ(dbOpen((dir / "COUNTRY").c_str(), "o", task), RECDB_E_DICT) << size;
  }
  std::filesystem::copy_file(dir / "FULL.DBD", dir / "COUNTRY.DBD",
                             std::filesystem::copy_options::overwrite_existing);
  {
    std::fstream damage(dir / "COUNTRY.DBD", std::ios::in | std::ios::out | std::ios::binary);
    damage.seekp(400);
    damage.put('\x7f');
  }
  EXPECT_EQ(dbOpen((dir / "COUNTRY").c_str(), "o", task), RECDB_E_DICT);
  std::filesystem::copy_file(dir / "FULL.DBD", dir / "COUNTRY.DBD",
                             std::filesystem::copy_options::overwrite_existing);

  {
    std::ofstream text(dir / "COUNTRY.KEY", std::ios::trunc);
    text << "this is a text file, not a key file, and it is long enough to be read as a header.\n";
  }
  EXPECT_EQ(dbOpen((dir / "COUNTRY").c_str(), "o", task), RECDB_E_FILE);
  std::filesystem::remove(dir / "COUNTRY.KEY");
  EXPECT_EQ(dbOpen((dir / "COUNTRY").c_str(), "o", task), RECDB_E_FILE);
  EXPECT_EQ(dbCloseTask(task), RECDB_OK);
}

TEST(EngineSchema, WriterRefusesUnsoundSchemas) {
  recdb::RecordDef records[] = {{10000, "R", 8, 0}};
  recdb::FieldDef outside[] = {{0, "a", 4, 6, recdb::FieldType::Text}};
  recdb::SchemaDef schema{"BAD", records, outside, {".DAT", ".KEY", "", "", ""}};
  EXPECT_NE(recdb::checkSchema(schema), "");
  recdb::FieldDef keyInDataFile[] = {
      {0, "a", 0, 8, recdb::FieldType::Text, recdb::KeyKind::Unique, false, 0}};
  schema.fields = keyInDataFile;
  EXPECT_NE(recdb::checkSchema(schema), "");
  for (const auto* good : {&logschema::logbook(), &logschema::country(), &logschema::iota(),
                           &logschema::qslManager(), &logschema::county()})
    EXPECT_EQ(recdb::checkSchema(*good), "") << good->name;
}

}  // namespace
