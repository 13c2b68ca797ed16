// The prefix library's searches over its tables, the part of a callsign to
// search, zone correction and bands. Nothing here touches the database:
// records reach the searches through a RecordReader.
#ifndef KESTREL_PREFIX_SEARCH_H
#define KESTREL_PREFIX_SEARCH_H

#include "tables.h"

#include <string>
#include <string_view>

namespace ksprefix {

// Search texts and callsigns are cut to this many characters.
inline constexpr std::size_t kMaxText = 15;

// Finds the record whose key is `key`: its bytes, valid until the next
// call, or null when it cannot be found or read.
class RecordReader {
 public:
  virtual ~RecordReader() = default;
  virtual const char* read(std::string_view key) = 0;
};

// Whether the searches use the index or walk the whole table; both give
// the same answers (the walk is kept to prove it).
enum class Lookup { Indexed, Walk };

using Julian = int (*)(const char*);

// Step 2 of the plain search: "KC6" and one or three more characters go to
// the country whose key is "K".
bool isKc6Special(std::string_view text);

// The plain search: longest text first, then table order; the record must
// be active or searchable ("A", "I") and count on `day`. Null if none.
const char* searchPlain(const PrefixTable& table, std::string_view text, int day,
                        RecordReader& reader, Julian julian, Lookup how = Lookup::Indexed);

// The shared search: as the plain one, but an entry is taken when its
// condition holds on `day` ("<": up to its day, ">": from its day on).
const char* searchShared(const CountryTables& tables, std::string_view text, int day,
                         RecordReader& reader, Lookup how = Lookup::Indexed);

// The deleted search ends at the first entry equal to the current text.
struct DeletedAnswer {
  int result;          // what SearchDeletedPrefix returns
  const char* record;  // the deleted country, or null
};
DeletedAnswer searchDeleted(const PrefixTable& table, std::string_view text, int day,
                            RecordReader& reader, Julian julian, Lookup how = Lookup::Indexed);

// Copies a found record's head into `head` (52 bytes), its zones corrected
// for `text`, and its name into `name` (21 bytes), when they are not null.
void fillHead(const char* record, std::string_view text, char* head, char* name);

// The part of a callsign to search. `isKey` answers whether a text is the
// key of a record (the equal-length rule); `isListed` whether the tables
// hold a text as a prefix (the one-letter rule: F/DL3RBF operates in France).
template <class IsKey, class IsListed>
std::string prefixOf(std::string_view callsign, IsKey isKey, IsListed isListed);

int correctZone(std::string_view headPrefix, std::string_view text, int zone);
int correctItuZone(std::string_view headPrefix, std::string_view text, int zone);
int bandOf(double megahertz);

// ---------------------------------------------------------------------------

template <class IsKey, class IsListed>
std::string prefixOf(std::string_view callsign, IsKey isKey, IsListed isListed) {
  const std::string call(callsign.substr(0, kMaxText));
  const std::size_t slash = call.find('/');
  const bool twoSlashes = slash != std::string::npos && call.find('/', slash + 1) != std::string::npos;
  if (slash != std::string::npos && !twoSlashes) {
    const std::string left = call.substr(0, slash);
    const std::string right = call.substr(slash + 1);
    if (left.size() == right.size()) {
      if (isKey(left)) return left;
      if (isKey(right)) return right;
    }
    if (!left.empty() && (left[0] == 'K' || left[0] == 'W' || left[0] == 'N') && right == "T")
      return "K";
    if (left.size() == 1 && isListed(left)) return left;
  }
  if (slash >= 2 && slash <= 4) return call.substr(0, slash);
  const std::string tail = slash == std::string::npos ? call : call.substr(slash + 1);
  if (tail == "P" || tail == "A" || tail == "B" || tail == "M" || tail == "QRP") return call;
  if (tail == "T" || tail == "G" || tail == "E" || tail == "J") return "FR";
  if (!tail.empty() && tail[0] >= '0' && tail[0] <= '9') return call;
  return tail;
}

}  // namespace ksprefix

#endif
