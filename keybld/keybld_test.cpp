#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kskeybld.h"
#include "testing/testdb.h"
#include "winlayer/host.h"

namespace {

using namespace kstest;

class Rebuild : public LogbookTest {
 protected:
  // A small logbook: contacts that carry optional keys by the rules, one
  // that carries one against them, a header and tallies.
  void fill() {
    LogRecord us = contact("W1AW", 100, "CW", "K", 2, 5);
    KS_SET(us.state, "CT");
    KS_SET(us.grid, "FN31");
    us.countyNumber = 7;
    us.tagged = 1;
    create(us);
    for (long field : logfield::kOptionalKeys) ASSERT_EQ(dbKeyStore(field, task, 0), RECDB_OK);
    LogRecord dx = contact("JA1XX", 101, "SSB", "JA", 20, 25);
    KS_SET(dx.grid, "PM95");  // HF: no grid key
    create(dx);
    ASSERT_EQ(dbKeyStore(logfield::kGrid, task, 0), RECDB_OK);  // against the rules
    LogHeader header = newLogHeader();
    ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
    CountryTally tally{};
    KS_SET(tally.prefix, "JA");
    ASSERT_EQ(dbRecordCreate(kCountryTallyType, &tally, task, 0), RECDB_OK);
  }

  void expectWholeKeys() {
    EXPECT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_OK);
    EXPECT_EQ(dbKeyFind(logfield::kPrefix, "JA", task, 0), RECDB_OK);
    EXPECT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
    EXPECT_EQ(dbKeyFind(logfield::kCountryTallyPrefix, "JA", task, 0), RECDB_OK);
    EXPECT_EQ(dbKeyFind(logfield::kState, "CT", task, 0), RECDB_OK);
    std::int32_t county = 7;
    EXPECT_EQ(dbKeyFind(logfield::kCountyNumber, &county, task, 0), RECDB_OK);
    struct {
      std::uint16_t band;
      char grid[7];
    } bandGrid{2, "FN31"};
    EXPECT_EQ(dbKeyFind(logfield::kBandGrid, &bandGrid, task, 0), RECDB_OK);
    EXPECT_EQ(dbKeyFind(logfield::kGrid, "PM95", task, 0), RECDB_NOTFOUND);
  }

  // A filled logbook whose keys are whole.
  void fillSound() {
    fill();
    ASSERT_EQ(dbKeyFind(logfield::kGrid, "PM95", task, 0), RECDB_OK);
    ASSERT_EQ(dbKeyDelete(logfield::kGrid, task, 0), RECDB_OK);
  }

  std::string bytesOf(const char* file) const {
    std::ifstream in(dir / file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(Rebuild, RepairsALogbookWhoseKeyFilesWereEmptied) {
  fill();
  ASSERT_EQ(dbClose(task), RECDB_OK);
  std::filesystem::resize_file(dir / "LOG.KEY", 0);
  std::filesystem::remove(dir / "LOG.K01");
  {  // a key file that lost one of its tables
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "LOG.K02").c_str(), &db), SQLITE_OK);
    char* table = nullptr;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' LIMIT 1", -1,
                       &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    table = sqlite3_mprintf("DROP TABLE %s", sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    EXPECT_EQ(sqlite3_exec(db, table, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_free(table);
    sqlite3_close(db);
  }
  // Such a logbook is refused until its key files are made anew.
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_E_FILE);
  std::vector<std::string> remade;
  std::string error;
  ASSERT_EQ(recdb::repairKeyFiles(base(), remade, error), RECDB_OK) << error;
  EXPECT_EQ(remade.size(), 3u);
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_NOTFOUND);

  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  ASSERT_EQ(RebuildKeys(nullptr, task), 1);
  expectWholeKeys();
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_EQ(host.boxes()[0].caption, "Rebuild Keys");
  // 2 contacts x 10 automatic keys + 7 optional of the US contact, header, tally.
  EXPECT_NE(host.boxes()[0].text.find("29 missing key entries restored"), std::string::npos)
      << host.boxes()[0].text;

  // A sound logbook is rebuilt without a word.
  host.clear();
  ASSERT_EQ(RebuildKeys(nullptr, task), 1);
  EXPECT_TRUE(host.boxes().empty());
  expectWholeKeys();
}

TEST_F(Rebuild, DropsOptionalEntriesAgainstTheRules) {
  fill();
  kskeybld::Report report = kskeybld::rebuild(task, {});
  EXPECT_EQ(report.result, RECDB_OK);
  EXPECT_EQ(report.records, 4);
  EXPECT_EQ(report.restored, 0);
  EXPECT_EQ(report.removed, 1);  // the HF contact's grid
  expectWholeKeys();
}

TEST_F(Rebuild, LeavesASoundLogbookUntouched) {
  fillSound();
  ASSERT_EQ(dbClose(task), RECDB_OK);
  std::vector<std::string> before;
  for (const char* file : {"LOG.DAT", "LOG.DA1", "LOG.KEY", "LOG.K01", "LOG.K02"})
    before.push_back(bytesOf(file));
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);

