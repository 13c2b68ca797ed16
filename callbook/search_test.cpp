// Searching, counting and browsing data sets written by the data set
// writer, and data sets spoiled on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cbx32.h"
#include "internal.h"
#include "test_support.h"

namespace kscbx {
namespace {

using testing::Drive;
using testing::holder;

std::string search(int type, const char* a, const char* b = nullptr, const char* c = nullptr,
                   int format = 4) {
  char out[kTextSize];
  const int length = CBXSearch(type, a, b, c, out, format);
  if (length <= 0) return "<" + std::to_string(length) + ">";
  EXPECT_EQ(static_cast<size_t>(length), std::strlen(out));
  return out;
}

std::string next(int format = 4) {
  char out[kTextSize];
  const int length = CBXGetNext(out, format);
  return length > 0 ? std::string(out) : "<" + std::to_string(length) + ">";
}

// The callsign of a format-4 text.
std::string callOf(const std::string& text) { return text.substr(0, text.find(',')); }

TEST(CallsignKey, CompareLayoutAndLength) {
  char key[7];
  EXPECT_EQ(callsignKey("W1AW", key), 6);
  EXPECT_EQ(std::string(key, 6), "AW 1W ");
  EXPECT_EQ(callsignKey("KA1ABC", key), 6);
  EXPECT_EQ(std::string(key, 6), "ABC1KA");
  EXPECT_EQ(callsignKey("3DA0XYZ", key), 6);  // a longer prefix keeps its last two
  EXPECT_EQ(std::string(key, 6), "XYZ0DA");
  EXPECT_EQ(callsignKey("1ABC", key), 4);
  EXPECT_EQ(std::string(key, 4), "ABC1");
  EXPECT_EQ(callsignKey("ABCD", key), 3);
  EXPECT_EQ(std::string(key, 3), "ABC");
  char compare[6];
  rearrange(kscbx::writer::callbookStoredKey("KA1ABC").c_str(), compare);
  EXPECT_EQ(std::string(compare, 6), "ABC1KA");
}

TEST(DataSet, FoundOnTheFirstDriveThatHoldsIt) {
  Drive drive;
  char out[kTextSize];
  EXPECT_EQ(CBXInit("C:\\"), 0);
  EXPECT_EQ(CBXSearch(1, "W1AW", nullptr, nullptr, out, 4), -1);
  kscbx::writer::CallbookOptions options;
  options.upperCaseNames = true;  // CALLBK\CALLBKC.IDX matched without regard to case
  ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY")}, {}, {}, options));
  EXPECT_EQ(CBXInit("R:"), 0);  // the drives after Q do not hold it
  EXPECT_EQ(CBXInit("A:"), 'Q');
  EXPECT_EQ(CBXInit("Z:"), 'Q');  // once found, found
  EXPECT_EQ(callOf(search(1, "w1aw")), "W1AW");
  EXPECT_EQ(CBXSearch(1, nullptr, nullptr, nullptr, out, 4), -1);
  EXPECT_EQ(CBXSearch(1, "W1AWXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", nullptr, nullptr, out, 4), 0);
  EXPECT_EQ(CBXVersion(), 7);
  EXPECT_EQ(CBXExit(), 0);
}

// Every holder of a made-up data set is found by call, every last name and
// ZIP code at its first holder, for block sizes that cut lines anywhere and
// entries shorter than some names.
struct Layout {
  long blockSize;
  bool crlf;
  size_t count;
};

class EveryHolder : public ::testing::TestWithParam<Layout> {};

TEST_P(EveryHolder, IsFoundByCallNameAndZip) {
  Drive drive;
  const Layout layout = GetParam();
  kscbx::writer::GeneratedCallbook book = kscbx::writer::generateCallbook(layout.count, 7, "/nonexistent");
  kscbx::writer::CallbookOptions options;
  options.blockSize = layout.blockSize;
  options.crlf = layout.crlf;
  ASSERT_TRUE(drive.write(book.records, book.crossReferences, {}, options));

  for (const kscbx::writer::CallbookRecord& r : book.records)
    ASSERT_EQ(callOf(search(1, r.call.c_str())), r.call);
  for (const kscbx::writer::CallbookCrossReference& x : book.crossReferences)
    ASSERT_EQ(callOf(search(1, x.call.c_str())), x.listedUnder) << x.call;

  std::map<std::string, std::string> firstByName, firstByZip;
  std::vector<const kscbx::writer::CallbookRecord*> sorted;
  for (const kscbx::writer::CallbookRecord& r : book.records) sorted.push_back(&r);
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) {
    return std::tie(a->lastName, a->firstName, a->call) < std::tie(b->lastName, b->firstName, b->call);
  });
  for (auto* r : sorted) firstByName.emplace(r->lastName, r->call);
  std::sort(sorted.begin(), sorted.end(),
            [](auto* a, auto* b) { return std::tie(a->zip, a->call) < std::tie(b->zip, b->call); });
  for (auto* r : sorted) firstByZip.emplace(r->zip, r->call);
  for (const auto& [name, call] : firstByName) ASSERT_EQ(callOf(search(2, name.c_str())), call) << name;
  for (const auto& [zip, call] : firstByZip) ASSERT_EQ(callOf(search(4, zip.c_str())), call) << zip;
}

