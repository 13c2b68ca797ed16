#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "internal.h"
#include "ksfunct.h"

namespace {

// Days since 31 December 1900, computed by the standard calendar.
int dayNumber(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  const sys_days date = std::chrono::year{year} / month / day;
  const sys_days origin = std::chrono::year{1900} / 12 / 31;
  return static_cast<int>((date - origin).count());
}

std::string usa(int year, unsigned month, unsigned day) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u-%02u-%02d", month, day, year % 100);
  return text;
}

TEST(Dates, TheThreeFormsAndTheirShapes) {
  EXPECT_EQ(CheckDate("12-31-99"), 1);
  EXPECT_EQ(CheckDate("31/12/99"), 2);
  EXPECT_EQ(CheckDate("99.12.31"), 2);
  EXPECT_EQ(CheckDate("12/31/99"), 0);  // month 31
  EXPECT_EQ(CheckDate("1-1-99"), 0);    // length
  EXPECT_EQ(CheckDate("12-31/99"), 0);  // mixed separators
  EXPECT_EQ(CheckDate("12:31:99"), 0);
  EXPECT_EQ(CheckDate("12-31-999"), 0);
  EXPECT_EQ(CheckDate(""), 0);
  EXPECT_EQ(CheckDate(nullptr), 0);
  EXPECT_EQ(CheckDate("00-10-99"), 0);  // month 0
  EXPECT_EQ(CheckDate("04-31-99"), 0);  // April has 30 days
  EXPECT_EQ(CheckDate("04-30-99"), 1);
}

TEST(Dates, FebruaryAlwaysAdmitsTheTwentyNinth) {
  EXPECT_EQ(CheckDate("02-29-99"), 1);
  EXPECT_EQ(CheckDate("02-30-00"), 0);
  // ... but counting knows the leap years: 29 Feb 1999 is 1 March.
  EXPECT_EQ(CalcJulianDate("02-29-99"), CalcJulianDate("03-01-99"));
  EXPECT_EQ(CalcJulianDate("03-01-00"), CalcJulianDate("02-29-00") + 1);
  EXPECT_EQ(CalcJulianDate("03-01-24"), CalcJulianDate("02-29-24") + 1);
}

TEST(Dates, TwoDigitYearWindowEndsAt44And45) {
  EXPECT_EQ(ksfunct::fullYear(0), 2000);
  EXPECT_EQ(ksfunct::fullYear(20), 2020);
  EXPECT_EQ(ksfunct::fullYear(21), 2021);
  EXPECT_EQ(ksfunct::fullYear(26), 2026);
  EXPECT_EQ(ksfunct::fullYear(44), 2044);
  EXPECT_EQ(ksfunct::fullYear(45), 1945);
  EXPECT_EQ(ksfunct::fullYear(99), 1999);
  EXPECT_EQ(CalcJulianDate("12-31-44"), dayNumber(2044, 12, 31));
  EXPECT_EQ(CalcJulianDate("01-01-45"), dayNumber(1945, 1, 1));
  EXPECT_EQ(CalcJulianDate("12-07-26"), dayNumber(2026, 12, 7));
  EXPECT_EQ(CalcJulianDate("01-01-21"), dayNumber(2021, 1, 1));
  // Sorting by day number keeps today after the last century.
  EXPECT_GT(CalcJulianDate("01-01-21"), CalcJulianDate("12-31-99"));
  EXPECT_GT(CalcJulianDate("01-01-45"), 0);
}

