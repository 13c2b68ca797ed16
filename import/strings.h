// The import program's own texts, by message number.
#ifndef KESTREL_IMPORT_STRINGS_H
#define KESTREL_IMPORT_STRINGS_H

namespace ksimport {

// The text of message `id`; an unknown number gives the empty text.
const char* message(int id);

}  // namespace ksimport

#endif