INSTANTIATE_TEST_SUITE_P(Blocks, EveryHolder,
                         ::testing::Values(Layout{512, true, 2500}, Layout{37, false, 300},
                                           Layout{100000, true, 200}));

TEST(CallSearch, ShortKeysMatchSeveralCalls) {
  Drive drive;
  ASSERT_TRUE(drive.write({holder("K1ABC", "A", ""), holder("KA1ABC", "B", ""),
                           holder("N1ABC", "C", ""), holder("W2ABC", "D", ""),
                           holder("K1ABD", "E", "")}));
  // Only digit first: suffix and digit, whatever the prefix.
  EXPECT_EQ(callOf(search(1, "1ABC")), "K1ABC");
  EXPECT_EQ(callOf(next()), "KA1ABC");
  EXPECT_EQ(callOf(next()), "N1ABC");
  EXPECT_EQ(next(), "<0>");  // W2ABC sorts after
  // No digit: the suffix alone.
  EXPECT_EQ(callOf(search(1, "ABC")), "K1ABC");
  int more = 0;
  EXPECT_EQ(CBXCount(&more), 4);
  EXPECT_EQ(more, 0);
  EXPECT_EQ(search(1, "K1ABE"), "<0>");
}

TEST(CallSearch, CrossReferencesAreFollowedButNotRoundAndRound) {
  Drive drive;
  ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY"), holder("K1ABC", "SMITH", "JOHN")},
                          {{"WB1OLD", "K1ABC"}, {"WA1AAA", "WA1BBB"}, {"WA1BBB", "W1AW"},
                           {"N1LPA", "N1LPB"}, {"N1LPB", "N1LPA"}, {"N1GON", "N1NONE"}}));
  EXPECT_EQ(callOf(search(1, "WB1OLD")), "K1ABC");
  EXPECT_EQ(callOf(search(1, "WA1AAA")), "W1AW");  // a chain to its end
  EXPECT_EQ(search(1, "N1LPA"), "<0>");            // a loop leads nowhere
  EXPECT_EQ(search(1, "N1GON"), "<0>");
  // A shorter key takes the cross-reference itself as the match.
  EXPECT_EQ(search(1, "1OLD"), "WB1OLD,K1ABC\r\n");
  EXPECT_EQ(search(1, "1OLD", nullptr, nullptr, 2), "WB1OLD - See K1ABC");
}