TEST(Dates, DayNumbersMatchTheCalendarInEveryForm) {
  EXPECT_EQ(CalcJulianDate("01-01-01"), 36526);
  EXPECT_EQ(CalcJulianDate("not a date"), 0);
  EXPECT_EQ(CalcJulianDate("13-01-01"), 0);
  // Every day of the window, in all three forms.
  for (int year = 1945; year <= 2044; ++year) {
    for (unsigned month = 1; month <= 12; ++month) {
      const unsigned days = static_cast<unsigned>(
          (std::chrono::year{year} / month / std::chrono::last).day());
      for (unsigned day = 1; day <= days; ++day) {
        const int expected = dayNumber(year, month, day);
        char intl[16], euro[16];
        std::snprintf(intl, sizeof intl, "%02u/%02u/%02d", day, month, year % 100);
        std::snprintf(euro, sizeof euro, "%02d.%02u.%02u", year % 100, month, day);
        ASSERT_EQ(CalcJulianDate(usa(year, month, day).c_str()), expected)
            << usa(year, month, day);
        ASSERT_EQ(CalcJulianDate(intl), expected) << intl;
        ASSERT_EQ(CalcJulianDate(euro), expected) << euro;
      }
    }
  }
}

TEST(Dates, DateInfoValidationAndYearDays) {
  DateInfo info{31, 12, 2000, 0, 7, 0, 0};
  EXPECT_EQ(CalcYearDays(&info), 366);
  EXPECT_EQ(info.isLeap, 1);
  EXPECT_EQ(info.result, 7);  // only CalcJulianDate touches it

  info = DateInfo{1, 3, 1999, 0, 0, 0, 0};
  EXPECT_EQ(CalcYearDays(&info), 60);
  EXPECT_EQ(info.isLeap, 0);

  info = DateInfo{31, 12, 1900, 99, 0, 5, 0};
  EXPECT_EQ(CalcYearDays(&info), 0);
  EXPECT_EQ(info.invalid, 1);
  EXPECT_EQ(info.yearDay, 0);
  EXPECT_EQ(info.isLeap, 5);  // not set for an invalid date

  for (DateInfo bad : {DateInfo{0, 1, 2000, 0, 0, 0, 0}, DateInfo{32, 1, 2000, 0, 0, 0, 0}, DateInfo{1, 13, 2000, 0, 0, 0, 0},
                       DateInfo{31, 6, 2000, 0, 0, 0, 0}, DateInfo{1, 1, 2101, 0, 0, 0, 0}, DateInfo{1, 3, 2100, 0, 0, 0, 0}}) {
    CheckValidDate(&bad);
    EXPECT_EQ(bad.invalid, 1) << bad.day << "." << bad.month << "." << bad.year;
  }
  for (DateInfo good : {DateInfo{1, 1, 1901, 0, 0, 0, 0}, DateInfo{28, 2, 2100, 0, 0, 0, 0}, DateInfo{29, 2, 1999, 0, 0, 0, 0}}) {
    CheckValidDate(&good);
    EXPECT_EQ(good.invalid, 0) << good.day << "." << good.month << "." << good.year;
  }
}

TEST(Dates, ConversionsFromTheStoredForm) {
  char date[9] = "12-31-99";
  DateToEuro(date);
  EXPECT_STREQ(date, "99.12.31");
  std::strcpy(date, "12-31-99");
  DateToIntl(date);
  EXPECT_STREQ(date, "31/12/99");
  std::strcpy(date, "12-31-99");
  DateToUSA(date);
  EXPECT_STREQ(date, "12-31-99");
  char notStored[9] = "31/12/99";
  DateToEuro(notStored);
  EXPECT_STREQ(notStored, "31/12/99");
}

