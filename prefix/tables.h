// The prefix library's memory tables: the six tables built from the country
// records at load, with their capacity limits, and an index from each text
// to its entries in table order.
#ifndef KESTREL_PREFIX_TABLES_H
#define KESTREL_PREFIX_TABLES_H

#include "limits.h"
#include "schema/logschema.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ksprefix {

// The fields of a country record (and of the IOTA record, which begins
// with the same layout) that the tables and searches read.
inline constexpr std::size_t kHeadSize = kCountryHeadSize;
inline constexpr std::size_t kPrefixOffset = offsetof(CountryRecord, prefix);
inline constexpr std::size_t kPrefixSize = sizeof(CountryRecord::prefix);
inline constexpr std::size_t kNameOffset = offsetof(CountryRecord, name);
inline constexpr std::size_t kNameSize = sizeof(CountryRecord::name);
inline constexpr std::size_t kCqOffset = offsetof(CountryRecord, cqZone);
inline constexpr std::size_t kItuOffset = offsetof(CountryRecord, ituZone);
inline constexpr std::size_t kStatusOffset = offsetof(CountryRecord, status);
inline constexpr std::size_t kStatusSize = sizeof(CountryRecord::status);
inline constexpr std::size_t kDateOffset = offsetof(CountryRecord, date);
inline constexpr std::size_t kDateSize = sizeof(CountryRecord::date);
inline constexpr std::size_t kListOffset = offsetof(CountryRecord, prefixList);
inline constexpr std::size_t kListSize = sizeof(CountryRecord::prefixList);
inline constexpr std::size_t kCountryRecordSize = sizeof(CountryRecord);
inline constexpr std::size_t kIotaRecordSize = sizeof(IotaRecord);

// A fixed-width text field of a record, up to its first NUL.
std::string_view recordText(const char* record, std::size_t offset, std::size_t size);
int16_t recordInt16(const char* record, std::size_t offset);
void putInt16(char* record, std::size_t offset, int value);

// One string table with the key slot table that belongs to it. The used
// sizes count bytes as the packed layout would (text + NUL, 6 per slot);
// nothing is ever stored past a capacity.
class PrefixTable {
 public:
  PrefixTable(std::size_t textCapacity, std::size_t slotCapacity)
      : textCapacity_(textCapacity), slotCapacity_(slotCapacity) {}

  // Both used sizes below their capacities: the test made once per record.
  bool open() const { return textUsed_ < textCapacity_ && slotUsed_ < slotCapacity_; }
  // Appends an entry unless it would cross a capacity; false then.
  bool add(std::string_view text, std::string_view key);
  void clear();
  // Takes the memory for a full table up front (may throw std::bad_alloc).
  void reserveTexts() { texts_.reserve(textCapacity_ / 2); }
  void reserveSlots() { keys_.reserve(slotCapacity_ / kSlotSize); }
  void release();  // clears and gives the memory back

  std::size_t size() const { return texts_.size(); }
  const std::string& text(std::size_t entry) const { return texts_[entry]; }
  const std::string& key(std::size_t entry) const { return keys_[entry]; }
  std::size_t textUsed() const { return textUsed_; }
  // No entry is longer: a search need not try longer texts.
  std::size_t longestText() const { return longest_; }
  std::size_t slotUsed() const { return slotUsed_; }

  // The entries whose text equals `text`, in table order (empty if none).
  const std::vector<uint32_t>& find(std::string_view text) const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::size_t textCapacity_, slotCapacity_;
  std::size_t textUsed_ = 0, slotUsed_ = 0;
  std::size_t longest_ = 0;
  std::vector<std::string> texts_;
  std::vector<std::string> keys_;
  std::unordered_map<std::string, std::vector<uint32_t>, Hash, std::equal_to<>> index_;
};

// Ids of the six tables, as the load-failure messages number them.
enum TableId {
  kDeletedAlternateTable = 1,
  kPrefixTableId = 2,
  kAlternateTable = 3,
  kDeletedPrefixTable = 4,
  kSharedPrefixTable = 5,
  kSharedAlternateTable = 6,
};

// The whole set the library keeps between OpenCountryDb and CloseCountryDb.
struct CountryTables {
  // Alternate Prefix Table + Prefix Table
  PrefixTable plain{kAlternateTableBytes, kPrefixTableBytes};
  // Shared Alternate + Shared Prefix Table
  PrefixTable shared{kSharedAlternateTableBytes, kSharedPrefixTableBytes};
  // Deleted Alternate + Deleted Prefix Table
  PrefixTable deleted{kDeletedAlternateTableBytes, kDeletedPrefixTableBytes};
  std::vector<char> sharedCondition;  // "<" or ">", per shared entry
  std::vector<int32_t> sharedDay;     // day number, per shared entry
  int activeCount = 0;
  int deletedCount = 0;

  void clear();
  void release();
  // Adds one country record's counts and tokens, as the load does for each
  // record it scans. `julian` turns a MM-DD-YY text into a day number.
  void addRecord(const char* record, int (*julian)(const char*));
};

// Splits a prefix list at commas: a list ending in "," yields a last empty
// token; an empty list yields none. Tokens are not trimmed.
std::vector<std::string_view> splitTokens(std::string_view list);

// Removes blanks at both ends.
std::string_view stripBlanks(std::string_view text);

}  // namespace ksprefix

#endif
