// Builds one contact from the tags of an ADIF record: the tag table, the
// date, QSL and band rules, and the order of country resolution.
#ifndef KESTREL_IMPORT_ADIFRECORD_H
#define KESTREL_IMPORT_ADIFRECORD_H

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "schema/logschema.h"

namespace ksimport {

// Error codes of a rejected contact.
enum RecordError {
  kMissingCall = 1,
  kNoPrefix = 2,
  kBadFrequency = 3,
  kBadMode = 4,
  kBadDate = 5,
};

// What a contact needs from outside the file: the prefix library and the
// county database of the open logbook.
class RecordServices {
 public:
  virtual ~RecordServices() = default;
  // Resolves the record's `call` on its `julianDay`: fills `prefix`,
  // `continent`, `qth` (the country's name), `cqZone` and `ituZone`. False
  // when no prefix could be determined.
  virtual bool resolveCountry(LogRecord& record) = 0;
  // Band number of a frequency in MHz; 0 when it is on no band.
  virtual int bandOf(double megahertz) = 0;
  // Database address of the county, or -1 when it is not known.
  virtual long findCounty(const char* state, const char* county) = 0;
};

struct AdifSettings {
  int dateFormat = 0;       // "DateFormat": 0 MM-DD-YY, 1 DD/MM/YY, 2 YY.MM.DD
  int hourOffset = 0;       // local time to UTC, for today's date
  bool tagForLabels = false;
};

// An ADIF date (YYYYMMDD) as the log's 8-character date text. The text is
// empty when the value is not eight digits or the format is not 0, 1 or 2;
// `inWindow` says whether the year lies in 1945-2044, the years a two-digit
// date can hold.
struct AdifDate {
  std::string text;
  bool inWindow = false;
};
AdifDate readAdifDate(std::string_view value, int dateFormat);

// The date text of readAdifDate, empty also when the year is outside the
// window.
std::string adifDate(std::string_view value, int dateFormat);

// Band number of an ADIF band name ("20m", "70cm" ...), 0 when unknown.
int adifBand(std::string_view name);

// The log's QSL letter for an ADIF QSL_SENT or QSL_RCVD value.
char qslLetter(std::string_view value);

class AdifRecordBuilder {
 public:
  static constexpr size_t kMaxErrors = 10;

  AdifRecordBuilder(RecordServices& services, const AdifSettings& settings);

  // Starts a new record: all zero, both QSL letters "N".
  void reset();

  // One tag of the record, by its name in any case. "EOH" and "EOR" are the
  // reading loop's; unknown tags are ignored.
  void apply(std::string_view tag, std::string_view value);

  // The record is complete: resolves the country and settles what depends on
  // several tags (mode, band, zones, satellite, county, QSL date), checks that
  // the contact has a call, a date, a mode and a band, and tags it for
  // labels when asked.
  void finish();

  // No tag at all has been applied since the last reset.
  bool empty() const { return !anyTag_; }

  const LogRecord& record() const { return record_; }
  std::span<const int> errors() const { return {errors_.data(), errorCount_}; }
  bool hasError() const { return errorCount_ > 0; }

 private:
  void addError(int code);

  RecordServices& services_;
  AdifSettings settings_;
  LogRecord record_{};
  std::array<int, kMaxErrors> errors_{};
  size_t errorCount_ = 0;
  bool anyTag_ = false;
  bool callKnown_ = false;
  bool dateGood_ = false;
  bool remarksFromComment_ = false;
  bool satModeSeen_ = false;
  bool satellitePath_ = false;  // PROP_MODE is SAT
  int freqBand_ = 0;            // the band of FREQ, 0 when none
  int bandTag_ = 0;             // the band of BAND, 0 when none
  int fileCqZone_ = 0;          // valid CQZ, ITUZ and CONT of the file
  int fileItuZone_ = 0;
  std::string fileContinent_;
  std::string mode_;
  std::string submode_;
  std::string satName_;
  std::string contestId_;
  std::string countyState_;
  std::string countyName_;
  std::string qslSentDate_;
  std::string qslRcvdDate_;
};

}  // namespace ksimport

#endif