TEST(Times, EveryFormAndItsLimits) {
  EXPECT_EQ(CheckTime("23:59"), 1);
  EXPECT_EQ(CheckTime("23:59:59"), 2);
  EXPECT_EQ(CheckTime("23.59"), 3);
  EXPECT_EQ(CheckTime("23.59.59"), 4);
  EXPECT_EQ(CheckTime("2359"), 5);
  EXPECT_EQ(CheckTime("235959"), 6);
  EXPECT_EQ(CheckTime("0000"), 5);
  EXPECT_EQ(CheckTime("2400"), 0);
  EXPECT_EQ(CheckTime("2360"), 0);
  EXPECT_EQ(CheckTime("235960"), 0);
  EXPECT_EQ(CheckTime("12:3"), 5);  // four characters are HHMM whatever they are
  EXPECT_EQ(CheckTime("23:59.59"), 0);
  EXPECT_EQ(CheckTime("23-59"), 0);
  EXPECT_EQ(CheckTime("123"), 0);
  EXPECT_EQ(CheckTime("1234567"), 0);
  EXPECT_EQ(CheckTime(""), 0);
  EXPECT_EQ(CheckTime(nullptr), 0);
}

std::tm at(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
  t.tm_hour = hour, t.tm_min = minute;
  return t;
}

std::string dateOf(const std::tm& local, int format, int offset) {
  char date[9] = "unset", time[6];
  ksfunct::formatDateTime(local, format, offset, date, time);
  return date;
}

TEST(CurrentDateTime, RollsOverDaysMonthsYearsAndLeapDays) {
  EXPECT_EQ(dateOf(at(1999, 12, 31, 22, 0), 0, 5), "01-01-00");
  EXPECT_EQ(dateOf(at(2001, 3, 1, 0, 30), 0, -1), "02-28-01");
  // The calendar's leap rule, not a list of years.
  EXPECT_EQ(dateOf(at(2024, 3, 1, 0, 30), 0, -1), "02-29-24");
  EXPECT_EQ(dateOf(at(2028, 2, 28, 23, 0), 0, 2), "02-29-28");
  EXPECT_EQ(dateOf(at(2100, 3, 1, 0, 30), 0, -1), "02-28-00");
  EXPECT_EQ(dateOf(at(2000, 3, 1, 0, 30), 0, -1), "02-29-00");
  EXPECT_EQ(dateOf(at(2026, 1, 1, 3, 0), 0, -5), "12-31-25");
  EXPECT_EQ(dateOf(at(2026, 4, 30, 20, 0), 0, 12), "05-01-26");

  EXPECT_EQ(dateOf(at(2026, 12, 7, 12, 0), 0, 0), "12-07-26");
  EXPECT_EQ(dateOf(at(2026, 12, 7, 12, 0), 1, 0), "07/12/26");
  EXPECT_EQ(dateOf(at(2026, 12, 7, 12, 0), 2, 0), "26.12.07");
  EXPECT_EQ(dateOf(at(2026, 12, 7, 12, 0), 3, 0), "unset");
  EXPECT_EQ(dateOf(at(1995, 6, 1, 12, 0), 0, 0), "06-01-95");

  char date[9], time[6];
  ksfunct::formatDateTime(at(2026, 12, 7, 23, 5), 0, 3, date, time);
  EXPECT_STREQ(time, "02:05");
  EXPECT_STREQ(date, "12-08-26");
}

TEST(CurrentDateTime, TheClockGivesAValidDateAndTime) {
  char date[9] = "", time[6] = "";
  GetDateTime(0, 0, date, time);
  EXPECT_EQ(CheckDate(date), 1) << date;
  EXPECT_EQ(CheckTime(time), 1) << time;
  GetDateTime(2, -12, date, time);
  EXPECT_EQ(CheckDate(date), 2) << date;
}

TEST(Strip, TrailingBlanksOnly) {
  char text[16] = "W1AW   ";
  EXPECT_EQ(Strip(text), 3);
  EXPECT_STREQ(text, "W1AW");
  char blanks[8] = "   ";
  EXPECT_EQ(Strip(blanks), -1);
  EXPECT_STREQ(blanks, "");
  char tab[8] = "CW\t";
  EXPECT_EQ(Strip(tab), 2);
  EXPECT_STREQ(tab, "CW\t");
  char inner[16] = " A B ";
  EXPECT_EQ(Strip(inner), 3);
  EXPECT_STREQ(inner, " A B");
}

}  // namespace
