#include "countrytext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace countrytext {
namespace {

TEST(FieldTokenizer, QuotesBlanksCaretsAndWidths) {
  FieldTokenizer t(" \"New York, NY\" ,\tK 2 ,\"a^\"b\",^,x,\"long text\",, last^");
  EXPECT_EQ(t.next(20), "New York, NY");  // comma and blank kept inside quotes
  EXPECT_EQ(t.next(20), "K2");            // blanks and tabs outside quotes dropped
  EXPECT_EQ(t.next(20), "a\"b");          // ^ takes the quote literally
  EXPECT_EQ(t.next(20), ",x");            // ^ takes the comma literally
  EXPECT_EQ(t.next(4), "long");           // the rest beyond the width dropped
  EXPECT_EQ(t.next(20), "");              // empty field between two commas
  EXPECT_EQ(t.next(20), "last^");         // a final ^ is kept as itself
  EXPECT_TRUE(t.atEnd());
  EXPECT_EQ(t.next(20), "");  // past the end: empty fields
}

TEST(FieldTokenizer, CarriageReturnEndsAFieldOutsideQuotes) {
  FieldTokenizer t("ab\rcd,\"e\rf\"");
  EXPECT_EQ(t.next(9), "ab");
  EXPECT_EQ(t.next(9), "cd");
  EXPECT_EQ(t.next(9), "e\rf");
}

TEST(CountryLine, ExportReadsBackUnchanged) {
  CountryLine c;
  c.prefix = "K";
  c.name = "United States of Ame";  // 20 characters survive the round trip
  c.continent = "NA";
  c.latitude = "37.36N";
  c.longitude = "91.52W";
  c.cqZone = 5;
  c.ituZone = 8;
  c.status = "A";
  c.date = "01-01-01";
  c.prefixList = "AA,K,N,W,4O<06-27-06,Q\"^";
  const std::string line = formatCountryLine(c);
  ASSERT_GE(line.size(), 2u);
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_EQ(line.substr(0, 40), "\"K\",\"United States of Ame\",\"NA\",\"37.36N\"");
  const CountryLine back = parseCountryLine(line.substr(0, line.size() - 2));
  EXPECT_EQ(back.prefix, c.prefix);
  EXPECT_EQ(back.name, c.name);
  EXPECT_EQ(back.continent, c.continent);
  EXPECT_EQ(back.latitude, c.latitude);
  EXPECT_EQ(back.longitude, c.longitude);
  EXPECT_EQ(back.cqZone, 5);
  EXPECT_EQ(back.ituZone, 8);
  EXPECT_EQ(back.status, "A");
  EXPECT_EQ(back.date, c.date);
  EXPECT_EQ(back.prefixList, c.prefixList);
}

TEST(CountryLine, ImportCutsFieldsAndReadsZonesByLeadingDigits) {
  const CountryLine c = parseCountryLine(
      "ABCDEFG,A name longer than twenty,NAX,12.345678N,123.45678W,05x,1234,AD,12-31-9999");
  EXPECT_EQ(c.prefix, "ABCDEF");  // the six a prefix field holds
  EXPECT_EQ(c.name, "Anamelongerthantwent");  // unquoted: blanks dropped, then cut
  EXPECT_EQ(c.continent, "NAX");
  EXPECT_EQ(c.latitude, "12.3456");
  EXPECT_EQ(c.longitude, "123.456");
  EXPECT_EQ(c.cqZone, 5);
  EXPECT_EQ(c.ituZone, 123);
  EXPECT_EQ(c.status, "A");
  EXPECT_EQ(c.date, "12-31-99");
  EXPECT_EQ(c.prefixList, "");
  EXPECT_EQ(leadingNumber(" -7a"), -7);
  EXPECT_EQ(leadingNumber("x5"), 0);
  EXPECT_EQ(leadingNumber("99999999999999"), 2147483647);
}

TEST(LineReader, SplitsAtLineFeedDropsCarriageReturnsAndStopsAtNul) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const char data[] = "one\r\nt\rwo\nbefore\0after\n\r\nlast";
  std::fwrite(data, 1, sizeof data - 1, f);
  std::rewind(f);
  LineReader reader(f);
  EXPECT_EQ(reader.next(), "one");
  EXPECT_EQ(reader.next(), "two");
  EXPECT_EQ(reader.next(), "before");
  EXPECT_EQ(reader.next(), "");
  EXPECT_EQ(reader.next(), "last");  // a last line without LF is read
  EXPECT_EQ(reader.lineNumber(), 5);
  EXPECT_EQ(reader.next(), std::nullopt);
  std::fclose(f);
  EXPECT_TRUE(isBlankLine(" \t"));
  EXPECT_FALSE(isBlankLine(" ,"));
}

}  // namespace
}  // namespace countrytext

namespace countrytext {
namespace {

TEST(CountryRecordForm, FieldsCutToTheRecordAndBack) {
  CountryLine c;
  c.prefix = "TOOLONG";
  c.name = std::string(30, 'n');
  c.continent = "NA";
  c.cqZone = 40;
  c.ituZone = 90;
  c.status = "D";
  c.date = "01-01-93";
  c.prefixList = std::string(600, 'p');
  const CountryRecord r = toRecord(c);
  EXPECT_STREQ(r.prefix, "TOOLON");
  EXPECT_EQ(std::string(r.name), std::string(20, 'n'));
  EXPECT_EQ(r.cqZone, 40);
  EXPECT_EQ(std::string(r.prefixList).size(), 511u);
  const CountryLine back = fromRecord(r);
  EXPECT_EQ(back.prefix, "TOOLON");
  EXPECT_EQ(back.status, "D");
  EXPECT_EQ(back.date, "01-01-93");
  EXPECT_EQ(back.ituZone, 90);
}

}  // namespace
}  // namespace countrytext
