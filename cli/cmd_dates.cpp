// kestrel date, time, now: the suite's date and time rules at work.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "funct/ksfunct.h"

namespace kcli {
namespace {

// Whether the text has the shape YYYY-MM-DD.
bool isIsoShape(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

const char* formName(const char* date) {
  if (isIsoShape(date)) return "ISO form, YYYY-MM-DD";
  switch (date[2]) {
    case '-': return "USA form, MM-DD-YY";
    case '/': return "Intl form, DD/MM/YY";
    default: return "Euro form, YY.MM.DD";
  }
}

// The calendar date of a day number (1 January 1901 is day 1).
std::chrono::year_month_day fromDayNumber(int day) {
  using namespace std::chrono;
  return year_month_day{sys_days{year{1900} / December / 31} + days{day}};
}

bool parseInt(const char* text, int& value) {
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < -1000 || parsed > 1000) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

std::string logDate(const std::string& text, bool* outOfRange) {
  if (outOfRange) *outOfRange = false;
  if (!isIsoShape(text)) return text;
  const int year = std::atoi(text.substr(0, 4).c_str());
  if (year < 1945 || year > 2044) {
    if (outOfRange) *outOfRange = true;
    return text;
  }
  return text.substr(5, 2) + "-" + text.substr(8, 2) + "-" + text.substr(2, 2);
}

int runDate(std::span<char*> args) {
  if (args.empty()) return usageError(*findCommand("date"), "no date given");
  int status = kOk;
  for (const char* text : args) {
    bool outOfRange = false;
    const std::string date8 = logDate(text, &outOfRange);
    if (outOfRange) {
      std::fprintf(stderr, "kestrel date: '%s' lies outside 1945-2044, the years the log holds\n",
                   text);
      status = kFailed;
      continue;
    }
    const int day = CalcJulianDate(date8.c_str());
    if (day == 0) {
      std::fprintf(stderr,
                   "kestrel date: '%s' is not a valid date (MM-DD-YY, DD/MM/YY, "
                   "YY.MM.DD or YYYY-MM-DD)\n",
                   text);
      status = kFailed;
      continue;
    }
    const auto date = fromDayNumber(day);
    char usa[16];
    std::snprintf(usa, sizeof usa, "%02u-%02u-%02d", static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(date.year()) % 100);
    char intl[9], euro[9];
    std::memcpy(intl, usa, 9);
    std::memcpy(euro, usa, 9);
    DateToIntl(intl);
    DateToEuro(euro);
    std::printf("%s  %s, %04d-%02u-%02u\n", text, formName(text), static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    std::printf("  day number  %d\n  USA         %s\n  Intl        %s\n  Euro        %s\n", day,
                usa, intl, euro);
  }
  return status;
}

int runTime(std::span<char*> args) {
  if (args.empty()) return usageError(*findCommand("time"), "no time given");
  static const char* const kForms[] = {"",      "HH:MM",    "HH:MM:SS", "HH.MM",
                                       "HH.MM.SS", "HHMM",  "HHMMSS"};
  int status = kOk;
  for (const char* text : args) {
    const int form = CheckTime(text);
    if (form == 0) {
      std::fprintf(stderr, "kestrel time: '%s' is not a valid time\n", text);
      status = kFailed;
    } else {
      std::printf("%s  form %d, %s\n", text, form, kForms[form]);
    }
  }
  return status;
}

int runNow(std::span<char*> args) {
  const Command& command = *findCommand("now");
  int format = 0, offset = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool isFormat = std::strcmp(args[i], "--format") == 0;
    const bool isOffset = std::strcmp(args[i], "--offset") == 0;
    if (!isFormat && !isOffset) return usageError(command, "unknown argument");
    if (i + 1 == args.size() || !parseInt(args[i + 1], isFormat ? format : offset))
      return usageError(command, isFormat ? "--format needs 0, 1 or 2"
                                          : "--offset needs a number of hours");
    ++i;
  }
  if (format < 0 || format > 2) return usageError(command, "--format needs 0, 1 or 2");
  char date[9] = "", time[6] = "";
  GetDateTime(format, offset, date, time);
  std::printf("%s %s\n", date, time);
  return kOk;
}

}  // namespace kcli
