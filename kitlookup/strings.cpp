#include "strings.h"

namespace kitapi {
namespace {

struct Message {
  int id;
  const char* text;
};

constexpr Message kMessages[] = {
    {kCannotFind, "Cannot find KITDB1.DAT"},
    {kCannotOpenFile, "Cannot open file %s\n"},
    {kCannotReadDb1, "Cannot read file %s\\KITDB1.DAT"},
    {kCannotReadDb2, "Cannot read file %s\\KITDB2.DAT"},
    {kCannotReadDb3, "Cannot read file %s\\KITDB3.DAT"},
    {kCannotReadVe, "Cannot read file %s\\KITDBVE.DAT"},
    {kOtherSetDb2, "KITDB1.DAT and KITDB2.DAT part of different data sets"},
    {kOtherSetDb3, "KITDB1.DAT and KITDB3.DAT part of different data sets"},
    {kNewerSoftware, "Newer version of KIT software required"},
    {kNewerDatabase, "Newer version of KIT database required"},
    {kNewerSoftwareVe, "Newer version of KIT software required for VE calls"},
    {kNewerDatabaseVe, "Newer version of KIT database required for VE calls"},
    {kCaptionStart, "WKITAPI.DLL"},
    {kCaptionFatal, "Kit Fatal Error"},
    {kDefaultLayout,
     "[CL][TA10]Class: [LC]  Born: [DB][CC13][C-0][FN] [MS][LN][CC13][C-0][AD][CC13][C-0][CI], "
     "[ST] [ZI][CC13][C-0]"},
    {kFatalLoadRecord, "#2, load_Drec"},
    {kFatalCxEntries, "#4, set_Cx_entrys"},
    {kFatalCallDistrict, "#5, get_call_district"},
    {kFatalLetterCode, "#6, pakalpha"},
    {kFatalPastWindow, "#7, dxtrctchar"},
    {kFatalWindowRead, "#8, dict_extract disk read"},
    {kFatalTooLong, "#12, dictionary string too long"},
    {kFatalWindowMove, "#13, build_extract disk read"},
    {kFatalBirthDays, "Cannot read KITDBB.DAT"},
};

}  // namespace

const char* message(int id) {
  for (const Message& m : kMessages)
    if (m.id == id) return m.text;
  return "";
}

}  // namespace kitapi
