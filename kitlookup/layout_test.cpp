// The layout and mixed case, over a record made here.
#include <gtest/gtest.h>

#include <cstring>

#include "kit.h"

namespace kitapi {
namespace {

Decoded sample() {
  Decoded r;
  r.recordNumber = 42;
  std::memcpy(r.call, " W1AW ", 7);
  r.licenceClass = 'E';
  r.zip = 6111;
  r.zipText = "06111";
  r.birthYear = 71;
  r.birthDay = 60;
  r.middle = 'M';
  r.lastName = "MC'DONALD";
  r.firstName = "PERCY";
  r.street = "22ND ST";
  r.city = "NEWINGTON";
  r.state = "CT";
  return r;
}

std::string render(const Decoded& r, const char* layout, int length = 256) {
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '#');
  renderLayout(r, layout, buffer.data(), length, [](const std::string& zip) {
    return zip == "06111" ? std::string("HARTFORD") : std::string();
  });
  return buffer.data();
}

TEST(Layout, TagsAndTheirNumbers) {
  const Decoded r = sample();
  EXPECT_EQ(render(r, "[CL][TA10]|[CA]|[RN]|[LC]|[DB]|[ZI]|[ZZ]|[CO]|[ST]"),
            "W1AW      | W1AW |0000042|E|71|06111|06111|HARTFORD|CT");
  // Tag names in any case; unknown tags and an open bracket are text.
  EXPECT_EQ(render(r, "[ln] [Xx] [LN [L]"), "MC'DONALD [Xx] [LN [L]");
  EXPECT_EQ(render(r, "[FN] [MS][LN]|[FN] [MS1][LN]|[MI]"), "PERCY M MC'DONALD|PERCY M. MC'DONALD|M");
  EXPECT_EQ(render(r, "a[NL]b[NL2]c"), "a\r\nb\r\n\r\nc");
  Decoded plain = r;
  plain.middle = 0;
  plain.firstName = " ";
  plain.zip = 0;
  plain.zipText = "00000";
  EXPECT_EQ(render(plain, "[FN][MS][MI]|[ZI]|[ZZ]|[CO]"), " |     |00000|");
}

TEST(Layout, ColumnCounter) {
  const Decoded r = sample();
  // [CC13] moves nothing: [C-0] after it starts the line's count again.
  EXPECT_EQ(render(r, "[CL][CC13][TA6]x"), "W1AW\r  x");
  EXPECT_EQ(render(r, "[CL][CC13][C-0][TA6]x"), "W1AW\r      x");
  EXPECT_EQ(render(r, "[CC65][TA2]x"), "A  x");
  EXPECT_EQ(render(r, "[CL][C-2][TA4]x|[C+0][C+3][TA5]y"), "W1AW  x|  y");
  EXPECT_EQ(render(r, "[CL][C-9][TA6]x"), "W1AW  x");  // no move below 0
  EXPECT_EQ(render(r, "[CL][NL][TA8]x"), "W1AW\r\n  x");
}

TEST(Layout, ValuesThatDoNotFit) {
  const Decoded r = sample();
  // A value goes in whole or not at all, and counts in the column anyway.
  EXPECT_EQ(render(r, "[LN]ab", 4), "ab");
  EXPECT_EQ(render(r, "[LN][TA11]x", 4), "  x");
  EXPECT_EQ(render(r, "[CL]", 5), "W1AW");
  EXPECT_EQ(render(r, "[CL]", 4), "");
  EXPECT_EQ(render(r, "[TA99999999][CL]", 8), "W1AW");
  EXPECT_EQ(render(r, "[CL]", 1), "");
}

TEST(Layout, BirthDates) {
  Decoded r = sample();
  EXPECT_EQ(render(r, "[BE]"), "03/01/71");
  r.birthYear = 80;
  EXPECT_EQ(render(r, "[BE]"), "02/29/80");
  r.birthDay = 366;
  EXPECT_EQ(render(r, "[BE]"), "12/31/80");
  r.birthYear = 71;
  EXPECT_EQ(render(r, "[BE]"), "01/01/71");  // past the year's end
  r.birthDay = 0;
  EXPECT_EQ(render(r, "[BE]"), "71");
}

TEST(Layout, MixedCase) {
  const Decoded r = sample();
  EXPECT_EQ(render(r, "[UC1][LN], [AD], [CI] [ST][UC0] [LN]"),
            "Mc'Donald, 22nd St, Newington CT MC'DONALD");
  EXPECT_EQ(mixedCase("RR 2 BOX 5"), "RR 2 Box 5");
  EXPECT_EQ(mixedCase("PO BOX 12 NW"), "PO Box 12 NW");
  EXPECT_EQ(mixedCase("JOHN SMITH III"), "John Smith III");
  EXPECT_EQ(mixedCase("O'NEIL-SMITH A 1ST 3RD 101ST 2D 4TH5"), "O'Neil-Smith A 1st 3rd 101st 2D 4TH5");
  EXPECT_EQ(mixedCase("ST. JOHNS  APT#4 ARRL"), "ST. Johns  APT#4 ARRL");
}

}  // namespace
}  // namespace kitapi
