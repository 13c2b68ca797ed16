// The prefix library's messages, by their numbers.
#ifndef KESTREL_PREFIX_STRINGS_H
#define KESTREL_PREFIX_STRINGS_H

#include <string>

namespace ksprefix {

// The message with that number ("" if none), at most 131 characters.
std::string loadString(int id);

}  // namespace ksprefix

#endif
