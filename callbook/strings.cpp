#include "strings.h"

#include "winlayer/winlayer.h"

namespace kscbx {
namespace {

struct Message {
  int id;
  const char* text;
  const char* caption;
};

constexpr Message kMessages[] = {
    {kFileIoError, "There was a File I/O Error", "CBXDLL:ERR0002"},
    {kDataFileError, "There was an Error opening the datafile", "CBXDLL:ERR0005"},
    {kIndexOpenError, "There was an error opening the index", "CBXDLL:ERR1002"},
    {kIndexMapError, "There was an error mapping the index", "CBXDLL:ERR1003"},
    {kIndexViewError, "There was an error viewing the index", "CBXDLL:ERR1004"},
};

const Message* find(int id) {
  for (const Message& m : kMessages)
    if (m.id == id) return &m;
  return nullptr;
}

}  // namespace

const char* messageText(int id) {
  const Message* m = find(id);
  return m ? m->text : "";
}

const char* messageCaption(int id) {
  const Message* m = find(id);
  return m ? m->caption : "";
}

void showMessage(int id) {
  MessageBox(GetFocus(), messageText(id), messageCaption(id), MB_ICONINFORMATION | MB_OK);
}

}  // namespace kscbx
