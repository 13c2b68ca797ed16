#include "strings.h"

namespace ksdetail {
namespace {

struct Entry {
  int number;
  const char* text;
};

const Entry table[] = {
    {2, "Error retrieving KESTREL window handle."},
};

struct Suffix {
  int variant;
  const char* text;
};

const Suffix suffixes[] = {
    {300, " - Duplicate Tags"}, {302, " - Needed"},    {303, " - Not Tagged"},
    {304, " - QSL's Needed"},   {305, " - QSL's Sent"}, {306, " - Worked"},
    {307, " - Not Submitted"},  {900, " - Submitted"},
};

}  // namespace

const char* message(int number) {
  for (const Entry& e : table)
    if (e.number == number) return e.text;
  return "";
}

const char* variantSuffix(int variant) {
  for (const Suffix& s : suffixes)
    if (s.variant == variant) return s.text;
  return " - Full Report";
}

}  // namespace ksdetail
