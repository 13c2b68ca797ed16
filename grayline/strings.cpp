#include "strings.h"

namespace ksgrayline {

const char* message(int id) {
  switch (id) {
    case kTitle: return "Kestrel Grayline Display";
    case kTimerFailed: return "Error Creating Grayline Timer";
    case kErrorCaption: return "Grayline Error";
    case kHelpCommands: return "Browser Commands";
    case kHelpProcedures: return "Browser Procedures";
    case kHelpFile: return "KESTREL.HLP";
    case kHelpOnHelpFile: return "WINHELP.HLP";
    case kSettingsFile: return "KESTREL.INI";
    case kSettingsSection: return "Grayline";
    default: return "";
  }
}

}  // namespace ksgrayline
