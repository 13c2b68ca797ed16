// Dates and times: the three 8-character date forms, the six time forms,
// validation, day numbers, and the current date and time.
#include <cctype>
#include <cstring>
#include <ctime>

#include "internal.h"
#include "ksfunct.h"

namespace ksfunct {
namespace {

// Month lengths for validation and counting: February always admits 29;
// the leap correction is applied only when counting.
constexpr int kMonthLength[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The number at the start of a field of `width` characters, the way the C
// library reads one: leading blanks, a sign, then digits; anything else
// ends it (the characters are not required to be digits).
int leadingNumber(const char* field, size_t width) {
  size_t i = 0;
  while (i < width && std::isspace(static_cast<unsigned char>(field[i]))) ++i;
  bool negative = false;
  if (i < width && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  int value = 0;
  while (i < width && std::isdigit(static_cast<unsigned char>(field[i])))
    value = value * 10 + (field[i++] - '0');
  return negative ? -value : value;
}

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kLength[month - 1];
}

// "%02d" of a value 0..99, without a terminator.
void writeTwoDigits(char* at, int value) {
  const unsigned v = static_cast<unsigned>(value) % 100;
  at[0] = static_cast<char>('0' + v / 10);
  at[1] = static_cast<char>('0' + v % 10);
}

void writeDate(char* out, int first, int second, int third, char separator) {
  writeTwoDigits(out, first);
  out[2] = separator;
  writeTwoDigits(out + 3, second);
  out[5] = separator;
  writeTwoDigits(out + 6, third);
  out[8] = '\0';
}

// Splits an 8-character date in any of the three forms into `info`
// (day, month, four-digit year) and tells its separator; false when the
// text does not have the shape of a date.
bool splitDate(const char* text, DateInfo& info, char& separator) {
  if (text == nullptr || std::strlen(text) != 8) return false;
  separator = text[2];
  if (text[5] != separator || (separator != '-' && separator != '/' && separator != '.'))
    return false;
  const int first = leadingNumber(text, 2);
  const int second = leadingNumber(text + 3, 2);
  const int third = leadingNumber(text + 6, 2);
  info = DateInfo{};
  switch (separator) {
    case '-':  // MM-DD-YY
      info.month = first, info.day = second, info.year = fullYear(third);
      break;
    case '/':  // DD/MM/YY
      info.day = first, info.month = second, info.year = fullYear(third);
      break;
    default:  // YY.MM.DD
      info.year = fullYear(first), info.month = second, info.day = third;
      break;
  }
  return true;
}

// A valid date in any form, or false.
bool parseDate(const char* text, DateInfo& info, char& separator) {
  if (!splitDate(text, info, separator)) return false;
  CheckValidDate(&info);
  return info.invalid == 0;
}

}  // namespace

// The two-digit year window. DXCC credit begins in 1945, so reading 45-99
// as 1945-1999 and 00-44 as 2000-2044 keeps every contact that can count
// for an award representable in the 8-character date text until 2044.
int fullYear(int twoDigitYear) {
  if (twoDigitYear >= 0 && twoDigitYear <= 44) return 2000 + twoDigitYear;
  if (twoDigitYear >= 45 && twoDigitYear <= 99) return 1900 + twoDigitYear;
  return twoDigitYear;  // not a two-digit year: fails validation
}

void formatDateTime(const std::tm& local, int format, int hourOffset, char* dateOut,
                    char* timeOut) {
  int year = local.tm_year + 1900;
  int month = local.tm_mon + 1;
  int day = local.tm_mday;
  int hour = local.tm_hour + hourOffset;
  while (hour > 23) {
    hour -= 24;
    if (++day > daysInMonth(year, month)) {
      day = 1;
      if (++month > 12) month = 1, ++year;
    }
  }
  while (hour < 0) {
    hour += 24;
    if (--day < 1) {
      if (--month < 1) month = 12, --year;
      day = daysInMonth(year, month);
    }
  }
  const int yy = year % 100;
  if (dateOut != nullptr) {
    switch (format) {
      case 0: writeDate(dateOut, month, day, yy, '-'); break;
      case 1: writeDate(dateOut, day, month, yy, '/'); break;
      case 2: writeDate(dateOut, yy, month, day, '.'); break;
      default: break;  // an unknown form leaves the date as it was
    }
  }
  if (timeOut != nullptr) {
    writeTwoDigits(timeOut, hour);
    timeOut[2] = ':';
    writeTwoDigits(timeOut + 3, local.tm_min);
    timeOut[5] = '\0';
  }
}

}  // namespace ksfunct

using ksfunct::parseDate;

extern "C" {

void CheckValidDate(DateInfo* info) {
  if (info == nullptr) return;
  info->invalid = 0;
  const int year = info->year, month = info->month, day = info->day;
  if (year < 1901 || year > 2100 || month < 1 || month > 12 || day < 1 || day > 31 ||
      day > ksfunct::kMonthLength[month - 1]) {
    info->invalid = 1;
  } else if (year == 2100 && (month > 2 || (month == 2 && day > 28))) {
    // The range ends with February 2100: its leap question never arises.
    info->invalid = 1;
  }
}

void IsLeapYear(DateInfo* info) {
  if (info == nullptr) return;
  CheckValidDate(info);
  // Every fourth year: exact over the whole accepted range.
  if (!info->invalid) info->isLeap = info->year % 4 == 0 ? 1 : 0;
}

int CalcYearDays(DateInfo* info) {
  if (info == nullptr) return 0;
  info->yearDay = 0;
  IsLeapYear(info);
  if (info->invalid) return 0;
  int days = info->day;
  for (int m = 1; m < info->month; ++m) days += ksfunct::kMonthLength[m - 1];
  if (info->month > 2 && !info->isLeap) --days;
  info->yearDay = days;
  return days;
}

int CheckDate(const char* text) {
  DateInfo info;
  char separator;
  if (!parseDate(text, info, separator)) return 0;
  return separator == '-' ? 1 : 2;
}

int CalcJulianDate(const char* text) {
  DateInfo info;
  char separator;
  if (!parseDate(text, info, separator)) return 0;
  info.result = 0;
  CalcYearDays(&info);
  const int years = info.year - 1901;
  return years * 365 + years / 4 + info.yearDay;
}

int CheckTime(const char* text) {
  if (text == nullptr) return 0;
  const size_t length = std::strlen(text);
  int hours, minutes, seconds = 0, form;
  if (length == 8 && text[2] == ':' && text[5] == ':') {
    form = 2;
  } else if (length == 8 && text[2] == '.' && text[5] == '.') {
    form = 4;
  } else if (length == 5 && (text[2] == ':' || text[2] == '.')) {
    form = text[2] == ':' ? 1 : 3;
  } else if (length == 4 || length == 6) {
    form = length == 4 ? 5 : 6;
  } else {
    return 0;
  }
  using ksfunct::leadingNumber;
  hours = leadingNumber(text, 2);
  if (form <= 4) {
    minutes = leadingNumber(text + 3, 2);
    if (form == 2 || form == 4) seconds = leadingNumber(text + 6, 2);
  } else {
    minutes = leadingNumber(text + 2, 2);
    if (form == 6) seconds = leadingNumber(text + 4, 2);
  }
  const bool valid = hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59 &&
                     seconds >= 0 && seconds <= 59;
  return valid ? form : 0;
}

// The stored form is MM-DD-YY; these show it in the user's form. Anything
// that is not a stored-form date is left as it is.
static bool isStoredForm(const char* date) {
  return date != nullptr && std::strlen(date) == 8 && date[2] == '-' && date[5] == '-';
}

void DateToIntl(char* date) {
  if (!isStoredForm(date)) return;
  const char mm[2] = {date[0], date[1]}, dd[2] = {date[3], date[4]};
  date[0] = dd[0], date[1] = dd[1], date[2] = '/';
  date[3] = mm[0], date[4] = mm[1], date[5] = '/';
}

void DateToEuro(char* date) {
  if (!isStoredForm(date)) return;
  const char mm[2] = {date[0], date[1]}, dd[2] = {date[3], date[4]},
             yy[2] = {date[6], date[7]};
  date[0] = yy[0], date[1] = yy[1], date[2] = '.';
  date[3] = mm[0], date[4] = mm[1], date[5] = '.';
  date[6] = dd[0], date[7] = dd[1];
}

void DateToUSA(char*) {}

void GetDateTime(int format, int hourOffset, char* dateOut, char* timeOut) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  ksfunct::formatDateTime(local, format, hourOffset, dateOut, timeOut);
}

}  // extern "C"
