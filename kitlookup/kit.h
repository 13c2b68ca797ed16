// The lookup's inside: the data set's layout, the module state, and the
// steps of a lookup. Every step that can meet a fatal error returns the
// error's message number (0 for none), and its caller returns it on at
// once, so that the export can close up and answer 3.
#ifndef KESTREL_KITLOOKUP_KIT_H
#define KESTREL_KITLOOKUP_KIT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "kitfile.h"

namespace kitapi {

// Layout of the files.
inline constexpr std::size_t kIdentitySize = 144;   // shared by KITDB1, 2 and 3
inline constexpr std::size_t kSerialSize = 9;       // repeated by KITDBB
inline constexpr std::size_t kDb1HeaderSize = 168;  // D records follow
inline constexpr std::size_t kDb2HeaderSize = 184;
inline constexpr std::size_t kExtendedTableSize = 80;
inline constexpr std::size_t kVeHeaderSize = 220;   // D records follow
inline constexpr std::size_t kZipHeaderSize = 108;
inline constexpr std::size_t kTitleSize = 24;
inline constexpr int kGroups = 7020;
inline constexpr std::size_t kFields = 5;
inline constexpr std::size_t kStateField = 4;
// Longest text of each dictionary: last name, first name, street, city, state.
inline constexpr std::array<std::size_t, kFields> kLongest = {24, 11, 35, 20, 2};
inline constexpr std::size_t kWindow = 1024;
inline constexpr std::size_t kBlock = 512;
inline constexpr char kEndOfEntry = '_';
inline constexpr const char kClassLetters[] = "NTGAECRM";

// Little-endian numbers and bit fields, least significant bit first.
inline std::uint32_t le16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
// `width` (at most 32) bits from bit `bit` of `bytes`; bits past the end
// read as 0.
std::uint32_t bitsAt(std::span<const std::uint8_t> bytes, std::size_t bit, unsigned width);

// Where a D record holds the reference of a text field.
struct FieldPlace {
  std::uint8_t byte = 0, shift = 0, width = 0;
};

// One data set (US or VE): its files and the values of its headers.
struct RecordSet {
  bool available = false;
  bool ve = false;
  DataFile* records = nullptr;
  DataFile* dictionaries = nullptr;
  DataFile* districts = nullptr;
  std::uint64_t recordStart = 0;    // of record 0
  std::uint64_t districtStart = 0;  // of the Cx table
  std::uint64_t dictionaryArea = 0; // added to every base
  unsigned recordSize = 0;
  int version = 0;
  bool extended = false;
  std::array<FieldPlace, kFields> fields{};
  std::array<std::uint32_t, kFields> base{}, split{}, alternate{};
};

// A record as the layout reads it.
struct Decoded {
  long recordNumber = 0;
  char call[7] = "      ";  // P0..P5 with blanks
  char licenceClass = ' ';
  std::string zipText;  // "%05ld", or the VE postal code (6 characters)
  long zip = 0;         // 0: none (VE: the packed postal code)
  int birthYear = 0;
  int birthDay = 0;     // day of the year, 0: unknown
  char middle = 0;      // 0: none
  std::string lastName, firstName, street, city, state;
  bool ve = false;
};

struct DictionaryCache {
  bool valid = false;
  std::uint32_t entry = 0;
  std::string text;
};

// Everything the library keeps between calls.
struct Module {
  bool found = false;
  bool keepFiles = true;  // false: open by name for each lookup, close after
  std::string directory;  // upper case, the suite's form
  std::string title;
  std::array<std::uint8_t, kIdentitySize> identity{};
  DataFile db1, db2, db3, births, counties, veFile;
  DirectoryWatch watch;  // over the directory of kept files
  RecordSet us, ve;
  bool birthDays = false;
  bool countiesUsable = false;
  int current = 0;  // 0 US, 1 VE
  std::array<DictionaryCache, kFields> caches;
  bool zipCached = false;
  long lastZip = -1;
  std::string lastCounty;
};

Module& module();

// Finds and opens the data set; "" on success, else the message to show.
std::string locateDataSet();
// Opens the data set in `directory` (the suite's form, upper case).
std::string openDataSet(const std::string& directory);
// Closes every file (a by-name data set between lookups).
void closeFiles();
// Forgets the data set, as if the library had just been loaded.
void resetModule();

// The six positions of a callsign; false when it does not fit (it was
// repaired).
bool normalise(const char* callsign, char positions[6]);

// Looks the normalised callsign up in `set`: `found` tells whether it is
// there, and then `out` holds the record. Returns a fatal message or 0.
int lookUp(RecordSet& set, const char positions[6], bool& found, Decoded& out);

// The county of a 5-digit ZIP text from the ZIP-county file ("" if none).
std::string countyOf(const std::string& zipText);

// Fills `buffer` from `layout` with the values of `record`.
void renderLayout(const Decoded& record, const char* layout, char* buffer, int length,
                  const std::function<std::string(const std::string&)>& county);

// Mixed case of a name or place, word by word.
std::string mixedCase(std::string_view text);

// The whole lookup behind FindCall.
int findCall(const char* callsign, char* buffer, int length, const char* layout);

}  // namespace kitapi

#endif
