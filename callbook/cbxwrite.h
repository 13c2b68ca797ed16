// Writes a callbook data set: the four index files and their data files,
// sorted by their keys, and the plain e-mail address file, under
// ROOT/callbk/ (ROOT is what a drive letter maps to).
#ifndef KESTREL_CALLBOOK_CBXWRITE_H
#define KESTREL_CALLBOOK_CBXWRITE_H

#include <string>
#include <vector>

namespace kscbx::writer {

// One licence holder. Texts are written as given (upper case is the data
// set's habit); a comma in a text is stored as ';'.
struct CallbookRecord {
  std::string call;  // plain, e.g. "W1AW"
  std::string lastName, field2, firstName, field4;
  std::string born, issued, expires;  // YYDDD
  std::string street, city, state, zip;
  std::string licenceClass, previousCall, previousClass;
};

// `call` is listed under `listedUnder`.
struct CallbookCrossReference {
  std::string call, listedUnder;
};

struct CallbookEmail {
  std::string call, address;
};

struct CallbookOptions {
  long blockSize = 4096;
  int nameKeyLength = 12;
  int cityKeyLength = 16;
  int zipKeyLength = 5;
  bool crlf = true;               // line ends as the CD has them
  bool upperCaseNames = false;    // CALLBK\CALLBKC.IDX ...
  std::string version = "7.01";   // at most 7 characters
};

// The callsign as the data set stores it: prefix (2, blank-padded), digit,
// suffix (3, blank-padded).
std::string callbookStoredKey(const std::string& call);

// The order of stored keys in the callsign files: suffix, digit, prefix.
std::string callbookCompareKey(const std::string& storedKey);

// Writes the data set; false with `error` set when a file cannot be written.
bool writeCallbook(const std::string& root, const std::vector<CallbookRecord>& records,
                   const std::vector<CallbookCrossReference>& crossReferences,
                   const std::vector<CallbookEmail>& emails, const CallbookOptions& options,
                   std::string* error);

// A large made-up data set for benchmarks and trying things out: `count`
// licence holders whose calls come from `callFile` (MASTER.SCP style, one
// call a line; calls that do not fit the six-character key are passed
// over) and, when it runs out, are made up in the same style; invented
// names and addresses; some cross-references and e-mail addresses.
struct GeneratedCallbook {
  std::vector<CallbookRecord> records;
  std::vector<CallbookCrossReference> crossReferences;
  std::vector<CallbookEmail> emails;
  size_t callsFromFile = 0;
};
GeneratedCallbook generateCallbook(size_t count, unsigned seed, const std::string& callFile);

}  // namespace kscbx::writer

#endif
