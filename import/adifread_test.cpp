#include "adifread.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "winlayer/host.h"

namespace ksimport {
namespace {

struct Read {
  std::vector<std::string> fields;  // "NAME=value"
  std::vector<std::string> problems;
  bool headerless = false;
  int end = 0;  // what next() returned last
};

Read readAll(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  Read read;
  AdifReader reader(nullptr, "t.adi", file);
  reader.setProblemSink([&](long line, const std::string& text) {
    read.problems.push_back(std::to_string(line) + ": " + text);
  });
  AdifField field;
  while ((read.end = reader.next(field)) == 1) {
    EXPECT_EQ(static_cast<size_t>(field.length), std::string(field.value).size());
    read.fields.push_back(std::string(field.name) + "=" + field.value);
  }
  read.headerless = reader.headerless();
  std::fclose(file);
  return read;
}

using Fields = std::vector<std::string>;

TEST(AdifReader, HeaderRecordsAndTypes) {
  Read r = readAll(
      "Exported by a logger\r\n<ADIF_VER:5>3.1.4\r\n<EOH>\r\n"
      "<CALL:4>W1AW <QSO_DATE:8:D>19991231 <eor>\r\n");
  EXPECT_EQ(r.fields, (Fields{"ADIF_VER=3.1.4", "EOH=", "CALL=W1AW", "QSO_DATE=19991231",
                              "eor="}));
  EXPECT_FALSE(r.headerless);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.end, 0);
}

TEST(AdifReader, FileStartingWithATagHasNoHeader) {
  EXPECT_TRUE(readAll("<CALL:4>W1AW<EOR>").headerless);
  EXPECT_TRUE(readAll("\xEF\xBB\xBF<CALL:4>W1AW<EOR>").headerless);
  // Blank lines and blanks before the first tag change nothing.
  EXPECT_TRUE(readAll("\n<CALL:4>W1AW<EOR>").headerless);
  EXPECT_TRUE(readAll("\xEF\xBB\xBF \r\n\t\r\n  <CALL:4>W1AW<EOR>").headerless);
  EXPECT_FALSE(readAll("\r\n\r\nLog of W1AW <EOH>\r\n<CALL:4>W1AW<EOR>").headerless);
  EXPECT_FALSE(readAll("").headerless);
  EXPECT_FALSE(readAll(" \n\n").headerless);
}

TEST(AdifReader, LastLineWithoutLineFeedIsRead) {
  EXPECT_EQ(readAll("<EOH>\n<CALL:4>W1AW<EOR>").fields, (Fields{"EOH=", "CALL=W1AW", "EOR="}));
}

TEST(AdifReader, ValueRunsOnAcrossLineEndsCountingThem) {
  Read r = readAll("<NOTES:9>one\r\ntwo\n<CALL:4>W1AW<EOR>\n");
  EXPECT_EQ(r.fields, (Fields{"NOTES=one\r\ntwo\n", "CALL=W1AW", "EOR="}));
}

TEST(AdifReader, ValueCutByTheEndOfTheFileIsKeptAndReported) {
  Read r = readAll("<CALL:4>W1AW<COMMENT:20>short");
  EXPECT_EQ(r.fields, (Fields{"CALL=W1AW", "COMMENT=short"}));
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0], "1: value of <COMMENT> cut short by the end of the file");
}

TEST(AdifReader, UnusableLengthsSkipTheTagButNotWhatFollows) {
  Read r = readAll(
      "<EOH>\n<CALL:-5>W1AW <MODE:abc>CW <FREQ:99999999999>14.0 <NAME:16384>x <EOR>\n"
      "<CALL:4>K1JT<EOR>\n");
  EXPECT_EQ(r.fields, (Fields{"EOH=", "EOR=", "CALL=K1JT", "EOR="}));
  EXPECT_EQ(r.problems.size(), 4u);
  EXPECT_EQ(r.problems[0], "2: tag <CALL:-5> has no usable length; skipped");
  EXPECT_EQ(r.problems[3], "2: tag <NAME:16384> declares more than 16383 bytes; skipped");
}

TEST(AdifReader, MissingLengthGivesAnEmptyValue) {
  EXPECT_EQ(readAll("<CALL>W1AW<CALL:>x<EOR>").fields, (Fields{"CALL=", "CALL=", "EOR="}));
}

