// The library's message texts and the way it shows them.
#include <string>
#include <string_view>

#include "internal.h"
#include "winlayer/winlayer.h"

namespace ksfunct {
namespace {

struct Message {
  int id;
  const char* text;
};

constexpr Message kMessages[] = {
    {300, "Error Opening File %s."},
    {301, "Error Reading File %s."},
    {302, "Error Writing File %s."},
    {303, "No such file: %s."},
    {304, "Error allocating\nFile Copy Buffer memory."},
};

}  // namespace

const char* message(int id) {
  for (const Message& m : kMessages)
    if (m.id == id) return m.text;
  return "";
}

void showFileMessage(void* owner, int id, const char* name, const char* caption,
                     unsigned icon) {
  // The file name is put in place of %s by hand: a name is never a format.
  std::string text = message(id);
  if (size_t at = text.find("%s"); at != std::string::npos)
    text.replace(at, 2, name ? name : "");
  MessageBox(static_cast<HWND>(owner), text.c_str(), caption, icon | MB_OK);
}

}  // namespace ksfunct
