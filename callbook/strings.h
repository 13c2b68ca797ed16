// The library's messages, by the number its captions carry.
#ifndef KESTREL_CALLBOOK_STRINGS_H
#define KESTREL_CALLBOOK_STRINGS_H

namespace kscbx {

inline constexpr int kFileIoError = 2;       // a seek to a block failed
inline constexpr int kDataFileError = 5;     // the data file cannot be opened
inline constexpr int kIndexOpenError = 1002;
inline constexpr int kIndexMapError = 1003;
inline constexpr int kIndexViewError = 1004;

const char* messageText(int id);
const char* messageCaption(int id);

// Shows message `id` over the window that has the keyboard focus.
void showMessage(int id);

}  // namespace kscbx

#endif