// One line out of order is read past once a search; a second ends it.
TEST(NameSearch, OneLineThatSortsAfterIsPassedOnce) {
  Drive drive;
  ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY")}));
  const std::string tail = ",,,,,,,,,,,,,\n";
  drive.overwrite("callbkn.dat", "K1AA,ADAMS" + tail + "K1ZZ,ZEBRA" + tail + "K1BB,BAKER" + tail +
                                     "K1YY,YOUNG" + tail + "K1XX,XAVIER" + tail + "K1CC,CARTER" + tail);
  drive.overwrite("callbkn.idx", std::string(48, '\0'));
  EXPECT_EQ(callOf(search(2, "BAKER")), "K1BB");
  EXPECT_EQ(search(2, "CARTER"), "<0>");
}

// 250 SMITHs among other names, in blocks of 256 bytes.
std::vector<kscbx::writer::CallbookRecord> smiths() {
  std::vector<kscbx::writer::CallbookRecord> records = {holder("K1AA", "SMALL", "AL"),
                                                  holder("K1AB", "SMYTHE", "BO"),
                                                  holder("K1AC", "JONES", "CY")};
  for (int i = 0; i < 250; ++i) {
    std::string call = "W2";
    call += static_cast<char>('A' + i / 26 % 26);
    call += static_cast<char>('A' + i % 26);
    records.push_back(holder(call, "SMITH", i < 200 ? "ANN" : "JOHN Q"));
  }
  return records;
}

TEST(NameSearch, WildcardHoldsForOneSearchAndFirstNamesNarrow) {
  Drive drive;
  kscbx::writer::CallbookOptions options;
  options.blockSize = 256;
  ASSERT_TRUE(drive.write(smiths(), {}, {}, options));
  EXPECT_EQ(callOf(search(2, "sm*")), "K1AA");  // SMALL, the first beginning with SM
  EXPECT_EQ(search(2, "SM"), "<0>");            // whole names again
  EXPECT_EQ(callOf(search(2, "SMITH", "JOHN")), "W2HS");  // the 201st SMITH
  EXPECT_EQ(callOf(search(2, "SMITH  ", "JO*")), "W2HS");
  EXPECT_EQ(search(2, "SMITH", "JOE"), "<0>");
  EXPECT_EQ(callOf(search(2, "JONES")), "K1AC");
}

TEST(Count, StepsOfAHundredLinesThenBackToTheFirstMatch) {
  Drive drive;
  kscbx::writer::CallbookOptions options;
  options.blockSize = 256;
  ASSERT_TRUE(drive.write(smiths(), {}, {}, options));
  const std::string first = search(2, "SMITH");
  const std::string second = next();
  EXPECT_EQ(callOf(first), "W2AA");
  EXPECT_EQ(callOf(second), "W2AB");

  EXPECT_EQ(search(2, "SMITH"), first);
  int more = 0;
  EXPECT_EQ(CBXCount(&more), 101);
  EXPECT_EQ(more, -1);
  EXPECT_EQ(CBXCount(&more), 201);
  EXPECT_EQ(more, -1);
  EXPECT_EQ(CBXCount(&more), 250);
  EXPECT_EQ(more, 0);
  EXPECT_EQ(next(), second);

  // A count left half-way is wound back by the next match.
  EXPECT_EQ(search(2, "SMITH"), first);
  EXPECT_EQ(CBXCount(&more), 101);
  EXPECT_EQ(next(), second);
}

TEST(ZipSearch, RangesAndReversedRanges) {
  Drive drive;
  ASSERT_TRUE(drive.write({holder("K1AA", "A", "", "CT", "X", "06101"),
                           holder("K1AB", "B", "", "CT", "X", "06102"),
                           holder("K1AC", "C", "", "CT", "X", "06103"),
                           holder("K1AD", "D", "", "CT", "X", "06104")}));
  EXPECT_EQ(callOf(search(4, "06102", "06103")), "K1AB");
  EXPECT_EQ(callOf(next()), "K1AC");
  EXPECT_EQ(next(), "<0>");
  EXPECT_EQ(search(4, "06103", "06101"), "<0>");
  EXPECT_EQ(callOf(search(4, "06102", "06102")), "K1AB");  // equal bounds: one ZIP
  EXPECT_EQ(next(), "<0>");
  EXPECT_EQ(search(4, "061"), "<0>");  // compared over the key length: no partial ZIPs
}

