// The capacities of the prefix library's tables. The tables are built from
// the country database when it is loaded; whatever would cross a capacity
// is left out, so the tools that write country data keep within these.
#ifndef KESTREL_PREFIX_LIMITS_H
#define KESTREL_PREFIX_LIMITS_H

#include <cstddef>

namespace ksprefix {

// Each entry of a text table is its text and a NUL; each key slot holds a
// country's prefix in this many bytes.
inline constexpr std::size_t kSlotSize = 6;

// Plain prefixes of the counted and searchable countries.
inline constexpr std::size_t kAlternateTableBytes = 10000;
inline constexpr std::size_t kPrefixTableBytes = 15000;

// Prefixes shared between countries by date, and their number.
inline constexpr std::size_t kSharedAlternateTableBytes = 5000;
inline constexpr std::size_t kSharedPrefixTableBytes = 7000;
inline constexpr std::size_t kMaxSharedEntries = 500;

// Prefixes of deleted countries.
inline constexpr std::size_t kDeletedAlternateTableBytes = 5000;
inline constexpr std::size_t kDeletedPrefixTableBytes = 7000;

}  // namespace ksprefix

#endif
