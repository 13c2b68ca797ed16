#include "import/strings.h"

namespace ksimport {
namespace {

struct Entry {
  int id;
  const char* text;
};

// Kept byte for byte as users have always seen them, spelling included.
constexpr Entry kMessages[] = {
    {12, "No such file: %s."},
    {16, "Error Opening File %s."},
    {17, "Error Reading File %s."},
    {18, "Error Writing File %s."},
    {116, "Beginning ADIF File Import.\n"},
    {117, "ADIF Import Complete.\n"},
    {118, "ADIF Import terminated due to an error.\n"},
    {119, "ADIF Import terminated at user request.\n"},
    {120, "Error allocating ADIF input buffer memory."},
    {121, "Error allocating ADIF field buffer memory."},
    {122, "Error allocating ADIF line buffer memory."},
};

}  // namespace

const char* message(int id) {
  for (const Entry& entry : kMessages)
    if (entry.id == id) return entry.text;
  return "";
}

}  // namespace ksimport
