#include "foreignrecord.h"

#include <gtest/gtest.h>

#include <cstring>

#include "asciiimport.h"

namespace ksimport {
namespace {

TEST(ForeignRecord, DatesKeepTheirCenturyAndTheSetting) {
  EXPECT_EQ(logDate(1999, 12, 31, 0).text, "12-31-99");
  EXPECT_EQ(logDate(99, 12, 31, 1).text, "31/12/99");
  EXPECT_EQ(logDate(2024, 3, 5, 2).text, "24.03.05");
  EXPECT_TRUE(logDate(44, 1, 1, 0).inWindow);  // 2044
  EXPECT_TRUE(logDate(45, 1, 1, 0).inWindow);  // 1945
  // Years an 8-character date would put in another century.
  EXPECT_FALSE(logDate(1939, 12, 31, 0).inWindow);
  EXPECT_FALSE(logDate(2045, 1, 1, 0).inWindow);
  EXPECT_TRUE(logDate(2024, 1, 1, 7).text.empty());
}

TEST(ForeignRecord, TimesAreHoursAndMinutes) {
  EXPECT_EQ(logTime("1423"), "14:23");
  EXPECT_EQ(logTime(" 905 "), "09:05");
  EXPECT_EQ(logTime("14:23"), "14:23");
  EXPECT_EQ(logTime("9:05:30"), "09:05");
  EXPECT_EQ(logTime("noon"), "noon");
  EXPECT_EQ(logTime(""), "");
}

TEST(ForeignRecord, ModesGoThroughTheModeTableBeforeTheyAreCut) {
  EXPECT_EQ(logMode("PSK31"), "PSK");  // not "PSK3"
  EXPECT_EQ(logMode(" cw "), "CW");
  EXPECT_EQ(logMode("RTTY"), "RTTY");
  EXPECT_EQ(logMode(""), "");
}

TEST(ForeignRecord, BandNumbersAreNormalised) {
  EXPECT_EQ(normalisedBand(14), 20);
  EXPECT_EQ(normalisedBand(146), 2);
  EXPECT_EQ(normalisedBand(2400), 2300);
  EXPECT_EQ(normalisedBand(5), 60);   // 60 m from its MHz
  EXPECT_EQ(normalisedBand(70), 4);   // 4 m from its MHz
  EXPECT_EQ(normalisedBand(60), 60);  // already the log's band numbers
  EXPECT_EQ(normalisedBand(4), 4);
  EXPECT_EQ(normalisedBand(20), 20);
}

TEST(ForeignRecord, ErrorLineHasTenTexts) {
  LogRecord r{};
  std::strcpy(r.call, "W1AW");
  std::strcpy(r.date, "12-31-99");
  std::strcpy(r.mode, "CW");
  std::strcpy(r.qslSent, "N");
  EXPECT_EQ(tenFieldErrorLine(r), "W1AW 12-31-99  CW     N N \n");
}

TEST(ForeignRecord, TextsAreCleaned) {
  EXPECT_EQ(trimBlanks(" \tW1AW \r\n"), "W1AW");
  EXPECT_EQ(withoutBlanks(" W 1 AW"), "W1AW");
  EXPECT_EQ(decimalValue(" 14 "), 14);
  EXPECT_EQ(decimalValue(""), -1);
  EXPECT_EQ(decimalValue("5x"), -1);
}

}  // namespace
}  // namespace ksimport
