// The import program's own texts, by message number.
#ifndef KESTREL_IMPORT_STRINGS_H
#define KESTREL_IMPORT_STRINGS_H

#include <string>

namespace ksimport {

// The console line saying how many contacts an import that ended early
// stored.
inline constexpr int kStoredMessage = 200;
// A logbook another program has open is not replaced: its path and the
// other program's process id.
inline constexpr int kInUseMessage = 201;
// A foreign file whose structure breaks off: the file, where, and what.
inline constexpr int kBrokenFileMessage = 230;

// The text of message `id`; an unknown number gives the empty text.
const char* message(int id);

// Message `id` with its "%s" filled with `file`.
std::string messageWith(int id, const std::string& file);

}  // namespace ksimport

#endif
