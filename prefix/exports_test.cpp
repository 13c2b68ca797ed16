// The prefix library through its exports, over real databases of the
// engine: a logbook as database 0 and the shipped country list as 1.
#include "ksprefix.h"

#include "schema/countrydb.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "exports_internal.h"
#include "recdb/recdb.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using kstest::TempHome;

void makeDatabase(const recdb::SchemaDef& schema, const std::string& dir, const std::string& base) {
  std::string error;
  ASSERT_EQ(recdb::writeDatabase(schema, dir + "/" + base + ".DBD",
                                 recdb::fileNamesFor(schema, base), true, error),
            RECDB_OK)
      << error;
}

int countRecords(DB_TASK* task, int type) {
  int n = 0;
  for (int rc = dbRecordFirst(type, task, 0); rc == 0; rc = dbRecordNext(task, 0)) ++n;
  return n;
}

std::string text(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

// A logbook and a country database filled from `countryFile`, in a
// temporary directory; the task holds the logbook as database 0.
class CountryDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeDatabase(logschema::logbook(), home.path(), "LOG");
    makeDatabase(logschema::country(), home.path(), "COUNTRY");
    ASSERT_EQ(dbOpenTask(&task), 0);
    ASSERT_EQ(dbOpen(country().c_str(), "o", task), 0);
    const auto result =
        countrytext::importCountryFile(KESTREL_SOURCE_DIR "/data/COUNTRY.TXT", task, 0);
    ASSERT_TRUE(result.opened);
    ASSERT_EQ(result.emptyPrefixLine, 0);
    ASSERT_EQ(result.failedLine, 0);
    stored = result.stored;
    dbClose(task);
    ASSERT_EQ(dbOpen(logbook().c_str(), "o", task), 0);
  }
  void TearDown() override {
    CloseCountryDb(task);
    dbClose(task);
    dbCloseTask(task);
  }
  std::string logbook() const { return home.path() + "/LOG"; }
  std::string country() const { return home.path() + "/COUNTRY"; }
  bool open() {
    return OpenCountryDb(nullptr, country().c_str(), task, &active, &deleted, head) == 1;
  }

  // The three-step resolution of a contact, as the callers make it.
  std::string resolve(const char* call, const char* date, int* cq = nullptr, int* itu = nullptr) {
    char searchText[16];
    GetPrefix(searchText, call, task);
    const int day = CalcJulianDate(date);
    char name[21];
    std::memset(head, 'x', sizeof head);
    const bool found = SearchDeletedPrefix(name, searchText, day, task, head) ||
                       SearchSharedPrefix(name, searchText, day, task, head) ||
                       SearchPrefix(name, searchText, day, task, head);
    if (!found) return "-";
    const auto* h = reinterpret_cast<const CountryRecord*>(head);
    if (cq) *cq = h->cqZone;
    if (itu) *itu = h->ituZone;
    return text(h->prefix, sizeof h->prefix);
  }

  TempHome home;
  DB_TASK* task = nullptr;
  int stored = 0;
  int active = -1, deleted = -1;
  char head[64] = {};
};

TEST_F(CountryDbTest, LoadsCountsAndSeedsTalliesOnce) {
  ASSERT_TRUE(open());
  EXPECT_GT(stored, 350);
  EXPECT_EQ(active, 340);
  EXPECT_EQ(deleted, 32);
  const int countries = countRecords(task, kCountryTallyType);
  EXPECT_EQ(countries, active + deleted);  // none for the 6 of status "I"
  EXPECT_EQ(countRecords(task, kZoneTallyType), 40);
  EXPECT_EQ(countRecords(task, kStateTallyType), 50);

  CountryTally tally{};
  std::memcpy(tally.prefix, "K", 1);
  ASSERT_EQ(dbKeyFind(logfield::kCountryTallyPrefix, tally.prefix, task, 0), 0);
  ASSERT_EQ(dbRecordRead(&tally, task, 0), 0);
  EXPECT_STREQ(tally.status, "A");
  char ig9[8] = "IG9";
  EXPECT_NE(dbKeyFind(logfield::kCountryTallyPrefix, ig9, task, 0), 0);

  CloseCountryDb(task);
  dbClose(task);
  ASSERT_EQ(dbOpen(logbook().c_str(), "o", task), 0);
  ASSERT_TRUE(open());  // a second load creates only what is missing
  EXPECT_EQ(countRecords(task, kCountryTallyType), countries);
  EXPECT_EQ(countRecords(task, kZoneTallyType), 40);
}

