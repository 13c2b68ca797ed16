// The library's string table.
#ifndef KESTREL_TELNET_STRINGS_H
#define KESTREL_TELNET_STRINGS_H

namespace kstelnet {

// The text of an error code, or null for a code without one.
const char* errorText(int code);
// The library's description in its information record.
const char* description();

}  // namespace kstelnet

#endif