TEST(AdifReader, TagWithoutClosingBracketIsPassedOver) {
  EXPECT_EQ(readAll("<CALL:4 W1AW <EOR>\n<CALL:4>K1JT <EOR\n<EOR>").fields,
            (Fields{"EOR=", "CALL=K1JT", "EOR="}));
}

TEST(AdifReader, StrayQuotesAndCaretsDoNotHideTags) {
  EXPECT_EQ(readAll("Joe's \"log <EOH> <CALL:4>W1AW\"<EOR> ^<EOR>").fields,
            (Fields{"EOH=", "CALL=W1AW", "EOR=", "EOR="}));
}

TEST(AdifReader, NulBytesAreDroppedAndRecordsAroundThemKept) {
  std::string bytes("<CALL:4>W1\0AW<EOR><CA\0LL:4>K1JT<EOR>", 36);
  EXPECT_EQ(readAll(bytes).fields, (Fields{"CALL=W1AW", "EOR=", "CALL=K1JT", "EOR="}));
}

TEST(AdifReader, ManyRecordsOnOneTenMegabyteLine) {
  std::string bytes = "<EOH>";
  const std::string record = "<CALL:5>W1ABC<QSO_DATE:8>20240101<FREQ:6>14.025<EOR>";
  int count = 0;
  while (bytes.size() < 10'000'000) {
    bytes += record;
    ++count;
  }
  bytes += "\n";
  Read r = readAll(bytes);
  ASSERT_EQ(r.fields.size(), 1u + 4u * static_cast<size_t>(count));
  for (size_t i = 1; i < r.fields.size(); i += 4) {
    ASSERT_EQ(r.fields[i], "CALL=W1ABC") << i;
    ASSERT_EQ(r.fields[i + 1], "QSO_DATE=20240101") << i;
    ASSERT_EQ(r.fields[i + 2], "FREQ=14.025") << i;
    ASSERT_EQ(r.fields[i + 3], "EOR=") << i;
  }
  EXPECT_TRUE(r.problems.empty());
}

TEST(AdifReader, TenMegabyteGarbageLineBetweenRecords) {
  std::string bytes = "<EOH>\n<CALL:4>W1AW<EOR>\n";
  bytes += std::string(10'000'000, 'x') + "<<<\n";
  bytes += "<CALL:4>K1JT<EOR>\n";
  EXPECT_EQ(readAll(bytes).fields, (Fields{"EOH=", "CALL=W1AW", "EOR=", "CALL=K1JT", "EOR="}));
}

TEST(AdifReader, BinaryGarbageEndsCleanly) {
  std::string bytes;
  unsigned state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 16);
  }
  // More line ends than any value may hold, so no stray tag reaches the record.
  bytes += std::string(AdifReader::kFieldSize, '\n') + "<CALL:4>W1AW<EOR>\n";
  Read r = readAll(bytes);
  EXPECT_EQ(r.end, 0);
  ASSERT_GE(r.fields.size(), 2u);
  EXPECT_EQ(r.fields[r.fields.size() - 2], "CALL=W1AW");
  EXPECT_EQ(r.fields.back(), "EOR=");
}

TEST(AdifReader, EmptyFileHasNoTags) {
  Read r = readAll("");
  EXPECT_TRUE(r.fields.empty());
  EXPECT_EQ(r.end, 0);
}

TEST(AdifReader, ReadErrorEndsWithMinusOne) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  AdifReader reader(nullptr, "/", directory);
  AdifField field;
  EXPECT_EQ(reader.next(field), -1);
  EXPECT_EQ(reader.next(field), -1);
  std::fclose(directory);
}

TEST(AdifReader, LineNumbersOfTags) {
  std::FILE* file = std::tmpfile();
  std::fputs("hdr\n<EOH>\n\n<CALL:4>W1AW\n<NOTES:4>a\nb\n<EOR>", file);
  std::rewind(file);
  AdifReader reader(nullptr, "t.adi", file);
  AdifField field;
  std::vector<long> lines;
  while (reader.next(field) == 1) lines.push_back(field.line);
  EXPECT_EQ(lines, (std::vector<long>{2, 4, 5, 7}));
  std::fclose(file);
}

}  // namespace
}  // namespace ksimport
