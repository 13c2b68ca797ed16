// What a finished contact writes: its entry in the error log when it was
// rejected, its lines in the award value report when it was kept.
#ifndef KESTREL_IMPORT_VALUEREPORT_H
#define KESTREL_IMPORT_VALUEREPORT_H

#include <span>
#include <string>

#include "schema/logschema.h"

namespace ksimport {

// The error-log text of a rejected contact: its ADIF error line, an empty
// line, then one line per error code in the order found.
std::string errorLogEntry(const LogRecord& record, std::span<const int> errors);

// The same with the importer's own first line: `line`, a line feed, then
// the error lines.
std::string errorLogEntry(const std::string& line, std::span<const int> errors);

// The award tallies of the logbook as they were before the import; each
// returns null when the logbook holds no such tally.
class TallySource {
 public:
  virtual ~TallySource() = default;
  virtual const CountryTally* country(const char* prefix) = 0;
  virtual const ZoneTally* zone(int cqZone) = 0;
  virtual const StateTally* state(const char* state) = 0;
  virtual const GridTally* grid(const char* grid) = 0;
};

// The value report's lines for a contact: what it is worth toward DXCC, the
// CQ zones, VUCC grids and WAS.
std::string rateContact(const LogRecord& record, TallySource& tallies);

}  // namespace ksimport

#endif
