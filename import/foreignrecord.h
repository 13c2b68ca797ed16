// Pieces the importers of other loggers' files share: text clean-up, the
// log's date and time from their parts, the country found by its prefix in
// the country database, and the error line of the table and text formats.
#ifndef KESTREL_IMPORT_FOREIGNRECORD_H
#define KESTREL_IMPORT_FOREIGNRECORD_H

#include <string>
#include <string_view>
#include <unordered_map>

#include "import/adifrecord.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"

namespace ksimport {

// Blanks (spaces, tabs, line ends) removed from both ends.
std::string_view trimBlanks(std::string_view text);
// Every space removed.
std::string withoutBlanks(std::string_view text);
std::string upperCase(std::string_view text);

// A decimal number (blanks around it allowed); -1 when the text is not one.
int decimalValue(std::string_view text);

// The log's date text of a day by the "DateFormat" setting. A two-digit year
// (below 100) is read 00-44 as 2000-2044 and 45-99 as 1945-1999;
// `inWindow` is false for a year the 8-character date cannot hold.
AdifDate logDate(int year, int month, int day, int dateFormat);

// The log's "HH:MM" from "HHMM", "HMM", "HH:MM" or "HH:MM:SS"; the text
// itself, cut to 5 characters, when it is none of those.
std::string logTime(std::string_view text);

// The log's mode word of a logger's mode name: the ADIF mode table first,
// so that a long name is judged whole before it is cut.
std::string logMode(std::string_view text);

// The first line of a rejected contact's error-log entry in the table and
// text formats: ten of its texts (call, date, time, mode, frequency,
// reports received and sent, country, QSL sent twice).
std::string tenFieldErrorLine(const LogRecord& record);

// A country of the country database (database 1 of the task) by its prefix,
// the key the loggers' own prefix columns give. Answers are kept for the
// object's life: make one per import.
class CountryByPrefix {
 public:
  explicit CountryByPrefix(DB_TASK* task) : task_(task) {}
  // When `prefix` is a country's prefix: its prefix, continent, name (to
  // `qth`), CQ and ITU zones go to `record`, and true.
  bool find(std::string_view prefix, LogRecord& record);

 private:
  struct Head {
    bool found = false;
    char prefix[7] = {};
    char name[21] = {};
    char continent[4] = {};
    int cqZone = 0;
    int ituZone = 0;
  };
  DB_TASK* task_;
  std::unordered_map<std::string, Head> kept_;
};

}  // namespace ksimport

#endif
