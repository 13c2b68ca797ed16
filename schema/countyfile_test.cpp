#include "countyfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ksschema {
namespace {

TEST(CountyFile, ParsesStatesAndNames) {
  std::istringstream good("# comment\r\nMA,MIDDLESEX\r\n\nVA,COLONIAL HEIGHTS CITY\n");
  std::vector<CountyRecord> counties;
  std::string error;
  ASSERT_TRUE(parseCountyFile(good, counties, error)) << error;
  ASSERT_EQ(counties.size(), 2u);
  EXPECT_EQ(std::string(counties[1].state, 2), "VA");
  EXPECT_STREQ(counties[1].county, "COLONIAL HEIGHTS CITY");
  for (const char* bad : {"MASS,MIDDLESEX\n", "ma,MIDDLESEX\n", "MA,\n", "MIDDLESEX\n"}) {
    std::istringstream in(bad);
    EXPECT_FALSE(parseCountyFile(in, counties, error)) << bad;
    EXPECT_EQ(error.rfind("line 1 ", 0), 0u) << error;
  }
}

TEST(CountyFile, TheShippedFileParses) {
  std::ifstream in(KESTREL_DATA_DIR "/uscounty.txt");
  std::vector<CountyRecord> counties;
  std::string error;
  ASSERT_TRUE(parseCountyFile(in, counties, error)) << error;
  EXPECT_EQ(counties.size(), 3143u);
}

}  // namespace
}  // namespace ksschema
