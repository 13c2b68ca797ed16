#include "strings.h"

namespace ksprefix {

std::string loadString(int id) {
  static const char* const table[] = {
      "",
      "Not Enough Memory to\nallocate Deleted Alternate Prefix Table.",
      "Not Enough Memory to\nallocate Prefix Table.",
      "Not Enough Memory to\nallocate Alternate Prefix Table.",
      "Not Enough Memory to\nallocate Deleted Prefix Table.",
      "Not Enough Memory to\nallocate Shared Prefix Table.",
      "Not Enough Memory to\nallocate Shared Alternate Prefix Table.",
  };
  if (id < 1 || id >= static_cast<int>(std::size(table))) return {};
  return std::string(table[id]).substr(0, 131);
}

}  // namespace ksprefix
