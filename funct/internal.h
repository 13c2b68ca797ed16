// Internals of the common function library that its tests reach directly.
#ifndef KESTREL_FUNCT_INTERNAL_H
#define KESTREL_FUNCT_INTERNAL_H

#include <cstddef>
#include <ctime>
#include <string>

namespace ksfunct {

// The four-digit year of a two-digit year field (see dates.cpp).
int fullYear(int twoDigitYear);

// GetDateTime's work on a given local time instead of the clock.
void formatDateTime(const std::tm& local, int format, int hourOffset, char* dateOut,
                    char* timeOut);

// Called with the size of every chunk KSCopyFile has written; tests watch
// the chunking through it.
extern void (*copyChunkObserver)(size_t chunk);

// The message texts of the library, by number.
const char* message(int id);

// Formats message `id` with one file name and shows it with `caption`.
void showFileMessage(void* owner, int id, const char* name, const char* caption,
                     unsigned icon);

}  // namespace ksfunct

#endif
