// Foreign files imported into a logbook end to end: the questions, the
// error log, the value report, the console and what a broken file leaves.
#include "foreign.h"

#include <gtest/gtest.h>

#include "funct/ksfunct.h"
#include "prefix/ksprefix.h"
#include "testlogbook.h"
#include "writers/foreignwrite.h"

namespace ksimport {
namespace {

using writers::ForeignContact;

// K and W calls are in the USA, D calls in Germany, Q calls nowhere.
class Services : public ForeignServices {
 public:
  bool resolveCountry(LogRecord& r) override {
    if (r.call[0] == 'Q') return false;
    const bool usa = r.call[0] == 'K' || r.call[0] == 'W';
    std::strcpy(r.prefix, usa ? "K" : "DL");
    std::strcpy(r.qth, usa ? "United States" : "Germany");
    r.cqZone = usa ? 5 : 14;
    return true;
  }
  int bandOf(double mhz) override { return GetBand(mhz); }
  long findCounty(const char*, const char*) override { return -1; }
  bool countryByPrefix(const char*, LogRecord&) override { return false; }
};

class ForeignImportTest : public testlog::LogbookTest {
 protected:
  ImportEnd run(ForeignFormat format, const std::string& name, const std::string& data) {
    path_ = (dir_ / name).string();
    std::ofstream(path_, std::ios::binary) << data;
    return importForeign(format, nullptr, task_, frame_, services_, options_, path_);
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
  bool consoleHas(const std::string& text) const {
    return frame_.text().find(text) != std::string::npos;
  }
  std::string besideFile(const char* extension) const {
    return read(path_.substr(0, path_.rfind('.') + 1) + extension);
  }

  Services services_;
  ForeignOptions options_;
  std::string path_;
};

using Calls = std::vector<std::string>;

TEST_F(ForeignImportTest, CtAsksForTagsWritesTheReportAndLogsRejects) {
  ForeignContact good;
  good.call = "DL1ABC";
  good.exchange = "14";
  ForeignContact bad = good;
  bad.call = "Q1XYZ";
  host_.queueAnswer(IDYES);  // tag the contacts for labels
  host_.queueAnswer(IDNO);   // do not open the report
  EXPECT_EQ(run(ForeignFormat::Ct, "contest.RES", writers::writeCt({good, bad})),
            ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"DL1ABC"}));
  ASSERT_GE(host_.boxes().size(), 2u);
  EXPECT_EQ(host_.boxes()[0].text, "Do you wish to tag all CT records for labels?");
  EXPECT_EQ(host_.boxes()[0].caption, "Tags for Labels");
  EXPECT_EQ(host_.boxes()[1].text, "Do you wish to view the Import award value report?");
  EXPECT_NE(besideFile("VAL").find("DL1ABC"), std::string::npos);
  EXPECT_EQ(besideFile("ERR"),
            "Q1XYZ 03-15-24 14:05 CW 14.025.00 579 599  Y Y \n\n"
            "; Cannot determine prefix from callsign\n");
  EXPECT_EQ(frame_.text(), "Beginning CT File Import.\nCT File Import Complete.\n"
                           "1 records imported.\n1 records not imported.\nSee " +
                               path_.substr(0, path_.rfind('.')) + ".ERR for details.\n");
  ASSERT_EQ(dbRecordFirst(kLogRecordType, task_, 0), RECDB_OK);
  LogRecord stored{};
  ASSERT_EQ(dbRecordRead(&stored, task_, 0), RECDB_OK);
  EXPECT_EQ(stored.tagged, 1);
  EXPECT_EQ(stored.cqZone, 14);
}

TEST_F(ForeignImportTest, LoggersWithoutQuestionsLogRejectsInTheirOwnForm) {
  ForeignContact c;
  c.mode = "XQ";
  EXPECT_EQ(run(ForeignFormat::PakRatt, "pakratt.log", writers::writePakRatt({c})),
            ImportEnd::Completed);
  EXPECT_TRUE(host_.boxes().empty());
  EXPECT_EQ(besideFile("ERR"),
            writers::writePakRatt({c}) + "\n; Missing or unsupported mode\n");

  ForeignContact lm;
  lm.call = "";
  EXPECT_EQ(run(ForeignFormat::LogMaster, "lm.DB", writers::writeLogMaster({lm, ForeignContact{}})),
            ImportEnd::Completed);
  const std::string log = besideFile("ERR");
  EXPECT_EQ(log.substr(log.find(' ')), "  03-15-24 14:05 CW 14.025.000 579 599" +
                                           std::string(5, ' ') + " N N\n\n; Missing call sign\n");
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  EXPECT_TRUE(consoleHas("Beginning LogMaster Import.\nLM File Import Complete.\n"));
}

TEST_F(ForeignImportTest, BrokenFilesKeepWhatCameBeforeAndSaySo) {
  ForeignContact a, b;
  b.call = "K1ABC";
  // HyperLog: a short line ends the import with its line number.
  const std::string hyper = writers::writeHyperLog({a}) + "03/15/24,1405,K1ABC\r\n" +
                            writers::writeHyperLog({b});
  EXPECT_EQ(run(ForeignFormat::HyperLog, "hyper.TXT", hyper), ImportEnd::Failed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  ASSERT_FALSE(host_.boxes().empty());
  EXPECT_EQ(host_.boxes().back().text, "Not enough fields to complete at line 2");
  EXPECT_EQ(host_.boxes().back().caption, "HyperLog Import");
  EXPECT_TRUE(consoleHas("HyperLog Import terminated due to an error.\nNo Errors.\n1 records imported.\n"));

  // LogMaster: a body over 512 bytes.
  std::string lm = writers::writeLogMaster({b});
  lm += std::string("\x10\x02", 2) + std::string(528, 'x');
  EXPECT_EQ(run(ForeignFormat::LogMaster, "big.DB", lm), ImportEnd::Failed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW", "K1ABC"}));
  EXPECT_EQ(host_.boxes().back().text, "Input record too large\nerror reading " + path_ + ".");
  EXPECT_TRUE(consoleHas("LM File Import terminated due to an error.\n"));

  // Easy-DX: the last record cut short.
  const std::string easy = writers::writeEasyDx({a, b});
  EXPECT_EQ(run(ForeignFormat::EasyDx, "easy.DAT", easy.substr(0, easy.size() - 1)),
            ImportEnd::Failed);
  EXPECT_EQ(storedCalls().size(), 3u);
  EXPECT_TRUE(consoleHas("Stopped reading " + path_ +
                         " at record 2: the file ends inside it (67 of 68 bytes).\n"
                         "The contacts before it are kept.\n"));
}

TEST_F(ForeignImportTest, RttyFileOfAnotherVersion) {
  std::string file = writers::writeRtty({ForeignContact{}});
  file[87 + 2] = 3;
  host_.queueAnswer(IDNO);
  EXPECT_EQ(run(ForeignFormat::Rtty, "q1qa.BIN", file), ImportEnd::Failed);
  EXPECT_TRUE(storedCalls().empty());
  EXPECT_EQ(host_.boxes().front().text, "Do you wish to tag all Q1QA records for labels?");
  EXPECT_EQ(host_.boxes().back().text, "Incompatible version of file.");
  EXPECT_TRUE(consoleHas("Beginning RTTY by Q1QA File Import.\nIncompatible version of file."));
}

TEST_F(ForeignImportTest, MissingFile) {
  EXPECT_EQ(importForeign(ForeignFormat::DxBase, nullptr, task_, frame_, services_, options_,
                          (dir_ / "none.SDF").string()),
            ImportEnd::NotStarted);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "No such file: " + (dir_ / "none.SDF").string() + ".");
}

}  // namespace
}  // namespace ksimport
