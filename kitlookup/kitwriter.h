// Writes a KIT licence data set (KITDB1/2/3.DAT, KITDBB.DAT, KITDBZ.DAT and
// KITDBVE.DAT) from a list of records, for the lookup's tests and benchmark.
#ifndef KESTREL_KITLOOKUP_KITWRITER_H
#define KESTREL_KITLOOKUP_KITWRITER_H

#include <string>
#include <vector>

namespace kitapi::writer {

struct KitRecord {
  std::string call;        // a US or Canadian call: one or two prefix letters,
                           // a digit, one to three suffix letters
  char licenceClass = 'G'; // N T G A E C R M (US)
  long zip = 0;            // US, 0: none
  std::string postal;      // VE, "A1A1A1"; empty: none
  int birthYear = 0;       // two digits (US)
  int birthDay = 0;        // day of the year, 0: unknown (US)
  char middle = 0;         // middle initial, 0: none
  std::string lastName, firstName, street, city, state;  // state: 2 characters
};

struct KitCounty {
  long zip = 0;
  std::string name;  // at most 31 characters
};

struct KitDataSet {
  std::string identity = "KIT000001";  // 9 characters, KITDBB repeats them
  std::string title = "KESTREL TEST SET";
  int version = 2;
  int veVersion = 2;
  bool extended = false;   // the dictionaries in two streams each
  bool birthDays = true;   // write KITDBB.DAT
  std::vector<KitRecord> us;
  std::vector<KitRecord> ve;  // KITDBVE.DAT only when not empty
  std::vector<KitCounty> counties;  // KITDBZ.DAT only when not empty
};

// Writes the data set's files into `directory` (which must exist); "" when
// done, else what is wrong with the records.
std::string writeKitDataSet(const std::string& directory, const KitDataSet& set);

}  // namespace kitapi::writer

#endif
