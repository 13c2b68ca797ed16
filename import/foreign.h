// Imports of other loggers' and contest programs' files: CT, DXBase,
// Easy-DX, Log View, LogMaster, HyperLog, PakRatt and RTTY by Q1QA. Each
// reader turns its file into contacts built by the same rules as ADIF's,
// which then take the common completion path of the session.
#ifndef KESTREL_IMPORT_FOREIGN_H
#define KESTREL_IMPORT_FOREIGN_H

#include <array>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "import/adifimport.h"
#include "import/adifrecord.h"
#include "import/foreignrecord.h"
#include "import/prefixservices.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"

namespace ksimport {

enum class ForeignFormat { Ct, DxBase, EasyDx, LogView, LogMaster, HyperLog, PakRatt, Rtty };

// Button ids of the contest dialog, which are also the string numbers of the
// contest names for 100..111; 112..114 name strings 214..216.
namespace contest {
inline constexpr int kCqwwCw = 100, kCqwwSsb = 101, kSweepstakesCw = 102, kSweepstakesSsb = 103,
                     kArrlDxCw = 104, kArrlDxSsb = 105, kFieldDay = 106, kVhfUhf = 107,
                     kWaeCw = 108, kWaeSsb = 109, kWpxCw = 110, kWpxSsb = 111, kArrl160 = 112,
                     kArrl10 = 113, kDxpedition = 114, kOther = 1004;
}  // namespace contest

// The contest's name as the contacts' remarks carry it: the string of its
// button (`other` for the Other button); empty for an unknown button.
std::string contestName(int button, const std::string& other);

struct ForeignOptions {
  int dateFormat = 0;   // "DateFormat": 0 MM-DD-YY, 1 DD/MM/YY, 2 YY.MM.DD
  int hourOffset = 0;   // local time to UTC, for a tagged contact's date
  int contest = contest::kCqwwCw;  // CT: the button chosen
  std::string otherContest;        // CT: the name typed for Other
  std::string power;               // CT and RTTY: the contest power
  int hyperlogOrder = 0;           // HyperLog: 0 MM/DD/YY, 1 DD/MM/YY, 2 YY/MM/DD
};

// The prefix library's services and, for the formats that name a contact's
// country by its prefix, the country database (database 1) by its key.
class ForeignServices : public RecordServices {
 public:
  // Fills `prefix`, `continent`, `qth`, `cqZone` and `ituZone` from the
  // country whose key is `prefix`; false when there is none.
  virtual bool countryByPrefix(const char* prefix, LogRecord& record) = 0;
};

class ForeignPrefixServices : public ForeignServices {
 public:
  explicit ForeignPrefixServices(DB_TASK* task) : prefixes_(task), countries_(task) {}
  bool resolveCountry(LogRecord& record) override { return prefixes_.resolveCountry(record); }
  int bandOf(double megahertz) override { return prefixes_.bandOf(megahertz); }
  long findCounty(const char* state, const char* county) override {
    return prefixes_.findCounty(state, county);
  }
  bool countryByPrefix(const char* prefix, LogRecord& record) override {
    return countries_.find(prefix, record);
  }

 private:
  PrefixServices prefixes_;
  CountryByPrefix countries_;
};

// One contact being read: the record, its error codes in the order found,
// and, for the formats that log a rejected contact in a form of their own,
// that form.
struct Contact {
  static constexpr size_t kMaxErrors = 10;
  LogRecord record{};
  std::array<int, kMaxErrors> codes{};
  size_t count = 0;
  std::string errorLine;  // empty: the ten texts of the record

  void reset();
  void addError(int code);
  std::span<const int> errors() const { return {codes.data(), count}; }
};

// The error-log line of the text and table formats: call, date, time,
// mode, frequency, received and sent reports, country, and the sent QSL
// letter twice, each followed by a blank.
std::string tenTextLine(const LogRecord& record);

// How a file's reading ended.
enum class ReadEnd {
  EndOfFile,      // read to its end
  Stopped,        // the sink said stop (cancelled, or the store failed)
  ReadError,      // the file could not be read (message 17)
  Malformed,      // the file's structure is broken where `detail` says
  TooLarge,       // LogMaster: a body over 512 bytes
  FewFields,      // HyperLog: a line with fewer than 19 fields
  Incompatible,   // RTTY: no contact record where the first was due
};

struct ReadResult {
  ReadEnd end = ReadEnd::EndOfFile;
  long where = 0;      // the line or record it ended at, counted from 1
  std::string detail;  // what was wrong, for Malformed
};

// Called with every finished contact; returns false to stop reading.
using ContactSink = std::function<bool(const Contact& contact)>;

struct ReadContext {
  ForeignServices& services;
  const ForeignOptions& options;
  bool tagForLabels = false;
  const char* fileName = "";  // for the messages of the line reader
};

// Reads the whole file of its format, handing each contact to `sink`.
ReadResult readForeign(ForeignFormat format, std::FILE* file, ReadContext& context,
                       const ContactSink& sink);

// Imports the file at `path` into the open logbook, through the session's
// questions, error log, value report, storage and closing messages. A file
// whose structure breaks off keeps the contacts read before the break, and
// the console says where and why.
ImportEnd importForeign(ForeignFormat format, HWND window, DB_TASK* task, ImportFrame& frame,
                        ForeignServices& services, const ForeignOptions& options,
                        const std::string& path);

}  // namespace ksimport

#endif