TEST(CitySearch, StateCityAndStreet) {
  Drive drive;
  std::vector<kscbx::writer::CallbookRecord> records;
  for (int i = 0; i < 30; ++i)
    records.push_back(holder("K1H" + std::string(1, static_cast<char>('A' + i % 26)) +
                                 std::string(1, static_cast<char>('A' + i / 26)),
                             "H", "", "CT", "HARTFORD", "06101", std::to_string(10 + i) + " ELM ST"));
  for (int i = 0; i < 30; ++i)
    records.push_back(holder("K1N" + std::string(1, static_cast<char>('A' + i % 26)) +
                                 std::string(1, static_cast<char>('A' + i / 26)),
                             "N", "", "CT", "NEWINGTON", "06111", std::to_string(10 + i) + " ELM ST"));
  records.push_back(holder("W1AW", "HIRAM", "PERCY", "CT", "NEWINGTON", "06111", "9 MAIN ST"));
  records.push_back(holder("K1ZZ", "Z", "", "MA", "BOSTON", "02101", "9 MAIN ST"));
  kscbx::writer::CallbookOptions options;
  options.blockSize = 256;
  ASSERT_TRUE(drive.write(records, {}, {}, options));

  EXPECT_EQ(callOf(search(3, "CT", "NEW*")), "K1NAA");
  EXPECT_EQ(search(3, "CT", "NEW"), "<0>");
  EXPECT_EQ(callOf(search(3, "MA")), "K1ZZ");
  // The street is searched for within the city, past the city's other
  // holders and past the cities before it.
  EXPECT_EQ(callOf(search(5, "CT", "NEWINGTON", "MAIN")), "W1AW");
  EXPECT_EQ(next(), "<0>");
  EXPECT_EQ(search(5, "CT", "HARTFORD", "MAIN"), "<0>");
  EXPECT_EQ(callOf(search(5, "CT", "NEWINGTON", "ELM")), "K1NAA");
  int more = 0, count = 0;
  do count = CBXCount(&more);
  while (more == -1);
  EXPECT_EQ(count, 30);
}

// Browsing the name file: records of every length, some longer than a line
// is read, forward one by one and back again.
TEST(Browse, ForwardAndBackRecordByRecord) {
  Drive drive;
  std::vector<kscbx::writer::CallbookRecord> records;
  for (int i = 0; i < 40; ++i) {
    kscbx::writer::CallbookRecord r = holder("K3" + std::string(1, static_cast<char>('A' + i % 26)) +
                                           std::string(1, static_cast<char>('A' + i / 26)),
                                       "N" + std::to_string(100 + i), "");
    r.field2 = std::string(static_cast<size_t>(i * 37 % 300), 'X');
    records.push_back(r);
  }
  ASSERT_TRUE(drive.write(records));
  EXPECT_EQ(CBXGetIndex(4), -1);
  EXPECT_EQ(session().selected, -1);
  ASSERT_EQ(CBXGetIndex(1), 0);

  char out[kTextSize];
  std::vector<std::pair<int64_t, std::string>> seen;
  while (CBXAdvance(1, out, 4) > 0) seen.emplace_back(session().lineStart, out);
  ASSERT_GT(seen.size(), 40u);  // long records come in pieces
  EXPECT_EQ(CBXGetCount(), 0);   // browsing counts nothing

  // Past the end nothing is current: one step back is the last record.
  ASSERT_GT(CBXBack(1, out, 0), 0);
  EXPECT_EQ(out, seen.back().second);
  for (size_t i = seen.size() - 1; i-- > 0;) {
    ASSERT_GT(CBXBack(1, out, 0), 0);
    ASSERT_EQ(session().lineStart, seen[i].first) << i;
    ASSERT_EQ(out, seen[i].second);
  }
  ASSERT_GT(CBXBack(1, out, 0), 0);  // the first stays
  EXPECT_EQ(out, seen[0].second);

  ASSERT_GT(CBXAdvanceTo(0, out, 0), 0);
  EXPECT_EQ(out, seen[0].second);
  ASSERT_GT(CBXAdvanceTo(1000, out, 0), 0);
  EXPECT_EQ(out, seen.back().second);
  EXPECT_EQ(CBXGetSbPos(), 1000);
}

