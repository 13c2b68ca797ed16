// The editors' string tables, indexed by message number: one shared by the
// country and IOTA editors, one of the QSL manager editor. An unknown
// number gives "".
#ifndef KESTREL_EDITORS_STRINGS_H
#define KESTREL_EDITORS_STRINGS_H

namespace kseditor {

const char* atlasMessage(int id);
const char* qslMessage(int id);

}  // namespace kseditor

#endif
