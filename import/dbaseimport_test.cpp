#include "dbaseimport.h"

#include <gtest/gtest.h>

#include <map>

#include "foreigntest.h"
#include "dbf/dbfwrite.h"

namespace ksimport {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;
using Row = std::map<DbaseUse, std::string>;

struct Format {
  DbaseFormat format;
  const char* beginning;
  const char* complete;
};

class DbaseImportTest : public testlog::ForeignImportTest,
                        public ::testing::WithParamInterface<Format> {
 protected:
  // A table of the format's layout with the rows given by what each value
  // means; rows marked deleted carry the deletion mark.
  std::string writeTable(DbaseFormat format, const std::vector<Row>& rows,
                         const std::vector<bool>& deleted = {}) {
    std::vector<ksdbf::writer::DbfColumn> columns;
    for (const DbaseColumn& column : dbaseLayout(format).columns)
      columns.push_back({column.name, column.type, column.length, column.decimals});
    ksdbf::writer::DbfWriter writer(columns);
    const std::string path = (dir_ / "log.dbf").string();
    EXPECT_TRUE(writer.open(path));
    for (size_t r = 0; r < rows.size(); ++r) {
      std::vector<std::string> values;
      for (const DbaseColumn& column : dbaseLayout(format).columns) {
        auto at = rows[r].find(column.use);
        values.push_back(at == rows[r].end() || column.use == DbaseUse::Ignored ? "" : at->second);
      }
      writer.add(values, r < deleted.size() && deleted[r]);
    }
    EXPECT_TRUE(writer.finish());
    return path;
  }
  static Row contact(const char* call, const char* date = "20240105", const char* freq = "14.0250",
                     const char* mode = "CW") {
    return {{DbaseUse::Call, call}, {DbaseUse::Date, date}, {DbaseUse::Freq, freq},
            {DbaseUse::Mode, mode}, {DbaseUse::Time, "1423"}};
  }
  std::string errorLog() { return read((dir_ / "log.ERR").string()); }
};

TEST_P(DbaseImportTest, EveryFormatImportsItsTable) {
  const Format format = GetParam();
  Row full = contact("W1AW", "19991231", "14.0250", "PSK31");
  full[DbaseUse::RstSent] = "599";
  full[DbaseUse::RstRcvd] = "579";
  full[DbaseUse::State] = "MA";
  full[DbaseUse::QslSent] = "T";
  full[DbaseUse::QslRcvd] = "F";
  full[DbaseUse::Name] = "Hiram";
  full[DbaseUse::Remarks] = "first";
  full[DbaseUse::QslDate] = "20000115";
  const std::string path = writeTable(format.format, {full, contact("DL1AB", "20240229", "7.0100")});
  context_.dateFormat = 2;
  EXPECT_EQ(importDbase(context_, format.format, path), ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 2u) << errorLog();
  const LogRecord& r = records[0];
  EXPECT_STREQ(r.call, "W1AW");
  EXPECT_STREQ(r.date, "99.12.31");
  EXPECT_EQ(r.julianDay, CalcJulianDate("99.12.31"));
  EXPECT_STREQ(r.time, "14:23");
  EXPECT_STREQ(r.freq, "14.0250");
  EXPECT_EQ(r.band, 20);
  EXPECT_STREQ(r.mode, "PSK");
  EXPECT_STREQ(r.rstSent, "599");
  EXPECT_STREQ(r.rstRcvd, "579");
  EXPECT_STREQ(r.state, "MA");
  EXPECT_STREQ(r.qslSent, "Y");
  EXPECT_STREQ(r.qslRcvd, "N");
  EXPECT_STREQ(r.name, "Hiram");
  EXPECT_STREQ(r.remarks, "first");
  EXPECT_STREQ(r.prefix, "K");
  EXPECT_STREQ(r.qth, "United States");
  EXPECT_STREQ(r.qslDate, format.format == DbaseFormat::LogPlus ? "00.01.15" : "");
  EXPECT_STREQ(records[1].date, "24.02.29");
  EXPECT_EQ(records[1].band, 40);
  EXPECT_EQ(frame_.text(), std::string(format.beginning) + format.complete +
                               "No Errors.\n2 records imported.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DbaseImportTest,
    ::testing::Values(
        Format{DbaseFormat::DxLog, "Beginning DXLog File Import.\n", "DXLog File Import Complete.\n"},
        Format{DbaseFormat::DxDesktop, "Beginning DX Desktop File Import.\n",
               "DX Desktop Import Complete.\n"},
        Format{DbaseFormat::LogPlus, "Beginning LogPlus! File Import.\n",
               "LogPlus! Import Complete.\n"},
        Format{DbaseFormat::SecondOp, "Beginning Q6QB 2nd Op File Import.\n",
               "Q6QB 2nd Op Import Complete.\n"}));

class DxLogImportTest : public DbaseImportTest {};

TEST_F(DxLogImportTest, PrefixColumnRemarksFlagsAndZones) {
  CountryRecord country{};
  std::strcpy(country.prefix, "VP8");
  std::strcpy(country.name, "Falkland Islands");
  std::strcpy(country.continent, "SA");
  country.cqZone = 13;
  country.ituZone = 16;
  ASSERT_EQ(dbRecordCreate(kCountryRecordType, &country, task_, 1), RECDB_OK);

  Row a = contact("VP8LP");
  a[DbaseUse::Prefix] = "VP8";
  a[DbaseUse::Remarks] = "QSL via ";
  a[DbaseUse::RemarksMore] = "G3ABC";
  a[DbaseUse::DxccFlag] = "T";
  a[DbaseUse::DxccBandFlag] = "T";
  Row b = contact("DL1AB");
  b[DbaseUse::Prefix] = "ZZZ";   // unknown: the call decides
  b[DbaseUse::CqZone] = "15";
  Row c = contact("DL2AB");      // empty zone: the country's
  const std::string path = writeTable(DbaseFormat::DxLog, {a, b, c});
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 3u) << errorLog();
  EXPECT_STREQ(records[0].prefix, "VP8");
  EXPECT_STREQ(records[0].qth, "Falkland Islands");
  EXPECT_STREQ(records[0].continent, "SA");
  EXPECT_EQ(records[0].cqZone, 13);
  EXPECT_EQ(records[0].ituZone, 16);
  EXPECT_STREQ(records[0].remarks, "QSL viaG3ABC");  // trailing blanks of a field dropped
  EXPECT_EQ(records[0].dxccFlag, 1);
  EXPECT_EQ(records[0].dxccModeFlag, 0);
  EXPECT_EQ(records[0].dxccBandFlag, 1);
  EXPECT_STREQ(records[1].prefix, "DL");
  EXPECT_EQ(records[1].cqZone, 15);
  EXPECT_EQ(records[2].cqZone, 14);
  EXPECT_EQ(records[2].ituZone, 28);
}

TEST_F(DxLogImportTest, DeletedRecordsAreSkippedAndCounted) {
  const std::string path = writeTable(
      DbaseFormat::DxLog, {contact("W1AW"), contact("W2AW"), contact("W3AW"), contact("W4AW")},
      {false, true, false, true});
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW", "W3AW"}));
  EXPECT_NE(frame_.text().find("2 deleted records skipped.\n"), std::string::npos);
  EXPECT_NE(frame_.text().find("No Errors.\n2 records imported.\n"), std::string::npos);
}

TEST_F(DxLogImportTest, RejectedContactsAreLoggedWithTheirTexts) {
  const std::string path = writeTable(
      DbaseFormat::DxLog, {contact("W1AW"), contact("", "20240105", "14.0250"),
                           contact("QA1A", "20240105", "3.5000", "XYZ"),
                           contact("W2AW", "19390101"), contact("W3AW", "")});
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  EXPECT_EQ(errorLog(),
            " 01-05-24 14:23 CW 14.0250    N N \n\n; Missing call sign\n"
            "QA1A 01-05-24 14:23 XYZ 3.5000    N N \n\n; Cannot determine prefix from callsign\n"
            "; Missing or unsupported frequency\n; Missing or unsupported mode\n"
            "W2AW 01-01-39 14:23 CW 14.0250    N N \n\n; Missing day or unsupported format\n"
            "W3AW  14:23 CW 14.0250    N N \n\n; Missing day or unsupported format\n");
  EXPECT_NE(frame_.text().find("1 records imported.\n4 records not imported.\n"),
            std::string::npos);
}

// Tables that are damaged or of another program: refused before anything
// is stored, or read as far as they hold whole records.
TEST_F(DxLogImportTest, DamagedTables) {
  std::string good =
      kstest::readFile(writeTable(DbaseFormat::DxLog, {contact("W1AW"), contact("W2AW")}));
  const std::string path = (dir_ / "bad.dbf").string();

  std::string bytes = good;
  bytes[32 + 16] = 13;  // CALL a byte shorter than the record says
  kstest::writeFile(path, bytes);
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::NotStarted);
  EXPECT_NE(frame_.text().find("its field lengths do not add up to its record length"),
            std::string::npos);
  EXPECT_EQ(host_.boxes().back().text, "Error Opening File " + path + ".");
  EXPECT_FALSE(fs::exists(dir_ / "bad.ERR"));