TEST(Browse, PagesJumpsAndInfo) {
  Drive drive;
  std::vector<kscbx::writer::CallbookRecord> records;
  for (int i = 0; i < 600; ++i)
    records.push_back(holder("K4" + std::string(1, static_cast<char>('A' + i % 26)) +
                                 std::string(1, static_cast<char>('A' + i / 26 % 26)),
                             "N" + std::to_string(1000 + i), "JOHN"));
  ASSERT_TRUE(drive.write(records));
  ASSERT_EQ(CBXGetSbPos(), 0);  // selects the callsign index
  EXPECT_EQ(session().selected, 0);
  ASSERT_EQ(CBXGetIndex(1), 0);
  const IndexDescriptor& index = session().indexes[1];

  char info[kTextSize];
  const int length = CBXGetCbInfo(info);
  EXPECT_EQ(std::string(info, static_cast<size_t>(length)),
            "Database: Q:\\callbk\\callbkn.dat\r\n    Size: " + std::to_string(index.dataSize) +
                " bytes\r\n Version: 7.01");

  char out[kTextSize];
  std::vector<int64_t> starts;
  while (CBXAdvance(1, out, 4) > 0) starts.push_back(session().lineStart);
  ASSERT_EQ(starts.size(), 600u);
  // Where a move that drops the rest of the line at `offset` lands.
  auto after = [&](int64_t offset) {
    if (offset <= 0) return int64_t{0};
    return *std::upper_bound(starts.begin(), starts.end(), offset);
  };

  ASSERT_GT(CBXAdvanceTo(0, out, 0), 0);
  EXPECT_EQ(session().lineStart, 0);  // the very first record
  ASSERT_GT(CBXAdvance(2, out, 4), 0);
  const int64_t page = session().lineStart;
  EXPECT_EQ(page, after(8400));
  ASSERT_GT(CBXAdvance(2, out, 4), 0);
  const int64_t page2 = session().lineStart;
  EXPECT_EQ(page2, after(page + 8400));
  ASSERT_GT(CBXBack(2, out, 0), 0);
  EXPECT_EQ(session().lineStart, after(page2 - 8400));
  for (int i = 0; i < 3; ++i) ASSERT_GT(CBXBack(2, out, 0), 0);
  EXPECT_EQ(session().lineStart, 0);  // paged back to the very first record
  EXPECT_EQ(CBXGetCount(), 0);

  ASSERT_GT(CBXAdvanceTo(500, out, 0), 0);
  EXPECT_EQ(session().lineStart, after(index.dataSize * 500 / 1000));
  EXPECT_NEAR(CBXGetSbPos(), 500, 5);
  const int64_t before = index.position;
  CBXBrowseBackFix();
  EXPECT_EQ(index.position, before - 104);
}

// ---- data sets that are not what they should be

std::string indexHeader(const char* block, const char* entries, const char* keyLength) {
  std::string header(48, '\0');
  std::memcpy(header.data() + 16, block, std::strlen(block));
  std::memcpy(header.data() + 24, entries, std::strlen(entries));
  std::memcpy(header.data() + 32, keyLength, std::strlen(keyLength));
  return header;
}

