// The library's message texts, by their numbers.
#ifndef KESTREL_KITLOOKUP_STRINGS_H
#define KESTREL_KITLOOKUP_STRINGS_H

namespace kitapi {

enum MessageId : int {
  kNone = 0,
  // Finding and opening the data set (shown captioned kCaptionStart).
  kCannotFind = 1,
  kCannotOpenFile = 2,
  kCannotReadDb1 = 3,
  kCannotReadDb2 = 4,
  kCannotReadDb3 = 5,
  kCannotReadVe = 6,
  kOtherSetDb2 = 7,
  kOtherSetDb3 = 8,
  kNewerSoftware = 9,
  kNewerDatabase = 10,
  kNewerSoftwareVe = 11,
  kNewerDatabaseVe = 12,
  kCaptionStart = 20,
  kCaptionFatal = 21,
  kDefaultLayout = 22,
  // Fatal errors during a lookup (shown captioned kCaptionFatal).
  kFatalLoadRecord = 102,
  kFatalCxEntries = 104,
  kFatalCallDistrict = 105,
  kFatalLetterCode = 106,
  kFatalPastWindow = 107,
  kFatalWindowRead = 108,
  kFatalTooLong = 112,
  kFatalWindowMove = 113,
  kFatalBirthDays = 120,
};

// The text of message `id` ("" if none).
const char* message(int id);

}  // namespace kitapi

#endif
