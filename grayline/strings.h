// The grayline library's own texts, by message number.
#ifndef KESTREL_GRAYLINE_STRINGS_H
#define KESTREL_GRAYLINE_STRINGS_H

namespace ksgrayline {

enum Message {
  kTitle = 1,             // the window's title
  kTimerFailed = 2,       // the timer could not be started
  kErrorCaption = 3,      // caption of the library's error boxes
  kHelpCommands = 4,      // help keywords
  kHelpProcedures = 5,
  kHelpFile = 6,          // beside the library
  kHelpOnHelpFile = 7,
  kSettingsFile = 8,
  kSettingsSection = 9,
};

// The text of message `id`; an unknown number gives the empty text.
const char* message(int id);

}  // namespace ksgrayline

#endif
