#include "adifexport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "funct/ksfunct.h"
#include "testing/testdb.h"

namespace ksexport {
namespace {

using Fields = std::map<std::string, std::string>;

// Reads one exported line back by the lengths it declares, so that a
// wrong length shows as a wrong or missing field.
std::vector<Fields> readRecords(const std::string& text) {
  std::vector<Fields> records;
  Fields current;
  size_t at = text.find("<EOH>");
  if (at == std::string::npos) return records;
  at += 5;
  while ((at = text.find('<', at)) != std::string::npos) {
    const size_t close = text.find('>', at);
    const std::string tag = text.substr(at + 1, close - at - 1);
    at = close + 1;
    if (tag == "EOR") {
      records.push_back(current);
      current.clear();
      continue;
    }
    const size_t colon = tag.find(':');
    const size_t length = std::stoul(tag.substr(colon + 1));
    current[tag.substr(0, colon)] = text.substr(at, length);
    at += length;
  }
  return records;
}

TEST(AdifExportDates, FullYearThroughTheLogsWindow) {
  // Every form of the log's date, both centuries, the window's edges.
  EXPECT_EQ(adifDate("12-31-99"), "19991231");
  EXPECT_EQ(adifDate("01-01-45"), "19450101");
  EXPECT_EQ(adifDate("12-31-44"), "20441231");
  EXPECT_EQ(adifDate("01-01-00"), "20000101");
  EXPECT_EQ(adifDate("29/02/00"), "20000229");
  EXPECT_EQ(adifDate("70.12.30"), "19701230");
  EXPECT_EQ(adifDate("02-29-23"), "");
  EXPECT_EQ(adifDate(""), "");
  EXPECT_EQ(adifDate("garbage!"), "");
  // Every day from 1945 to 2044 comes back as the day it was.
  for (int day = CalcJulianDate("01-01-45"); day <= CalcJulianDate("12-31-44"); day += 7) {
    const std::string adif = adifDateOfDay(day);
    ASSERT_EQ(dayOfAdifDate(adif), day) << adif;
    char logText[16];
    std::snprintf(logText, sizeof logText, "%.2s-%.2s-%.2s", adif.c_str() + 4, adif.c_str() + 6,
                  adif.c_str() + 2);
    ASSERT_EQ(CalcJulianDate(logText), day) << logText;
  }
  EXPECT_EQ(dayOfAdifDate("2024-02-29"), CalcJulianDate("02-29-24"));
  EXPECT_EQ(dayOfAdifDate("20230229"), 0);
  EXPECT_EQ(dayOfAdifDate("2024"), 0);
}

TEST(AdifExportModes, LogWordsToModeAndSubmode) {
  struct Case {
    const char* log;
    const char* mode;
    const char* submode;
  };
  const Case cases[] = {{"FT4", "MFSK", "FT4"}, {"PSK", "PSK", ""},   {"USB", "SSB", "USB"},
                        {"LSB", "SSB", "LSB"},  {"CW", "CW", ""},     {"AMT", "TOR", ""},
                        {"JS8", "MFSK", "JS8"}, {"FT8", "FT8", ""},   {"SAT", "", ""},
                        {"XYZ", "XYZ", ""}};
  for (const Case& c : cases) {
    const AdifMode adif = adifMode(c.log);
    EXPECT_EQ(adif.mode, c.mode) << c.log;
    EXPECT_EQ(adif.submode, c.submode) << c.log;
  }
  EXPECT_EQ(adifBandName(20), "20m");
  EXPECT_EQ(adifBandName(432), "70cm");
  EXPECT_EQ(adifBandName(220), "1.25m");
  EXPECT_EQ(adifBandName(0), "");
}

TEST(AdifExportFields, FrequencyIotaAndQslLetters) {
  EXPECT_EQ(adifFrequency("14.025", 20), "14.025");
  EXPECT_EQ(adifFrequency(" 7.012 ", 40), "7.012");
  EXPECT_EQ(adifFrequency("14.000.00", 20), "");  // the band's default: BAND says it
  EXPECT_EQ(adifFrequency("14.000.00", 0), "14.00000");
  EXPECT_EQ(adifFrequency(".5", 0), "0.5");
  EXPECT_EQ(adifFrequency("14,025", 20), "");
  EXPECT_EQ(adifFrequency("", 20), "");
  EXPECT_EQ(adifIota(4 * 4096 + 5), "EU-005");
  EXPECT_EQ(adifIota(6 * 4096 + 1024 + 123), "OC-123");
  EXPECT_EQ(adifIota(0), "");
  EXPECT_EQ(adifQslLetter('S'), 'R');
  EXPECT_EQ(adifQslLetter('y'), 'Y');
  EXPECT_EQ(adifQslLetter('\0'), 'N');
}

TEST(AdifExportDxcc, ShippedListAndBadLines) {
  DxccTable table;
  std::string error;
  ASSERT_TRUE(table.load(std::string(KESTREL_DATA_DIR) + "/DXCC.TXT", error)) << error;
  EXPECT_EQ(table.entity("K"), 291);
  EXPECT_EQ(table.entity("DL"), 230);
  EXPECT_EQ(table.entity("DA-DM"), 81);  // deleted entities too
  EXPECT_EQ(table.entity("GM/s"), 279);  // counted with Scotland
  EXPECT_EQ(table.entity("MM"), 0);
  kstest::TempDir dir;
  kstest::writeFile(dir / "bad.txt", "K 291\nDL\n");
  EXPECT_FALSE(table.load(dir / "bad.txt", error));
  EXPECT_NE(error.find(":2:"), std::string::npos) << error;
  EXPECT_FALSE(table.load(dir / "missing.txt", error));
}

LogRecord sampleContact() {
  LogRecord r{};
  KS_SET(r.call, "VP2E/W1AW");
  KS_SET(r.date, "07-04-23");
  r.julianDay = CalcJulianDate(r.date);
  KS_SET(r.time, "15:30");
  KS_SET(r.mode, "USB");
  KS_SET(r.freq, "14.250");
  r.band = 20;
  KS_SET(r.rstSent, "59");
  KS_SET(r.rstRcvd, "57");
  KS_SET(r.power, "100");
  KS_SET(r.name, "Jos\xc3\xa9");
  KS_SET(r.city, "Los Angeles");
  KS_SET(r.qth, "United States");
  KS_SET(r.remarks, "Los Angeles");
  KS_SET(r.qslSent, "S");
  KS_SET(r.qslRcvd, "Y");
  KS_SET(r.qslDate, "09-01-23");
  KS_SET(r.prefix, "K");
  KS_SET(r.continent, "NA");
  KS_SET(r.state, "CA");
  KS_SET(r.grid, "DM04ab");
  r.cqZone = 3;
  r.ituZone = 6;
  r.iotaCode = 5 * 4096 + 42;
  return r;
}

TEST(AdifExportRecord, EveryFieldWithItsByteLength) {
  DxccTable dxcc;
  std::string error;
  ASSERT_TRUE(dxcc.load(std::string(KESTREL_DATA_DIR) + "/DXCC.TXT", error)) << error;
  std::string out;
  appendRecord(out, sampleContact(), &dxcc, "CA", "LOS ANGELES");
  ASSERT_EQ(out.back(), '\n');
  EXPECT_EQ(out.find('\n'), out.size() - 1) << "one record, one line";
  const std::vector<Fields> records = readRecords("<EOH>" + out);
  ASSERT_EQ(records.size(), 1u);
  const Fields& f = records[0];
  const Fields expected = {
      {"CALL", "VP2E/W1AW"}, {"QSO_DATE", "20230704"}, {"TIME_ON", "1530"},
      {"BAND", "20m"},       {"FREQ", "14.250"},       {"MODE", "SSB"},
      {"SUBMODE", "USB"},    {"RST_SENT", "59"},       {"RST_RCVD", "57"},
      {"TX_PWR", "100"},     {"NAME", "Jos\xc3\xa9"},  {"QTH", "Los Angeles"},
      {"STATE", "CA"},       {"CNTY", "CA,Los Angeles"}, {"GRIDSQUARE", "DM04ab"},
      {"QSL_SENT", "R"},     {"QSL_RCVD", "Y"},        {"QSLRDATE", "20230901"},
      {"CONT", "NA"},        {"CQZ", "3"},             {"ITUZ", "6"},
      {"DXCC", "291"},       {"COUNTRY", "United States"}, {"IOTA", "NA-042"}};
  EXPECT_EQ(f, expected);
  EXPECT_NE(out.find("<NAME:5>Jos\xc3\xa9"), std::string::npos) << out;

  // Remarks that are not the county go out as a comment beside it; a
  // satellite contact says so.
  LogRecord sat = sampleContact();
  KS_SET(sat.remarks, "via bureau");
  KS_SET(sat.mode, "SAT");
  KS_SET(sat.satId, "AO-7");
  out.clear();
  appendRecord(out, sat, nullptr, "CA", "LOS ANGELES");
  const Fields g = readRecords("<EOH>" + out).at(0);
  EXPECT_EQ(g.at("COMMENT"), "via bureau");
  EXPECT_EQ(g.at("CNTY"), "CA,LOS ANGELES");
  EXPECT_EQ(g.at("PROP_MODE"), "SAT");
  EXPECT_EQ(g.at("SAT_NAME"), "AO-7");
  EXPECT_EQ(g.count("MODE"), 0u);
  EXPECT_EQ(g.count("DXCC"), 0u);
}

using AdifExportLogbook = kstest::LogbookTest;

TEST_F(AdifExportLogbook, AFailedWriteIsAnError) {
  create(sampleContact());
  ExportSources sources;
  sources.task = task;
  // A full disk: the failure is reported, and the device is left alone.
  ExportResult result = exportLogbook(sources, ExportOptions{}, "/dev/full");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("/dev/full"), std::string::npos) << result.error;
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
  result = exportLogbook(sources, ExportOptions{}, dir / "no/such/dir/out.adi");
  EXPECT_FALSE(result.ok);
}

}  // namespace
}  // namespace ksexport
