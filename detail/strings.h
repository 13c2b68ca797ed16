// The texts of the award detail library, by message number.
#ifndef KESTREL_DETAIL_STRINGS_H
#define KESTREL_DETAIL_STRINGS_H

namespace ksdetail {

// Message `number` of the string table; "" when there is none.
const char* message(int number);

inline constexpr int kNoMainWindow = 2;

// Title suffix of a report variant.
const char* variantSuffix(int variant);

}  // namespace ksdetail

#endif
