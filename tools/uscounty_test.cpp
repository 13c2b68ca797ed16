#include "uscounty.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kstools {
namespace {

TEST(CountyName, DropsTheKindOfCounty) {
  EXPECT_EQ(countyName("Middlesex County"), "MIDDLESEX");
  EXPECT_EQ(countyName("East Baton Rouge Parish"), "EAST BATON ROUGE");
  EXPECT_EQ(countyName("Aleutians West Census Area"), "ALEUTIANS WEST");
  EXPECT_EQ(countyName("Anchorage Municipality"), "ANCHORAGE");
  EXPECT_EQ(countyName("Juneau City and Borough"), "JUNEAU");
  EXPECT_EQ(countyName("Denali Borough"), "DENALI");
  EXPECT_EQ(countyName("St. Louis city"), "ST. LOUIS CITY");
  EXPECT_EQ(countyName("District of Columbia"), "DISTRICT OF COLUMBIA");
  // Only a trailing word goes, and never the whole name.
  EXPECT_EQ(countyName("County"), "COUNTY");
  EXPECT_EQ(countyName("Parish County"), "PARISH");
}

TEST(ConvertCountyList, KeepsStatesInOrderAndSkipsTerritories) {
  std::istringstream in(
      "state,statefp,countyfp,countyname,classfp\r\n"
      "MA,25,017,Middlesex County,H1\r\n"
      "PR,72,001,Adjuntas Municipio,H1\r\n"
      "VA,51,510,\"Alexandria city\",C7\r\n"
      "VA,51,059,Fairfax County,H1\r\n"
      "VA,51,600,Fairfax city,C7\r\n");
  std::ostringstream out;
  std::string error;
  EXPECT_EQ(convertCountyList(in, out, error), 4);
  EXPECT_EQ(out.str(), "MA,MIDDLESEX\nVA,ALEXANDRIA CITY\nVA,FAIRFAX\nVA,FAIRFAX CITY\n");
}

TEST(ConvertCountyList, RefusesWhatIsNotACountyList) {
  std::string error;
  std::ostringstream out;
  std::istringstream noHeader("MA,25,017,Middlesex County,H1\n");
  EXPECT_EQ(convertCountyList(noHeader, out, error), -1);
  EXPECT_NE(error.find("countyname"), std::string::npos);
  std::istringstream shortLine("state,countyname\nMA\n");
  EXPECT_EQ(convertCountyList(shortLine, out, error), -1);
  EXPECT_EQ(error, "line 2 has too few columns");
  std::istringstream twice("state,countyname\nMA,Essex County\nMA,Essex\n");
  EXPECT_EQ(convertCountyList(twice, out, error), -1);
  EXPECT_EQ(error, "line 3: MA,ESSEX comes twice");
}

}  // namespace
}  // namespace kstools
