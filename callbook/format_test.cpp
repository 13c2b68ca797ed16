// A record as text in each layout, single fields, RTF, trimming the host's
// RTF file, and the e-mail address file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cbx32.h"
#include "internal.h"
#include "test_support.h"

namespace kscbx {
namespace {

using testing::Drive;
using testing::holder;

kscbx::writer::CallbookRecord smith() {
  kscbx::writer::CallbookRecord r = holder("W1AW", "SMITH", "JOHN Q", "CT", "NEWINGTON", "06111",
                                     "225 MAIN ST, APT 4");
  r.born = "96060";
  r.issued = "97060";
  r.expires = "07060";
  r.previousCall = "WA1XYZ";
  r.previousClass = "ADVANCED1";  // cut at 8 in the label
  r.field4 = "  PADDED";
  return r;
}

std::string searchW1AW(int format) {
  char out[kTextSize];
  const int length = CBXSearch(1, "W1AW", nullptr, nullptr, out, format);
  return length > 0 ? std::string(out, static_cast<size_t>(length)) : "<none>";
}

std::string value(int number) {
  char out[256];
  std::memset(out, 'x', sizeof out);
  int length = -1;
  CBXField(number, out, &length);
  EXPECT_EQ(static_cast<size_t>(length), strnlen(out, sizeof out));
  return std::string(out, static_cast<size_t>(std::max(length, 0)));
}

TEST(Layouts, SixFormatsOfOneRecord) {
  Drive drive;
  ASSERT_TRUE(drive.write({smith()}));
  EXPECT_EQ(searchW1AW(1),
            "W1AW    JOHN Q. SMITH                         Prev: WA1XYZ, ADVANCED\r\n"
            "        225 MAIN ST, APT 4                    Born: 2/29/96\r\n"
            "        NEWINGTON, CT  06111                  Licn: 3/1/97 E\r\n"
            "                                              Expn: 3/1/07");
  EXPECT_EQ(searchW1AW(2), "JOHN Q. SMITH, W1AW\r\n225 MAIN ST, APT 4\r\nNEWINGTON, CT  06111 ");
  EXPECT_EQ(searchW1AW(3), " W1AW  E JOHN Q. SMITH, 225 MAIN ST, APT 4, NEWINGTON, CT  06111 ");
  EXPECT_EQ(searchW1AW(4),
            "W1AW,SMITH,,JOHN Q,  PADDED,96060,97060,07060,225 MAIN ST; APT 4,NEWINGTON,CT,06111,"
            "E,WA1XYZ,ADVANCED1\r\n");
  EXPECT_EQ(searchW1AW(0), searchW1AW(4));  // out of range
  EXPECT_EQ(searchW1AW(5),
            "\"W1AW\",\"SMITH\",\"\",\"JOHN Q\",\"  PADDED\",\"96060\",\"97060\",\"07060\","
            "\"225 MAIN ST, APT 4\",\"NEWINGTON\",\"CT\",\"06111\",\"E\",\"WA1XYZ\",\"ADVANCED1\"");
  EXPECT_EQ(searchW1AW(6),
            "W1AW\tJOHN Q. SMITH\tPrev: WA1XYZ, ADVANCED\r\n\t225 MAIN ST, APT 4\tBorn: 2/29/96\r\n"
            "\tNEWINGTON, CT  06111 \tLicn: 3/1/97 E\r\n\t\tExpn: 3/1/07");
}

TEST(Layouts, NamesCitiesClubsAndShortCalls) {
  Drive drive;
  kscbx::writer::CallbookRecord plain = holder("KA1ABC", "JONES", "JOHN", "", "NEWINGTON", "06111");
  plain.licenceClass = "";
  plain.born = plain.issued = plain.expires = "";
  kscbx::writer::CallbookRecord club = holder("W1XX", "NEWINGTON RADIO CLUB", "");
  club.licenceClass = "C";
  club.previousCall = "W1AW";
  club.previousClass = "E";
  kscbx::writer::CallbookRecord odd = holder("N1X", "ODD", "A", "CT", "X", "1");
  odd.licenceClass = "Z9";
  ASSERT_TRUE(drive.write({plain, club, odd}));
  char out[kTextSize];
  ASSERT_GT(CBXSearch(1, "KA1ABC", nullptr, nullptr, out, 3), 0);
  EXPECT_STREQ(out, "KA1ABC   JOHN JONES, 1 MAIN ST, NEWINGTON 06111 ");  // an empty class reads as a blank
  EXPECT_EQ(value(12), "Class:  ");
  ASSERT_GT(CBXSearch(1, "KA1ABC", nullptr, nullptr, out, 1), 0);
  EXPECT_EQ(value(12), "");
  EXPECT_EQ(value(5), "");
  ASSERT_GT(CBXSearch(1, "W1XX", nullptr, nullptr, out, 1), 0);
  EXPECT_NE(std::strstr(out, "NEWINGTON RADIO CLUB                  Trustee: W1AW\r\n"), nullptr);
  EXPECT_EQ(std::strstr(out, "Prev:"), nullptr);
  EXPECT_EQ(value(12), "Club");
  EXPECT_EQ(value(100), "NEWINGTON RADIO CLUB");
  ASSERT_GT(CBXSearch(1, "N1X", nullptr, nullptr, out, 3), 0);
  EXPECT_EQ(std::string(out).substr(0, 9), " N1X   Z9");
  EXPECT_EQ(value(12), "Class: Z9");
  EXPECT_EQ(value(101), "X, CT  1 ");
}

TEST(Dates, DayOfTheYearToMonthAndDay) {
  EXPECT_EQ(yyddd("96060"), "2/29/96");
  EXPECT_EQ(yyddd("97060"), "3/1/97");
  EXPECT_EQ(yyddd("00366"), "12/31/00");
  EXPECT_EQ(yyddd("97001"), "1/1/97");
  EXPECT_EQ(yyddd("97000"), "");
  EXPECT_EQ(yyddd("97366"), "");  // past the end of the year
  EXPECT_EQ(yyddd(""), "");
}

TEST(Fields, AskedAfterAStoredLayoutSplitTheLineFirst) {
  Drive drive;
  ASSERT_TRUE(drive.write({smith()}));
  ASSERT_NE(searchW1AW(4), "<none>");
  EXPECT_EQ(CBXGetCount(), 1);
  EXPECT_EQ(value(100), "JOHN Q. SMITH");
  EXPECT_STREQ(session().text, "JOHN Q. SMITH, W1AW\r\n225 MAIN ST, APT 4\r\nNEWINGTON, CT  06111 ");
  EXPECT_EQ(session().format, 4);
  EXPECT_EQ(CBXGetCount(), 2);  // that formatting counts too
  EXPECT_EQ(value(0), "W1AW");
  EXPECT_EQ(value(4), "PADDED");  // leading blanks skipped
  EXPECT_EQ(value(5), "2/29/96");
  EXPECT_EQ(value(6), "3/1/97");
  EXPECT_EQ(value(7), "3/1/07");
  EXPECT_EQ(value(8), "225 MAIN ST, APT 4");
  EXPECT_EQ(value(12), "Extra");
  EXPECT_EQ(value(101), "NEWINGTON, CT  06111 ");
  EXPECT_EQ(value(102), "E");
  EXPECT_EQ(value(19), "");
  EXPECT_EQ(value(250), "");
  EXPECT_EQ(CBXGetCount(), 2);

  char out[kTextSize];
  int length = CBXReformat(3, out);
  EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
  EXPECT_STREQ(out, " W1AW  E JOHN Q. SMITH, 225 MAIN ST, APT 4, NEWINGTON, CT  06111 ");
  EXPECT_EQ(session().format, 4);
  length = CBXReformat(9, out);
  EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
  EXPECT_EQ(std::string(out).substr(0, 11), "W1AW,SMITH,");
}

TEST(Fields, NothingBeforeAnIndexIsSelected) {
  Drive drive;
  char out[256] = "untouched";
  int length = -7;
  CBXField(1, out, &length);
  EXPECT_EQ(length, -7);
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(CBXReformat(2, out), 0);
  int more = 5;
  EXPECT_EQ(CBXCount(&more), 0);
  EXPECT_EQ(CBXGetCbInfo(out), 0);
}

TEST(Rtf, ParagraphsAfterEveryLineFeed) {
  Drive drive;
  ASSERT_TRUE(drive.write({smith()}));
  CBXTextMode(1);
  EXPECT_EQ(searchW1AW(2),
            "\\par JOHN Q. SMITH, W1AW\r\n\\par 225 MAIN ST, APT 4\r\n\\par NEWINGTON, CT  06111 ");
  CBXTextMode(0);
  ASSERT_NE(searchW1AW(2), "<none>");
  char out[kTextSize];
  const int length = CBXReformatRTF(out);
  EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
  EXPECT_STREQ(out,
               "\\par JOHN Q. SMITH, W1AW\r\n\\par 225 MAIN ST, APT 4\r\n\\par NEWINGTON, CT  06111 ");
  EXPECT_EQ(toRtf(std::string(2000, '\n')).size(), 1023u);
}

TEST(FixBuffer, CutsBeforeTheLastTwoLines) {
  Drive drive;
  const std::string path = drive.path() + "/out.rtf";
  auto roundTrip = [&](const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(CBXFixBuffer(path.c_str()), 1);
    std::stringstream back;
    back << std::ifstream(path, std::ios::binary).rdbuf();
    return back.str();
  };
  EXPECT_EQ(roundTrip("{\\rtf1\nline one\\par\nline two\\par\n}\n"), "{\\rtf1\nline one\\par\n");
  EXPECT_EQ(roundTrip("{\\rtf1\r\nA\r\nB\r\nC}"), "{\\rtf1\r\nA\r\n");
  // Too short to cut (no brace: nothing before the start): left whole.
  EXPECT_EQ(roundTrip("no brace\nat all\n"), "no brace\nat all\n");
  EXPECT_EQ(roundTrip("{one line}\n"), "{one line}\n");
  EXPECT_EQ(CBXFixBuffer((drive.path() + "/missing.rtf").c_str()), 0);
  EXPECT_EQ(CBXFixBuffer(nullptr), 0);
}

TEST(Email, PlainAddressFileByBinarySearch) {
  Drive drive;
  std::vector<kscbx::writer::CallbookEmail> emails;
  for (int i = 0; i < 700; ++i) {  // more records than eighteen probes reach
    const std::string call = "K" + std::to_string(i % 10) + static_cast<char>('A' + i / 260) +
                             static_cast<char>('A' + i / 10 % 26);
    emails.push_back({call, "op" + std::to_string(i) + "@example.net"});
  }
  emails.push_back({"W1AW", std::string(50, 'a')});
  ASSERT_TRUE(drive.write({smith()}, {}, emails));
  ASSERT_EQ(CBXInit("Q"), 'Q');
  char out[300];
  for (const kscbx::writer::CallbookEmail& e : emails) {
    if (e.call == "W1AW") continue;
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(CBXGetEmail(e.call.c_str(), out, 256), static_cast<int>(e.address.size())) << e.call;
    ASSERT_STREQ(out, e.address.c_str());
  }
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(CBXGetEmail("k0aa", out, 4), 4);  // no terminator when the copy fills
  EXPECT_EQ(std::string(out, 5), "op0@x");
  EXPECT_EQ(CBXGetEmail("W1AW", out, 256), 50);
  EXPECT_EQ(CBXGetEmail("W9NONE", out, 256), 0);
  EXPECT_EQ(CBXGetEmail("", out, 256), 0);
  EXPECT_EQ(CBXGetEmail(nullptr, out, 256), 0);
  EXPECT_EQ(CBXGetEmail("K0AA", out, 0), 0);
  EXPECT_EQ(CBXGetEmail("K0AA", out, 257), 0);
}

TEST(Email, NoAddressFile) {
  Drive drive;
  ASSERT_TRUE(drive.write({smith()}));
  std::filesystem::remove(drive.file("netaddr.cbx"));
  ASSERT_EQ(CBXInit("Q"), 'Q');
  char out[256];
  EXPECT_EQ(CBXGetEmail("W1AW", out, 256), 0);
  EXPECT_NE(searchW1AW(2), "<none>");
}

}  // namespace
}  // namespace kscbx
