#include "search.h"

#include "schema/countrytext.h"
#include "funct/ksfunct.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>

namespace ksprefix {
namespace {

std::string makeRecord(std::string_view prefix, std::string_view name, std::string_view status,
                       std::string_view date, std::string_view list, int cq = 5, int itu = 8) {
  std::string r(kIotaRecordSize, '\0');
  auto put = [&](std::size_t offset, std::size_t size, std::string_view text) {
    std::memcpy(r.data() + offset, text.data(), std::min(text.size(), size - 1));
  };
  put(kPrefixOffset, kPrefixSize, prefix);
  put(kNameOffset, kNameSize, name);
  putInt16(r.data(), kCqOffset, cq);
  putInt16(r.data(), kItuOffset, itu);
  put(kStatusOffset, kStatusSize, status);
  put(kDateOffset, kDateSize, date);
  put(kListOffset, kListSize, list);
  return r;
}

// Records by key, as the country database would answer a key find.
class FakeReader : public RecordReader {
 public:
  std::map<std::string, std::string, std::less<>> records;
  const char* read(std::string_view key) override {
    const auto at = records.find(key);
    return at == records.end() ? nullptr : at->second.data();
  }
};

int day(const char* date) { return CalcJulianDate(date); }

struct World {
  CountryTables tables;
  FakeReader reader;
  void add(std::string record) {
    tables.addRecord(record.data(), CalcJulianDate);
    reader.records[std::string(recordText(record.data(), kPrefixOffset, kPrefixSize))] =
        std::move(record);
  }
  std::string plain(std::string_view text, int contactDay) {
    const char* r = searchPlain(tables.plain, text, contactDay, reader, CalcJulianDate);
    return r ? std::string(recordText(r, 0, kPrefixSize)) : "-";
  }
  std::string shared(std::string_view text, int contactDay) {
    const char* r = searchShared(tables, text, contactDay, reader);
    return r ? std::string(recordText(r, 0, kPrefixSize)) : "-";
  }
  std::string deleted(std::string_view text, int contactDay) {
    const DeletedAnswer a = searchDeleted(tables.deleted, text, contactDay, reader, CalcJulianDate);
    return std::to_string(a.result) + (a.record ? std::string(recordText(a.record, 0, 7)) : "");
  }
};

TEST(Tokens, SplitKeepsEmptyTrailingTokenAndBlanks) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(splitTokens(""), V{});
  EXPECT_EQ(splitTokens("A"), V{"A"});
  EXPECT_EQ(splitTokens("A, B,"), (V{"A", " B", ""}));
  EXPECT_EQ(splitTokens(","), (V{"", ""}));
  EXPECT_EQ(stripBlanks("  4O "), "4O");
}

TEST(Loading, CountsStatusesAndSortsTokensIntoTheirTables) {
  World w;
  w.add(makeRecord("YU", "Serbia", "A", "01-01-01", "YU,YT, 4O < 06-27-06,4N>01-02-03"));
  w.add(makeRecord("IG9", "African Italy", "I", "01-01-01", "IG9,"));
  w.add(makeRecord("OK-OM", "Czechoslovakia", "D", "01-01-93", "OK,OL,X<01-01-01"));
  w.add(makeRecord("ZZ", "Odd", "Q", "01-01-01", "ZZ"));
  EXPECT_EQ(w.tables.activeCount, 1);  // "I" and unknown statuses are not counted
  EXPECT_EQ(w.tables.deletedCount, 1);
  ASSERT_EQ(w.tables.plain.size(), 4u);  // YU, YT, IG9 and the empty token
  EXPECT_EQ(w.tables.plain.text(3), "");
  EXPECT_EQ(w.tables.plain.key(2), "IG9");
  EXPECT_EQ(w.tables.plain.textUsed(), 3u + 3u + 4u + 1u);
  EXPECT_EQ(w.tables.plain.slotUsed(), 4u * 6u);
  ASSERT_EQ(w.tables.shared.size(), 2u);
  EXPECT_EQ(w.tables.shared.text(0), "4O");
  EXPECT_EQ(w.tables.sharedCondition[0], '<');
  EXPECT_EQ(w.tables.sharedDay[0], day("06-27-06"));
  EXPECT_EQ(w.tables.sharedCondition[1], '>');
  ASSERT_EQ(w.tables.deleted.size(), 3u);  // deleted tokens are stored unchanged
  EXPECT_EQ(w.tables.deleted.text(2), "X<01-01-01");
}

TEST(Loading, NeverWritesPastACapacity) {
  World w;
  // 19 records of 100 four-character tokens (500 bytes each), then one of
  // 102 tokens that would cross 10000 bytes at its 101st.
  auto tokens = [](int n, const std::string& token) {
    std::string list;
    for (int i = 0; i < n; ++i) list += (i ? "," : "") + token;
    return list;
  };
  for (int i = 0; i < 19; ++i)
    w.add(makeRecord("P" + std::to_string(i), "n", "A", "01-01-01", tokens(100, "AAAA")));
  EXPECT_EQ(w.tables.plain.textUsed(), 9500u);
  w.add(makeRecord("Q", "n", "A", "01-01-01", tokens(102, "BBBB")));
  EXPECT_EQ(w.tables.plain.textUsed(), 10000u);  // the 100 that fit, not the 101st
  EXPECT_EQ(w.tables.plain.size(), 2000u);
  EXPECT_EQ(w.plain("BBBB", 40000), "Q");
  w.add(makeRecord("R", "n", "A", "01-01-01", "R"));  // met at capacity: no tokens
  EXPECT_EQ(w.tables.plain.size(), 2000u);
  EXPECT_EQ(w.tables.activeCount, 21);  // counting goes on

  World s;  // the 501st shared entry has no room in the condition arrays
  for (int i = 0; i < 11; ++i)
    s.add(makeRecord("S" + std::to_string(i), "n", "A", "01-01-01", tokens(46, "S<01-01-90")));
  EXPECT_EQ(s.tables.shared.size(), 500u);
  EXPECT_EQ(s.tables.sharedCondition.size(), 500u);
  EXPECT_EQ(s.tables.sharedDay.size(), 500u);
}

TEST(PlainSearch, LongestMatchThenTableOrderThenStatusAndDate) {
  World w;
  w.add(makeRecord("UA", "European Russia", "A", "01-01-01", "R,UA"));
  w.add(makeRecord("UA9", "Asiatic Russia", "A", "01-01-01", "UA9,R9"));
  w.add(makeRecord("4O", "Montenegro", "A", "06-28-06", "4O"));
  w.add(makeRecord("AX", "Second", "A", "01-01-01", "UA,4"));
  w.add(makeRecord("DD", "Gone", "D", "01-01-90", ""));
  w.tables.plain.add("DQ", "DD");    // a slot whose record is deleted
  w.tables.plain.add("DQ", "NONE");  // a slot whose record is missing
  const int today = day("12-07-26");
  EXPECT_EQ(w.plain("UA9ABC", today), "UA9");
  EXPECT_EQ(w.plain("UA1ABC", today), "UA");  // equal texts: first in table order
  EXPECT_EQ(w.plain("R9X", today), "UA9");
  EXPECT_EQ(w.plain("RZ", today), "UA");
  EXPECT_EQ(w.plain("4O3A", day("06-28-06")), "4O");  // from its day on
  EXPECT_EQ(w.plain("4O3A", day("06-27-06")), "AX");  // before: on to "4"
  EXPECT_EQ(w.plain("DQ1", today), "-");
  EXPECT_EQ(w.plain("", today), "-");
  EXPECT_EQ(w.plain("Q", today), "-");
}

TEST(PlainSearch, EmptyTokenNeverMatches) {
  World w;
  w.add(makeRecord("E", "Empty", "A", "01-01-01", "E1,"));
  EXPECT_EQ(w.plain("X", 40000), "-");
  EXPECT_EQ(w.plain("E1", 40000), "E");
}

TEST(SharedSearch, ConditionsHoldOnTheirDay) {
  World w;
  w.add(makeRecord("YU", "Serbia", "A", "01-01-01", "4O<06-27-06"));
  w.add(makeRecord("4O", "Montenegro", "A", "01-01-01", "4O>06-28-06"));
  // Status and date of the record are not tested by the shared search.
  w.reader.records["YU"] = makeRecord("YU", "Serbia", "D", "01-01-90", "");
  EXPECT_EQ(w.shared("4O3A", day("06-27-06")), "YU");
  EXPECT_EQ(w.shared("4O3A", day("06-26-06")), "YU");
  EXPECT_EQ(w.shared("4O3A", day("06-28-06")), "4O");
  EXPECT_EQ(w.shared("4O", day("12-07-26")), "4O");
  EXPECT_EQ(w.shared("4N1", day("12-07-26")), "-");
}

TEST(DeletedSearch, FirstEqualEntryEndsTheSearch) {
  World w;
  w.add(makeRecord("OK-OM", "Czechoslovakia", "D", "01-01-93", "OK,OL"));
  w.add(makeRecord("OKX", "Other", "D", "01-01-99", "OK"));
  w.add(makeRecord("GONE", "Gone", "D", "01-01-93", "ZZ"));
  w.tables.deleted.add("QQ", "NONE");
  EXPECT_EQ(w.deleted("OK1ABC", day("12-31-92")), "1OK-OM");  // before deletion
  EXPECT_EQ(w.deleted("OK1ABC", day("01-01-93")), "0");  // on its day: current entity
  EXPECT_EQ(w.deleted("OK1ABC", day("06-01-95")), "0");  // the second "OK" is never reached
  EXPECT_EQ(w.deleted("QQ9", day("01-01-80")), "1");     // record gone: found, head empty
  EXPECT_EQ(w.deleted("K1ABC", day("01-01-80")), "0");
}

TEST(FillHead, CopiesHeadAndNameWithCorrectedZones) {
  const std::string r = makeRecord("K", "United States of Ame", "A", "01-01-01", "K", 5, 8);
  char head[kHeadSize + 1];
  char name[kNameSize];
  std::memset(head, 'x', sizeof head);
  fillHead(r.data(), "W6ABC", head, name);
  EXPECT_STREQ(name, "United States of Ame");
  EXPECT_EQ(recordInt16(head, kCqOffset), 3);
  EXPECT_EQ(recordInt16(head, kItuOffset), 6);
  EXPECT_EQ(std::memcmp(head, r.data(), kCqOffset), 0);
  EXPECT_EQ(head[kHeadSize], 'x');  // nothing past the 52 bytes
}

TEST(Kc6, OneOrThreeLettersAfterKc6) {
  EXPECT_TRUE(isKc6Special("KC6A"));
  EXPECT_TRUE(isKc6Special("KC6ABC"));
  EXPECT_FALSE(isKc6Special("KC6AB"));
  EXPECT_FALSE(isKc6Special("KC6"));
  EXPECT_FALSE(isKc6Special("KC7ABC"));
}

TEST(GetPrefixRules, EverySlashRule) {
  const std::set<std::string> keys = {"VE", "DL", "F", "K"};
  const std::set<std::string> listed = {"F", "I", "M", "W", "K", "VE", "DL"};
  auto p = [&](std::string_view call) {
    return prefixOf(
        call, [&](const std::string& text) { return keys.count(text) > 0; },
        [&](const std::string& text) { return listed.count(text) > 0; });
  };
  EXPECT_EQ(p(""), "");
  EXPECT_EQ(p("G"), "FR");
  EXPECT_EQ(p("W1AW"), "W1AW");
  EXPECT_EQ(p("W1AW/T"), "K");        // unequal lengths, K/W/N with T
  EXPECT_EQ(p("G3XY/T"), "G3XY");     // "/" at 4
  EXPECT_EQ(p("G3XYZ/T"), "FR");      // "/" at 5
  EXPECT_EQ(p("G3XYZ/E"), "FR");
  EXPECT_EQ(p("G3XYZ/J"), "FR");
  EXPECT_EQ(p("VE/DL"), "VE");        // equal lengths: left is a key
  EXPECT_EQ(p("XX/DL"), "DL");        // else right
  EXPECT_EQ(p("XX/YY"), "XX");        // else on: "/" at 2
  // One letter in front: the prefix when the tables list it, else the call.
  for (const char* call : {"F/DL3RBF", "I/OE7RDI", "M/N6JFD", "W/G3XYZ"})
    EXPECT_EQ(p(call), std::string(1, call[0])) << call;
  EXPECT_EQ(p("X/G3XYZ"), "G3XYZ");
  EXPECT_EQ(p("F/G3XYZ/P"), "G3XYZ/P");  // two slashes: the rule stands
  EXPECT_EQ(p("W/T"), "K");
  EXPECT_EQ(p("/G3XYZ"), "G3XYZ");    // "/" at 0
  EXPECT_EQ(p("KH6/W1AW"), "KH6");    // prefix of 3 in front
  EXPECT_EQ(p("W1ABC/KH6"), "KH6");
  EXPECT_EQ(p("W1ABC/P"), "W1ABC/P");
  EXPECT_EQ(p("W1ABC/QRP"), "W1ABC/QRP");
  EXPECT_EQ(p("W1ABC/A"), "W1ABC/A");
  EXPECT_EQ(p("W1ABC/B"), "W1ABC/B");
  EXPECT_EQ(p("W1ABC/M"), "W1ABC/M");
  EXPECT_EQ(p("W1ABC/4"), "W1ABC/4");
  EXPECT_EQ(p("EA8/W1AW/P"), "EA8");  // two slashes: no equal-length test
  EXPECT_EQ(p("W1ABCDE/T/P"), "T/P");
  EXPECT_EQ(p("ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNO");  // cut to 15
}

TEST(ZoneCorrection, EveryRow) {
  struct Row {
    const char* prefix;
    const char* text;
    int zone;
  };
  const Row rows[] = {
      {"K", "W0A", 4},    {"K", "W5A", 4},    {"K", "W8A", 4},    {"K", "W9A", 4},
      {"K", "W6A", 3},    {"K", "W7A", 3},    {"K", "W1A", 5},    {"K", "W4A", 5},
      {"VE", "VY1A", 1},  {"VE", "VE1A", 5},  {"VE", "VO2A", 2},  {"VE", "VE2A", 5},
      {"VE", "VE3A", 4},  {"VE", "VE6A", 4},  {"VE", "VE7A", 3},  {"VE", "VE8A", 1},
      {"VE", "VE9A", 5},  {"VE", "VE0A", 5},  {"VK", "VK6A", 29}, {"VK", "VK8A", 29},
      {"VK", "VK2A", 30}, {"BY", "BY0A", 23}, {"BY", "BY3G", 23}, {"BY", "BY3L", 23},
      {"BY", "BY3M", 24}, {"BY", "BY3F", 24}, {"BY", "BY9M", 24}, {"BY", "BY9S", 24},
      {"BY", "BY9T", 23}, {"BY", "BY9", 23},  {"BY", "BY1A", 24}, {"UA9", "UA0A", 18},
      {"UA9", "UA0B", 18}, {"UA9", "UA0H", 18}, {"UA9", "UA0S", 18}, {"UA9", "UA0U", 18},
      {"UA9", "UA0W", 18}, {"UA9", "UA0Y", 23}, {"UA9", "UA0C", 19}, {"UA9", "UA8T", 18},
      {"UA9", "UA8V", 18}, {"UA9", "UA8A", 17}, {"UA9", "UA9H", 18}, {"UA9", "UA9O", 18},
      {"UA9", "UA9U", 18}, {"UA9", "UA9V", 18}, {"UA9", "UA9Y", 18}, {"UA9", "UA9Z", 18},
      {"UA9", "UA9S", 16}, {"UA9", "UA9W", 16}, {"UA9", "UA9A", 17}, {"UA9", "UA1A", 17},
      {"I", "IH9A", 33},  {"I", "IG9A", 33},  {"I", "IT9A", 15},  {"I", "I2A", 15},
      {"K", "WA", 99},    {"DL", "DL1A", 99},
  };
  for (const Row& r : rows)
    EXPECT_EQ(correctZone(r.prefix, r.text, 99), r.zone) << r.prefix << " " << r.text;
  EXPECT_EQ(correctItuZone("K", "W0A", 99), 7);
  EXPECT_EQ(correctItuZone("K", "W5A", 99), 7);
  EXPECT_EQ(correctItuZone("K", "W6A", 99), 6);
  EXPECT_EQ(correctItuZone("K", "W7A", 99), 6);
  EXPECT_EQ(correctItuZone("K", "W1A", 99), 8);
  EXPECT_EQ(correctItuZone("K", "WA", 99), 99);
  EXPECT_EQ(correctItuZone("VE", "VE6A", 99), 99);
}

TEST(Bands, EveryBoundaryAndTheOrderDependentOverlaps) {
  struct Row {
    double f;
    int band;
  };
  const Row rows[] = {
      {9999.9, 10000}, {10499.99, 10000}, {10500, 0},     {5649.9, 5650},  {5925, 0},
      {3299.9, 3300},  {3500, 0},         {2389.9, 2300}, {2450, 0},       {2299.9, 2300},
      {2310, 0},       {1239.9, 1240},    {1300, 0},      {901.9, 902},    {928, 0},
      {431.9, 432},    {450, 0},          {221.9, 220},   {225, 0},        {143.9, 2},
      {148, 0},        {49.9, 6},         {54, 0},        {27.9, 10},      {29.69, 10},
      {29.7, 11},      {29.98, 11},       {29.981, 0},    {26.964, 11},    {27.406, 11},
      {27.5, 0},       {24.88, 12},       {24.99, 0},     {20.9, 15},      {21.45, 0},
      {18.067, 0},     {18.1, 17},        {18.168, 0},    {13.9, 20},      {14.0, 20},
      {14.35, 0},      {14.3835, 20},     {14.935, 0},    {13.4935, 20},   {13.994, 20},    {13.4934, 0},
      {10.09, 0},      {10.1, 30},        {10.15, 0},     {10.492, 30},    {10.494, 0},
      {9.304, 30},     {9.306, 0},        {6.99, 40},     {7.0, 40},       {7.3, 0},
      {7.302, 40},     {7.833, 0},        {6.6975, 40},   {6.997, 40},     {5.2175, 60},
      {5.06, 60},      {5.0599, 0},       {5.357, 60},    {5.45, 60},      {5.4501, 0},
      {69.9, 4},       {69.89, 0},        {70.2, 4},      {70.5, 4},       {70.51, 0},      {3.49, 0},         {3.5, 80},      {4.0, 0},        {4.029, 80},
      {4.873, 0},      {1.79, 0},         {1.8, 160},     {2.0, 0},        {3.19, 160},
      {3.391, 0},      {20.9364, 15},     {20.899, 0},    {20.95, 15},   {19.88, 12},
      {19.882, 0},     {0, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(bandOf(r.f), r.band) << r.f;
}

}  // namespace
}  // namespace ksprefix

namespace ksprefix {
namespace {

// The index must answer exactly as the walk over the whole table: every
// search, over the shipped country list, real calls and generated texts,
// on the days where the dates of the list change the answer.
TEST(IndexedSearch, AnswersAsTheWalkOverManyThousandsOfCalls) {
  World w;
  std::ifstream data(KESTREL_SOURCE_DIR "/data/COUNTRY.TXT");
  ASSERT_TRUE(data) << "data/COUNTRY.TXT";
  std::string line;
  std::vector<int> days = {1, day("11-15-45"), day("12-07-26")};
  while (std::getline(data, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (countrytext::isBlankLine(line)) continue;
    const countrytext::CountryLine c = countrytext::parseCountryLine(line);
    w.add(makeRecord(c.prefix, c.name, c.status, c.date, c.prefixList, c.cqZone, c.ituZone));
    const int d = day(c.date.c_str());
    days.insert(days.end(), {d - 1, d, d + 1});
  }
  ASSERT_GT(w.tables.plain.size(), 1000u);
  for (int d : w.tables.sharedDay) days.insert(days.end(), {d - 1, d, d + 1});

  std::vector<std::string> calls;
  std::ifstream master("/usr/share/hamradio-files/MASTER.SCP");
  while (std::getline(master, line) && calls.size() < 20000)
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  std::mt19937 random(7);
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
  for (const auto& [text, record] : w.reader.records)  // every key and its neighbours
    for (char c : alphabet) calls.push_back(text + c);
  while (calls.size() < 40000) {
    std::string call;
    for (int n = 1 + random() % 8; n > 0; --n) call += alphabet[random() % alphabet.size()];
    calls.push_back(call);
  }

  std::size_t compared = 0, found = 0;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const std::string& call = calls[i];
    for (int d : {days[i % days.size()], days[(i * 7 + 3) % days.size()]}) {
      const char* a = searchPlain(w.tables.plain, call, d, w.reader, CalcJulianDate, Lookup::Indexed);
      const char* b = searchPlain(w.tables.plain, call, d, w.reader, CalcJulianDate, Lookup::Walk);
      ASSERT_EQ(a, b) << call << " day " << d;
      ASSERT_EQ(searchShared(w.tables, call, d, w.reader, Lookup::Indexed),
                searchShared(w.tables, call, d, w.reader, Lookup::Walk))
          << call << " day " << d;
      const DeletedAnswer x = searchDeleted(w.tables.deleted, call, d, w.reader, CalcJulianDate,
                                            Lookup::Indexed);
      const DeletedAnswer y =
          searchDeleted(w.tables.deleted, call, d, w.reader, CalcJulianDate, Lookup::Walk);
      ASSERT_EQ(x.result, y.result) << call << " day " << d;
      ASSERT_EQ(x.record, y.record) << call << " day " << d;
      compared += 3;
      found += a != nullptr;
    }
  }
  EXPECT_GT(compared, 200000u);
  EXPECT_GT(found, compared / 6);  // most real calls resolve: the test compares answers
}

}  // namespace
}  // namespace ksprefix
