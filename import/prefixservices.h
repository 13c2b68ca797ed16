// A contact's country, band and county from the prefix library and the
// county database of the open logbook's task.
#ifndef KESTREL_IMPORT_PREFIXSERVICES_H
#define KESTREL_IMPORT_PREFIXSERVICES_H

#include <string>
#include <unordered_map>

#include "import/adifrecord.h"
#include "recdb/dbengine.h"

namespace ksimport {

// The country tables must be loaded (OpenCountryDb) and the county database
// open as database 2 of `task`. County answers are kept for the object's
// life (the county database is reference data that nothing changes while a
// program runs): make one for each import.
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
  // Answers kept, at most: enough for every county of a log, bounded for a
  // file full of made-up ones.
  static constexpr std::size_t kCountiesKept = 16384;

  DB_TASK* task_;
  std::unordered_map<std::string, long> counties_;  // "ST,NAME" as given
  std::string countyKey_;  // reused, so a known county costs no allocation
};

}  // namespace ksimport

#endif
