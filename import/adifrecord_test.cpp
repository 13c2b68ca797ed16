#include "adifrecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "funct/ksfunct.h"

namespace ksimport {
namespace {

// Stands in for the prefix library and the county database: calls starting
// with K or W are in the USA, G in England, anything else has no prefix.
class FakeServices : public RecordServices {
 public:
  bool resolveCountry(LogRecord& record) override {
    resolved.emplace_back(record.call, record.julianDay);
    const char first = record.call[0];
    if (first == 'K' || first == 'W') {
      std::strcpy(record.prefix, "K");
      std::strcpy(record.qth, "United States");
      record.cqZone = 5;
      return true;
    }
    if (first == 'G') {
      std::strcpy(record.prefix, "G");
      std::strcpy(record.qth, "England");
      record.cqZone = 14;
      return true;
    }
    return false;
  }
  int bandOf(double megahertz) override {
    if (megahertz >= 14.0 && megahertz <= 14.35) return 20;
    if (megahertz >= 50.0 && megahertz <= 54.0) return 6;
    return 0;
  }
  long findCounty(const char* state, const char* county) override {
    lookups.push_back(std::string(state) + "," + county);
    return std::string(state) == "MA" && std::string(county) == "MIDDLESEX" ? 77 : -1;
  }
  std::vector<std::pair<std::string, int>> resolved;
  std::vector<std::string> lookups;
};

using Tags = std::vector<std::pair<std::string, std::string>>;
using Codes = std::vector<int>;

struct Built {
  LogRecord record;
  Codes errors;
};

Built build(FakeServices& services, const Tags& tags, AdifSettings settings = {}) {
  AdifRecordBuilder builder(services, settings);
  for (const auto& [tag, value] : tags) builder.apply(tag, value);
  builder.finish();
  return {builder.record(), Codes(builder.errors().begin(), builder.errors().end())};
}

Built build(const Tags& tags, AdifSettings settings = {}) {
  FakeServices services;
  return build(services, tags, settings);
}

TEST(AdifRecord, PlainContactInEveryDateFormat) {
  const char* expected[] = {"12-31-99", "31/12/99", "99.12.31"};
  for (int format = 0; format < 3; ++format) {
    FakeServices services;
    Built b = build(services,
                    {{"CALL", "W1AW"}, {"QSO_DATE", "19991231"}, {"MODE", "CW"},
                     {"FREQ", "14.025"}, {"TIME_ON", "2359"}},
                    {format, 0, false});
    EXPECT_TRUE(b.errors.empty());
    EXPECT_STREQ(b.record.date, expected[format]);
    EXPECT_EQ(b.record.julianDay, CalcJulianDate(expected[format]));
    EXPECT_EQ(b.record.band, 20);
    EXPECT_STREQ(b.record.freq, "14.025");
    EXPECT_STREQ(b.record.time, "23:59");
    EXPECT_STREQ(b.record.qslSent, "N");
    EXPECT_STREQ(b.record.qslRcvd, "N");
    EXPECT_STREQ(b.record.prefix, "K");
    ASSERT_EQ(services.resolved.size(), 1u);
    EXPECT_EQ(services.resolved[0].second, CalcJulianDate(expected[format]));
  }
}

TEST(AdifRecord, TagsAndEnumerationsInAnyCase) {
  Built b = build({{"call", "g4abc"}, {"qso_date", "20240315"}, {"Mode", "ssb"},
                   {"band", "20m"}, {"state", "ma"}, {"qsl_rcvd", "y"}});
  EXPECT_TRUE(b.errors.empty());
  EXPECT_STREQ(b.record.call, "G4ABC");
  EXPECT_STREQ(b.record.mode, "SSB");
  EXPECT_STREQ(b.record.state, "MA");
  EXPECT_STREQ(b.record.qslRcvd, "Y");
}

TEST(AdifRecord, CountryIsResolvedOnceWhateverComesFirst) {
  FakeServices services;
  build(services, {{"QSO_DATE", "20240101"}, {"CALL", "W1AW"}, {"CALL", "G4ABC"}});
  EXPECT_EQ(services.resolved.size(), 1u);
  Built noPrefix = build({{"CALL", "XX9XX"}, {"QSO_DATE", "20240101"}});
  EXPECT_EQ(noPrefix.errors, (Codes{kNoPrefix}));
  FakeServices noDate;
  Built b = build(noDate, {{"CALL", "W1AW"}, {"MODE", "CW"}});
  EXPECT_TRUE(noDate.resolved.empty());
  EXPECT_TRUE(b.errors.empty());
}

TEST(AdifRecord, MissingCall) {
  FakeServices services;
  Built b = build(services, {{"CALL", "   "}, {"QSO_DATE", "20240101"}});
  EXPECT_EQ(b.errors, (Codes{kMissingCall}));
  EXPECT_TRUE(services.resolved.empty());
  EXPECT_STREQ(build({{"CALL", " W1 AW "}}).record.call, "W1AW");
}

TEST(AdifRecord, DatesOutsideTheTwoDigitWindowAreRejected) {
  for (const char* date : {"19441231", "20450101", "2024011", "2024O101", "20241301", ""}) {
    Built b = build({{"QSO_DATE", date}});
    EXPECT_EQ(b.errors, (Codes{kBadDate})) << date;
    EXPECT_EQ(b.record.julianDay, 0) << date;
  }
  EXPECT_STREQ(build({{"QSO_DATE", "19450101"}}).record.date, "01-01-45");
  EXPECT_STREQ(build({{"QSO_DATE", "20441231"}}).record.date, "12-31-44");
  EXPECT_EQ(build({{"QSO_DATE", "20240101"}}, {3, 0, false}).errors, (Codes{kBadDate}));
}

TEST(AdifRecord, Modes) {
  EXPECT_STREQ(build({{"MODE", "TOR"}}).record.mode, "AMT");
  EXPECT_TRUE(build({{"MODE", "FT8"}}).errors.empty());
  EXPECT_TRUE(build({{"MODE", "RTTY"}}).errors.empty());
  Built olivia = build({{"MODE", "OLIVIA"}});
  EXPECT_STREQ(olivia.record.mode, "OLIV");
  EXPECT_EQ(olivia.errors, (Codes{kBadMode}));
}

TEST(AdifRecord, FrequencyAndBand) {
  Built twoMetres = build({{"BAND", "2M"}});
  EXPECT_EQ(twoMetres.record.band, 2);
  EXPECT_STREQ(twoMetres.record.freq, "144.000.00");
  Built both = build({{"FREQ", "14.074"}, {"BAND", "20M"}});
  EXPECT_STREQ(both.record.freq, "14.074");
  EXPECT_EQ(build({{"BAND", "33cm"}}).record.band, 902);
  EXPECT_EQ(build({{"BAND", "70CM"}}).record.band, 432);
  EXPECT_EQ(build({{"BAND", "60m"}}).errors, (Codes{kBadFrequency}));
  Built sixty = build({{"FREQ", " 5.357 "}});
  EXPECT_STREQ(sixty.record.freq, "5.357");
  EXPECT_EQ(sixty.errors, (Codes{kBadFrequency}));
  EXPECT_EQ(build({{"FREQ", "abc"}}).errors, (Codes{kBadFrequency}));
}

TEST(AdifRecord, ZonesOutOfRangeAreIgnored) {
  Built b = build({{"CQZ", "41"}, {"ITUZ", "0"}});
  EXPECT_EQ(b.record.cqZone, 0);
  EXPECT_EQ(b.record.ituZone, 0);
  b = build({{"CQZ", " 14 "}, {"ITUZ", "90"}, {"CQZ", "x"}});
  EXPECT_EQ(b.record.cqZone, 14);
  EXPECT_EQ(b.record.ituZone, 90);
}

TEST(AdifRecord, CountyIsLookedUpWhateverTheOrderOfTags) {
  FakeServices services;
  Built b = build(services, {{"CNTY", "MA, Middlesex"}, {"STATE", "MA"}, {"CALL", "W1AW"},
                             {"QSO_DATE", "20240101"}});
  EXPECT_STREQ(b.record.remarks, "Middlesex");
  EXPECT_EQ(b.record.countyNumber, 77);
  EXPECT_EQ(b.record.uscaFlag, 1);
  EXPECT_EQ(services.lookups, (std::vector<std::string>{"MA,MIDDLESEX"}));

  FakeServices abroad;
  b = build(abroad, {{"CALL", "G4ABC"}, {"QSO_DATE", "20240101"}, {"STATE", "MA"},
                     {"CNTY", "MA,MIDDLESEX"}});
  EXPECT_TRUE(abroad.lookups.empty());
  EXPECT_EQ(b.record.uscaFlag, 0);

  b = build({{"CALL", "W1AW"}, {"QSO_DATE", "20240101"}, {"STATE", "MA"},
             {"CNTY", "MA,NOWHERE"}});
  EXPECT_EQ(b.record.countyNumber, 0);
  EXPECT_EQ(b.record.uscaFlag, 0);
  EXPECT_STREQ(build({{"COMMENT", "hi"}, {"CNTY", "MA,ESSEX"}}).record.remarks, "hi");
}

TEST(AdifRecord, RemarksFromCommentContestAndExchange) {
  EXPECT_STREQ(build({{"CONTEST_ID", "CQ-WW-CW"}, {"STX", "001"}, {"SRX", "14"}}).record.remarks,
               "CQ-WW-CW TX:001 TX:14");
  EXPECT_STREQ(build({{"COMMENT", "tnx"}, {"CONTEST_ID", "ARRL-DX"}, {"STX", "1"}})
                   .record.remarks,
               "tnx");
  EXPECT_STREQ(build({{"STX", "1"}}).record.remarks, "");
  EXPECT_STREQ(build({{"CONTEST_ID", "ARRL-10-METER-CONTEST"}, {"STX", "12345678"}})
                   .record.remarks,
               "ARRL-10-METER-CONTEST");
  EXPECT_STREQ(build({{"COMMENT", std::string(40, 'x')}}).record.remarks,
               std::string(32, 'x').c_str());
}

TEST(AdifRecord, QslLettersAndDates) {
  EXPECT_EQ(qslLetter(""), 'N');
  EXPECT_EQ(qslLetter("I"), 'N');
  EXPECT_EQ(qslLetter("R"), 'S');
  EXPECT_EQ(qslLetter("1"), 'Y');
  EXPECT_EQ(qslLetter("t"), 'Y');
  EXPECT_EQ(qslLetter("0"), 'N');
  EXPECT_EQ(qslLetter("F"), 'N');
  EXPECT_EQ(qslLetter("Q"), 'Q');
  EXPECT_STREQ(build({{"QSLRDATE", "20240301"}, {"QSL_RCVD", "Y"}, {"QSLSDATE", "20240201"},
                      {"QSL_SENT", "Y"}})
                   .record.qslDate,
               "03-01-24");
  EXPECT_STREQ(build({{"QSLRDATE", "20240301"}, {"QSLSDATE", "20240201"}, {"QSL_SENT", "Y"}})
                   .record.qslDate,
               "02-01-24");
  EXPECT_STREQ(build({{"QSLSDATE", "20240201"}}).record.qslDate, "");
}

TEST(AdifRecord, TaggingForLabelsMarksTheCardSentToday) {
  char today[16] = {}, now[16] = {};
  GetDateTime(1, 0, today, now);
  Built b = build({{"QSL_SENT", "N"}, {"QSLSDATE", "20240201"}}, {1, 0, true});
  EXPECT_STREQ(b.record.qslSent, "Y");
  EXPECT_STREQ(b.record.qslDate, today);
  EXPECT_EQ(b.record.tagged, 1);
}

TEST(AdifRecord, ShortFieldsAndSections) {
  Built b = build({{"NAME", "Hiram Percy"}, {"QTH", "Newington, Connecticut"},
                   {"RST_SENT", "5999"}, {"TX_PWR", "1500W"}, {"GRIDSQUARE", "FN31pr12"},
                   {"SAT_MODE", "U/V-L"}, {"TIME_ON", "1"}, {"ARRL_SECT", "sjv"}});
  EXPECT_STREQ(b.record.name, "Hiram Perc");
  EXPECT_STREQ(b.record.city, "Newington, Connectic");
  EXPECT_STREQ(b.record.rstSent, "599");
  EXPECT_STREQ(b.record.power, "1500");
  EXPECT_STREQ(b.record.grid, "FN31pr");
  EXPECT_STREQ(b.record.satId, "U/V-L");
  EXPECT_STREQ(b.record.time, "1:");
  EXPECT_STREQ(b.record.state, "CA");
  EXPECT_STREQ(build({{"STATE", "NY"}, {"ARRL_SECT", "XYZ"}}).record.state, "NY");
}

TEST(AdifRecord, ErrorListHoldsTenAndResetClearsAll) {
  FakeServices services;
  AdifRecordBuilder builder(services, {});
  for (int i = 0; i < 12; ++i) builder.apply("MODE", "XX");
  EXPECT_EQ(builder.errors().size(), AdifRecordBuilder::kMaxErrors);
  builder.apply("CALL", "W1AW");
  builder.reset();
  EXPECT_FALSE(builder.hasError());
  EXPECT_STREQ(builder.record().call, "");
  EXPECT_STREQ(builder.record().qslSent, "N");
}

}  // namespace
}  // namespace ksimport