TEST(Spoiled, NonsenseIndexHeadersStillFindFromTheStart) {
  const std::string headers[] = {
      indexHeader("0", "5", "6"),          indexHeader("4096", "999999", "6"),
      indexHeader("4096", "3", "0"),       indexHeader("4096", "3", "500"),
      indexHeader("-40", "-3", "-6"),      indexHeader(" 99999999", "99999999", "99999999"),
      std::string("short"),
  };
  for (const std::string& header : headers) {
    Drive drive;
    ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY"),
                             holder("K1ABC", "SMITH", "JOHN", "CT", "HARTFORD", "06199")}));
    drive.overwrite("callbkc.idx", header + "W 1AW K 1ABC");
    drive.overwrite("callbkz.idx", header + "06101");
    EXPECT_EQ(callOf(search(1, "W1AW")), "W1AW");
    EXPECT_EQ(callOf(search(1, "K1ABC")), "K1ABC");
    EXPECT_EQ(search(1, "K1ZZZ"), "<0>");
    EXPECT_EQ(callOf(search(4, "06101")), "W1AW");
    EXPECT_TRUE(drive.host().boxes().empty());
  }
}

TEST(Spoiled, LongLinesNulBytesAndTruncatedData) {
  Drive drive;
  ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY")}));
  std::string junk = "W 1AA ,A,," + std::string(10000, 'Q') + "\r\n";
  junk += std::string("W 1AB ,B\0B,,C\r\n", 15);
  junk += "W 1AW ,HIRAM,,PERCY,,45123,95200,05200,1 MAIN ST,NEWINGTON,CT,06111,E,,\r\nW 1AX ,TRUNC";
  drive.overwrite("callbkc.dat", junk);
  drive.overwrite("callbkc.idx", indexHeader("64", "1000", "6") + "W 1AA ");
  EXPECT_EQ(callOf(search(1, "W1AA")), "W1AA");
  // Past the pieces of the long line nothing more is found; nothing breaks.
  EXPECT_GE(CBXSearch(1, "W1AW", nullptr, nullptr, nullptr, 1), 0);
  EXPECT_GE(CBXSearch(1, "W1AX", nullptr, nullptr, nullptr, 1), 0);
  ASSERT_EQ(CBXGetIndex(0), 0);
  char out[kTextSize];
  ASSERT_GT(CBXAdvanceTo(0, out, 0), 0);
  int records = 1;
  while (CBXAdvance(1, out, 1) > 0) ++records;
  // The pieces of the long line, the line cut by its NUL and the truncated
  // one have fewer than two commas: browsing passes over them.
  EXPECT_EQ(records, 2);
  for (int i = 0; i < 100 && CBXBack(1, out, 0) > 0 && session().lineStart > 0; ++i) {
  }
  EXPECT_EQ(session().lineStart, 0);
}

TEST(Spoiled, MissingFilesAreReportedOnce) {
  struct Case {
    const char* remove;
    const char* caption;
    const char* text;
  } cases[] = {
      {"callbkn.idx", "CBXDLL:ERR1002", "There was an error opening the index"},
      {"callbkn.dat", "CBXDLL:ERR0005", "There was an Error opening the datafile"},
  };
  for (const Case& c : cases) {
    Drive drive;
    ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY")}));
    std::filesystem::remove(drive.file(c.remove));
    EXPECT_EQ(search(2, "HIRAM"), "<0>");
    EXPECT_EQ(CBXGetIndex(1), 1);
    ASSERT_EQ(drive.host().boxes().size(), 2u);
    EXPECT_EQ(drive.host().boxes()[0].caption, c.caption);
    EXPECT_EQ(drive.host().boxes()[0].text, c.text);
    EXPECT_EQ(drive.host().boxes()[0].icon(), MB_ICONINFORMATION);
    EXPECT_EQ(callOf(search(1, "W1AW")), "W1AW");  // the other indexes serve on
  }
  Drive drive;
  ASSERT_TRUE(drive.write({holder("W1AW", "HIRAM", "PERCY")}));
  drive.overwrite("callbkc.idx", "");
  EXPECT_EQ(search(1, "W1AW"), "<0>");
  ASSERT_EQ(drive.host().boxes().size(), 1u);
  EXPECT_EQ(drive.host().boxes()[0].caption, "CBXDLL:ERR1003");
}

}  // namespace
}  // namespace kscbx