TEST_F(CountryDbTest, ResolvesRealCallsWithDatesAndZones) {
  ASSERT_TRUE(open());
  int cq = 0, itu = 0;
  EXPECT_EQ(resolve("W1AW", "12-07-26", &cq, &itu), "K");
  EXPECT_EQ(cq, 5);
  EXPECT_EQ(itu, 8);
  EXPECT_EQ(resolve("W6ABC", "12-07-26", &cq, &itu), "K");
  EXPECT_EQ(cq, 3);
  EXPECT_EQ(itu, 6);
  EXPECT_EQ(resolve("UA0CBC", "12-07-26", &cq), "UA9");
  EXPECT_EQ(cq, 19);
  EXPECT_EQ(resolve("DL1ABC", "12-07-26"), "DL");
  EXPECT_EQ(resolve("DL1ABC", "09-16-73"), "DA-DM");   // old Germany, last day
  EXPECT_EQ(resolve("DL1ABC", "09-17-73"), "DL");      // deletion day: current entity
  EXPECT_EQ(resolve("OK1ABC", "12-31-92"), "OK-OM");
  EXPECT_EQ(resolve("OK1ABC", "01-01-93"), "OK");
  EXPECT_EQ(resolve("OM3ABC", "01-01-93"), "OM");
  EXPECT_EQ(resolve("4O3A", "06-27-06"), "YU");        // shared, on its day
  EXPECT_EQ(resolve("4O3A", "06-28-06"), "4O");        // Montenegro from its first day
  EXPECT_EQ(resolve("PJ2T", "10-09-10"), "PJ");
  EXPECT_EQ(resolve("PJ2T", "10-10-10"), "PJ2");
  EXPECT_EQ(resolve("KC6A", "12-07-26"), "K");         // the KC6 rule
  EXPECT_EQ(resolve("EA8/W1AW", "12-07-26"), "EA8");
  EXPECT_EQ(resolve("W1ABC/KH6", "12-07-26"), "KH6");
  EXPECT_EQ(resolve("W1AW/KH6", "12-07-26"), "K");  // "/" at 4: the call itself
  // One letter in front: where the operator is.
  EXPECT_EQ(resolve("F/DL3RBF", "12-07-26"), "F");
  EXPECT_EQ(resolve("I/OE7RDI", "12-07-26"), "I");
  EXPECT_EQ(resolve("M/N6JFD", "12-07-26"), "G");
  EXPECT_EQ(resolve("W/G3ABC", "12-07-26"), "K");
  EXPECT_EQ(resolve("QQQ", "12-07-26"), "-");
  for (std::size_t i = 0; i < sizeof head; ++i)
    ASSERT_EQ(head[i], i < kCountryHeadSize ? head[i] : 'x') << "nothing past the head";
}

TEST_F(CountryDbTest, KeyTestsOfIsPrefixAndGetPrefix) {
  ASSERT_TRUE(open());
  EXPECT_EQ(isPrefix(0, "K", task), 1);
  EXPECT_EQ(isPrefix(0, "UA9", task), 1);
  EXPECT_EQ(isPrefix(0, "QQ", task), 0);
  char out[16];
  EXPECT_STREQ(GetPrefix(out, "VE/DL", task), "VE");  // both keys: the left
  EXPECT_STREQ(GetPrefix(out, "QQ/DL", task), "DL");
  EXPECT_STREQ(GetPrefix(out, "QQ/QX", task), "QQ");
  EXPECT_STREQ(GetPrefix(out, "W1AW/T", task), "K");
}