  kskeybld::Report report = kskeybld::rebuild(task, {});
  EXPECT_EQ(report.result, RECDB_OK);
  EXPECT_FALSE(report.rebuilt);
  EXPECT_FALSE(report.repaired());
  EXPECT_EQ(report.records, 4);
  EXPECT_NE(report.text().find("nothing was rebuilt"), std::string::npos) << report.text();
  ASSERT_EQ(dbClose(task), RECDB_OK);
  std::size_t i = 0;
  for (const char* file : {"LOG.DAT", "LOG.DA1", "LOG.KEY", "LOG.K01", "LOG.K02"})
    EXPECT_TRUE(bytesOf(file) == before[i++]) << file << " was written";
  ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
  expectWholeKeys();
}

TEST_F(Rebuild, FindsOneMissingEntry) {
  fillSound();
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "JA", task, 0), RECDB_OK);
  ASSERT_EQ(dbKeyDelete(logfield::kBandZone, task, 0), RECDB_OK);
  kskeybld::Report report = kskeybld::rebuild(task, {});
  EXPECT_EQ(report.result, RECDB_OK);
  EXPECT_TRUE(report.rebuilt);
  EXPECT_EQ(report.restored, 1);
  EXPECT_EQ(report.stray, 0);
  struct {
    std::uint16_t band;
    std::uint16_t zone;
  } bandZone{20, 25};
  EXPECT_EQ(dbKeyFind(logfield::kBandZone, &bandZone, task, 0), RECDB_OK);
}

TEST_F(Rebuild, DropsEntriesOfRecordsThatAreGone) {
  fillSound();
  // The contacts go, their keys in the other files stay.
  ASSERT_EQ(dbInitFile(kLogFileDat, task, 0), RECDB_OK);
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  ASSERT_EQ(RebuildKeys(nullptr, task), 1);
  ASSERT_EQ(host.boxes().size(), 1u);
  // 2 contacts x 10 automatic keys + 7 optional of the US contact.
  EXPECT_NE(host.boxes()[0].text.find("27 key entries removed that pointed at no record"),
            std::string::npos)
      << host.boxes()[0].text;
  EXPECT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_NOTFOUND);
  EXPECT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
}

TEST_F(Rebuild, PutsBackAMissingHeader) {
  fillSound();
  ASSERT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
  ASSERT_EQ(dbDelete(task, 0), RECDB_OK);
  kskeybld::Report report = kskeybld::rebuild(task, {});
  EXPECT_EQ(report.result, RECDB_OK) << report.failure;
  EXPECT_TRUE(report.headerRestored);
  EXPECT_NE(report.text().find("header was missing"), std::string::npos) << report.text();
  LogHeader header{};
  ASSERT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
  ASSERT_EQ(dbRecordRead(&header, task, 0), RECDB_OK);
  EXPECT_EQ(header.value1, newLogHeader().value1);
  EXPECT_FALSE(kskeybld::rebuild(task, {}).rebuilt);
}

// Records larger than a contact, keys of other shapes: each reference
// database is checked and rebuilt through buffers of its own record size.
TEST(RebuildReference, EveryReferenceDatabaseIsCheckedAndRebuilt) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const recdb::SchemaDef* schemas[] = {&logschema::country(), &logschema::iota(),
                                       &logschema::qslManager(), &logschema::county()};
  for (const recdb::SchemaDef* schema : schemas) {
    SCOPED_TRACE(schema->name);
    TempDir dir;
    makeDatabase(*schema, dir / "REF");
    DB_TASK* task = nullptr;
    ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
    ASSERT_EQ(dbOpen((dir / "REF").c_str(), "o", task), RECDB_OK);
    std::vector<std::uint8_t> record(1024, 0);
    for (int i = 0; i < 3; ++i) {
      std::fill(record.begin(), record.end(), static_cast<std::uint8_t>('A' + i));
      for (std::size_t at = 1; at < record.size(); at += 2) record[at] = 0;  // short texts
      ASSERT_EQ(dbRecordCreate(10000, record.data(), task, 0), RECDB_OK);
    }
    kskeybld::Report sound = kskeybld::rebuild(task, {});
    EXPECT_EQ(sound.result, RECDB_OK) << sound.failure;
    EXPECT_FALSE(sound.rebuilt);
    EXPECT_EQ(sound.records, 3);
    ASSERT_EQ(dbClose(task), RECDB_OK);

    std::filesystem::resize_file(dir / "REF.KEY", 0);
    std::vector<std::string> remade;
    std::string error;
    ASSERT_EQ(recdb::repairKeyFiles(dir / "REF", remade, error), RECDB_OK) << error;
    ASSERT_EQ(remade.size(), 1u);
    ASSERT_EQ(dbOpen((dir / "REF").c_str(), "o", task), RECDB_OK);
    kskeybld::Report rebuilt = kskeybld::rebuild(task, {});
    EXPECT_EQ(rebuilt.result, RECDB_OK) << rebuilt.failure;
    EXPECT_TRUE(rebuilt.rebuilt);
    EXPECT_GE(rebuilt.restored, 3);
    EXPECT_FALSE(kskeybld::rebuild(task, {}).rebuilt);
    EXPECT_EQ(dbCloseTask(task), RECDB_OK);
  }
}

}  // namespace
