// The texts of the browser library, by message number.
#ifndef KESTREL_BROWSE_STRINGS_H
#define KESTREL_BROWSE_STRINGS_H

namespace ksbrowse {

// Message `number` of the string table; "" when there is none.
const char* message(int number);

inline constexpr int kNoMainWindow = 2;
inline constexpr int kPrefixBlank = 3;
inline constexpr int kModeNotSelected = 4;
inline constexpr int kBandNotSelected = 5;
inline constexpr int kNothingFound = 6;
inline constexpr int kQslNotSelected = 7;
inline constexpr int kFromBlank = 8;
inline constexpr int kFromBad = 9;
inline constexpr int kToBad = 10;
inline constexpr int kFromAfterTo = 11;
inline constexpr int kUnknownPrefix = 12;
inline constexpr int kNoQuery = 13;
inline constexpr int kTagQuestion = 14;
inline constexpr int kOpenError = 15;
inline constexpr int kWriteError = 16;
inline constexpr int kOverwrite = 17;
inline constexpr int kPrinterError = 18;
inline constexpr int kStartDocError = 19;
inline constexpr int kAbortProcError = 20;
inline constexpr int kNoIgnoreTable = 21;
inline constexpr int kZoneRange = 22;
inline constexpr int kUnknownState = 23;
inline constexpr int kStateBlank = 24;
inline constexpr int kNoTempTable = 25;
inline constexpr int kTagWriteError = 26;
inline constexpr int kPrintEndError = 27;

// Texts that are not numbered messages.
inline constexpr const char* kNoControlText = "Unable to Load DataTable DLL";
inline constexpr const char* kNoControlCaption = "System Error";
inline constexpr const char* kTagCaption = "Tag Records";
inline constexpr const char* kExistsCaption = "File Exists";

}  // namespace ksbrowse

#endif
