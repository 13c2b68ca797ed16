// Logger-style files imported with the real country tables and the shipped
// county list: what a user's import does, short of the window.
#include "prefixservices.h"

#include <gtest/gtest.h>

#include <map>

#include "schema/countrydb.h"
#include "adifimport.h"
#include "testlogbook.h"
#include "prefix/ksprefix.h"

namespace ksimport {
namespace {

namespace fs = std::filesystem;

class RealCountryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testlog::makeLogbook(dir_, task_);
    if (HasFatalFailure()) return;
    std::string error;
    ASSERT_TRUE(countrytext::fillCountryDatabase((dir_ / "COUNTRY").string(),
                                                 KESTREL_DATA_DIR "/COUNTRY.TXT", error))
        << error;
    ASSERT_TRUE(ksschema::fillCountyDatabase(dir_.string(), KESTREL_DATA_DIR "/uscounty.txt", error));
    int active = 0, deleted = 0;
    char head[kCountryHeadSize] = {};
    ASSERT_EQ(OpenCountryDb(nullptr, (dir_ / "COUNTRY").c_str(), task_, &active, &deleted, head),
              1);
    ASSERT_EQ(dbOpenAdd((dir_ / "USCOUNTY").c_str(), task_), RECDB_OK);
  }
  void TearDown() override {
    CloseCountryDb(task_);
    dbCloseTask(task_);
  }

  // Imports a copy of a test file; returns the stored contacts by call.
  std::map<std::string, LogRecord> import(const char* name) {
    const fs::path copy = dir_ / name;
    fs::copy_file(fs::path(KESTREL_IMPORT_TESTDATA) / name, copy);
    PrefixServices services(task_);
    EXPECT_EQ(importAdif(nullptr, task_, frame_, services, {0, 0, false}, copy.string()),
              ImportEnd::Completed);
    std::map<std::string, LogRecord> stored;
    for (int r = dbRecordFirst(kLogRecordType, task_, 0); r == RECDB_OK;
         r = dbRecordNext(task_, 0)) {
      LogRecord record{};
      dbRecordRead(&record, task_, 0);
      stored[record.call] = record;
    }
    return stored;
  }

  kstest::TempDir temp_;
  fs::path dir_ = temp_.path();
  DB_TASK* task_ = nullptr;
  kswin::HeadlessHost host_;
  kswin::ScopedHost scoped_{host_};
  testlog::FakeFrame frame_;
};

TEST_F(RealCountryTest, DesktopLoggerFile) {
  auto stored = import("desktop.adi");
  ASSERT_EQ(stored.size(), 2u);
  const LogRecord& w6 = stored.at("W6XYZ");
  EXPECT_STREQ(w6.prefix, "K");
  EXPECT_STREQ(w6.qth, "United States of Ame");  // the list's name, cut to 20
  EXPECT_EQ(w6.cqZone, 3);  // zone corrected by call area
  EXPECT_EQ(w6.band, 20);
  EXPECT_EQ(w6.uscaFlag, 1);
  EXPECT_EQ(w6.countyNumber, FindCounty(task_, "CA", "LOS ANGELES"));
  EXPECT_STREQ(stored.at("VK2ABC").prefix, "VK");
  EXPECT_NE(frame_.text().find("2 records imported.\n2 records not imported.\n"),
            std::string::npos);
}

TEST_F(RealCountryTest, ContestAndOnlineFiles) {
  auto stored = import("contest.adi");
  EXPECT_EQ(stored.size(), 5u);
  EXPECT_STREQ(stored.at("JA1AAA").prefix, "JA");
  EXPECT_STREQ(stored.at("G3ABC").continent, "EU");
  stored = import("online.adi");
  EXPECT_EQ(stored.size(), 7u);  // two more: the 1938 contact is refused
  EXPECT_EQ(stored.at("W4FL").band, 2);
  EXPECT_EQ(stored.at("W4FL").uscaFlag, 1);
}

TEST_F(RealCountryTest, CountyAnswersKeptAgreeWithTheDatabase) {
  PrefixServices services(task_);
  const long losAngeles = FindCounty(task_, "CA", "LOS ANGELES");
  ASSERT_GT(losAngeles, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(services.findCounty("CA", "LOS ANGELES"), losAngeles);
    EXPECT_EQ(services.findCounty("CA", "Los Angeles"), losAngeles);
    EXPECT_EQ(services.findCounty("CA", "NOWHERE"), -1);
    EXPECT_EQ(services.findCounty("TX", "LOS ANGELES"), -1);
  }
  EXPECT_EQ(services.findCounty("TX", "HARRIS"), FindCounty(task_, "TX", "HARRIS"));
}

TEST_F(RealCountryTest, MobileCallsAndUnknownPrefixes) {
  const fs::path file = dir_ / "mobile.adi";
  std::ofstream(file) << "<EOH><CALL:8>W1ABC/MM<QSO_DATE:8>20240101<FREQ:6>14.025<EOR>"
                         "<CALL:4>QQQQ<QSO_DATE:8>20240101<FREQ:6>14.025<EOR>";
  PrefixServices services(task_);
  EXPECT_EQ(importAdif(nullptr, task_, frame_, services, {}, file.string()), ImportEnd::Completed);
  ASSERT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
  LogRecord mobile{};
  dbRecordRead(&mobile, task_, 0);
  EXPECT_STREQ(mobile.qth, "Maritime Mobile");
  EXPECT_EQ(dbRecordNext(task_, 0), RECDB_END);
  std::ifstream log(dir_ / "mobile.ERR");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find("; Cannot determine prefix from callsign\n"), std::string::npos);
}

}  // namespace
}  // namespace ksimport
