#include "session.h"

#include <gtest/gtest.h>

#include "testing/tempdir.h"
#include "testlogbook.h"

namespace ksimport {
namespace {

using SessionTest = testlog::LogbookTest;
namespace fs = std::filesystem;

TEST_F(SessionTest, EveryRecordFailingKeepsTheErrorLog) {
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  const int missingCall[] = {1};
  const int badModeAndBand[] = {4, 3};
  EXPECT_TRUE(session.complete(contact("", 20), missingCall));
  EXPECT_TRUE(session.complete(contact("W1AW", 0), badModeAndBand));
  session.end(false, &header_);
  EXPECT_EQ(frame_.text(),
            "Beginning ADIF File Import.\nADIF Import Complete.\n"
            "0 records imported.\n2 records not imported.\nSee " +
                session.errorLogName() + " for details.\n");
  EXPECT_EQ(session.errorLogName(), (dir_ / "contest.ERR").string());
  const std::string log = read(session.errorLogName());
  EXPECT_NE(log.find("\n\n; Missing call sign\n"), std::string::npos);
  EXPECT_NE(log.find("; Missing or unsupported mode\n; Missing or unsupported frequency\n"),
            std::string::npos);
  EXPECT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_END);
  EXPECT_EQ(frame_.lastProgress, 2);
  EXPECT_EQ(frame_.progressShown, (std::vector<bool>{true, false}));
}

TEST_F(SessionTest, CleanImportStoresKeysAndRemovesTheErrorLog) {
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  LogRecord stateful = contact("W1AW", 6, "MA", "FN42");
  stateful.countyNumber = static_cast<int32_t>(FindCounty(task_, "MA", "Middlesex"));
  ASSERT_GT(stateful.countyNumber, 0);
  EXPECT_TRUE(session.complete(stateful, {}));
  EXPECT_TRUE(session.complete(contact("DL1ABC", 20, "", "JO31"), {}));
  session.end(false, &header_);
  EXPECT_EQ(frame_.rebuilds, 1);
  EXPECT_NE(frame_.text().find("No Errors.\n2 records imported.\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(session.errorLogName()));

  // The US contact on 6 m is in the state, grid and county keys; the one
  // from Germany on 20 m in none of them.
  EXPECT_EQ(dbKeyFind(logfield::kState, "MA", task_, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kGrid, "FN42\0\0", task_, 0), RECDB_OK);
  EXPECT_EQ(dbKeyFind(logfield::kCountyNumber, &stateful.countyNumber, task_, 0), RECDB_OK);
  EXPECT_NE(dbKeyFind(logfield::kGrid, "JO31\0\0", task_, 0), RECDB_OK);
  // No questions but the two asked before the import.
  EXPECT_EQ(host_.boxes().size(), 2u);
}

TEST_F(SessionTest, ValueReportIsWrittenAndOffered) {
  host_.queueAnswer(IDYES);  // value report
  host_.queueAnswer(IDNO);   // tags for labels
  host_.queueAnswer(IDYES);  // view the report
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  EXPECT_FALSE(session.tagForLabels());
  EXPECT_TRUE(session.complete(contact("W1AW", 6, "MA", "FN42"), {}));
  session.end(false, &header_);
  const std::string report = read(session.reportName());
  EXPECT_NE(report.find("W1AW"), std::string::npos);
  EXPECT_NE(report.find("New grid on 6.\r\n"), std::string::npos);
  EXPECT_EQ(frame_.shownReport, session.reportName());
  ASSERT_EQ(host_.boxes().size(), 3u);
  EXPECT_EQ(host_.boxes()[0].caption, "Value Report");
  EXPECT_EQ(host_.boxes()[1].caption, "Tags for Labels");
  EXPECT_EQ(host_.boxes()[2].text, "Do you wish to view the Import award value report?");
}

TEST_F(SessionTest, ReportReadsTheLogbookTallies) {
  CountryTally germany{};
  std::strcpy(germany.prefix, "DL");
  germany.awardFlags[0] = 1;  // worked, not confirmed
  ASSERT_EQ(dbRecordCreate(kCountryTallyType, &germany, task_, 0), RECDB_OK);
  ZoneTally zone{};
  zone.zone = 5;
  zone.awardFlags[0] = zone.awardFlags[1] = 1;  // worked and confirmed
  ASSERT_EQ(dbRecordCreate(kZoneTallyType, &zone, task_, 0), RECDB_OK);
  host_.queueAnswer(IDYES);
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  EXPECT_TRUE(session.complete(contact("DL1ABC", 20), {}));
  EXPECT_TRUE(session.complete(contact("DL2XYZ", 20), {}));
  session.end(false, &header_);
  const std::string report = read(session.reportName());
  // Both contacts rated alike: the import does not change the tallies.
  size_t first = report.find("DXCC Country worked, but not confirmed.\r\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(report.find("DXCC Country worked, but not confirmed.\r\n", first + 1), std::string::npos);
  EXPECT_EQ(report.find("New CQ Zone.\r\n"), std::string::npos);
  EXPECT_NE(report.find("New CQ Zone on 20.\r\n"), std::string::npos);
}

TEST_F(SessionTest, CancelKeepsWhatWasStored) {
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  EXPECT_TRUE(session.complete(contact("W1AW", 20), {}));
  session.end(true, &header_);
  EXPECT_EQ(frame_.rebuilds, 0);
  EXPECT_NE(frame_.text().find("ADIF Import terminated at user request.\n"), std::string::npos);
  ASSERT_FALSE(host_.boxes().empty());
  EXPECT_EQ(host_.boxes().back().caption, "Import Aborted");
  EXPECT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
}

TEST_F(SessionTest, InputCutShortIsNotReportedAsComplete) {
  ImportSession session(nullptr, task_, frame_, Importer::Adif, texts_);
  ASSERT_TRUE(session.begin(adif_));
  EXPECT_TRUE(session.complete(contact("W1AW", 20), {}));
  session.end(false, &header_, true);
  EXPECT_EQ(frame_.text(),
            "Beginning ADIF File Import.\nADIF Import terminated due to an error.\n"
            "No Errors.\n1 records imported.\n");
  EXPECT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
}

TEST_F(SessionTest, ErrorLogThatCannotBeCreatedStopsTheImport) {
  ImportSession session(nullptr, task_, frame_, Importer::Other, texts_);
  EXPECT_FALSE(session.begin((dir_ / "missing" / "log.adi").string()));
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].caption, "Error Log");
  EXPECT_EQ(host_.boxes()[0].text,
            "Error Opening File " + (dir_ / "missing" / "log.ERR").string() + ".");
  EXPECT_TRUE(frame_.progressShown.empty());
}

TEST_F(SessionTest, FindCounty) {
  EXPECT_GT(FindCounty(task_, "MA", "essex"), 0);
  EXPECT_EQ(FindCounty(task_, "MA", "NOWHERE"), -1);
  EXPECT_EQ(FindCounty(task_, "CT", "ESSEX"), -1);
}

TEST(CountyFile, FillsANewCountyDatabase) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const kstest::TempDir temp;
  const fs::path dir = temp.path();
  std::string error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::county(), dir.string(), "USCOUNTY", error),
            RECDB_OK);
  EXPECT_TRUE(ksschema::fillCountyDatabase(dir.string(), KESTREL_DATA_DIR "/uscounty.txt", error)) << error;
  EXPECT_FALSE(ksschema::fillCountyDatabase(dir.string(), (dir / "none.txt").string(), error));
  EXPECT_EQ(error, "cannot read " + (dir / "none.txt").string());

  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  ASSERT_EQ(dbOpen((dir / "USCOUNTY").c_str(), "o", task), RECDB_OK);
  ASSERT_EQ(dbOpenAdd((dir / "USCOUNTY").c_str(), task), RECDB_OK);
  ASSERT_EQ(dbOpenAdd((dir / "USCOUNTY").c_str(), task), RECDB_OK);  // as database 2
  EXPECT_GT(FindCounty(task, "MA", "Middlesex"), 0);
  EXPECT_GT(FindCounty(task, "AK", "PRINCE OF WALES-HYDER"), 0);
  EXPECT_EQ(FindCounty(task, "MA", "MIDDLESEX COUNTY"), -1);
  dbCloseTask(task);
}

}  // namespace
}  // namespace ksimport
