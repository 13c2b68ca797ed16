// Writes the contacts of a logbook as ADIF text: the inverse of the ADIF
// import, so that a log exported here and imported again (here or by
// another logger) keeps every field the logbook holds.
#ifndef KESTREL_IMPORT_ADIFEXPORT_H
#define KESTREL_IMPORT_ADIFEXPORT_H

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "recdb/dbengine.h"
#include "schema/logschema.h"

namespace ksexport {

// The ADIF MODE and SUBMODE of one of the log's mode words. Words the
// table does not know are written as they are, without a submode.
struct AdifMode {
  std::string_view mode;
  std::string_view submode;
};
AdifMode adifMode(std::string_view logMode);

// ADIF's name of a band number ("20m", "70cm"), empty for no band.
std::string_view adifBandName(int band);

// YYYYMMDD of a date text of the log (any of its three forms, two-digit
// years through the log's window), empty when it is not a valid date.
std::string adifDate(const char* logDate);

// YYYYMMDD of a day number (1 January 1901 = 1), empty for 0 or less.
std::string adifDateOfDay(int day);

// The day number of an ADIF date (YYYYMMDD, also YYYY-MM-DD), 0 when it is
// not one.
int dayOfAdifDate(std::string_view text);

// The frequency field as ADIF's decimal MHz: the log's band-edge form
// "14.000.00" loses its second point. Empty when the text is not a
// frequency, and when it is only the band's default frequency (an import
// filled it from BAND alone; BAND says as much).
std::string adifFrequency(std::string_view freq, int band);

// "EU-005" of the log's packed IOTA code, empty for none.
std::string adifIota(int code);

// The ADIF QSL_SENT / QSL_RCVD letter of the log's QSL letter.
char adifQslLetter(char logLetter);

// DXCC entity numbers by the country database's prefix, from the shipped
// list (a "PREFIX NUMBER" line each, '#' starts a comment).
class DxccTable {
 public:
  // False with `error` set when the file cannot be read or a line is bad.
  bool load(const std::string& path, std::string& error);
  // 0 when the prefix has no entity number.
  int entity(std::string_view prefix) const;
  size_t size() const { return numbers_.size(); }

 private:
  std::unordered_map<std::string, int> numbers_;
};

// What is exported and how.
struct ExportOptions {
  int fromDay = 0;          // first day number, 0 = no limit
  int toDay = 0;            // last day number, 0 = no limit
  bool taggedOnly = false;  // only contacts tagged for labels
  DB_ADDR after = -1;       // only contacts stored after this address, -1 = all
  std::string created;      // CREATED_TIMESTAMP, "YYYYMMDD HHMMSS"
  std::string programVersion;
};

// Where the logbook's county names come from: the county database open
// in the same task (county number = the county record's address).
struct ExportSources {
  DB_TASK* task = nullptr;
  int logDb = 0;
  int countyDb = -1;  // -1: no county database, CNTY is left out
  const DxccTable* dxcc = nullptr;
};

struct ExportResult {
  bool ok = false;
  long written = 0;            // contacts written
  DB_ADDR lastAddress = -1;    // highest address of a contact written, -1 none
  std::string error;
};

// Appends the ADIF header (ending in "<EOH>" and a line feed).
void appendHeader(std::string& out, const ExportOptions& options);

// Appends one contact as one line ending in "<EOR>" and a line feed.
// `countyState` and `countyName` are the county record's (empty: none).
void appendRecord(std::string& out, const LogRecord& record, const DxccTable* dxcc,
                  std::string_view countyState, std::string_view countyName);

// Writes the selected contacts to `path`. `progress` (may be empty) is
// called now and then with the contacts looked at so far. On any failure
// (the file cannot be made, a write fails, the engine fails) the partial
// file is removed and the result says why.
ExportResult exportLogbook(const ExportSources& sources, const ExportOptions& options,
                           const std::string& path,
                           const std::function<void(long)>& progress = {});

// The mark of the last export, kept beside the logbook in "<logbook>.EXP":
// the address of the last contact written. -1 when there is none.
DB_ADDR readExportMark(const std::string& logbook);
bool writeExportMark(const std::string& logbook, DB_ADDR address, std::string& error);

}  // namespace ksexport

#endif