TEST_F(CountryDbTest, TableThatCannotBeAllocatedIsReported) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  ksprefix::failTableAllocation(3);
  EXPECT_FALSE(open());
  ksprefix::failTableAllocation(0);
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_EQ(host.boxes()[0].text, "Not Enough Memory to\nallocate Alternate Prefix Table.");
  EXPECT_EQ(host.boxes()[0].icon(), static_cast<UINT>(MB_ICONERROR));
  char name[21];
  EXPECT_EQ(SearchPrefix(name, "W1AW", 40000, task, head), 0);
}

TEST_F(CountryDbTest, MissingCountryDatabaseFailsWithoutMessage) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  EXPECT_EQ(OpenCountryDb(nullptr, (home.path() + "/NOPE").c_str(), task, &active, &deleted, head),
            0);
  EXPECT_TRUE(host.boxes().empty());
}

TEST_F(CountryDbTest, IotaSearchReadsDatabaseFiveAndCopiesTheWholeRecord) {
  ASSERT_TRUE(open());
  // Databases 2 to 4 stand in for those the main program opens before IOTA.
  makeDatabase(logschema::county(), home.path(), "USCOUNTY");
  makeDatabase(logschema::qslManager(), home.path(), "QSLMGR");
  makeDatabase(logschema::iota(), home.path(), "EXTRA");
  makeDatabase(logschema::iota(), home.path(), "IOTA");
  for (const char* name : {"USCOUNTY", "QSLMGR", "EXTRA", "IOTA"})
    ASSERT_EQ(dbOpenAdd((home.path() + "/" + name).c_str(), task), 0) << name;
  IotaRecord island{};
  std::memcpy(island.prefix, "K", 1);
  std::memcpy(island.name, "Long Island", 11);
  island.cqZone = 5;
  island.ituZone = 8;
  std::memcpy(island.status, "A", 1);
  std::memcpy(island.date, "01-01-01", 8);
  std::memcpy(island.prefixList, "W", 1);
  std::memcpy(island.iotaNumber, "NA-026", 6);
  std::memcpy(island.groupFlag, "1", 1);
  ASSERT_EQ(dbRecordCreate(kIotaRecordType, &island, task, 5), 0);
  dbSelect(0, task);

  char record[sizeof(IotaRecord) + 8];
  std::memset(record, 'x', sizeof record);
  char name[21];
  ASSERT_EQ(SearchIotaPrefix(name, "W6ABC", 40000, task, record), 1);
  EXPECT_STREQ(name, "Long Island");
  const auto* found = reinterpret_cast<const IotaRecord*>(record);
  EXPECT_STREQ(found->iotaNumber, "NA-026");
  EXPECT_STREQ(found->groupFlag, "1");
  EXPECT_EQ(found->cqZone, 3);  // corrected for the call area
  EXPECT_EQ(found->ituZone, 6);
  EXPECT_EQ(record[sizeof(IotaRecord)], 'x');
  EXPECT_EQ(SearchIotaPrefix(name, "G3ABC", 40000, task, record), 0);  // no such record in 5
  EXPECT_EQ(record[0], '\0');
  char out[16];
  EXPECT_STREQ(GetIotaPrefix(out, "K/G", task), "K");   // "K" is a key of database 5
  EXPECT_STREQ(GetIotaPrefix(out, "F/G", task), "FR");  // "F" and "G" are not
  EXPECT_STREQ(GetPrefix(out, "F/G", task), "F");       // but are country keys
}

TEST(PlainExports, ZonesBandAndWep) {
  CountryRecord k{};
  std::memcpy(k.prefix, "K", 1);
  EXPECT_EQ(CorrectZone(reinterpret_cast<const char*>(&k), "W6ABC", 5), 3);
  EXPECT_EQ(CorrectITUZone(reinterpret_cast<const char*>(&k), "W6ABC", 8), 6);
  EXPECT_EQ(CorrectZone(reinterpret_cast<const char*>(&k), "WABC", 5), 5);
  EXPECT_EQ(GetBand(14.025), 20);
  EXPECT_EQ(GetBand(0.5), 0);
  EXPECT_EQ(WEP(0), 1);
}

}  // namespace
