// A contact's country, band and county from the prefix library and the
// county database of the open logbook's task.
#ifndef KESTREL_IMPORT_PREFIXSERVICES_H
#define KESTREL_IMPORT_PREFIXSERVICES_H

#include "import/adifrecord.h"
#include "import/dbengine.h"

namespace ksimport {

// The country tables must be loaded (OpenCountryDb) and the county database
// open as database 2 of `task`.
class PrefixServices : public RecordServices {
 public:
  explicit PrefixServices(DB_TASK* task) : task_(task) {}
  // Aeronautical and maritime mobile calls get their names; any other call
  // is searched on its day among the deleted countries, then the shared
  // prefixes, then all countries.
  bool resolveCountry(LogRecord& record) override;
  int bandOf(double megahertz) override;
  long findCounty(const char* state, const char* county) override;

 private:
  DB_TASK* task_;
};

}  // namespace ksimport

#endif
