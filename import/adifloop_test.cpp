#include "adifloop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace ksimport {
namespace {

// Every call with a letter or digit first has a country (its first two
// characters, "K" for the USA); calls starting with Q have none.
class FakeServices : public RecordServices {
 public:
  bool resolveCountry(LogRecord& record) override {
    if (record.call[0] == 'Q') return false;
    const char first = record.call[0];
    if (first == 'K' || first == 'W' || first == 'N')
      std::strcpy(record.prefix, std::strncmp(record.call, "KH6", 3) == 0 ? "KH6" : "K");
    else
      std::snprintf(record.prefix, sizeof record.prefix, "%.2s", record.call);
    return true;
  }
  int bandOf(double mhz) override {
    struct Range { double low, high; int band; };
    static const Range ranges[] = {
        {1.8, 2.0, 160},   {3.5, 4.0, 80},     {5.06, 5.45, 60},  {7.0, 7.3, 40},
        {10.1, 10.15, 30},
        {14.0, 14.35, 20}, {18.068, 18.168, 17}, {21.0, 21.45, 15}, {24.89, 24.99, 12},
        {28.0, 29.7, 10},  {50.0, 54.0, 6},    {69.9, 70.5, 4},   {144.0, 148.0, 2}};
    for (const Range& r : ranges)
      if (mhz >= r.low && mhz <= r.high) return r.band;
    return 0;
  }
  long findCounty(const char* state, const char* county) override {
    return (std::string(state) + "," + county).size();  // any county is found
  }
};

struct Contact {
  LogRecord record;
  std::vector<int> errors;
};

struct LogRead {
  std::vector<Contact> contacts;
  std::vector<std::string> problems;
  LoopEnd end;
};

LogRead readLog(const std::string& name, const AdifSettings& settings = {}) {
  const std::string path = std::string(KESTREL_IMPORT_TESTDATA) + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  EXPECT_NE(file, nullptr) << path;
  LogRead read{};
  if (!file) return read;
  AdifReader reader(nullptr, path.c_str(), file);
  reader.setProblemSink([&](long line, const std::string& text) {
    read.problems.push_back(std::to_string(line) + ": " + text);
  });
  FakeServices services;
  AdifRecordBuilder builder(services, settings);
  read.end = readAdifRecords(reader, builder, [&](const AdifRecordBuilder& b) {
    read.contacts.push_back({b.record(), {b.errors().begin(), b.errors().end()}});
    return true;
  });
  std::fclose(file);
  return read;
}

std::vector<std::string> calls(const LogRead& read) {
  std::vector<std::string> out;
  for (const Contact& c : read.contacts) out.emplace_back(c.record.call);
  return out;
}

using Calls = std::vector<std::string>;
using Codes = std::vector<int>;

TEST(AdifLogs, ContestLoggerOneRecordPerLineWithCrLf) {
  LogRead r = readLog("contest.adi");
  EXPECT_EQ(r.end, LoopEnd::EndOfFile);
  ASSERT_EQ(calls(r), (Calls{"K1ABC", "DL1XYZ", "JA1AAA", "VE3XX", "G3ABC"}));
  for (const Contact& c : r.contacts) EXPECT_TRUE(c.errors.empty()) << c.record.call;
  EXPECT_STREQ(r.contacts[0].record.remarks, "CQ-WW-CW TX:001");
  EXPECT_EQ(r.contacts[1].record.cqZone, 14);
  EXPECT_EQ(r.contacts[3].record.band, 80);
  EXPECT_STREQ(r.contacts[4].record.time, "12:00");
}

TEST(AdifLogs, DesktopLoggerOneFieldPerLineWithOwnFields) {
  LogRead r = readLog("desktop.adi");
  ASSERT_EQ(calls(r), (Calls{"W6XYZ", "KH6ZZ", "OH2BH", "VK2ABC"}));
  const LogRecord& w6 = r.contacts[0].record;
  EXPECT_TRUE(r.contacts[0].errors.empty());
  EXPECT_STREQ(w6.remarks, "Los Angeles");
  EXPECT_EQ(w6.uscaFlag, 1);
  EXPECT_STREQ(w6.qslDate, "09-01-23");
  EXPECT_STREQ(w6.grid, "DM04ab");
  for (const Contact& c : r.contacts) EXPECT_TRUE(c.errors.empty()) << c.record.call;
  EXPECT_EQ(r.contacts[1].record.band, 60);
  EXPECT_STREQ(r.contacts[2].record.mode, "OLIV");
  EXPECT_STREQ(r.contacts[3].record.qslSent, "S");
}

TEST(AdifLogs, DigitalModesProgram) {
  LogRead r = readLog("digital.adi");
  ASSERT_EQ(calls(r), (Calls{"PY2XYZ", "ZL1AB", "W9QQ"}));
  for (const Contact& c : r.contacts) EXPECT_TRUE(c.errors.empty()) << c.record.call;
  EXPECT_STREQ(r.contacts[1].record.mode, "FT4");
  EXPECT_STREQ(r.contacts[1].record.time, "12:45");
  EXPECT_EQ(r.contacts[2].record.band, 6);
  EXPECT_STREQ(r.contacts[2].record.rstRcvd, "-12");
}

TEST(AdifLogs, HeaderlessFileWithoutFinalLineEnd) {
  LogRead r = readLog("headerless.adi", {1, 0, false});
  ASSERT_EQ(calls(r), (Calls{"W1AW", "EA8AA"}));
  EXPECT_STREQ(r.contacts[0].record.date, "31/12/99");
  EXPECT_EQ(r.contacts[0].record.band, 20);
  EXPECT_STREQ(r.contacts[1].record.freq, "28.000.00");
  EXPECT_TRUE(r.contacts[1].errors.empty());
}

TEST(AdifLogs, OnlineReportWithFreeTextAndTrailingText) {
  LogRead r = readLog("online.adi");
  ASSERT_EQ(calls(r), (Calls{"N1MM", "K0ABC", "W4FL"}));
  EXPECT_TRUE(r.contacts[0].errors.empty());
  EXPECT_EQ(r.contacts[1].errors, (Codes{kBadDate}));
  EXPECT_TRUE(r.contacts[2].errors.empty());
  EXPECT_EQ(r.contacts[2].record.band, 2);
  EXPECT_STREQ(r.contacts[2].record.time, "23:59");
  EXPECT_STREQ(r.contacts[2].record.qslDate, "01-01-22");
}

TEST(AdifLogs, DamagedFileKeepsEveryRecord) {
  LogRead r = readLog("damaged.adi");
  ASSERT_EQ(calls(r), (Calls{"W1AW", "K1ABC", "K2ABC", "K3ABC", "K4ABC", "K5ABC"}));
  for (const Contact& c : r.contacts) {
    if (std::strcmp(c.record.call, "K3ABC") != 0) {
      EXPECT_TRUE(c.errors.empty()) << c.record.call;
    }
  }
  // K3ABC's only mode tag is broken: the contact has none.
  EXPECT_EQ(r.contacts[3].errors, (Codes{kBadMode}));
  EXPECT_STREQ(r.contacts[1].record.mode, "CW");
  EXPECT_STREQ(r.contacts[4].record.remarks, "two\nline text\"");
  EXPECT_EQ(r.problems.size(), 3u);
}

TEST(AdifLoop, EndOfRecordCountsOnlyAfterTheHeader) {
  std::FILE* file = std::tmpfile();
  std::fputs("header <CALL:4>W1AW <EOR> text <EOH> <CALL:5>K1ABC <EOR> <CALL:4>N1XX", file);
  std::rewind(file);
  AdifReader reader(nullptr, "t.adi", file);
  FakeServices services;
  AdifRecordBuilder builder(services, {});
  std::vector<std::string> seen;
  EXPECT_EQ(readAdifRecords(reader, builder,
                            [&](const AdifRecordBuilder& b) {
                              seen.emplace_back(b.record().call);
                              return true;
                            }),
            LoopEnd::EndOfFile);
  EXPECT_EQ(seen, (Calls{"K1ABC"}));
  std::fclose(file);
}

TEST(AdifLoop, EmptyRecordsAndTheHeadersFieldsMakeNoContact) {
  std::FILE* file = std::tmpfile();
  std::fputs("<CALL:4>W9XX <PROGRAMID:3>LOG <EOH><EOR>\n<EOR> <MODE:2>CW <EOR><EOR>"
             "<CALL:4>W1AW<EOR>\n\n<eor>",
             file);
  std::rewind(file);
  AdifReader reader(nullptr, "t.adi", file);
  FakeServices services;
  AdifRecordBuilder builder(services, {});
  std::vector<std::string> seen;
  readAdifRecords(reader, builder, [&](const AdifRecordBuilder& b) {
    seen.emplace_back(b.record().call);
    return true;
  });
  // The header's call does not carry into the record that has only a mode.
  EXPECT_EQ(seen, (Calls{"", "W1AW"}));
  std::fclose(file);
}

TEST(AdifLoop, SinkStopsTheLoop) {
  std::FILE* file = std::tmpfile();
  std::fputs("<CALL:4>W1AW<EOR><CALL:4>W2AW<EOR><CALL:4>W3AW<EOR>", file);
  std::rewind(file);
  AdifReader reader(nullptr, "t.adi", file);
  FakeServices services;
  AdifRecordBuilder builder(services, {});
  int count = 0;
  EXPECT_EQ(readAdifRecords(reader, builder, [&](const AdifRecordBuilder&) { return ++count < 2; }),
            LoopEnd::Stopped);
  EXPECT_EQ(count, 2);
  std::fclose(file);
}

}  // namespace
}  // namespace ksimport
