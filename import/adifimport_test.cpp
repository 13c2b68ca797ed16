#include "adifimport.h"

#include <gtest/gtest.h>

#include "testlogbook.h"

namespace ksimport {
namespace {

namespace fs = std::filesystem;

// Calls starting with K, N or W are in the USA, with their state's keys;
// other calls are in Germany; 14 MHz is 20 m and 50 MHz 6 m.
class Services : public RecordServices {
 public:
  bool resolveCountry(LogRecord& record) override {
    const char c = record.call[0];
    std::strcpy(record.prefix, c == 'K' || c == 'N' || c == 'W' ? "K" : "DL");
    std::strcpy(record.qth, c == 'K' || c == 'N' || c == 'W' ? "United States" : "Germany");
    record.cqZone = c == 'D' ? 14 : 5;
    return c != 'Q';
  }
  int bandOf(double mhz) override {
    if (mhz >= 14.0 && mhz <= 14.35) return 20;
    if (mhz >= 50.0 && mhz <= 54.0) return 6;
    return 0;
  }
  explicit Services(DB_TASK* task) : task_(task) {}
  long findCounty(const char* state, const char* county) override {
    return FindCounty(task_, state, county);
  }

 private:
  DB_TASK* task_;
};

class AdifImportTest : public testlog::LogbookTest {
 protected:
  ImportEnd run(const std::string& text) {
    std::ofstream(adif_, std::ios::binary) << text;
    Services services(task_);
    return importAdif(nullptr, task_, frame_, services, {0, 0, false}, adif_);
  }
  std::vector<std::string> storedCalls() {
    std::vector<std::string> calls;
    for (int r = dbRecordFirst(kLogRecordType, task_, 0); r == RECDB_OK;
         r = dbRecordNext(task_, 0)) {
      LogRecord record{};
      dbRecordRead(&record, task_, 0);
      calls.emplace_back(record.call);
    }
    return calls;
  }
};

using Calls = std::vector<std::string>;

TEST_F(AdifImportTest, OneContactOfTheLastDayOf1999) {
  EXPECT_EQ(run("hdr <EOH>\n<CALL:4>W1AW <QSO_DATE:8>19991231 <MODE:2>CW <FREQ:6>14.025 "
                "<STATE:2>MA <CNTY:12>MA,Middlesex <EOR>\n"),
            ImportEnd::Completed);
  ASSERT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
  LogRecord stored{};
  ASSERT_EQ(dbRecordRead(&stored, task_, 0), RECDB_OK);
  EXPECT_STREQ(stored.date, "12-31-99");
  EXPECT_EQ(stored.band, 20);
  EXPECT_EQ(stored.uscaFlag, 1);
  EXPECT_EQ(stored.countyNumber, FindCounty(task_, "MA", "MIDDLESEX"));
  EXPECT_EQ(frame_.text(),
            "Beginning ADIF File Import.\nADIF Import Complete.\nNo Errors.\n1 records imported.\n");
}

TEST_F(AdifImportTest, GoodRecordsStoredBadOnesLogged) {
  EXPECT_EQ(run("<CALL:4>W1AW<QSO_DATE:8>20240101<MODE:2>CW<FREQ:6>14.025<EOR>"
                "<CALL:5>DL1AB<QSO_DATE:8>19391231<MODE:3>SSB<FREQ:6>14.200<EOR>"
                "<CALL:5>K1ABC<QSO_DATE:8>20240101<MODE:6>XOLIVI<FREQ:6>50.100<EOR>"
                "<CALL:5>N1XYZ<QSO_DATE:8>20240102<MODE:3>SSB<BAND:2>6m<EOR>"),
            ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW", "N1XYZ"}));
  const std::string log = [&] {
    std::ifstream in(dir_ / "contest.ERR");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }();
  EXPECT_NE(log.find("DL1AB"), std::string::npos);
  EXPECT_NE(log.find("; Missing day or unsupported format\n"), std::string::npos);
  EXPECT_NE(log.find("; Missing or unsupported mode\n"), std::string::npos);
  EXPECT_NE(frame_.text().find("2 records imported.\n2 records not imported.\n"),
            std::string::npos);
}

TEST_F(AdifImportTest, CancelKeepsTheRecordsStoredSoFar) {
  frame_.cancelAt = 2;
  std::string text = "<EOH>";
  for (int i = 0; i < 5; ++i)
    text += "<CALL:4>W1A" + std::to_string(i) + "<QSO_DATE:8>20240101<MODE:2>CW<FREQ:6>14.025<EOR>";
  EXPECT_EQ(run(text), ImportEnd::Cancelled);
  EXPECT_EQ(storedCalls(), (Calls{"W1A0", "W1A1"}));
  EXPECT_EQ(host_.boxes().back().caption, "Import Aborted");
}

TEST_F(AdifImportTest, FileWithoutHeaderEndSaysSo) {
  EXPECT_EQ(run("Exported log\n<CALL:4>W1AW<EOR><CALL:4>W2AW<EOR>\n"), ImportEnd::Completed);
  EXPECT_TRUE(storedCalls().empty());
  EXPECT_NE(frame_.text().find("The file has no <EOH> ending its header: 2 records were not read.\n"),
            std::string::npos);
}

TEST_F(AdifImportTest, ProblemsOfTheFileGoToTheConsole) {
  EXPECT_EQ(run("<EOH>\n<CALL:4>W1AW <NAME:-3>Bob <FREQ:6>14.025 <QSO_DATE:8>20240101 "
                "<MODE:2>CW <EOR>\n"),
            ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  EXPECT_NE(frame_.text().find("Line 2: tag <NAME:-3> has no usable length; skipped\n"),
            std::string::npos);
}

TEST_F(AdifImportTest, IncompleteRecordsAreLoggedWithTheirDateAndEmptyOnesSkipped) {
  EXPECT_EQ(run("\r\n\r\n<CALL:4>W1AW<QSO_DATE:8>20240101<MODE:2>CW<FREQ:6>14.025<EOR>\r\n"
                "<EOR><EOR>\r\n"
                "<QSO_DATE:8>20240102<MODE:2>CW<FREQ:6>14.025<EOR>\r\n"
                "<CALL:5>K1ABC<QSO_DATE:8>19390615<MODE:2>CW<FREQ:6>14.025<EOR>\r\n"),
            ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  std::ifstream in(dir_ / "contest.ERR");
  std::stringstream log;
  log << in.rdbuf();
  EXPECT_NE(log.str().find("K1ABC 06-15-39 "), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("; Missing call sign\n"), std::string::npos);
  // The blank lines before the first tag leave the file without a header, and
  // the empty records count for nothing.
  EXPECT_NE(frame_.text().find("1 records imported.\n2 records not imported.\n"),
            std::string::npos)
      << frame_.text();
}

TEST_F(AdifImportTest, MissingFile) {
  Services services(task_);
  EXPECT_EQ(importAdif(nullptr, task_, frame_, services, {}, (dir_ / "none.adi").string()),
            ImportEnd::NotStarted);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "No such file: " + (dir_ / "none.adi").string() + ".");
}

}  // namespace
}  // namespace ksimport
