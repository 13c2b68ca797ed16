#include "qslconvert.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kstools {
namespace {

TEST(QslConvert, OneLinePerCallTheLatestManagerFirst) {
  std::istringstream in(
      "1A0C;EA5RM;2019-07\n"
      "8p1w;8P6ET;2018-05\r\n"
      "\n"
      "8P1W;KU9C;2019-09\n"
      "BROKEN LINE\n"
      "3W9CJ;JA1DXA;2019-02\n"
      "3W9CJ;JE1STF;2019-02\n"
      "AVERYLONGCALLSIGN;K1ABC;2019-01\n");
  const QslConversion out = convertQslManagers(in);
  EXPECT_EQ(out.calls, 3);
  EXPECT_EQ(out.skipped, 2);
  EXPECT_EQ(out.text,
            "\"1A0C\",\"EA5RM\",\"\",\"\",\"\",\"\",\"Listed 2019-07\"\r\n"
            "\"8P1W\",\"KU9C\",\"\",\"\",\"\",\"\",\"Listed 2019-09 (also 8P6ET)\"\r\n"
            "\"3W9CJ\",\"JA1DXA\",\"\",\"\",\"\",\"\",\"Listed 2019-02 (also JE1STF)\"\r\n"
            "\r\n");
}

}  // namespace
}  // namespace kstools
