#include "adifrecord.h"

#include <gtest/gtest.h>

#include <algorithm>
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
      std::strcpy(record.continent, "NA");
      record.cqZone = 5;
      record.ituZone = 8;
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
    if (megahertz >= 5.06 && megahertz <= 5.45) return 60;
    if (megahertz >= 14.0 && megahertz <= 14.35) return 20;
    if (megahertz >= 50.0 && megahertz <= 54.0) return 6;
    if (megahertz >= 69.9 && megahertz <= 70.5) return 4;
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

// A contact with everything it needs but the tags named in `left`, then
// `more` (a later tag of the same name wins).
Tags contact(const Tags& more = {}, const std::vector<std::string>& left = {}) {
  Tags tags;
  const Tags base = {{"CALL", "W1AW"}, {"QSO_DATE", "20240315"}, {"MODE", "CW"},
                     {"FREQ", "14.025"}};
  for (const auto& tag : base)
    if (std::find(left.begin(), left.end(), tag.first) == left.end()) tags.push_back(tag);
  tags.insert(tags.end(), more.begin(), more.end());
  return tags;
}

// The same tags in reverse order.
Tags reversed(Tags tags) {
  std::reverse(tags.begin(), tags.end());
  return tags;
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

TEST(AdifRecord, CountryIsResolvedOnceWithTheRecordsCall) {
  FakeServices services;
  build(services, {{"QSO_DATE", "20240101"}, {"CALL", "W1AW"}, {"CALL", "G4ABC"}});
  ASSERT_EQ(services.resolved.size(), 1u);
  EXPECT_EQ(services.resolved[0].first, "G4ABC");
  EXPECT_EQ(build(contact({{"CALL", "XX9XX"}})).errors, (Codes{kNoPrefix}));
  FakeServices noDate;
  Built b = build(noDate, contact({}, {"QSO_DATE"}));
  EXPECT_TRUE(noDate.resolved.empty());
  EXPECT_EQ(b.errors, (Codes{kBadDate}));
}

TEST(AdifRecord, EveryContactNeedsCallDateModeAndBand) {
  EXPECT_TRUE(build(contact()).errors.empty());
  EXPECT_EQ(build(contact({}, {"CALL"})).errors, (Codes{kMissingCall}));
  EXPECT_EQ(build(contact({{"CALL", "   "}})).errors, (Codes{kMissingCall}));
  EXPECT_EQ(build(contact({}, {"QSO_DATE"})).errors, (Codes{kBadDate}));
  EXPECT_EQ(build(contact({}, {"MODE"})).errors, (Codes{kBadMode}));
  EXPECT_EQ(build(contact({}, {"FREQ"})).errors, (Codes{kBadFrequency}));
  // A record of nothing but unknown tags: every reason, in code order.
  Built nothing = build({{"APP_X", "1"}});
  EXPECT_EQ(nothing.errors, (Codes{kMissingCall, kBadFrequency, kBadMode, kBadDate}));
  EXPECT_STREQ(build({{"CALL", " W1 AW "}}).record.call, "W1AW");
}

TEST(AdifRecord, DatesOutsideTheTwoDigitWindowAreRejectedButShown) {
  const struct {
    const char* value;
    const char* shown;
  } rows[] = {{"19441231", "12-31-44"}, {"20450101", "01-01-45"}, {"19390615", "06-15-39"},
              {"2024011", ""},          {"2024O101", ""},         {"20241301", "13-01-24"},
              {"", ""}};
  for (const auto& row : rows) {
    FakeServices services;
    Built b = build(services, contact({{"QSO_DATE", row.value}}));
    EXPECT_EQ(b.errors, (Codes{kBadDate})) << row.value;
    EXPECT_STREQ(b.record.date, row.shown) << row.value;
    EXPECT_EQ(b.record.julianDay, 0) << row.value;
    EXPECT_TRUE(services.resolved.empty()) << row.value;
  }
  EXPECT_STREQ(build({{"QSO_DATE", "19450101"}}).record.date, "01-01-45");
  EXPECT_STREQ(build({{"QSO_DATE", "20441231"}}).record.date, "12-31-44");
  EXPECT_EQ(build(contact(), {3, 0, false}).errors, (Codes{kBadDate}));
}

TEST(AdifRecord, ModesAreJudgedWholeAndSubmodeWins) {
  EXPECT_STREQ(build(contact({{"MODE", "TOR"}})).record.mode, "AMT");
  for (const char* mode : {"FT8", "RTTY", "PSK31", "PSK63", "psk125", "JT65A", "OLIVIA"})
    EXPECT_TRUE(build(contact({{"MODE", mode}})).errors.empty()) << mode;
  EXPECT_STREQ(build(contact({{"MODE", "PSK31"}})).record.mode, "PSK");
  EXPECT_STREQ(build(contact({{"MODE", "OLIVIA"}})).record.mode, "OLIV");
  const Tags ft4 = {{"SUBMODE", "FT4"}, {"MODE", "MFSK"}};
  EXPECT_STREQ(build(contact(ft4)).record.mode, "FT4");
  EXPECT_STREQ(build(contact(reversed(ft4))).record.mode, "FT4");
  // A submode the table does not know leaves the mode.
  EXPECT_STREQ(build(contact({{"MODE", "MFSK"}, {"SUBMODE", "NEWMODE"}})).record.mode, "MFSK");
  Built unknown = build(contact({{"MODE", "XYZZY"}}));
  EXPECT_STREQ(unknown.record.mode, "XYZZ");
  EXPECT_EQ(unknown.errors, (Codes{kBadMode}));
}

TEST(AdifRecord, FrequencyAndBand) {
  Built twoMetres = build(contact({{"BAND", "2M"}}, {"FREQ"}));
  EXPECT_EQ(twoMetres.record.band, 2);
  EXPECT_STREQ(twoMetres.record.freq, "144.000.00");
  Built both = build(contact({{"FREQ", "14.074"}, {"BAND", "20M"}}));
  EXPECT_STREQ(both.record.freq, "14.074");
  EXPECT_EQ(build({{"BAND", "33cm"}}).record.band, 902);
  EXPECT_EQ(build({{"BAND", "70CM"}}).record.band, 432);
  Built sixty = build(contact({{"FREQ", " 5.357 "}}));
  EXPECT_STREQ(sixty.record.freq, "5.357");
  EXPECT_EQ(sixty.record.band, 60);
  EXPECT_TRUE(sixty.errors.empty());
  Built fourByName = build(contact({{"BAND", "4m"}}, {"FREQ"}));
  EXPECT_EQ(fourByName.record.band, 4);
  EXPECT_STREQ(fourByName.record.freq, "70.200.00");
  EXPECT_EQ(build(contact({{"BAND", "60M"}}, {"FREQ"})).record.band, 60);
  EXPECT_EQ(build(contact({{"FREQ", "abc"}})).errors, (Codes{kBadFrequency}));
  EXPECT_EQ(build(contact({{"FREQ", "abc"}, {"BAND", "11M"}})).errors, (Codes{kBadFrequency}));
}

TEST(AdifRecord, ValidBandStandsInForUnusableFrequencyAndFrequencyWins) {
  // An online log's backup writes FREQ in Hz.
  const Tags hertz = {{"FREQ", "14070000"}, {"BAND", "20m"}};
  for (const Tags& tags : {hertz, reversed(hertz)}) {
    Built b = build(contact(tags, {"FREQ"}));
    EXPECT_TRUE(b.errors.empty());
    EXPECT_EQ(b.record.band, 20);
    EXPECT_STREQ(b.record.freq, "14.000.00");
  }
  // Both give a band and disagree: FREQ is the more precise.
  const Tags disagree = {{"FREQ", "50.313"}, {"BAND", "20M"}};
  for (const Tags& tags : {disagree, reversed(disagree)}) {
    Built b = build(contact(tags, {"FREQ"}));
    EXPECT_EQ(b.record.band, 6);
    EXPECT_STREQ(b.record.freq, "50.313");
  }
}

TEST(AdifRecord, ZonesAndContinentOfTheFileWinInAnyOrder) {
  const Tags file = {{"CQZ", "3"}, {"ITUZ", "6"}, {"CONT", "sa"}};
  // Alphabetical files put CONT, CQZ and ITUZ before CALL and QSO_DATE.
  for (const Tags& tags : {contact(file), reversed(contact(file))}) {
    Built b = build(tags);
    EXPECT_TRUE(b.errors.empty());
    EXPECT_EQ(b.record.cqZone, 3);
    EXPECT_EQ(b.record.ituZone, 6);
    EXPECT_STREQ(b.record.continent, "SA");
  }
  // Invalid ones leave the country's.
  Built invalid = build(reversed(contact({{"CQZ", "41"}, {"ITUZ", "0"}, {"CONT", "XX"}})));
  EXPECT_EQ(invalid.record.cqZone, 5);
  EXPECT_EQ(invalid.record.ituZone, 8);
  EXPECT_STREQ(invalid.record.continent, "NA");
}

TEST(AdifRecord, SatelliteByPropagationMode) {
  const Tags sat = {{"PROP_MODE", "SAT"}, {"SAT_NAME", "AO-7"}};
  EXPECT_STREQ(build(contact(sat)).record.satId, "AO-7");
  EXPECT_STREQ(build(reversed(contact(sat))).record.satId, "AO-7");
  EXPECT_STREQ(build(contact({{"PROP_MODE", "sat"}, {"SAT_NAME", "ISS-FM"}})).record.satId,
               "ISS-F");
  EXPECT_STREQ(build(contact({{"SAT_NAME", "SO-50"}, {"PROP_MODE", "SAT"}, {"SAT_MODE", "VU"}}))
                   .record.satId,
               "VU");
  EXPECT_STREQ(build(contact({{"PROP_MODE", "ES"}, {"SAT_NAME", "AO-7"}})).record.satId, "");
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

TEST(AdifRecord, ResetClearsAll) {
  FakeServices services;
  AdifRecordBuilder builder(services, {});
  EXPECT_TRUE(builder.empty());
  for (const auto& [tag, value] : contact({{"CQZ", "3"}, {"SUBMODE", "FT4"}, {"BAND", "6m"}}))
    builder.apply(tag, value);
  builder.apply("QSO_DATE", "19000101");
  EXPECT_FALSE(builder.empty());
  builder.reset();
  EXPECT_TRUE(builder.empty());
  builder.apply("X_OWN", "");
  EXPECT_FALSE(builder.empty());
  builder.reset();
  for (const auto& [tag, value] : contact({}, {"FREQ"})) builder.apply(tag, value);
  builder.finish();
  EXPECT_EQ(std::vector<int>(builder.errors().begin(), builder.errors().end()),
            (Codes{kBadFrequency}));
  EXPECT_STREQ(builder.record().mode, "CW");
  EXPECT_EQ(builder.record().cqZone, 5);
  EXPECT_STREQ(builder.record().qslSent, "N");
}

}  // namespace
}  // namespace ksimport