  // Another logger's table: too few fields.
  const std::string other = kstest::readFile(writeTable(DbaseFormat::SecondOp, {contact("W1AW")}));
  kstest::writeFile(path, other);
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::NotStarted);
  EXPECT_NE(frame_.text().find("does not hold the fields of a DXLog log"), std::string::npos);

  kstest::writeFile(path, "garbage\x01\x02 that is no table at all");
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::NotStarted);
  EXPECT_TRUE(storedCalls().empty());

  // A count far past the end of the file: the whole records there are read.
  bytes = good;
  bytes[6] = 0x10;
  kstest::writeFile(path, bytes.substr(0, bytes.size() - 10));
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  EXPECT_NE(frame_.text().find("the 1 whole records in it are read"), std::string::npos);

  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, (dir_ / "none.dbf").string()),
            ImportEnd::NotStarted);
  EXPECT_EQ(host_.boxes().back().text, "No such file: " + (dir_ / "none.dbf").string() + ".");
}

TEST_F(DxLogImportTest, CancelKeepsWhatWasStored) {
  frame_.cancelAt = 2;
  const std::string path =
      writeTable(DbaseFormat::DxLog, {contact("W1AW"), contact("W2AW"), contact("W3AW")});
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxLog, path), ImportEnd::Cancelled);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW", "W2AW"}));
  EXPECT_NE(frame_.text().find("DXLog Import terminated at user request.\n"), std::string::npos);
  EXPECT_EQ(host_.boxes().back().caption, "Import Aborted");
}

TEST_F(DxLogImportTest, DxDesktopWritesRttyShort) {
  const std::string path = writeTable(DbaseFormat::DxDesktop, {contact("W1AW", "20240105",
                                                                       "14.0850", "RTY")});
  EXPECT_EQ(importDbase(context_, DbaseFormat::DxDesktop, path), ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 1u) << errorLog();
  EXPECT_STREQ(records[0].mode, "RTTY");
}

}  // namespace
}  // namespace ksimport
