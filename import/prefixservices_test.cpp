// Logger-style files imported with the real country tables and the shipped
// county list: what a user's import does, short of the window.
#include "prefixservices.h"

#include <gtest/gtest.h>

#include <map>

#include "schema/countrydb.h"
#include "adifimport.h"
#include "funct/ksfunct.h"
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
  ASSERT_EQ(stored.size(), 4u);
  const LogRecord& w6 = stored.at("W6XYZ");
  EXPECT_STREQ(w6.prefix, "K");
  EXPECT_STREQ(w6.qth, "United States");  // the list's short name
  EXPECT_EQ(w6.cqZone, 3);  // zone corrected by call area
  EXPECT_EQ(w6.band, 20);
  EXPECT_EQ(w6.uscaFlag, 1);
  EXPECT_EQ(w6.countyNumber, FindCounty(task_, "CA", "LOS ANGELES"));
  EXPECT_STREQ(stored.at("VK2ABC").prefix, "VK");
  EXPECT_EQ(stored.at("KH6ZZ").band, 60);
  EXPECT_STREQ(stored.at("OH2BH").mode, "OLIV");
  EXPECT_NE(frame_.text().find("No Errors.\n4 records imported.\n"), std::string::npos);
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

TEST_F(RealCountryTest, WeakSignalLogWith60And4MetresFt8AndFt4) {
  auto stored = import("weaksignal.adi");
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(stored.at("K5XYZ").band, 60);
  EXPECT_EQ(stored.at("JA1XYZ").band, 60);
  EXPECT_EQ(stored.at("EI3XY").band, 4);
  EXPECT_STREQ(stored.at("EI3XY").mode, "FT8");
  EXPECT_STREQ(stored.at("DL2ABC").mode, "FT4");
  EXPECT_STREQ(stored.at("OH1XY").mode, "FT4");
  EXPECT_EQ(stored.at("OH1XY").band, 4);
  EXPECT_NE(frame_.text().find("No Errors.\n6 records imported.\n"), std::string::npos);
}

TEST_F(RealCountryTest, Adif2FileWithPskModes) {
  auto stored = import("adif2.adi");
  ASSERT_EQ(stored.size(), 6u);
  for (const char* call : {"DL1ABC", "UA3XYZ", "ZS6ABC", "VK2XYZ", "PY2XYZ"})
    EXPECT_STREQ(stored.at(call).mode, "PSK") << call;
  EXPECT_STREQ(stored.at("W4XYZ").mode, "RTTY");
  EXPECT_STREQ(stored.at("DL1ABC").date, "03-15-08");
}

TEST_F(RealCountryTest, OnlineBackupWithFrequencyInHertz) {
  auto stored = import("backup.adi");
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored.at("EA5XYZ").band, 20);
  EXPECT_STREQ(stored.at("EA5XYZ").freq, "14.000.00");
  EXPECT_EQ(stored.at("9A2XY").band, 40);
  EXPECT_EQ(stored.at("K4XYZ").band, 60);
  EXPECT_STREQ(stored.at("K4XYZ").freq, "5.357.00");
  // Without BAND a frequency in Hz gives no band: that one is logged.
  EXPECT_EQ(kstest::readFile((dir_ / "backup.ERR").string()),
            "LZ1XY 11-07-23 12:00 CW 14025000   Bulgaria N N 0\n\n"
            "; Missing or unsupported frequency\n");
}

TEST_F(RealCountryTest, AlphabeticalFileKeepsItsZonesAndMarksSatellites) {
  auto stored = import("alphabetical.adi");
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored.at("W6XYZ").cqZone, 4);  // the call area would say 3
  EXPECT_EQ(stored.at("W6XYZ").ituZone, 7);
  EXPECT_EQ(stored.at("UA9AXY").cqZone, 18);
  EXPECT_EQ(stored.at("UA9AXY").ituZone, 31);
  EXPECT_STREQ(stored.at("UA9AXY").prefix, "UA9");
  EXPECT_STREQ(stored.at("K5XYZ").satId, "AO-91");
  EXPECT_STREQ(stored.at("DL9XYZ").continent, "EU");
  EXPECT_STREQ(stored.at("W6XYZ").satId, "");
}

TEST_F(RealCountryTest, OneLetterPortableCalls) {
  auto stored = import("portable.adi");
  ASSERT_EQ(stored.size(), 5u);
  EXPECT_STREQ(stored.at("F/DL3RBF").qth, "France");
  EXPECT_STREQ(stored.at("I/OE7RDI").qth, "Italy");
  EXPECT_STREQ(stored.at("M/N6JFD").qth, "England");
  EXPECT_STREQ(stored.at("W/G3ABC").prefix, "K");
  EXPECT_STREQ(stored.at("DL3RBF/P").prefix, "DL");
}

TEST_F(RealCountryTest, AlaskaHasItsStateKeys) {
  const fs::path file = dir_ / "alaska.adi";
  std::ofstream(file) << "<EOH><CALL:5>KL7XY<QSO_DATE:8>20240101<FREQ:6>14.025<MODE:2>CW"
                         "<STATE:2>AK<EOR>";
  PrefixServices services(task_);
  ASSERT_EQ(importAdif(nullptr, task_, frame_, services, {}, file.string()), ImportEnd::Completed);
  ASSERT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
  LogRecord alaska{};
  dbRecordRead(&alaska, task_, 0);
  EXPECT_STREQ(alaska.prefix, "KL7");
  EXPECT_EQ(isUSA(alaska.prefix), 1);
  char state[3] = "AK";
  EXPECT_EQ(dbKeyFind(logfield::kState, state, task_, 0), RECDB_OK);
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
  std::ofstream(file) << "<EOH><CALL:8>W1ABC/MM<QSO_DATE:8>20240101<FREQ:6>14.025<MODE:2>CW<EOR>"
                         "<CALL:4>QQQQ<QSO_DATE:8>20240101<FREQ:6>14.025<MODE:2>CW<EOR>";
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
